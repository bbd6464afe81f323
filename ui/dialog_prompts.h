#pragma once
// The setup's questions and messages as its windows put them: message boxes and the input
// query of the dialogs (ui::Dlg()), with the texts the user knows. The setup's work asks
// only through TSetupPrompts; this is the one implementation of it that shows a box.
#include <cstdint>
#include <string>

#include "install/setup_prompts.h"

namespace zov::ui {

class TDialogPrompts : public TSetupPrompts {
public:
    // How a missing disk is asked for.
    enum class TDiskQuestion : uint8_t {
        Box,        // "Unable to locate "disk.002" on this segment!" with OK and Cancel
        Floppy,     // "Please Insert Disk #N into Floppy Drive." twice, then the box above
        Directory,  // "Mount Segment #N": the directory to look in, typed (again while empty)
    };
    explicit TDialogPrompts(TDiskQuestion disk = TDiskQuestion::Box) : disk_(disk) {}

    bool InsertDisk(uint16_t number, const std::string& path, std::string& dir) override;
    bool RetryDisk(uint16_t number, const std::string& problem) override;
    void Pump() override;
    bool Overwrite(const std::string& name) override;
    TFailureChoice OnFailure(const std::string& what, const sys::Failure& failure) override;
    bool Confirm(const std::string& text, const std::string& caption) override;
    void Message(const std::string& text, const std::string& caption, TMessageKind kind) override;

private:
    bool AskForDisk(uint16_t number, const std::string& path, std::string& dir);
    TDiskQuestion disk_;
    uint16_t askedFor_ = 0;  // the disk asked for last, and how often in a row
    int asks_ = 0;
};

}  // namespace zov::ui
