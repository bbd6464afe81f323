#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/recording_canvas.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_machine.h"
#include "tests/support/test_pictures.h"
#include "ui/application.h"
#include "ui/buttons.h"
#include "ui/caption_gradient.h"
#include "ui/colors.h"
#include "ui/containers.h"
#include "ui/form.h"
#include "ui/headless.h"
#include "ui/labels.h"
#include "ui/pictures.h"
#include "ui/progress.h"
#include "ui/screen.h"
#include "ui/text_controls.h"
#include "ui/timer.h"

namespace zov::ui {
namespace {

using test::CanvasOp;
using test::RecordingCanvas;

class Controls : public ::testing::Test {
protected:
    TApplication app;
    THeadlessBackend& headless = *app.Headless();
    test::ScriptedDialogs dialogs;  // no real dialog ever comes up, even in the Windows build
};

TEST_F(Controls, EnterAndEscapePressTheFormsShownAndEnabledButtons) {
    TForm form;
    TPanel bar(&form);
    TFlatButton cancel(&bar), next(&bar), finish(&bar), other(&form);
    std::vector<std::string> pressed;
    for (TFlatButton* b : {&cancel, &next, &finish, &other}) b->OnClick = [&pressed, b] { pressed.push_back(b->Name); };
    cancel.Name = "cancel";
    next.Name = "next";
    finish.Name = "finish";
    other.Name = "other";
    cancel.Cancel = true;
    next.Default = finish.Default = true;
    finish.Hide();
    form.Show();
    EXPECT_TRUE(form.DialogKey(TDialogKey::dkEnter, nullptr));        // the first default shown
    EXPECT_TRUE(form.DialogKey(TDialogKey::dkEnter, &other));         // a focused button presses itself
    next.SetEnabled(false);
    EXPECT_FALSE(form.DialogKey(TDialogKey::dkEnter, nullptr));       // hidden and disabled ones never
    finish.Show();
    EXPECT_EQ(form.DefaultButton(), &finish);
    bar.Hide();
    EXPECT_EQ(form.DefaultButton(), nullptr);                         // hidden with its parent
    EXPECT_FALSE(form.DialogKey(TDialogKey::dkEscape, nullptr));
    bar.Show();
    EXPECT_TRUE(form.DialogKey(TDialogKey::dkEscape, &other));        // Escape: the cancel button
    EXPECT_EQ(pressed, (std::vector<std::string>{"next", "other", "cancel"}));

    // The form's own handler comes first, and may leave the key to the buttons.
    form.OnDialogKey = [&](TDialogKey key) { pressed.push_back("form"); return key == TDialogKey::dkEscape; };
    EXPECT_TRUE(form.DialogKey(TDialogKey::dkEscape, nullptr));
    EXPECT_TRUE(form.DialogKey(TDialogKey::dkEnter, nullptr));
    EXPECT_EQ(pressed, (std::vector<std::string>{"next", "other", "cancel", "form", "form", "finish"}));
}

TEST_F(Controls, TheUsersCloseCommandCanBeTakenByTheForm) {
    TForm form;
    form.Show();
    bool asked = false, take = true;
    form.OnUserClose = [&] { asked = true; return take; };
    form.UserClose();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(form.Visible());
    take = false;
    form.UserClose();
    EXPECT_FALSE(form.Visible());
}

TEST_F(Controls, NotebookRaisesPageChangedOnEveryRealChangeOnly) {
    TForm form;
    TNotebook book(&form);
    TPage a(book, "a"), b(book, "b"), c(book, "c");
    std::vector<int> seen;
    book.OnPageChanged = [&] { seen.push_back(book.PageIndex()); };
    EXPECT_EQ(book.PageIndex(), 0);
    EXPECT_TRUE(a.Visible());
    EXPECT_FALSE(b.Visible());
    book.SetPageIndex(2);
    book.SetPageIndex(2);   // the page shown: nothing
    book.SetPageIndex(3);   // outside: nothing
    book.SetPageIndex(-1);
    book.SetPageIndex(1);
    EXPECT_EQ(seen, (std::vector<int>{2, 1}));
    EXPECT_TRUE(b.Visible());
    EXPECT_FALSE(a.Visible());
    EXPECT_FALSE(c.Visible());
}

TEST_F(Controls, PageChangedIsRaisedInsideTheChange) {
    TForm form;
    TNotebook book(&form);
    TPage a(book, "a"), b(book, "b"), c(book, "c");
    // A handler that moves on from page 1 sees the page it moved to before the outer
    // change returns.
    std::vector<int> seen;
    book.OnPageChanged = [&] {
        seen.push_back(book.PageIndex());
        if (book.PageIndex() == 1) book.SetPageIndex(2);
    };
    book.SetPageIndex(1);
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
    EXPECT_EQ(book.PageIndex(), 2);
}

TEST_F(Controls, RadioButtonsOfOneParentFormAGroup) {
    TForm form;
    TPanel left(&form), right(&form);
    TRadioButton a(&left), b(&left), c(&left), other(&right);
    TCheckBox box(&left);
    other.SetChecked(true);
    box.SetChecked(true);
    a.SetChecked(true);
    b.Click();
    EXPECT_FALSE(a.Checked());
    EXPECT_TRUE(b.Checked());
    c.SetChecked(true);
    EXPECT_FALSE(b.Checked());
    EXPECT_TRUE(other.Checked());  // another parent, another group
    EXPECT_TRUE(box.Checked());
    c.SetChecked(false);           // clearing one selects no other
    EXPECT_FALSE(a.Checked() || b.Checked() || c.Checked());
}

// Where an arrow key goes: the next shown and enabled radio button of the group, round the end.
TEST_F(Controls, ArrowKeysStepThroughTheGroupPastHiddenAndDisabledButtons) {
    TForm form;
    TPanel panel(&form);
    TRadioButton a(&panel), disabled(&panel);
    TCheckBox box(&panel);
    TRadioButton hidden(&panel), d(&panel);
    disabled.SetEnabled(false);
    hidden.Hide();
    const struct {
        TRadioButton* from;
        bool forward;
        TRadioButton* to;
    } steps[] = {{&a, true, &d}, {&d, true, &a}, {&a, false, &d}, {&d, false, &a}, {&disabled, true, &d}};
    for (const auto& step : steps) EXPECT_EQ(step.from->Neighbour(step.forward), step.to);
    d.Hide();
    EXPECT_EQ(a.Neighbour(true), nullptr);  // alone in its group
}

TEST_F(Controls, CheckBoxClickFlipsThenReports) {
    TForm form;
    TCheckBox box(&form);
    bool seen = false;
    box.OnClick = [&] { seen = box.Checked(); };
    box.Click();
    EXPECT_TRUE(seen);
    box.Click();
    EXPECT_FALSE(box.Checked());
}

TEST_F(Controls, CheckListMarksFollowTheItems) {
    TForm form;
    TCheckListBox list(&form);
    list.Items().Add("one");
    list.Items().Add("two");
    EXPECT_FALSE(list.Checked(0));
    list.SetChecked(1, true);
    list.ClickCheck(0);
    EXPECT_TRUE(list.Checked(0));
    EXPECT_TRUE(list.Checked(1));
    list.Items().Clear();
    list.Items().Add("again");
    EXPECT_FALSE(list.Checked(0));
}

TEST_F(Controls, AlignedChildrenShareTheClientAreaOnEveryResize) {
    TForm form;
    TPanel top(&form), bottom(&form), client(&form);
    top.SetHeight(30);
    top.SetAlign(TAlign::alTop);
    bottom.SetHeight(20);
    bottom.SetAlign(TAlign::alBottom);
    client.SetAlign(TAlign::alClient);
    form.SetClientSize(200, 150);
    EXPECT_EQ(top.BoundsRect(), (TRect{0, 0, 200, 30}));
    EXPECT_EQ(bottom.BoundsRect(), (TRect{0, 130, 200, 150}));
    EXPECT_EQ(client.BoundsRect(), (TRect{0, 30, 200, 130}));
    form.SetClientSize(300, 100);
    EXPECT_EQ(bottom.BoundsRect(), (TRect{0, 80, 300, 100}));
    EXPECT_EQ(client.BoundsRect(), (TRect{0, 30, 300, 80}));
}

TEST_F(Controls, BorderedPanelInsetsAClientChild) {
    TForm form;
    TPanel panel(&form);
    panel.BevelOuter = TBevelCut::bvNone;
    panel.BorderStyle = TBorderStyle::bsSingle;
    TGauge gauge(&panel);
    panel.SetBounds(44, 64, 325, 23);
    gauge.SetAlign(TAlign::alClient);
    EXPECT_EQ(gauge.BoundsRect(), (TRect{1, 1, 324, 22}));
}

TEST_F(Controls, FontsFollowTheParentUntilSetAndSizeInPoints) {
    Screen().PixelsPerInch = 96;
    TForm form;
    TLabel label(&form), own(&form);
    TFont f = own.Font();
    f.Name = "Impact";
    f.Height = 35;
    own.SetFont(f);
    EXPECT_EQ(own.Font().Size(), 26);
    f.Height = 13;
    EXPECT_EQ(f.Size(), 10);
    TFont formFont = form.Font();
    formFont.Name = "Arial";
    form.SetFont(formFont);
    EXPECT_EQ(label.Font().Name, "Arial");
    EXPECT_EQ(own.Font().Name, "Impact");
    f.SetSize(28);
    EXPECT_EQ(f.Height, 37);
}

TEST_F(Controls, GaugeStopsAtItsLimits) {
    TForm form;
    TGauge gauge(&form);
    gauge.SetMaxValue(10);
    gauge.AddProgress(4);
    EXPECT_EQ(gauge.PercentDone(), 40);
    gauge.AddProgress(20);
    EXPECT_EQ(gauge.Progress(), 10);
    gauge.SetProgress(-3);
    EXPECT_EQ(gauge.Progress(), 0);
    gauge.SetProgress(7);
    gauge.SetMaxValue(5);
    EXPECT_EQ(gauge.Progress(), 5);
}

TEST_F(Controls, OneShotTimersRunOnTheVirtualClock) {
    TForm form;
    TTimer timer;
    std::vector<uint64_t> fired;
    // An event holds at most two pointers: a handler that uses more goes through one.
    const auto tick = [&] {
        timer.SetEnabled(false);
        fired.push_back(headless.Now());
        form.Close();
    };
    timer.OnTimer = [&tick] { tick(); };
    timer.SetInterval(1000);
    form.OnShow = [&] { timer.SetEnabled(true); };
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(fired, (std::vector<uint64_t>{1000}));
    EXPECT_EQ(headless.RunningTimers(), 0u);
    EXPECT_FALSE(form.Visible());
}

TEST_F(Controls, ModalLoopsNestAndCloseQueryCanRefuse) {
    TForm outer, inner;
    TTimer outerTimer, innerTimer;
    std::vector<std::string> order;
    int queries = 0;
    outer.OnCloseQuery = [&](bool& canClose) { canClose = ++queries > 1; };
    // An event holds at most two pointers: handlers that use more go through one.
    const auto outerTick = [&] {
        outerTimer.SetEnabled(false);
        order.push_back("outer timer");
        inner.ShowModal();
        order.push_back("inner returned");
        outer.Close();  // refused: the loop goes on
    };
    const auto innerTick = [&] {
        innerTimer.SetEnabled(false);
        order.push_back("inner timer");
        inner.SetModalResult(mrOk);
    };
    outerTimer.OnTimer = [&outerTick] { outerTick(); };
    innerTimer.OnTimer = [&innerTick] { innerTick(); };
    outer.OnShow = [&] { outerTimer.SetEnabled(true); };
    inner.OnShow = [&] { innerTimer.SetEnabled(true); };
    const auto idle = [&] {
        if (queries != 1) return false;
        order.push_back("closed again");
        outer.Close();
        return true;
    };
    headless.OnIdle = [&idle] { return idle(); };
    EXPECT_EQ(outer.ShowModal(), mrCancel);
    EXPECT_EQ(order, (std::vector<std::string>{"outer timer", "inner timer", "inner returned",
                                               "closed again"}));
    EXPECT_EQ(queries, 2);
    EXPECT_EQ(headless.Now(), 2000u);
}

TEST_F(Controls, ALoopWithNothingToDoIsReported) {
    TForm form;
    EXPECT_THROW(form.ShowModal(), ELoopStalled);
}

TEST_F(Controls, TerminatingEndsModalLoopsAndSilencesMessageBoxes) {
    TForm form;
    form.OnShow = [&] { app.Terminate(); };
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(MessageDlg("Abort?", TMsgDlgType::mtWarning, mbNo | mbAbort), mrNone);
    ShowMessage("never shown");
}

TEST_F(Controls, ErrorsOfHandlersAreReportedInABox) {
    app.Title = "Test - Setup";
    dialogs.ExpectMessage("Cannot open file X.", "Test - Setup", TMsgDlgType::mtError, mbOK, mrOk);
    TForm form;
    TTimer timer;
    timer.OnTimer = [&] {
        timer.SetEnabled(false);
        form.Close();
        throw EFOpenError("Cannot open file X");
    };
    form.OnShow = [&] { timer.SetEnabled(true); };
    form.ShowModal();
}

TEST_F(Controls, ClosingTheMainFormTerminates) {
    TForm* main = app.CreateForm<TForm>();
    TForm* other = app.CreateForm<TForm>();
    EXPECT_EQ(app.MainForm(), main);
    bool closed = false;
    main->OnClose = [&](TCloseAction&) { closed = true; };
    headless.OnIdle = [&] {
        main->Close();
        return true;
    };
    app.Run();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(app.Terminated());
    app.DestroyForm(other);
}

TEST_F(Controls, MaximisedFormsCoverTheScreenAndCentredOnesSitInTheMiddle) {
    Screen().Width = 640;
    Screen().Height = 480;
    TForm main, dialog;
    main.WindowState = TWindowState::wsMaximized;
    int resizes = 0;
    main.OnResize = [&] { ++resizes; };
    main.Show();
    EXPECT_EQ(main.BoundsRect(), (TRect{0, 0, 640, 480}));
    EXPECT_EQ(resizes, 1);
    dialog.Position = TPosition::poScreenCenter;
    dialog.SetClientSize(375, 92);
    dialog.Show();
    EXPECT_EQ(dialog.Left(), (640 - 375) / 2);
    EXPECT_EQ(dialog.Top(), (480 - 92) / 2);
}

TEST_F(Controls, ShadowLabelDrawsShadowFirstThenText) {
    TForm form;
    TShadowLabel label(&form);
    label.SetCaption("ZOV");
    label.Transparent = true;
    label.SetShadowColor(clWhite);
    label.SetShadowSize(2);
    TFont f = label.Font();
    f.Color = clBlack;
    label.SetFont(f);
    RecordingCanvas canvas;
    label.Paint(canvas);
    const auto texts = canvas.OpsOf(CanvasOp::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].brush, clWhite);
    EXPECT_EQ(texts[0].rect.Left, 2);
    EXPECT_EQ(texts[0].rect.Top, 2);
    EXPECT_EQ(texts[1].brush, clBlack);
    EXPECT_EQ(texts[1].rect.Left, 0);
    EXPECT_TRUE(canvas.OpsOf(CanvasOp::FillRect).empty());  // transparent
}

TEST_F(Controls, CaptionGradientHas64BandsAcrossTheBar) {
    TForm form;
    TCaptionGradient caption(form);
    EXPECT_EQ(form.CaptionPainter, &caption);
    caption.SetActiveStartColor(clBlue);
    caption.SetActiveEndColor(clBlack);
    RecordingCanvas canvas;
    caption.PaintCaption(canvas, {3, 3, 403, 21}, true, "ZOV32 - Setup", form.Font());
    const auto bands = canvas.OpsOf(CanvasOp::FillRect);
    ASSERT_EQ(bands.size(), 64u);
    EXPECT_EQ(bands.front().rect.Left, 3);
    EXPECT_EQ(bands.back().rect.Right, 403);
    for (size_t i = 1; i < bands.size(); ++i) EXPECT_EQ(bands[i].rect.Left, bands[i - 1].rect.Right);
    EXPECT_EQ(bands.front().brush, 0xFF0000);
    EXPECT_EQ(bands.back().brush, 0);
    const auto texts = canvas.OpsOf(CanvasOp::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].brush, clWhite);
    canvas.ops.clear();
    caption.PaintCaption(canvas, {3, 3, 403, 21}, false, "ZOV32 - Setup", form.Font());
    EXPECT_EQ(canvas.OpsOf(CanvasOp::FillRect).front().brush, static_cast<TColor>(ColorToRGB(clGray)));
    EXPECT_EQ(canvas.OpsOf(CanvasOp::Text)[0].brush, clSilver);
}

