#pragma once
// The /LOG=file of the uninstaller: one line per action, written at once so that a run
// that ends badly still leaves what it did.
#include <memory>
#include <string>

#include "install/wizard/install_engine.h"
#include "sys/system.h"

namespace zov {

class TFileLog : public TInstallLog {
public:
    // Creates or empties the file; IsOpen() tells whether that worked.
    explicit TFileLog(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }
    void Line(const std::string& text) override;

private:
    std::unique_ptr<sys::File> file_;
};

}  // namespace zov
