// The install routine. Until the install engine arrives it installs nothing and only
// closes the wizard, so the stages can be run end to end.
#include "install/wizard/Setup_Unit2.h"

namespace zov {

void TZOV::DoInstall() { CloseAfterInstall(); }

}  // namespace zov
