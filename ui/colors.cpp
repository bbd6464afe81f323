#include "ui/colors.h"

namespace zov::ui {
namespace {

// The classic Windows colour scheme, by system colour index.
constexpr uint32_t kClassicScheme[] = {
    0xC0C0C0, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0,
    0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xDFDFDF, 0x000000,
    0xE1FFFF, 0x000000, 0x800000, 0xD08410, 0xB5B5B5,
};

uint32_t ClassicScheme(int index) {
    constexpr int count = sizeof(kClassicScheme) / sizeof(kClassicScheme[0]);
    return index >= 0 && index < count ? kClassicScheme[index] : 0;
}

SystemColorSource source = ClassicScheme;

// Relative lightness in integers, the gamma taken as 2: 0 for black, kWhite for white.
uint64_t Lightness(uint32_t rgb) {
    const auto square = [](uint8_t c) { return uint64_t{c} * c; };
    return 2126 * square(RedOf(rgb)) + 7152 * square(GreenOf(rgb)) + 722 * square(BlueOf(rgb));
}

constexpr uint64_t kWhite = 650250000;
// The glare, a twentieth of white's lightness, added to both sides of the ratio.
constexpr uint64_t kGlare = kWhite / 20;

bool StandsOut(uint64_t a, uint64_t b) {
    const uint64_t light = a > b ? a : b, dark = a > b ? b : a;
    return light + kGlare >= 3 * (dark + kGlare);
}

}  // namespace

TColor ReadableOn(TColor text, TColor background) {
    const uint64_t back = Lightness(ColorToRGB(background));
    if (StandsOut(Lightness(ColorToRGB(text)), back)) return text;
    // Black stands out more when (back + glare) / glare >= (white + glare) / (back + glare).
    return (back + kGlare) * (back + kGlare) >= kGlare * (kWhite + kGlare) ? clBlack : clWhite;
}

uint32_t ColorToRGB(TColor color) {
    if (color < 0) return source(color & 0xFF) & 0xFFFFFFu;
    return static_cast<uint32_t>(color) & 0xFFFFFFu;
}

void SetSystemColorSource(SystemColorSource s) { source = s ? s : ClassicScheme; }

}  // namespace zov::ui
