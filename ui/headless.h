#pragma once
// Running without a window system: controls have no peers, timers run on a virtual clock,
// and whatever a user would do comes from the idle hook that tests install.
#include <cstdint>
#include <string>
#include <vector>

#include "sys/event.h"
#include "ui/backend.h"

namespace zov::ui {

// A message loop that would wait forever: nothing is due and the idle hook did nothing.
// Not a std::exception, so that no handler's error report swallows it.
struct ELoopStalled {
    std::string message;
};

class THeadlessBackend : public TBackend {
public:
    // Virtual milliseconds since the start.
    uint64_t Now() const { return now_; }
    // Called whenever a loop waits, before time moves on; returns true when it did
    // something (clicked, typed, closed a window).
    TEvent<bool()> OnIdle;
    // Moves the clock to the next running timer and fires it; false when none runs.
    bool FireNextTimer();
    size_t RunningTimers() const { return running_.size(); }

    std::unique_ptr<TControlPeer> CreatePeer(TControl&) override { return nullptr; }
    void HandleMessage() override;
    void Terminate() override {}
    void SetTimer(TTimer& timer, bool running) override;
    TPoint FrameExtent(const TForm&) override { return {}; }
    std::unique_ptr<TPictureData> DecodePicture(const std::string& bytes) override;
    std::string ResourceBytes(const std::string&) override { return {}; }
    bool Animates() const override { return false; }
    // Without fonts: a cell a fifth higher than the characters, each half as wide as high.
    TPoint TextExtent(const TFont& font, const std::string& text) override {
        return {static_cast<int>(text.size()) * font.Height / 2, font.Height * 6 / 5};
    }

private:
    struct Running {
        TTimer* timer;
        uint64_t due;
        uint64_t order;
    };
    std::vector<Running> running_;
    uint64_t now_ = 0;
    uint64_t order_ = 0;
    int idleStreak_ = 0;
};

}  // namespace zov::ui
