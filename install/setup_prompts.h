#pragma once
// Every question the setup's work puts, and every message it shows, through one interface
// that each front end passes in: the wizard asks the user, the unattended setup (/S) and
// the Linux programs answer with their defaults and log what they answered. The engine,
// the segment reader and the payload stage receive it as an argument.
#include <string>

#include "segment/seg_prompts.h"
#include "sys/sys_error.h"

namespace zov {

enum class TFailureChoice { Retry, Ignore, Abort };
enum class TMessageKind { Information, Warning, Error };

class TSetupPrompts : public segment::TDiskPrompts {
public:
    // "File Already Exists (NAME). Overwrite?": true replaces the file.
    virtual bool Overwrite(const std::string& name) = 0;
    // A step whose failure need not end the install (a payload file, a link, a shared
    // count) failed: try it again, go on without it, or stop and undo the install.
    virtual TFailureChoice OnFailure(const std::string& what, const sys::Failure& failure) = 0;
    // A question whose safe answer is No (stop the installation?, remove them too?).
    virtual bool Confirm(const std::string& text, const std::string& caption) = 0;
    virtual void Message(const std::string& text, const std::string& caption, TMessageKind kind) = 0;
};

}  // namespace zov
