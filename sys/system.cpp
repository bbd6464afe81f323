#include "sys/system.h"
#include "sys/concat.h"

#include <cstdlib>

namespace zov::sys {
namespace {
System* current = nullptr;
std::unique_ptr<System> fallback;
}  // namespace

System& Sys() {
    if (current) return *current;
    if (!fallback) fallback = MakeDefaultSystem();
    return *fallback;
}

void SetSystem(System* system) { current = system; }

std::string FailureText(const std::string& path) {
    return Concat({path, ": ", Sys().LastError().text});
}

Failure FailureOf(const std::string& path) {
    SysError error = Sys().LastError();
    return {error.code, path, std::move(error.text)};
}

}  // namespace zov::sys
