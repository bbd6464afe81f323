// The wizard's pages, their controls and texts.
#include "install/wizard/Setup_Unit2.h"

#include "ui/glyphs.h"

namespace zov {
namespace {

constexpr char kWelcome[] =
    "Setup will now install the software on your computer.\r\n\r\n"
    "Please close all other programs before you go on: a program left running can keep Setup from "
    "replacing the files it uses.\r\n\r\n"
    "Click Cancel to quit Setup, close your programs and start Setup again; you may have to restart "
    "Windows first. Click Next to continue.\r\n\r\n"
    "WARNING: This program is protected by copyright. Copying it, or giving it to others, without "
    "the permission of its owner is not allowed and may be punished by law.";

// Shown nowhere: FormShow replaces it with license.txt before the licence page can appear,
// except when the wizard opens past its welcome page (see the settings' ShowWarningScreen).
constexpr char kBuiltInLicense[] = "LICENSE AGREEMENT\r\n\r\nSee license.txt.\r\n";

// Texts are passed as plain pointers: one string is made inside instead of one at each of
// the many calls.
constexpr const char* kDestinationText[] = {
    "Setup will now install Software into the following directory", "",
    "To install to this directory, click next.", "",
    "To install to different directory, click browse and select another directory.", "",
    "you can choose not to install by clicking cancel."};

void Place(ui::TControl& control, int left, int top, int width, int height, const char* caption = nullptr) {
    control.SetBounds(left, top, width, height);
    if (caption) control.SetCaption(caption);
}

void Title(ui::TLabel& label, const char* text) {
    Place(label, 8, 6, 417, 16, text);
    ui::TFont font = label.Font();
    font.Bold = true;
    label.SetFont(font);
}

void ReadOnlyText(ui::TMemo& memo, ui::TColor color, bool border) {
    memo.ReadOnly = true;
    memo.SetColor(color);
    memo.BorderStyle = border ? ui::TBorderStyle::bsSingle : ui::TBorderStyle::bsNone;
}

void Button(ui::TFlatButton& button, int left, const char* caption, const ui::TGlyph* glyph) {
    Place(button, left, 3, 75, 24, caption);
    button.Glyph = glyph;
}

}  // namespace

TZOV::TZOV() {
    ZOV = this;
    Name = "ZOV";
    SetCaption("ZOV32 - Setup");
    BorderStyle = ui::TFormBorderStyle::bsToolWindow;
    Position = ui::TPosition::poScreenCenter;
    ui::TFont font = Font();
    font.Name = "MS Sans Serif";
    font.SetSize(8);
    SetFont(font);
    SetClientSize(433, 263);

    Notebook1.SetHeight(225);
    Notebook1.SetAlign(ui::TAlign::alTop);

    WelcomeIcon.SetBounds(16, 16, 32, 32);
    WelcomeIcon.Picture().LoadFromResource("SETUPICON");
    Place(WelcomeText, 64, 12, 355, 205);
    ReadOnlyText(WelcomeText, ui::clBtnFace, false);
    WelcomeText.Lines().SetText(kWelcome);

    Place(Label3, 8, 6, 417, 28,
          "Click on Accept to continue with install process. pgdn/pgup to view License information.");
    Label3.WordWrap = true;
    Place(Memo3, 8, 36, 417, 142);
    ReadOnlyText(Memo3, ui::clWindow, true);
    Memo3.ScrollBars = ui::TScrollStyle::ssVertical;
    Memo3.Lines().SetText(kBuiltInLicense);
    Place(LicenseStrip, 0, 181, 433, 44);
    LicenseStrip.BevelOuter = ui::TBevelCut::bvNone;
    Place(decline, 8, 10, 75, 24, "&Decline");
    decline.Glyph = &ui::kGlyphCancel;
    Place(accept, 88, 10, 75, 24, "&Accept");
    accept.Glyph = &ui::kGlyphInstall;
    Place(Label4, 172, 6, 253, 34,
          "You must select Accept or Decline to Continue with installation. if you accept License then click "
          "Accept!");
    Label4.WordWrap = true;

    DestinationIcon.SetBounds(16, 16, 32, 32);
    DestinationIcon.Picture().LoadFromResource("SETUPICON");
    Place(Memo2, 64, 8, 355, 134);
    ReadOnlyText(Memo2, ui::clBtnFace, false);
    for (const char* line : kDestinationText) Memo2.Lines().Add(line);
    Place(DestinationBox, 64, 148, 355, 56, " Destination  Directory ");
    Place(Main_Dir, 10, 22, 335, 22);
    Main_Dir.Hint = "Browse for Directory";

    Title(FoldersTitle, "Create Folder's and Shortcuts.");
    // Room for the texts in a larger system font too.
    Place(MainFolderLabel, 8, 30, 84, 13, "Main Folder:");
    Place(CreateFolder, 96, 30, 329, 13);
    Place(CheckBox1, 8, 50, 200, 17, "Add Folder to Start Menu");
    Place(CheckBox2, 220, 50, 200, 17, "Add Folder to Desktop");
    Place(DesktopLabel, 8, 76, 204, 13, "Add Shortcut to Desktop?");
    Place(DK, 8, 92, 204, 126);
    Place(StartMenuLabel, 220, 76, 205, 13, "Add Shortcut to Startmenu?");
    Place(SM, 220, 92, 205, 126);

    Title(InstallTypeTitle, "What type of install to Execute");
    Place(full, 24, 40, 390, 17, "Full Install ( All Files will be installed )");
    Place(min, 24, 64, 390, 17, "Only Files need to run from Network will be installed");

    Title(ReadyTitle, "Ready to Start Installing Software");
    Place(RadioButton1, 8, 28, 417, 17, "Launch Program after installed");
    Place(Label2, 26, 45, 399, 13);
    Place(RadioButton2, 8, 62, 417, 17, "Return to Windows after installed");
    Place(reboot, 8, 80, 417, 17, "Re Boot Windows After installed");
    Place(Memo4, 8, 102, 417, 118);
    ReadOnlyText(Memo4, ui::clWindow, true);
    Memo4.ScrollBars = ui::TScrollStyle::ssVertical;

    Place(source, 8, 40, 417, 13, "Copy Source");
    Place(Dest, 8, 60, 417, 13, "Copy to");
    Place(ProgressBar1, 8, 90, 417, 16);
    Button(StopButton, 350, "&Cancel", &ui::kGlyphCancel);
    StopButton.SetTop(8);
    StopButton.Cancel = true;  // Escape asks to stop

    Panel1.SetHeight(30);
    Panel1.SetAlign(ui::TAlign::alBottom);
    Panel1.BevelOuter = ui::TBevelCut::bvNone;
    Rule.Shape = ui::TBevelShape::bsTopLine;
    Place(Rule, 0, 0, 433, 2);
    Button(cancel, 8, "&Cancel", &ui::kGlyphCancel);
    Button(back, 190, "&Back", &ui::kGlyphBack);
    Button(next, 270, "&Next", &ui::kGlyphNext);
    Button(install, 350, "&Install", &ui::kGlyphInstall);
    back.SetEnabled(false);
    install.Hide();
    // Enter goes on (Next, or Install on the last page); Escape cancels.
    next.Default = true;
    install.Default = true;
    cancel.Cancel = true;
    ActiveControl = &next;

    Notebook1.OnPageChanged = [this] { Notebook1PageChanged(); };
    next.OnClick = [this] { nextClick(); };
    back.OnClick = [this] { backClick(); };
    accept.OnClick = [this] { acceptClick(); };
    decline.OnClick = [this] { declineClick(); };
    cancel.OnClick = [this] { cancelClick(); };
    install.OnClick = [this] { installClick(); };
    StopButton.OnClick = [this] { StopButtonClick(); };
    Main_Dir.OnPicked = [this] { Main_DirPicked(); };
    OnShow = [this] { FormShow(); };
    OnClose = [this](ui::TCloseAction& action) { FormClose(action); };
    OnUserClose = [this] { return KeepOpen(); };
    FormCreate();
}

TZOV::~TZOV() {
    if (ZOV == this) ZOV = nullptr;
}

}  // namespace zov
