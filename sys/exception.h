#pragma once
// The root of every failure the setup reports: an exception that carries one message.
#include <stdexcept>
#include <string>

namespace zov {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Declares a class derived directly from Exception that carries only its message.
#define ZOV_EXCEPTION(Name)                                                   \
    class Name : public ::zov::Exception {                                    \
    public:                                                                   \
        using ::zov::Exception::Exception;                                    \
    }

// Stream and file failures of the runtime.
ZOV_EXCEPTION(EStreamError);
ZOV_EXCEPTION(EReadError);
ZOV_EXCEPTION(EWriteError);
ZOV_EXCEPTION(EFOpenError);    // "Cannot open file %s"
ZOV_EXCEPTION(EFCreateError);  // "Cannot create file %s"
ZOV_EXCEPTION(EInOutError);    // the run-time library's input/output error

}  // namespace zov
