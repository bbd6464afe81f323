#pragma once
// The preparation window TUnzip: expands the segmented payload flat into TempDir, asks for
// the next disk when a segment is missing, copies install.exe and install.cfg beside the
// payload and puts the configured picture on the main screen once it has been expanded.
// A click on its free area offers to abort.
#include <cstdint>
#include <string>

#include "install/payload.h"
#include "segment/Segment.h"
#include "ui/caption_gradient.h"
#include "ui/containers.h"
#include "ui/form.h"
#include "ui/labels.h"
#include "ui/pictures.h"
#include "ui/progress.h"
#include "ui/timer.h"

namespace zov {

class TUnzip : public ui::TForm, public TPayloadView {
public:
    TUnzip();
    ~TUnzip() override;

    ui::TLabel Label1{this};
    ui::TAnimatedImage RxGIFAnimator1{this};
    ui::TPanel Panel1{this};
    ui::TGauge ProgressBar2{&Panel1};
    segment::TSegCompEZ SegCompEZ1;
    ui::TTimer Timer1;
    ui::TCaptionGradient MarsCaption1{*this};

    bool PictureShown = false;

    void FormShow();
    void Timer1Timer();
    // One expansion run; the window closes itself when it ends, fails or is aborted.
    void ExpandPayload();
    void SegCompEZ1ShowProgress(int32_t& PercentageDone);
    void FormClick();

    // What the expansion shows: the gauge, the picture, the abort.
    void Begin(int steps) override;
    void Step(const std::string& target) override;
    void Progress(int32_t& percentage) override { SegCompEZ1ShowProgress(percentage); }

private:
    void ShowPicture();
    void KeepResponding();
};

// The preparation window, while it exists.
inline TUnzip* Unzip = nullptr;

}  // namespace zov
