#include "install/setup_log.h"

namespace zov {

TSetupFileLog::TSetupFileLog(const std::string& path, TEvent<void(const std::string&)> echo)
    : echo_(echo) {
    if (path.empty()) return;
    file_ = sys::Sys().OpenFile(path, sys::FileAccess::Write, sys::FileCreate::CreateAlways, sys::FileShare::DenyWrite);
    if (!file_) failure_ = sys::FailureOf(path);
    path_ = path;
}

void TSetupFileLog::Line(const std::string& text) {
    if (echo_) echo_(text);
    if (!file_) return;
    const std::string line = text + "\r\n";
    uint32_t done = 0;
    if (file_->Write(line.data(), static_cast<uint32_t>(line.size()), done) && done == line.size()) return;
    failure_ = sys::FailureOf(path_);
    if (failure_.code == sys::kErrorSuccess) failure_ = {sys::kErrorDiskFull, path_, sys::kDiskFullText};
    file_.reset();
}

}  // namespace zov
