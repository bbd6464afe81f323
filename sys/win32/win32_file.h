#pragma once
// Open files through CreateFileA; the handle is closed with the object.
#include <memory>
#include <string>

#include "sys/system.h"

namespace zov::sys::win32 {

std::unique_ptr<File> OpenWin32File(const std::string& path, FileAccess access, FileCreate create,
                                    FileShare share);

}  // namespace zov::sys::win32