// A backend that records the peers it makes and what they are told.
class PeerRecorder : public THeadlessBackend {
public:
    struct Peer : TControlPeer {
        explicit Peer(std::vector<std::string>& log, TControl& c) : log(log), control(c) {}
        void Changed(uint32_t what) override {
            if (what & chVisible) log.push_back(control.Name + (control.Visible() ? " shown" : " hidden"));
        }
        std::vector<std::string>& log;
        TControl& control;
    };
    std::unique_ptr<TControlPeer> CreatePeer(TControl& control) override {
        log.push_back("peer " + control.Name);
        return std::make_unique<Peer>(log, control);
    }
    std::vector<std::string> log;
};

TEST(Peers, ShowingAFormGivesEveryControlItsPeerParentsFirst) {
    auto owned = std::make_unique<PeerRecorder>();
    PeerRecorder& backend = *owned;
    TApplication app(std::move(owned));
    TForm form;
    form.Name = "form";
    TNotebook book(&form);
    book.Name = "book";
    TPage one(book, "one"), two(book, "two");
    TMemo memo(&one);
    memo.Name = "memo";
    TDirectoryEdit edit(&two);
    edit.Name = "edit";
    TLabel label(&form);
    label.Name = "label";
    form.Show();
    EXPECT_EQ(backend.log, (std::vector<std::string>{"peer form", "peer book", "peer one", "peer memo", "peer two",
                                                     "peer edit", "peer label", "form shown"}));
    backend.log.clear();
    book.SetPageIndex(1);
    EXPECT_EQ(backend.log, (std::vector<std::string>{"two shown", "one hidden"}));
}

