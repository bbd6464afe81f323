#pragma once
// The tool works on the files of the machine it runs on. On Windows that is the real
// system; on Linux the emulated machine takes host paths ("/...") as they are, so relative
// arguments are made absolute first.
#include <string>

namespace zov::zovpack {

void InstallToolSystem();
// An argument path as the system interface must be given it.
std::string ToolPath(const std::string& argument);

}  // namespace zov::zovpack
