#include "sys/sys_error.h"

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

std::string WithFailure(const std::string& text, const Failure& failure) {
    std::string added;
    if (!failure.path.empty() && text.find(failure.path) == std::string::npos) added = failure.path;
    if (failure.code != kErrorSuccess) added += (added.empty() ? "error " : ", error ") + DecimalText(failure.code);
    return added.empty() ? text : text + " (" + added + ")";
}

}  // namespace zov::sys
