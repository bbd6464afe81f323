#pragma once
// Controls that hold others: bevelled panels, group boxes, and the page notebook; and the
// bevel, a framed line or box painted by its parent.
#include <string>
#include <vector>

#include "sys/event.h"
#include "ui/control.h"

namespace zov::ui {

enum class TBevelCut : uint8_t { bvNone, bvLowered, bvRaised };
enum class TBorderStyle : uint8_t { bsNone, bsSingle };

class TPanel : public TWinControl {
public:
    explicit TPanel(TWinControl* parent);

    TBevelCut BevelOuter = TBevelCut::bvRaised;
    TBevelCut BevelInner = TBevelCut::bvNone;
    int BevelWidth = 1;
    TBorderStyle BorderStyle = TBorderStyle::bsNone;

    TRect ClientArea() const override;
    void Paint(TCanvas& canvas) override;
};

class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TWinControl* parent);
    TRect ClientArea() const override;
    void Paint(TCanvas& canvas) override;
};

enum class TBevelShape : uint8_t { bsBox, bsTopLine, bsBottomLine };
enum class TBevelStyle : uint8_t { bsLowered, bsRaised };

class TBevel : public TControl {
public:
    explicit TBevel(TWinControl* parent);
    TBevelShape Shape = TBevelShape::bsBox;
    TBevelStyle Style = TBevelStyle::bsLowered;
    void Paint(TCanvas& canvas) override;
};

class TPage;

// Pages on top of one another, one shown at a time.
class TNotebook : public TWinControl {
public:
    explicit TNotebook(TWinControl* parent);
    ~TNotebook() override;

    int PageIndex() const { return pageIndex_; }
    // Shows page `index` and raises OnPageChanged before returning. The page already
    // shown, or an index outside the pages, changes nothing and raises nothing.
    void SetPageIndex(int index);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TPage& Page(int index) { return *pages_[static_cast<size_t>(index)]; }

    TEvent<void()> OnPageChanged;

private:
    friend class TPage;
    std::vector<TPage*> pages_;
    int pageIndex_ = -1;
};

class TPage : public TWinControl {
public:
    // Named by its caption; the first page of a notebook is the one shown.
    TPage(TNotebook& notebook, const std::string& caption);
    ~TPage() override;

private:
    friend class TNotebook;
    TNotebook* notebook_;
};

}  // namespace zov::ui
