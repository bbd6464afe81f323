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

// A failure as the call that failed saw it: the code, the path it was about and the
// system's text. Taken at that call and carried from there to the log and the exit code;
// nothing reads a reason later.
struct Failure {
    uint32_t code = kErrorSuccess;
    std::string path;  // the file, directory, key or segment the call was about; may be empty
    std::string text;  // the system's reason, or what is wrong ("the segment's checksum differs")
    bool Failed() const { return code != kErrorSuccess || !text.empty(); }
    // "PATH: text", or the text alone without a path.
    std::string Describe() const { return path.empty() ? text : path + ": " + text; }
};

inline constexpr char kDiskFullText[] = "There is not enough space on the disk";

// `text` on one line: line breaks become spaces.
std::string OneLine(std::string text);
// `text`, followed by the failure's path (where the text does not name it) and code:
// "Cannot write X: Access is denied (C:\X, error 5)".
std::string WithFailure(const std::string& text, const Failure& failure);

// The system's text for a code the emulated machine reports ("Access is denied").
std::string StandardErrorText(uint32_t code);

}  // namespace zov::sys
