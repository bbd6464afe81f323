#include "ui/fountain.h"

#include <gtest/gtest.h>

#include "tests/support/recording_canvas.h"
#include "ui/application.h"
#include "ui/colors.h"
#include "ui/muldiv.h"

namespace zov::ui {
namespace {

using test::CanvasOp;
using test::RecordedPalette;
using test::RecordingCanvas;

TEST(MulDiv, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(5, 1, 2), 3);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(MulDiv(5, -1, 2), -3);
    EXPECT_EQ(MulDiv(7, 1, 3), 2);
    EXPECT_EQ(MulDiv(8, 1, 3), 3);
    EXPECT_EQ(MulDiv(1, 500, 3), 167);
    EXPECT_EQ(MulDiv(2, 500, 3), 333);
    EXPECT_EQ(MulDiv(4, 5, 0), -1);
}

TEST(FountainGeometry, BandColoursRunFromStartToEnd) {
    EXPECT_EQ(FountainBandColor(0xFF0000, 0, 0, 255), 0xFF0000u);
    EXPECT_EQ(FountainBandColor(0xFF0000, 0, 254, 255), 0u);
    // 255 - 127.5 rounds away from zero: 127.
    EXPECT_EQ(FountainBandColor(0xFF0000, 0, 127, 255), 0x7F0000u);
    // Each channel on its own: red rises by 127.5 and blue falls by it, both rounded away
    // from zero.
    EXPECT_EQ(FountainBandColor(0xFF0000, 0x0000FF, 1, 3), MakeRGB(128, 0, 127));
}

TEST(FountainGeometry, HorizontalStripesOf600PixelsLeaveNoGaps) {
    int top = 0;
    for (int i = 0; i < 255; ++i) {
        const TRect r = FountainBandRect(TFountainStyle::fsHorizontal, 536, 600, i, 255);
        EXPECT_EQ(r.Top, top) << "band " << i;
        EXPECT_EQ(r.Top, MulDiv(i, 600, 255));
        EXPECT_EQ(r.Left, 0);
        EXPECT_EQ(r.Right, 536);
        EXPECT_TRUE(r.Height() == 2 || r.Height() == 3) << "band " << i << " is " << r.Height();
        top = r.Bottom;
    }
    EXPECT_EQ(top, 600);
}

TEST(FountainGeometry, VerticalStripesGoLeftToRight) {
    EXPECT_EQ(FountainBandRect(TFountainStyle::fsVertical, 100, 40, 0, 3), (TRect{0, 0, 33, 40}));
    EXPECT_EQ(FountainBandRect(TFountainStyle::fsVertical, 100, 40, 1, 3), (TRect{33, 0, 67, 40}));
    EXPECT_EQ(FountainBandRect(TFountainStyle::fsVertical, 100, 40, 2, 3), (TRect{67, 0, 100, 40}));
}

TEST(FountainGeometry, CircularBandsOf300By400) {
    // The diagonal is 500; 500.5 goes to the even neighbour.
    EXPECT_EQ(FountainDiameter(300, 400), 500);
    EXPECT_EQ(FountainDiameter(3, 4), 6);  // 5.5 goes to 6
    const TRect outer = FountainBandRect(TFountainStyle::fsCircular, 300, 400, 0, 3);
    const TRect middle = FountainBandRect(TFountainStyle::fsCircular, 300, 400, 1, 3);
    const TRect inner = FountainBandRect(TFountainStyle::fsCircular, 300, 400, 2, 3);
    EXPECT_EQ(outer, (TRect{-100, -50, 400, 450}));
    EXPECT_EQ(middle, (TRect{-16, 34, 317, 367}));
    EXPECT_EQ(inner, (TRect{67, 117, 234, 284}));
    for (const TRect& r : {outer, middle, inner}) {
        EXPECT_EQ(r.Width(), r.Height());
        EXPECT_NEAR((r.Left + r.Right) / 2.0, 150, 0.5);
        EXPECT_NEAR((r.Top + r.Bottom) / 2.0, 200, 0.5);
    }
    EXPECT_EQ(outer.Width(), 500);
    EXPECT_EQ(middle.Width(), 333);
    EXPECT_EQ(inner.Width(), 167);
}

class FountainFill : public ::testing::Test {
protected:
    TApplication app;
    TFountainFill fill{nullptr};
    RecordingCanvas screen{300, 400};

