#pragma once
// The destination, checked before anything is installed into it: a full path (never one
// relative to wherever the setup happens to run), not a file and not a device. A place the
// whole system shares (a drive root, the Windows or system directory, Program Files itself,
// a shell folder) is no product's folder: the destination page appends the product's folder
// to it, as a folder picker does; /D= naming one is refused.
#include <string>

namespace zov {

struct TDestinationCheck {
    std::string Path;     // the full form of the destination
    std::string Refusal;  // why it cannot be installed into; empty when it can
};

// `productFolder` is appended to a shared place; when it is empty such a place is refused.
TDestinationCheck CheckDestination(const std::string& text, const std::string& productFolder);

// A drive or share root, the Windows or system directory, Program Files, a shell folder.
bool IsSharedPlace(const std::string& path);

// The last part of install.cfg's "Install Dir": the product's own folder.
std::string ProductFolderName(const std::string& installDir);

}  // namespace zov
