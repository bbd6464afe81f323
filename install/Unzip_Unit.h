#pragma once
// The preparation window TUnzip: expands the segmented payload flat into TempDir, asks for
// the next disk when a segment is missing, copies install.exe and install.cfg beside the
// payload and puts the configured picture on the main screen once it has been expanded.
// A click on its free area offers to abort.
#include <cstdint>
#include <string>

#include "segment/Segment.h"
#include "ui/caption_gradient.h"
#include "ui/containers.h"
#include "ui/form.h"
#include "ui/labels.h"
#include "ui/pictures.h"
#include "ui/progress.h"
#include "ui/timer.h"

namespace zov {

class TUnzip : public ui::TForm {
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

    std::string SegmentPath;  // the segment file the handler expects next
    std::string ExpandingFile;  // the payload file being expanded, for the failure message
    bool PictureShown = false;

    void FormShow();
    void Timer1Timer();
    // One expansion run; the window closes itself when it ends, fails or is aborted.
    void ExpandPayload();
    void SegCompEZ1SegBefore(segment::TSegMode SegMode, const std::string& SegName, uint16_t SegNumber);
    void SegCompEZ1CheckFile(std::string& filepath, compress::TCProcessMode mode);
    void SegCompEZ1ShowProgress(int32_t& PercentageDone);
    void FormClick();

private:
    void ShowPicture();
    void KeepResponding();
};

// The preparation window, while it exists.
inline TUnzip* Unzip = nullptr;

}  // namespace zov
