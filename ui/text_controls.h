#pragma once
// Controls that show text the system draws: memos, check list boxes, and a directory edit
// with a browse button.
#include <string>
#include <vector>

#include "sys/event.h"
#include "ui/containers.h"
#include "ui/control.h"
#include "ui/strings.h"

namespace zov::ui {

enum class TScrollStyle : uint8_t { ssNone, ssVertical };

class TMemo : public TControl {
public:
    explicit TMemo(TWinControl* parent);

    TStrings& Lines() { return lines_; }
    const TStrings& Lines() const { return lines_; }
    bool ReadOnly = false;
    bool WordWrap = true;
    TScrollStyle ScrollBars = TScrollStyle::ssNone;
    TBorderStyle BorderStyle = TBorderStyle::bsSingle;

private:
    TStrings lines_;
};

class TCheckListBox : public TControl {
public:
    explicit TCheckListBox(TWinControl* parent);

    // Added items start unchecked; clearing the items clears their marks.
    TStrings& Items() { return items_; }
    const TStrings& Items() const { return items_; }
    bool Checked(size_t index) const { return checked_[index]; }
    void SetChecked(size_t index, bool checked);
    // The user's click on an item's box: the mark flips, then OnClickCheck.
    void ClickCheck(size_t index);

    TEvent<void()> OnClickCheck;

private:
    TStrings items_;
    std::vector<bool> checked_;
};

class TDirectoryEdit : public TControl {
public:
    explicit TDirectoryEdit(TWinControl* parent);

    const std::string& Text() const { return Caption(); }
    void SetText(const std::string& text) { SetCaption(text); }
    // What the browse button does: the system's folder picker, starting at the text; a
    // chosen directory replaces the text, then OnPicked. Its hint is the control's Hint.
    void Browse();
    TEvent<void()> OnPicked;
    std::string DialogTitle = "Select Directory";
};

}  // namespace zov::ui
