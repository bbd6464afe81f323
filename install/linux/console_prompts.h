#pragma once
// The questions of the setup's work on a terminal, for the Linux programs: messages are
// printed, a question reads its answer from standard input (Enter takes the safe one).
#include <iosfwd>
#include <string>

#include "install/setup_prompts.h"

namespace zov {

class TConsolePrompts : public TSetupPrompts {
public:
    TConsolePrompts(std::istream& in, std::ostream& out) : in_(in), out_(out) {}
    bool InsertDisk(uint16_t number, const std::string& path, std::string& dir) override;
    bool RetryDisk(uint16_t number, const std::string& problem) override;
    bool Overwrite(const std::string& name) override;
    TFailureChoice OnFailure(const std::string& what, const sys::Failure& failure) override;
    bool Confirm(const std::string& text, const std::string& caption) override;
    void Message(const std::string& text, const std::string& caption, TMessageKind kind) override;

private:
    // Prints `text` and `choices`, and returns the first letter answered, lower-cased; 0 for
    // an empty answer or the end of the input.
    char Ask(const std::string& text, const char* choices);
    std::istream& in_;
    std::ostream& out_;
};

}  // namespace zov
