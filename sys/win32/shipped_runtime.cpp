// Linked into the programs on the medium when they are built with the project's own run-time
// (cmake/ShippedPrograms.cmake): replacements for parts of the C++ run-time library that
// would make the programs larger or keep them from starting on older Windows.
#include "sys/win32/shipped_runtime.h"

#include <cxxabi.h>
#include <unwind.h>

#include <cstdlib>

#include "sys/exception.h"

namespace __gnu_cxx {
// The run-time library's handler names the type of an exception nobody caught, which
// brings a demangler and printf into the program (about a sixth of its size). The programs
// report their errors themselves; one that still escapes ends the program.
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// The library's container and string errors, raised as the programs' own exception: the
// library's versions would bring its exception classes and with them a second string
// implementation and printf. Every one the library may call must be here, or its own
// definitions come along and the link reports them twice.
namespace std {
void __throw_bad_alloc() { zov::runtime::ThrowOutOfMemory(); }
void __throw_bad_array_new_length() { zov::runtime::ThrowOutOfMemory(); }
void __throw_length_error(const char* what) { throw zov::Exception(what); }
void __throw_logic_error(const char* what) { throw zov::Exception(what); }
void __throw_out_of_range(const char* what) { throw zov::Exception(what); }
void __throw_out_of_range_fmt(const char* format, ...) { throw zov::Exception(format); }
void __throw_invalid_argument(const char* what) { throw zov::Exception(what); }
void __throw_bad_function_call() { throw zov::Exception("Empty function called"); }
}  // namespace std

// The unwinding of frames that link-time optimisation gives the C language's handler (about
// a sixth of them; they only clean up, they catch nothing). The C++ handler reads the same
// tables and runs the same clean-ups, so the C one need not come along.
extern "C" {
_Unwind_Reason_Code __gxx_personality_v0(int, _Unwind_Action, _Unwind_Exception_Class, _Unwind_Exception*,
                                         _Unwind_Context*);
__attribute__((used)) _Unwind_Reason_Code __gcc_personality_v0(int version, _Unwind_Action actions,
                                                              _Unwind_Exception_Class type,
                                                              _Unwind_Exception* exception,
                                                              _Unwind_Context* context) {
    return __gxx_personality_v0(version, actions, type, exception, context);
}
}

// The exceptions being handled, which the library keeps per thread in emulated thread-local
// storage (the emulation, its allocation and its thread hooks come along with it). These
// programs run one thread: one record does.
namespace __cxxabiv1 {
namespace {
struct HandledExceptions {
    void* caught;         // the innermost exception being handled
    unsigned int active;  // exceptions thrown and not yet caught
} handled;
}  // namespace

extern "C" __attribute__((used)) __cxa_eh_globals* __cxa_get_globals() noexcept {
    return reinterpret_cast<__cxa_eh_globals*>(&handled);
}
extern "C" __attribute__((used)) __cxa_eh_globals* __cxa_get_globals_fast() noexcept {
    return reinterpret_cast<__cxa_eh_globals*>(&handled);
}
}  // namespace __cxxabiv1

// The memory of thrown exceptions, from the heap alone. The library's version keeps an
// emergency pool besides (allocated at start-up, with a lock and the thread functions
// behind it) for throwing when the heap is exhausted; these programs then end instead.
// Before each thrown object lies the library's record of it (runtime::kExceptionRecord),
// which its own allocation adds the same way. The programs never rethrow a stored exception
// (std::rethrow_exception), so the dependent records that needs have no allocation here;
// should one be needed, the library's file comes along and the link reports its functions
// twice.
namespace __cxxabiv1 {
namespace {
using zov::runtime::kExceptionRecord;
// The record may change with any release of the library, not only with the compiler's
// major version: another one must be measured again (tests/runtime prints the size it
// finds) before these functions can stand in for the library's.
static_assert(__GLIBCXX__ == 20220819 && sizeof(void*) == 4, "measure kExceptionRecord for this C++ library");
}  // namespace

extern "C" {
__attribute__((used)) void* __cxa_allocate_exception(std::size_t size) noexcept {
    void* memory = std::calloc(1, kExceptionRecord + size);
    if (!memory) std::abort();
    return static_cast<char*>(memory) + kExceptionRecord;
}
__attribute__((used)) void __cxa_free_exception(void* object) noexcept {
    std::free(static_cast<char*>(object) - kExceptionRecord);
}
}
}  // namespace __cxxabiv1

// A start-up piece (startup.cpp calls it), in a version without the reports on the error
// stream (printf and its file functions) that no window shows.
extern "C" {
// Applies the relocations of data imported without an import stub. The programs import
// data only through stubs, so the list is empty; should one appear, the program stops
// rather than run with unrelocated data (every end-to-end test would show it).
extern const char __RUNTIME_PSEUDO_RELOC_LIST__[];
extern const char __RUNTIME_PSEUDO_RELOC_LIST_END__[];
__attribute__((used)) void _pei386_runtime_relocator() {
    if (&__RUNTIME_PSEUDO_RELOC_LIST__[0] != &__RUNTIME_PSEUDO_RELOC_LIST_END__[0]) std::abort();
}
}
