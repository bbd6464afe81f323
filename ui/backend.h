#pragma once
// What the window layer needs of a window system. The Win32 backend shows real windows;
// the headless one (ui/headless.h) runs the same controls without any, on a virtual clock.
#include <cstdint>
#include <memory>
#include <string>

#include "sys/exception.h"
#include "ui/control.h"

namespace zov::ui {

class TForm;
class TTimer;

// A picture file that cannot be read as a picture.
ZOV_EXCEPTION(EInvalidGraphic);

// A decoded picture: still, or the frames of an animation.
class TPictureData {
public:
    virtual ~TPictureData() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual int FrameCount() const { return 1; }
    virtual uint32_t FrameDelay(int) const { return 100; }  // milliseconds
};

class TBackend {
public:
    virtual ~TBackend() = default;

    // The on-screen side of a control; null when there is none.
    virtual std::unique_ptr<TControlPeer> CreatePeer(TControl& control) = 0;
    // Waits for the next event and handles it.
    virtual void HandleMessage() = 0;
    // Lets pending events run and returns; false when the dialogs' own pump is to run instead.
    virtual bool ProcessMessages() { return false; }
    // Wakes a waiting HandleMessage (a modal result was set).
    virtual void Wake() {}
    // The application is ending: leave every message loop.
    virtual void Terminate() = 0;
    virtual void SetTimer(TTimer& timer, bool running) = 0;
    // The width and height a form's window adds to its client area.
    virtual TPoint FrameExtent(const TForm& form) = 0;
    // A form is shown modally: the other windows stop taking input until EndModal.
    virtual void BeginModal(TForm&) {}
    virtual void EndModal(TForm&) {}
    // Raises EInvalidGraphic when the bytes are no picture it can show.
    virtual std::unique_ptr<TPictureData> DecodePicture(const std::string& bytes) = 0;
    // A picture stored with the program; empty when there is none.
    virtual std::string ResourceBytes(const std::string& name) = 0;
    // Whether animated pictures run (they need a real screen).
    virtual bool Animates() const = 0;
    // The size of one line of text in a font.
    virtual TPoint TextExtent(const TFont& font, const std::string& text) = 0;
};

}  // namespace zov::ui