    void SetUp() override { fill.SetBounds(0, 0, 300, 400); }
    RecordingCanvas& Bitmap() { return *screen.bitmaps.back(); }
};

TEST_F(FountainFill, DesignDefaults) {
    TFountainFill fresh(nullptr);
    EXPECT_EQ(fresh.Width(), 50);
    EXPECT_EQ(fresh.Height(), 50);
    EXPECT_EQ(fresh.FromColor(), 0xFFFF00);
    EXPECT_EQ(fresh.ToColor(), 0);
    EXPECT_EQ(fresh.Steps(), 20);
    EXPECT_EQ(fresh.Style(), TFountainStyle::fsHorizontal);
    EXPECT_TRUE(fresh.UsePalette());
    EXPECT_FALSE(fresh.DrawOnScreen);
}

TEST_F(FountainFill, StepsAreClampedAndOnlyARealChangeDropsThePalette) {
    fill.SetSteps(0);
    EXPECT_EQ(fill.Steps(), 1);
    fill.SetSteps(-5);
    EXPECT_EQ(fill.Steps(), 1);
    fill.SetSteps(300);
    EXPECT_EQ(fill.Steps(), 255);
    fill.Paint(screen);
    ASSERT_NE(fill.Palette(), nullptr);
    fill.SetSteps(1000);  // still 255: nothing changes
    EXPECT_NE(fill.Palette(), nullptr);
    fill.SetSteps(254);
    EXPECT_EQ(fill.Palette(), nullptr);
}

TEST_F(FountainFill, OneStepIsAFlatFillWithoutPalette) {
    fill.SetFromColor(clBlue);
    fill.SetSteps(1);
    fill.Paint(screen);
    EXPECT_EQ(fill.Palette(), nullptr);
    EXPECT_EQ(screen.palettesMade, 0);
    const auto fills = Bitmap().OpsOf(CanvasOp::FillRect);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].rect, (TRect{0, 0, 300, 400}));
    EXPECT_EQ(fills[0].brush, clBlue);
}

TEST_F(FountainFill, EqualColoursMakeAFlatFillEvenWhenOneIsASystemColour) {
    fill.SetFromColor(clBtnFace);    // silver in the classic scheme
    fill.SetToColor(0xC0C0C0);
    fill.SetSteps(50);
    fill.Paint(screen);
    EXPECT_EQ(screen.palettesMade, 0);
    EXPECT_EQ(Bitmap().OpsOf(CanvasOp::FillRect).size(), 1u);
    EXPECT_TRUE(Bitmap().OpsOf(CanvasOp::Ellipse).empty());
}

TEST_F(FountainFill, PaletteIsMadeOnceWithVersion300AndTheBandColours) {
    fill.SetFromColor(clBlue);
    fill.SetSteps(255);
    fill.Paint(screen);
    fill.Paint(screen);
    EXPECT_EQ(screen.palettesMade, 1);
    const auto* palette = dynamic_cast<const RecordedPalette*>(fill.Palette());
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->version, 0x300);
    ASSERT_EQ(palette->entries.size(), 255u);
    EXPECT_EQ(palette->entries[0], (TPaletteEntry{0, 0, 0xFF, 0}));
    EXPECT_EQ(palette->entries[254], (TPaletteEntry{0, 0, 0, 0}));
    EXPECT_EQ(palette->entries[127], (TPaletteEntry{0, 0, 0x7F, 0}));
    // A change to the same value keeps it; another value drops it.
    fill.SetFromColor(clBlue);
    fill.SetStyle(TFountainStyle::fsVertical);
    EXPECT_NE(fill.Palette(), nullptr);
    fill.SetToColor(clNavy);
    EXPECT_EQ(fill.Palette(), nullptr);
    fill.Paint(screen);
    EXPECT_EQ(screen.palettesMade, 2);
    fill.SetUsePalette(false);
    EXPECT_EQ(fill.Palette(), nullptr);
    fill.Paint(screen);
    EXPECT_EQ(screen.palettesMade, 2);
}

