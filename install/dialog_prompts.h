#pragma once
// The setup's questions put through the program's message boxes (ui::Dlg), for the front
// ends that have no prompts of their own yet. Failures of single files, links and counts
// are asked about only when `askFailures` is set; otherwise the install goes on without
// them, as the unattended setup does.
#include "install/setup_prompts.h"

namespace zov {

class TDialogPrompts : public TSetupPrompts {
public:
    explicit TDialogPrompts(bool askFailures) : askFailures_(askFailures) {}

    bool Overwrite(const std::string& name) override;
    TFailureChoice OnFailure(const std::string& what, const sys::Failure& failure) override;
    bool Confirm(const std::string& text, const std::string& caption) override;
    void Message(const std::string& text, const std::string& caption, TMessageKind kind) override;
    bool InsertDisk(uint16_t, const std::string&, std::string&) override { return false; }
    bool RetryDisk(uint16_t, const std::string&) override { return false; }
    void Pump() override;

private:
    bool askFailures_;
};

}  // namespace zov
