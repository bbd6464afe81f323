#include "ui/pictures.h"

#include <algorithm>

#include "ui/application.h"
#include "ui/strings.h"

namespace zov::ui {
namespace {

// Frames shown for less than this look like flicker; GIFs with a zero delay get it.
constexpr uint32_t kShortestFrame = 20;
constexpr uint32_t kZeroDelayFrame = 100;

}  // namespace

void TPicture::Set(std::unique_ptr<TPictureData> data) {
    data_ = std::move(data);
    if (OnChange) OnChange();
}

void TPicture::LoadFromFile(const std::string& path) {
    // The bytes are read first, so the file is not held open while the picture is shown.
    Set(App().Backend().DecodePicture(LoadFileBytes(path)));
}

void TPicture::LoadFromResource(const std::string& name) {
    const std::string bytes = App().Backend().ResourceBytes(name);
    if (bytes.empty()) return;
    Set(App().Backend().DecodePicture(bytes));
}

void TPicture::Clear() {
    if (data_) Set(nullptr);
}

TImage::TImage(TWinControl* parent) : TControl(parent, TControlKind::Graphic) {
    SetBounds(0, 0, 105, 105);
    picture_.OnChange = [this] { PictureChanged(); };
}

void TImage::PictureChanged() {
    if (AutoSize && !picture_.Empty()) SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
    Invalidate();
}

void TImage::Paint(TCanvas& canvas) {
    if (const TPictureData* data = picture_.Data()) {
        const TRect dest = Stretch ? TRect{0, 0, Width(), Height()} : TRect{0, 0, data->Width(), data->Height()};
        canvas.DrawPicture(*data, 0, dest);
    }
}

TAnimatedImage::TAnimatedImage(TWinControl* parent) : TControl(parent, TControlKind::Graphic) {
    SetBounds(0, 0, 105, 105);
    picture_.OnChange = [this] { PictureChanged(); };
    timer_.OnTimer = [this] { NextFrame(); };
}

void TAnimatedImage::PictureChanged() {
    frame_ = 0;
    if (AutoSize && !picture_.Empty()) SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
    Schedule();
    Invalidate();
}

void TAnimatedImage::SetAnimate(bool animate) {
    if (animate == animate_) return;
    animate_ = animate;
    Schedule();
}

void TAnimatedImage::SetFrameIndex(int frame) {
    const TPictureData* data = picture_.Data();
    if (!data || frame < 0 || frame >= data->FrameCount() || frame == frame_) return;
    frame_ = frame;
    Schedule();
    Invalidate();
}

void TAnimatedImage::Schedule() {
    const TPictureData* data = picture_.Data();
    const bool run = animate_ && data && data->FrameCount() > 1 && App().Backend().Animates();
    timer_.SetEnabled(false);
    if (!run) return;
    const uint32_t delay = data->FrameDelay(frame_);
    timer_.SetInterval(delay == 0 ? kZeroDelayFrame : std::max(delay, kShortestFrame));
    timer_.SetEnabled(true);
}

void TAnimatedImage::NextFrame() {
    const TPictureData* data = picture_.Data();
    if (!data) return;
    SetFrameIndex((frame_ + 1) % data->FrameCount());
}

void TAnimatedImage::Paint(TCanvas& canvas) {
    if (const TPictureData* data = picture_.Data()) {
        const TRect dest = Stretch ? TRect{0, 0, Width(), Height()} : TRect{0, 0, data->Width(), data->Height()};
        canvas.DrawPicture(*data, frame_, dest);
    }
}

}  // namespace zov::ui
