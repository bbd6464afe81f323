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

}  // namespace

uint32_t ColorToRGB(TColor color) {
    if (color < 0) return source(color & 0xFF) & 0xFFFFFFu;
    return static_cast<uint32_t>(color) & 0xFFFFFFu;
}

void SetSystemColorSource(SystemColorSource s) { source = s ? s : ClassicScheme; }

}  // namespace zov::ui
