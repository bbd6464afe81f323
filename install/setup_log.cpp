#include "install/setup_log.h"

namespace zov {

TSetupFileLog::TSetupFileLog(const std::string& path, TEvent<void(const std::string&)> echo)
    : echo_(echo) {
    if (!path.empty())
        file_ = sys::Sys().OpenFile(path, sys::FileAccess::Write, sys::FileCreate::CreateAlways,
                                    sys::FileShare::DenyWrite);
}

void TSetupFileLog::Line(const std::string& text) {
    if (echo_) echo_(text);
    if (!file_) return;
    const std::string line = text + "\r\n";
    uint32_t done = 0;
    file_->Write(line.data(), static_cast<uint32_t>(line.size()), done);
}

}  // namespace zov
