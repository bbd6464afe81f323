// The main screen's look: its parts, their layout on every resize, and what install.cfg
// changes of them.
#include "install/Setup_Unit1.h"
#include "install/cfg_integrity.h"
#include "sys/paths.h"
#include "ui/application.h"
#include "ui/colors.h"

namespace zov {
namespace {

ui::TFont FontOf(const std::string& name, int height, ui::TColor color, uint8_t charset) {
    ui::TFont font;
    font.Name = name;
    font.Height = height;
    font.Color = color;
    font.Charset = charset;
    return font;
}

// A header line: transparent, sized to its text, with a white shadow toward the right and
// bottom.
void Header(ui::TShadowLabel& label, const ui::TRect& bounds, const std::string& caption, const ui::TFont& font,
            int shadow) {
    label.SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    label.SetCaption(caption);
    label.SetFont(font);
    label.SetShadowColor(ui::clWhite);
    label.SetShadowSize(shadow);
    label.Transparent = true;
    label.SetAutoSize(true);
}

// The header stands out from the gradient's first colour, behind it, whatever install.cfg
// chose: a colour too close to it gives way to black or white, and a shadow of that colour
// takes the one chosen for the text.
void ApplyHeader(ui::TShadowLabel& label, const THeaderLook& look, ui::TColor background) {
    label.SetCaption(look.Text);
    ui::TFont font = label.Font();
    font.Name = look.FontName;
    if (look.FontSize != font.Size()) font.SetSize(look.FontSize);  // keep the exact design height
    font.Color = ui::ReadableOn(look.FontColor, background);
    label.SetFont(font);
    const bool shadowAsText = font.Color != look.FontColor && ui::ColorToRGB(look.ShadowColor) == ui::ColorToRGB(font.Color);
    label.SetShadowColor(shadowAsText ? look.FontColor : look.ShadowColor);
}

THeaderLook HeaderOf(const ui::TShadowLabel& label, const std::string& text) {
    return {text, label.Font().Name, label.Font().Size(), label.Font().Color, label.ShadowColor()};
}

}  // namespace

TMainSetup::TMainSetup() {
    MainSetup = this;
    Run.Prompts = &Prompts;
    Name = "MainSetup";
    SetCaption("ZOV 32Bit Installer");
    BorderStyle = ui::TFormBorderStyle::bsNone;
    BorderIcons = 0;
    WindowState = ui::TWindowState::wsMaximized;
    SetClientSize(536, 348);

    MainScreen.SetAlign(ui::TAlign::alClient);
    MainScreen.SetFromColor(ui::clBlue);
    MainScreen.SetSteps(255);
    SetColor(MainScreen.FromColor());

    Header(Setup_Header, {8, 1, 500, 44}, "ZOV - Zovrand 32Bit v1.0",
           FontOf("Impact", 35, ui::clBlack, ui::kAnsiCharset), 2);
    Header(Setup_Header2, {18, 32, 277, 47}, TScreenLook{}.Header2.Text,
           FontOf("Times New Roman", 13, ui::clBlack, ui::kDefaultCharset), 1);

    Footer.SetBounds(120, 328, 328, 13);
    Footer.SetCaption("ZOV 32Bit Installer - Zovrand");
    Footer.Alignment = ui::TAlignment::taCenter;
    Footer.SetFont(FontOf("MS Sans Serif", 11, ui::clWhite, ui::kDefaultCharset));
    Footer.Cursor = ui::TCursor::crHandPoint;
    Footer.Transparent = true;

    bitmapscreen.SetBounds(16, 56, 153, 89);
    bitmapscreen.BevelInner = ui::TBevelCut::bvRaised;
    bitmapscreen.Hide();
    Image3.SetBounds(16, 8, 115, 96);
    Image3.SetAnimate(true);
    Image4.SetBounds(136, 8, 105, 105);

    Timer1.SetInterval(1000);
    Timer1.OnTimer = [this] { Timer1Timer(); };
    OnShow = [this] { FormShow(); };
    OnResize = [this] { FormResize(); };
    OnClose = [this](ui::TCloseAction& action) { FormClose(action); };
}

TMainSetup::~TMainSetup() {
    if (MainSetup == this) MainSetup = nullptr;
}

void TMainSetup::FormResize() {
    Footer.SetBounds(0, MainScreen.Height() - Footer.Height() - 10, MainScreen.Width(), Footer.Height());
    Setup_Header.SetTop(1);
    Setup_Header2.SetTop(Setup_Header.Top() + Setup_Header.Height() + 2);
}

TScreenLook TMainSetup::CurrentLook() const {
    // Keys without a value keep what the controls hold; only the main header's text has a
    // default of its own.
    TScreenLook look;
    look.DitherFrom = MainScreen.FromColor();
    look.DitherTo = MainScreen.ToColor();
    look.Header = HeaderOf(Setup_Header, look.Header.Text);
    look.Header2 = HeaderOf(Setup_Header2, Setup_Header2.Caption());
    return look;
}

void TMainSetup::ApplyLook(const TScreenLook& look) {
    MainScreen.SetFromColor(look.DitherFrom);
    MainScreen.SetToColor(look.DitherTo);
    ApplyHeader(Setup_Header, look.Header, look.DitherFrom);
    ApplyHeader(Setup_Header2, look.Header2, look.DitherFrom);
    FormResize();  // a new header font moves the second header now, not at the next resize
}

void TMainSetup::ApplySettings() {
    SetColor(MainScreen.FromColor());
    // The wizard takes the offer as it is shown.
    Run.Offer = EndOfferFor(Run.Settings);
}

void TMainSetup::ReadSetupConfig() {
    const std::string cfg = Run.Settings.SourceDir + "install.cfg";
    const std::string fault = ConfigFileFault(cfg);
    if (!fault.empty()) {
        // Nothing of a damaged medium is installed: the setup ends before it expands a byte.
        Run.Failed = true;
        EmptyAndRemoveDirectory(Run.Settings.TempDir);
        ui::App().ShowException(EInOutError(fault));
        ui::App().Terminate();
        return;
    }
    TScreenLook look = CurrentLook();
    zov::ReadSetupConfig(cfg, Run.Settings, look);
    ApplyLook(look);
    ApplySettings();
}

}  // namespace zov