TEST(Strings, LinesAreCutAtEveryKindOfLineBreak) {
    TStrings s;
    s.SetText("a\r\nb\nc\rd\r\n");
    EXPECT_EQ(s.Lines(), (std::vector<std::string>{"a", "b", "c", "d"}));
    s.SetText("one line");
    EXPECT_EQ(s.Count(), 1u);
    s.SetText("");
    EXPECT_EQ(s.Count(), 0u);
    s.SetText("x\r\n\r\ny");
    EXPECT_EQ(s.Lines(), (std::vector<std::string>{"x", "", "y"}));
    EXPECT_EQ(s.Text(), "x\r\n\r\ny\r\n");
}

TEST_F(Controls, PicturesSizeThemselvesFromTheFile) {
    test::TestMachine machine;
    machine.WriteFile(machine.Path("logo.gif"), test::TinyGif(115, 96, 3, 10));
    machine.WriteFile(machine.Path("still.bmp"), test::TinyBmp(105, 105));
    machine.WriteFile(machine.Path("bad.bmp"), "not a picture");

    TForm form;
    TAnimatedImage animated(&form);
    animated.AutoSize = true;
    animated.Image().LoadFromFile(machine.Path("logo.gif"));
    EXPECT_EQ(animated.Width(), 115);
    EXPECT_EQ(animated.Height(), 96);
    EXPECT_EQ(animated.Image().Data()->FrameCount(), 3);
    EXPECT_EQ(animated.Image().Data()->FrameDelay(1), 100u);

    TImage still(&form);
    still.AutoSize = true;
    still.Picture().LoadFromFile(machine.Path("still.bmp"));
    EXPECT_EQ(still.Width(), 105);
    EXPECT_EQ(still.Height(), 105);

    EXPECT_THROW(still.Picture().LoadFromFile(machine.Path("bad.bmp")), EInvalidGraphic);
    EXPECT_THROW(still.Picture().LoadFromFile(machine.Path("missing.bmp")), EFOpenError);
    EXPECT_EQ(still.Width(), 105);
}

