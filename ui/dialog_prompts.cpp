#include "ui/dialog_prompts.h"

#include "sys/decimal.h"
#include "sys/paths.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "sys/concat.h"

namespace zov::ui {

bool TDialogPrompts::InsertDisk(uint16_t number, const std::string& path, std::string& dir) {
    const bool answered = AskForDisk(number, path, dir);
    // A cancel ends the asking: a later expansion asks for the disk from the start.
    if (!answered) askedFor_ = 0;
    return answered;
}

bool TDialogPrompts::AskForDisk(uint16_t number, const std::string& path, std::string& dir) {
    asks_ = number == askedFor_ ? asks_ + 1 : 1;
    askedFor_ = number;
    switch (disk_) {
        case TDiskQuestion::Directory:
            for (;;) {
                std::string typed = dir;
                if (!Dlg().InputQuery("Mount Segment #" + DecimalText(number), "Directory Path:", typed))
                    return false;
                if (!typed.empty()) {
                    dir = typed;
                    return true;
                }
            }
        case TDiskQuestion::Floppy:
            // The floppy prompt twice, then the reader's own box, and so on while it is missing.
            if (asks_ % 3 != 0)
                return MessageDlg(Concat({"Please Insert Disk #", DecimalText(number), " into Floppy Drive."}),
                                  TMsgDlgType::mtCustom, mbOK | mbCancel) == mrOk;
            break;
        case TDiskQuestion::Box: break;
    }
    return Dlg().MessageDlg(segment::MissingSegmentText(FileNamePart(path)), "Error", mbOK | mbCancel,
                            TMsgDlgType::mtError) == mrOk;
}

bool TDialogPrompts::RetryDisk(uint16_t, const std::string& problem) {
    return Dlg().MessageDlg(segment::RetryDiskText(problem), "Error", mbOK | mbCancel, TMsgDlgType::mtError) == mrOk;
}

void TDialogPrompts::Pump() { App().ProcessMessages(); }

bool TDialogPrompts::Overwrite(const std::string& name) {
    return Dlg().MessageDlg(Concat({"File Already Exists (", name, "). Overwrite?"}), "Confirm", mbYes | mbNo,
                            TMsgDlgType::mtConfirmation) == mrYes;
}

TFailureChoice TDialogPrompts::OnFailure(const std::string& what, const sys::Failure& failure) {
    switch (Dlg().MessageDlg(Concat({what, "\r\r", failure.Describe()}), "Error", mbAbort | mbRetry | mbIgnore,
                             TMsgDlgType::mtError)) {
        case mrRetry: return TFailureChoice::Retry;
        case mrIgnore: return TFailureChoice::Ignore;
        default: return TFailureChoice::Abort;
    }
}

bool TDialogPrompts::Confirm(const std::string& text, const std::string& caption) {
    return Dlg().MessageDlg(text, caption, mbYes | mbNo | mbDefaultNo, TMsgDlgType::mtConfirmation) == mrYes;
}

void TDialogPrompts::Message(const std::string& text, const std::string& caption, TMessageKind kind) {
    const TMsgDlgType type = kind == TMessageKind::Error     ? TMsgDlgType::mtError
                             : kind == TMessageKind::Warning ? TMsgDlgType::mtWarning
                                                             : TMsgDlgType::mtInformation;
    Dlg().MessageDlg(text, caption.empty() ? App().Title : caption, mbOK, type);
}

}  // namespace zov::ui
