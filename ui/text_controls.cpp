#include "ui/text_controls.h"

#include "ui/dialogs.h"

namespace zov::ui {

TMemo::TMemo(TWinControl* parent) : TControl(parent, TControlKind::Memo) {
    SetColor(clWindow);
    SetBounds(0, 0, 185, 89);
    lines_.OnChange = [this] { Changed(chItems); };
}

TCheckListBox::TCheckListBox(TWinControl* parent) : TControl(parent, TControlKind::CheckList) {
    SetColor(clWindow);
    SetBounds(0, 0, 121, 97);
    items_.OnChange = [this] {
        checked_.resize(items_.Count(), false);
        Changed(chItems);
    };
}

void TCheckListBox::SetChecked(size_t index, bool checked) {
    if (index >= checked_.size() || checked_[index] == checked) return;
    checked_[index] = checked;
    Changed(chState);
}

void TCheckListBox::ClickCheck(size_t index) {
    if (index >= checked_.size()) return;
    SetChecked(index, !checked_[index]);
    if (OnClickCheck) OnClickCheck();
}

TDirectoryEdit::TDirectoryEdit(TWinControl* parent) : TControl(parent, TControlKind::DirectoryEdit) {
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
}

void TDirectoryEdit::Browse() {
    std::string dir = Text();
    if (!Dlg().SelectDirectory(DialogTitle, dir)) return;
    SetText(dir);
    if (OnPicked) OnPicked();
}

}  // namespace zov::ui
