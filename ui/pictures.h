#pragma once
// Pictures loaded from files or from the program itself, shown still or animated.
#include <memory>
#include <string>

#include "sys/event.h"
#include "ui/backend.h"
#include "ui/control.h"
#include "ui/timer.h"

namespace zov::ui {

class TPicture {
public:
    // Raises EFOpenError when the file cannot be read, EInvalidGraphic when it is no
    // picture.
    void LoadFromFile(const std::string& path);
    // A picture stored with the program; stays empty when there is none.
    void LoadFromResource(const std::string& name);
    void Clear();

    bool Empty() const { return !data_; }
    int Width() const { return data_ ? data_->Width() : 0; }
    int Height() const { return data_ ? data_->Height() : 0; }
    const TPictureData* Data() const { return data_.get(); }

    TEvent<void()> OnChange;

private:
    void Set(std::unique_ptr<TPictureData> data);
    std::unique_ptr<TPictureData> data_;
};

// A still picture.
class TImage : public TControl {
public:
    explicit TImage(TWinControl* parent);

    TPicture& Picture() { return picture_; }
    bool AutoSize = false;  // take the picture's size when one is loaded
    bool Stretch = false;
    void Paint(TCanvas& canvas) override;

private:
    void PictureChanged();
    TPicture picture_;
};

// A picture whose frames follow one another at the delays stored in it.
class TAnimatedImage : public TControl {
public:
    explicit TAnimatedImage(TWinControl* parent);

    TPicture& Image() { return picture_; }
    bool AutoSize = false;
    bool Stretch = false;
    bool Animate() const { return animate_; }
    void SetAnimate(bool animate);
    int FrameIndex() const { return frame_; }
    void SetFrameIndex(int frame);
    void Paint(TCanvas& canvas) override;

private:
    void PictureChanged();
    void NextFrame();
    void Schedule();
    TPicture picture_;
    TTimer timer_;
    bool animate_ = false;
    int frame_ = 0;
};

}  // namespace zov::ui
