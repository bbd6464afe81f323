// Linked into every program on the medium, whichever run-time they are built with: memory
// for `new`, raising the programs' own error when there is none, so that the user reads
// "Out of memory" with either. The library's version waits on a new-handler, which these
// programs never install, and raises its own exception class.
#include <cstdlib>
#include <new>

#include "sys/exception.h"
#include "sys/win32/shipped_runtime.h"

namespace zov::runtime {

void ThrowOutOfMemory() { throw Exception("Out of memory"); }

}  // namespace zov::runtime

void* operator new(std::size_t size) {
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    zov::runtime::ThrowOutOfMemory();
}
