#include "ui/fountain_geometry.h"

#include <cmath>

#include "ui/colors.h"
#include "ui/muldiv.h"

namespace zov::ui {

uint32_t FountainBandColor(uint32_t from, uint32_t to, int band, int steps) {
    if (steps < 2) return from;
    auto channel = [&](uint8_t a, uint8_t b) {
        return static_cast<uint8_t>(a + MulDiv(band, b - a, steps - 1));
    };
    return MakeRGB(channel(RedOf(from), RedOf(to)), channel(GreenOf(from), GreenOf(to)),
                   channel(BlueOf(from), BlueOf(to)));
}

int FountainDiameter(int width, int height) {
    const double diagonal = std::sqrt(static_cast<double>(width) * width + static_cast<double>(height) * height);
    // nearbyint rounds ties to the even neighbour in the default rounding mode.
    return static_cast<int>(std::nearbyint(diagonal + 0.5));
}

TRect FountainBandRect(TFountainStyle style, int width, int height, int band, int steps) {
    switch (style) {
        case TFountainStyle::fsHorizontal:
            return {0, MulDiv(band, height, steps), width, MulDiv(band + 1, height, steps)};
        case TFountainStyle::fsVertical:
            return {MulDiv(band, width, steps), 0, MulDiv(band + 1, width, steps), height};
        case TFountainStyle::fsCircular: {
            const int d = MulDiv(steps - band, FountainDiameter(width, height), steps);
            const int left = width / 2 - d / 2, top = height / 2 - d / 2;
            return {left, top, left + d, top + d};
        }
    }
    return {};
}

}  // namespace zov::ui
