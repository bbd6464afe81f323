#include "ui/headless.h"

#include <algorithm>

#include "ui/application.h"
#include "ui/picture_info.h"
#include "ui/timer.h"

namespace zov::ui {
namespace {

class THeaderPicture : public TPictureData {
public:
    explicit THeaderPicture(TPictureInfo info) : info_(std::move(info)) {}
    int Width() const override { return info_.Width; }
    int Height() const override { return info_.Height; }
    int FrameCount() const override { return static_cast<int>(info_.FrameDelays.size()); }
    uint32_t FrameDelay(int frame) const override {
        return info_.FrameDelays[static_cast<size_t>(frame)];
    }

private:
    TPictureInfo info_;
};

constexpr int kIdleLimit = 100000;

}  // namespace

void THeadlessBackend::SetTimer(TTimer& timer, bool running) {
    running_.erase(std::remove_if(running_.begin(), running_.end(),
                                  [&](const Running& r) { return r.timer == &timer; }),
                   running_.end());
    if (running) running_.push_back({&timer, now_ + timer.Interval(), ++order_});
}

bool THeadlessBackend::FireNextTimer() {
    if (running_.empty()) return false;
    auto next = std::min_element(running_.begin(), running_.end(), [](const Running& a, const Running& b) {
        return a.due != b.due ? a.due < b.due : a.order < b.order;
    });
    TTimer* timer = next->timer;
    now_ = next->due;
    next->due = now_ + timer->Interval();  // runs on until disabled, as a system timer does
    next->order = ++order_;
    App().Dispatch([timer] { timer->Fire(); });
    return true;
}

void THeadlessBackend::HandleMessage() {
    if (OnIdle && OnIdle()) {
        if (++idleStreak_ > kIdleLimit)
            throw ELoopStalled{"the idle hook keeps acting without ending the loop"};
        return;
    }
    idleStreak_ = 0;
    if (FireNextTimer()) return;
    throw ELoopStalled{"a message loop waits with no timer running and nothing for the user to do"};
}

std::unique_ptr<TPictureData> THeadlessBackend::DecodePicture(const std::string& bytes) {
    std::optional<TPictureInfo> info = ReadPictureInfo(bytes);
    if (!info || info->Width <= 0 || info->Height <= 0) throw EInvalidGraphic("Invalid picture format");
    return std::make_unique<THeaderPicture>(std::move(*info));
}

}  // namespace zov::ui
