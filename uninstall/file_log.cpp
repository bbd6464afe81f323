#include "uninstall/file_log.h"

namespace zov {

TFileLog::TFileLog(const std::string& path)
    : file_(sys::Sys().OpenFile(path, sys::FileAccess::Write, sys::FileCreate::CreateAlways,
                                sys::FileShare::DenyWrite)) {}

void TFileLog::Line(const std::string& text) {
    if (!file_) return;
    const std::string line = text + "\r\n";
    uint32_t done = 0;
    file_->Write(line.data(), static_cast<uint32_t>(line.size()), done);
}

}  // namespace zov
