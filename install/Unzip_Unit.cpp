#include "install/Unzip_Unit.h"

#include <cctype>

#include "install/Setup_Unit1.h"
#include "install/free_space.h"
#include "install/payload.h"
#include "segment/seg_names.h"
#include "shell/system_helpers.h"
#include "sys/paths.h"
#include "sys/system.h"
#include "ui/application.h"

namespace zov {
namespace {

bool ContainsGif(std::string name) {
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name.find("GIF") != std::string::npos;
}

}  // namespace

TUnzip::TUnzip() {
    Unzip = this;
    Name = "Unzip";
    SetCaption("Preparing ZOV Setup");
    BorderStyle = ui::TFormBorderStyle::bsToolWindow;
    BorderIcons = 0;
    Position = ui::TPosition::poScreenCenter;
    SetClientSize(375, 92);

    Label1.SetBounds(44, 4, 325, 53);
    Label1.WordWrap = true;
    Label1.SetCaption(
        "Setup is preparing the ZOV Install Wizard which will guide you in the rest of you setup process.");
    RxGIFAnimator1.SetBounds(2, 8, 32, 32);
    RxGIFAnimator1.Stretch = true;
    RxGIFAnimator1.Image().LoadFromResource("BUSY");
    RxGIFAnimator1.SetFrameIndex(0);
    RxGIFAnimator1.SetAnimate(true);
    Panel1.SetBounds(44, 64, 325, 23);
    Panel1.BevelOuter = ui::TBevelCut::bvNone;
    Panel1.BorderStyle = ui::TBorderStyle::bsSingle;
    ProgressBar2.SetAlign(ui::TAlign::alClient);
    ProgressBar2.ForeColor = ui::clHighlight;
    ProgressBar2.BackColor = ui::clBtnFace;
    ProgressBar2.SetProgress(0);

    SegCompEZ1.SetSegBaseName("segdata");
    SegCompEZ1.SetSegDir("a:\\");
    SegCompEZ1.SetSegTmpDir("\\windows\\temp");
    SegCompEZ1.SetSegPopUp(false);
    SegCompEZ1.MakeDirectories = false;
    SegCompEZ1.ExceptionOnFileError = false;
    SegCompEZ1.CheckSpaceBeforeExpand = false;
    SegCompEZ1.Key = 0;
    SegCompEZ1.SetSegSize(1440000);
    SegCompEZ1.SegCompType = compress::coLZH5;
    SegCompEZ1.SegBuildMode = segment::bmRecursive;
    SegCompEZ1.SegMultiArc = true;
    SegCompEZ1.RepaintOwner = [this] { Repaint(); };

    Timer1.SetInterval(1000);
    Timer1.OnTimer = [this] { Timer1Timer(); };
    OnShow = [this] { FormShow(); };
    OnClick = [this] { FormClick(); };
    // The close command (Alt+F4) asks too, rather than closing under the running expansion.
    OnUserClose = [this] {
        FormClick();
        return true;
    };
    // Escape asks the same question as a click: the window has no button to press.
    OnDialogKey = [this](ui::TDialogKey key) {
        if (key != ui::TDialogKey::dkEscape) return false;
        FormClick();
        return true;
    };
}

TUnzip::~TUnzip() {
    if (Unzip == this) Unzip = nullptr;
}

void TUnzip::FormShow() {
    MainSetup->Run.Cancelled = false;
    Label1.SetCaption(MainSetup->Setup_Header.Caption() + " " + Label1.Caption() + "\rPlease Standby.");
    ProgressBar2.SetColor(MainSetup->MainScreen.FromColor());
    MarsCaption1.SetActiveStartColor(MainSetup->MainScreen.FromColor());
    MarsCaption1.SetActiveEndColor(MainSetup->MainScreen.ToColor());
    MarsCaption1.SetActiveTextColor(MainSetup->Setup_Header.Font().Color);
    ui::App().ProcessMessages();
    PictureShown = false;
    Timer1.SetEnabled(true);
}

void TUnzip::Timer1Timer() {
    Timer1.SetEnabled(false);
    MainSetup->Run.Cancelled = false;
    ExpandPayload();
}

void TUnzip::ExpandPayload() {
    TSetupRun& run = MainSetup->Run;
    // A temporary folder without room for the payload ends the setup before it writes there.
    if (const std::string shortage = SpaceShortage(ExpansionNeeds(run.Settings)); !shortage.empty()) {
        run.LogLine("FAILED " + shortage);
        ui::MessageDlg(shortage, ui::TMsgDlgType::mtError, ui::mbOK);
        run.Cancelled = true;
        Close();
        return;
    }
    const TPayloadOutcome outcome =
        zov::ExpandPayload(SegCompEZ1, run.Settings, MainSetup->Setup_Header.Caption(), *run.Prompts, *this, run.Log);
    if (outcome.End != TPayloadEnd::Expanded) {
        if (outcome.End == TPayloadEnd::Cancelled || run.Cancelled) {
            // The user's choice at a disk prompt, or the abort that stopped the expansion: the
            // setup ends cancelled, with no error box.
            run.LogLine("cancelled: " + (run.Cancelled ? std::string("aborted by the user") : outcome.Reason));
        } else {
            // Below the fixed words: which disk and file failed, and why (the log has it too).
            ui::ShowMessage("Error Expanding Files!!\r\r" + outcome.Reason);
        }
        run.Cancelled = true;
    }
    Close();
}

void TUnzip::Begin(int steps) {
    ProgressBar2.SetMaxValue(steps);
    ProgressBar2.SetProgress(0);
}

void TUnzip::Step(const std::string& target) {
    ProgressBar2.AddProgress(1);
    if (target.empty()) return;
    const TSetupSettings& settings = MainSetup->Run.Settings;
    if (!settings.BitmapFile.empty() && !PictureShown && FileExists(settings.TempDir + "\\" + settings.BitmapFile))
        ShowPicture();
}

void TUnzip::ShowPicture() {
    TMainSetup& screen = *MainSetup;
    const TSetupSettings& settings = screen.Run.Settings;
    const std::string path = settings.TempDir + "\\" + settings.BitmapFile;
    PictureShown = true;
    screen.Image3.Hide();
    screen.Image4.Hide();
    ui::TControl* picture = nullptr;
    if (ContainsGif(settings.BitmapFile)) {
        screen.Image3.AutoSize = true;
        screen.Image3.Image().LoadFromFile(path);
        picture = &screen.Image3;
    } else {
        screen.Image4.AutoSize = true;
        screen.Image4.Picture().LoadFromFile(path);
        picture = &screen.Image4;
    }
    picture->SetLeft(5);
    picture->SetTop(5);
    picture->Show();
    ui::TPanel& panel = screen.bitmapscreen;
    panel.SetWidth(picture->Width() + 10);
    panel.SetHeight(picture->Height() + 10);
    panel.Show();
    screen.Update();
    const int width = screen.MainScreen.Width();
    int left = width - panel.Width() - 20;
    if (settings.AlignCenter)
        left = width / 2 - panel.Width() / 2;
    else if (settings.AlignLeft)
        left = 20;
    panel.SetBounds(left, screen.Setup_Header2.Top() + 30, panel.Width(), panel.Height());
    screen.Repaint();
    ui::App().ProcessMessages();
}

void TUnzip::SegCompEZ1ShowProgress(int32_t& PercentageDone) {
    KeepResponding();
    if (MainSetup->Run.Cancelled) PercentageDone = -1;
}

// Inside one large file the progress reports (one per 8 KB read) are the only points where
// the window can answer a click, a key or the close command.
void TUnzip::KeepResponding() {
    ui::App().ProcessMessages();
}

void TUnzip::FormClick() {
    if (ui::MessageDlg("Abort Setup Process ?", ui::TMsgDlgType::mtWarning, ui::mbNo | ui::mbAbort) != ui::mrAbort)
        return;
    MainSetup->Run.Cancelled = true;
    MainSetup->ClearTempDir();
    ui::App().Terminate();
}

}  // namespace zov