TEST_F(FountainFill, OffScreenBitmapGetsTheBandsInPaletteColours) {
    fill.SetFromColor(clBlue);
    fill.SetSteps(255);
    fill.Paint(screen);
    ASSERT_EQ(screen.bitmaps.size(), 1u);
    EXPECT_EQ(Bitmap().width, 300);
    EXPECT_EQ(Bitmap().height, 400);
    const auto bands = Bitmap().OpsOf(CanvasOp::FillRect);
    ASSERT_EQ(bands.size(), 255u);
    EXPECT_EQ(bands[0].brush, PaletteRelative(0xFF0000));
    EXPECT_EQ(bands[254].brush, PaletteRelative(0));
    for (const CanvasOp& band : bands) EXPECT_EQ(band.pen, TPenStyle::psClear);
    // The bitmap is copied to the screen at (0, 0) with the palette realised there.
    const auto draws = screen.OpsOf(CanvasOp::Draw);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].rect.Left, 0);
    EXPECT_EQ(draws[0].rect.Top, 0);
    EXPECT_TRUE(screen.OpsOf(CanvasOp::FillRect).empty());
    const auto realised = screen.OpsOf(CanvasOp::RealizePalette);
    ASSERT_EQ(realised.size(), 1u);
    EXPECT_EQ(realised[0].palette, fill.Palette());
    // The bitmap's previous palette is selected back after drawing.
    const auto bitmapSelects = Bitmap().OpsOf(CanvasOp::SelectPalette);
    ASSERT_EQ(bitmapSelects.size(), 2u);
    EXPECT_EQ(bitmapSelects[0].palette, fill.Palette());
    EXPECT_EQ(bitmapSelects[1].palette, nullptr);
    // Pen and brush are as they were.
    EXPECT_EQ(screen.PenStyle, TPenStyle::psSolid);
}

TEST_F(FountainFill, WithoutPaletteTheBandsArePlainColours) {
    fill.SetUsePalette(false);
    fill.SetFromColor(clBlue);
    fill.SetSteps(3);
    fill.Paint(screen);
    const auto bands = Bitmap().OpsOf(CanvasOp::FillRect);
    ASSERT_EQ(bands.size(), 3u);
    EXPECT_EQ(bands[0].brush, 0xFF0000);
    EXPECT_EQ(bands[1].brush, 0x7F0000);
    EXPECT_EQ(bands[2].brush, 0);
}

TEST_F(FountainFill, DrawOnScreenAndOutOfResourcesDrawDirectly) {
    fill.SetFromColor(clBlue);
    fill.SetSteps(3);
    fill.SetStyle(TFountainStyle::fsCircular);
    fill.DrawOnScreen = true;
    fill.Paint(screen);
    EXPECT_TRUE(screen.bitmaps.empty());
    auto circles = screen.OpsOf(CanvasOp::Ellipse);
    ASSERT_EQ(circles.size(), 3u);
    EXPECT_EQ(circles[0].rect, (TRect{-100, -50, 400, 450}));
    EXPECT_EQ(circles[2].rect, (TRect{67, 117, 234, 284}));
    EXPECT_EQ(circles[2].brush, PaletteRelative(0));

    RecordingCanvas starved(300, 400);
    starved.refuseBitmaps = true;
    fill.DrawOnScreen = false;
    fill.Paint(starved);
    EXPECT_EQ(starved.OpsOf(CanvasOp::Ellipse).size(), 3u);
    EXPECT_TRUE(starved.OpsOf(CanvasOp::Draw).empty());
    EXPECT_EQ(starved.OpsOf(CanvasOp::RealizePalette).size(), 1u);
}

}  // namespace
}  // namespace zov::ui
