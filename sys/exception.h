#pragma once
// The root of every failure the setup reports: an exception that carries one message.
#include <exception>
#include <string>

#include "sys/sys_error.h"

namespace zov {

// Derived from std::exception with a plain string, not from std::runtime_error: the
// run-time library's exception classes bring a second string implementation along,
// which install.exe (it must fit on a floppy beside its payload) cannot afford.
class Exception : public std::exception {
public:
    explicit Exception(const std::string& message) : message_(message) {}
    // A failure of the system: the message for the user, and the code, path and reason
    // taken at the call that failed.
    Exception(const std::string& message, const sys::Failure& failure) : message_(message), failure_(failure) {}
    const char* what() const noexcept override { return message_.c_str(); }
    std::string Message() const { return message_; }
    // Empty (not Failed()) when the exception does not come from a call of the system.
    const sys::Failure& Failure() const { return failure_; }

private:
    std::string message_;
    sys::Failure failure_;
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
