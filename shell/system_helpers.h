#pragma once
// Small operations on the operating system that the setup stages share.
#include <cstdint>
#include <string>

#include "sys/sys_error.h"

namespace zov {

// Cuts the first field off `text` at `separator`. Without a separator the whole text is
// the head and stays in `text`, so a missing last field repeats the one before.
void SplitField(std::string& text, char separator, std::string& head);

// The Windows directory, without a trailing "\" unless it is a drive root.
std::string GetWindowsDir();

// The short (8.3) form of an existing path; the path unchanged when there is none.
std::string GetShortPath(const std::string& path);

// Copies `source` into `target` (a directory, or a missing path taken as one, gets the
// source's file name appended). Raises EFOpenError "Cannot open file %s" or
// EFCreateError "Cannot create file %s", with the failure of the call that failed.
void CopyFileInto(const std::string& source, const std::string& target);

// Copies `source` to the file `dest`, which it creates or replaces; raises as CopyFileInto.
void CopyFileTo(const std::string& source, const std::string& dest);

// Puts `source` at `target` (a file path): moved when `mayMove` and both lie on one volume,
// else copied as CopyFileInto copies. True when it was moved (the source is gone).
bool PlaceFile(const std::string& source, const std::string& target, bool mayMove);

// Opens `file` through the shell; returns the shell's result code.
intptr_t LaunchProgram(const std::string& file, const std::string& parameters,
                       const std::string& directory, int showMode);

}  // namespace zov
