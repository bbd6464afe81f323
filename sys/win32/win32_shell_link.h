#pragma once
// The COM shell-link object (IShellLinkA with IPersistFile). COM is initialised for the
// calling thread on first use.
#include <memory>

#include "sys/system.h"

namespace zov::sys::win32 {

std::unique_ptr<ShellLink> CreateComShellLink();  // null when the object cannot be made

}  // namespace zov::sys::win32
