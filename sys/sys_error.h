#pragma once
// Why a system operation failed: the Windows error code and the system's text for it.
#include <cstdint>
#include <string>

namespace zov::sys {

// The Windows error codes the emulated machine reports; the real system may report others.
enum : uint32_t {
    kErrorSuccess = 0,
    kErrorFileNotFound = 2,
    kErrorPathNotFound = 3,
    kErrorAccessDenied = 5,
    kErrorInvalidHandle = 6,
    kErrorInvalidData = 13,
    kErrorWriteFault = 29,
    kErrorReadFault = 30,
    kErrorSharingViolation = 32,
    kErrorBadNetPath = 53,
    kErrorInvalidParameter = 87,
    kErrorDiskFull = 112,
    kErrorInvalidName = 123,
    kErrorDirNotEmpty = 145,
    kErrorAlreadyExists = 183,
    kErrorFilenameExcedRange = 206,
    kErrorNoMoreItems = 259,
};

struct SysError {
    uint32_t code = kErrorSuccess;
    std::string text;  // one line, without the trailing period; never empty
};

inline constexpr char kDiskFullText[] = "There is not enough space on the disk";

// The system's text for a code the emulated machine reports ("Access is denied").
std::string StandardErrorText(uint32_t code);

}  // namespace zov::sys
