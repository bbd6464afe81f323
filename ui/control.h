#pragma once
// The base of every control: an object that holds its state (bounds, visibility, text,
// colour, font) and its events. A backend may give it a peer that shows it on screen;
// without one it runs headless and behaves the same to the code that drives it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sys/event.h"
#include "sys/exception.h"
#include "ui/canvas.h"
#include "ui/font.h"
#include "ui/types.h"

namespace zov::ui {

class TWinControl;
class TForm;

// A call that does not fit the control's state (showing a visible form modally).
ZOV_EXCEPTION(EInvalidOperation);

// What a peer has to show anew.
enum TChange : uint32_t {
    chBounds = 1u << 0,
    chVisible = 1u << 1,
    chEnabled = 1u << 2,
    chText = 1u << 3,
    chFont = 1u << 4,
    chColor = 1u << 5,
    chState = 1u << 6,   // checked, position, page, pressed look
    chItems = 1u << 7,   // lines or list items
    chPaint = 1u << 8,   // repaint later
    chUpdate = 1u << 9,  // repaint now
    chFocus = 1u << 10,  // take the keyboard focus
    chFrame = 1u << 11,  // a form's title bar and border
};

// How a backend shows a control.
enum class TControlKind : uint8_t {
    Graphic,      // painted by its parent (labels, pictures, gauge, gradient, bevel)
    Container,    // a window that paints itself and holds others (panel, page, group box)
    Form,
    Button,       // a push button that paints itself
    CheckBox,
    RadioButton,
    Memo,
    DirectoryEdit,
    CheckList,
    ProgressBar,
};

// The on-screen side of a control.
class TControlPeer {
public:
    virtual ~TControlPeer() = default;
    virtual void Changed(uint32_t what) = 0;
};

class TControl {
public:
    TControl(TWinControl* parent, TControlKind kind);
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    std::string Name;
    TControlKind Kind() const { return kind_; }
    TWinControl* Parent() const { return parent_; }
    TForm* Form();
    // The control as a holder of others; null for controls that hold none.
    virtual TWinControl* AsContainer() { return nullptr; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    TRect BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent too.
    bool Showing() const;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // The caption of a label, button or form; the text of an edit.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);

    TColor Color() const;
    void SetColor(TColor color);
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    std::string Hint;
    TCursor Cursor = TCursor::crDefault;

    TEvent<void()> OnClick;
    // What a click of the user does.
    virtual void Click();

    // Draws the control in its own coordinates: the whole look of a graphic control, the
    // face of a button, the frame and background of a container.
    virtual void Paint(TCanvas&) {}

    void Invalidate() { Changed(chPaint); }
    void Update() { Changed(chUpdate); }
    void Repaint() { Changed(chPaint | chUpdate); }
    void SetFocus() { Changed(chFocus); }

    TControlPeer* Peer() const { return peer_.get(); }
    // Gives this control and all it holds their peers (when a form is first shown).
    void CreatePeers();

    // For the backend: the system moved or resized the window, or the user typed a new
    // text; the peer is not told back.
    void BoundsFromSystem(int left, int top, int width, int height);
    void CaptionFromSystem(const std::string& caption) { caption_ = caption; }

protected:
    void Changed(uint32_t what) {
        if (peer_) peer_->Changed(what);
    }
    virtual void Resized() {}
    virtual void FontChanged(bool inherited);
    virtual void CaptionChanged() { Changed(chText); }
    bool parentColor_ = false;  // the colour follows the parent's
    bool parentFont_ = true;    // the font follows the parent's until set

private:
    friend class TWinControl;
    void ApplyBounds(int left, int top, int width, int height, bool tellPeer);

    TWinControl* parent_;
    TControlKind kind_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    std::string caption_;
    TColor color_ = clBtnFace;
    TFont font_;
    TAlign align_ = TAlign::alNone;
    std::unique_ptr<TControlPeer> peer_;
};

class TWinControl : public TControl {
public:
    using TControl::TControl;
    ~TWinControl() override;

    TWinControl* AsContainer() override { return this; }
    const std::vector<TControl*>& Controls() const { return controls_; }
    // The area aligned children share, in this control's coordinates.
    virtual TRect ClientArea() const { return {0, 0, Width(), Height()}; }
    // Lays out the children that have an alignment, in creation order.
    void AlignControls();
    // The topmost visible graphic child under a point of the client area, if any.
    TControl* GraphicControlAt(int x, int y) const;

protected:
    void Resized() override { AlignControls(); }
    void FontChanged(bool inherited) override;

private:
    friend class TControl;
    std::vector<TControl*> controls_;
    bool aligning_ = false;
};

}  // namespace zov::ui
