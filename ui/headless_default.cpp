// Builds without a window system answer every question negatively.
#include "ui/dialogs.h"

namespace zov::ui {

std::unique_ptr<Dialogs> MakeDefaultDialogs() { return std::make_unique<HeadlessDialogs>(); }

}  // namespace zov::ui
