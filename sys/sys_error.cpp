#include "sys/sys_error.h"

#include <string_view>

#include "sys/decimal.h"

namespace zov::sys {

std::string StandardErrorText(uint32_t code) {
    switch (code) {
        case kErrorSuccess: return "The operation completed successfully";
        case kErrorFileNotFound: return "The system cannot find the file specified";
        case kErrorPathNotFound: return "The system cannot find the path specified";
        case kErrorAccessDenied: return "Access is denied";
        case kErrorInvalidHandle: return "The handle is invalid";
        case kErrorWriteFault: return "The system cannot write to the specified device";
        case kErrorReadFault: return "The system cannot read from the specified device";
        case kErrorSharingViolation:
            return "The process cannot access the file because it is being used by another process";
        case kErrorBadNetPath: return "The network path was not found";
        case kErrorInvalidParameter: return "The parameter is incorrect";
        case kErrorInvalidData: return "The data is invalid";
        case kErrorDiskFull: return kDiskFullText;
        case kErrorInvalidName: return "The filename, directory name, or volume label syntax is incorrect";
        case kErrorDirNotEmpty: return "The directory is not empty";
        case kErrorAlreadyExists: return "Cannot create a file when that file already exists";
        case kErrorFilenameExcedRange: return "The filename or extension is too long";
        case kErrorNoMoreItems: return "No more data is available";
        default: return "System error " + DecimalText(code);
    }
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

namespace {
// Whether `text` names `path` itself, not only a path that starts with it ("C:\A" in "C:\A\b").
bool Names(const std::string& text, const std::string& path) {
    for (size_t at = text.find(path); at != std::string::npos; at = text.find(path, at + 1)) {
        const size_t end = at + path.size();
        if (end == text.size() || std::string_view(" :,;)\"'\r\n").find(text[end]) != std::string_view::npos)
            return true;
    }
    return false;
}
}  // namespace

std::string WithFailure(const std::string& text, const Failure& failure) {
    std::string added;
    if (!failure.path.empty() && !Names(text, failure.path)) added = failure.path;
    if (failure.code != kErrorSuccess) added += (added.empty() ? "error " : ", error ") + DecimalText(failure.code);
    return added.empty() ? text : text + " (" + added + ")";
}

}  // namespace zov::sys
