#include "sys/event.h"

#include "sys/exception.h"

namespace zov {

void ThrowUnsetEvent() { throw Exception("Empty function called"); }

}  // namespace zov