TEST_F(Controls, DirectoryEditKeepsItsTextWhenThePickerIsCancelled) {
    TForm form;
    TDirectoryEdit edit(&form);
    edit.SetText("C:\\Program Files\\Tool");
    edit.Browse();  // nothing to pick without a window system
    EXPECT_EQ(edit.Text(), "C:\\Program Files\\Tool");
}

// A text colour too close to its background gives way to black or white.
TEST(Colors, ReadableOnKeepsAColourThatStandsOutElseTakesBlackOrWhite) {
    const struct {
        TColor text, background, shown;
    } cases[] = {
        {clBlack, clBlue, clWhite},       // the built-in look: black on blue, 2.4 to 1
        {clBlack, 0x800000, clWhite},     // navy
        {clWhite, 0x800000, clWhite},
        {0x0000FF, clBlack, 0x0000FF},    // red on black stands out
        {0x00FFFF, clWhite, clBlack},     // yellow on white does not
        {0x808080, 0x909090, clBlack},    // grey on grey: black is further from the lighter one
        {0x404040, 0x505050, clWhite},
        {clBtnShadow, clBlack, clBtnShadow},  // a system colour, resolved
    };
    for (const auto& c : cases) EXPECT_EQ(ReadableOn(c.text, c.background), c.shown) << std::hex << c.text << " on " << c.background;
}

}  // namespace
}  // namespace zov::ui
