#pragma once
// Checks and texts for the files the tool is given and the names it prints.
#include <string>

#include "sys/exception.h"

namespace zov::zovpack {

// A file the tool cannot use as it is: not there, not a regular file, not an archive.
ZOV_EXCEPTION(EToolFile);

// Raises EToolFile unless `toolPath` names a regular file (not a folder, device or pipe,
// which could be read forever or never). `argument` is how the user named it.
void RequireRegularFile(const std::string& toolPath, const std::string& argument);

// The whole file (a regular file the tool was given).
std::string ReadToolFile(const std::string& toolPath);

// Inside a catch block: a stream or file failure becomes one that names `path` and the
// system's reason; anything else goes on as it is.
[[noreturn]] void RethrowNamingFile(const std::string& path);

// The name with control characters and bytes 0x7F written as \xNN, so that a crafted name
// cannot move the cursor or clear the terminal.
std::string Printable(const std::string& name);

}  // namespace zov::zovpack
