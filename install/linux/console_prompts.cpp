#include "install/linux/console_prompts.h"

#include <cctype>
#include <istream>
#include <ostream>

#include "sys/decimal.h"

namespace zov {
namespace {

// Line breaks of a message box as the terminal's.
std::string Lines(std::string text) {
    for (char& c : text)
        if (c == '\r') c = '\n';
    return text;
}

}  // namespace

char TConsolePrompts::Ask(const std::string& text, const char* choices) {
    out_ << Lines(text) << " " << choices << " " << std::flush;
    std::string answer;
    if (!std::getline(in_, answer) || answer.empty()) return 0;
    return static_cast<char>(std::tolower(static_cast<unsigned char>(answer[0])));
}

bool TConsolePrompts::InsertDisk(uint16_t number, const std::string& path, std::string&) {
    return Ask("Please Insert Disk #" + DecimalText(number) + " (" + path + ") and answer y to go on.", "[y/N]") == 'y';
}

bool TConsolePrompts::RetryDisk(uint16_t, const std::string& problem) {
    return Ask(problem + "\rLook again?", "[y/N]") == 'y';
}

bool TConsolePrompts::Overwrite(const std::string& name) {
    return Ask("File Already Exists (" + name + "). Overwrite?", "[y/N]") == 'y';
}

TFailureChoice TConsolePrompts::OnFailure(const std::string& what, const sys::Failure& failure) {
    switch (Ask(what + "\r" + failure.Describe(), "[r]etry, [i]gnore or [A]bort?")) {
        case 'r': return TFailureChoice::Retry;
        case 'i': return TFailureChoice::Ignore;
        default: return TFailureChoice::Abort;
    }
}

bool TConsolePrompts::Confirm(const std::string& text, const std::string&) { return Ask(text, "[y/N]") == 'y'; }

void TConsolePrompts::Message(const std::string& text, const std::string&, TMessageKind) {
    out_ << Lines(text) << "\n";
}

}  // namespace zov
