#pragma once
// The bands of a colour gradient: their colours and the rectangles or circle squares
// they fill. Shared by the gradient control and the title-bar painter.
#include <cstdint>

#include "ui/types.h"

namespace zov::ui {

enum class TFountainStyle : uint8_t { fsHorizontal, fsVertical, fsCircular };

// Band `band` of `steps` between two plain colours: each channel moves from the start
// value by MulDiv(band, difference, steps - 1), so band 0 has the start colour and the
// last band the end colour.
uint32_t FountainBandColor(uint32_t from, uint32_t to, int band, int steps);

// The diameter of the outermost circle: the diagonal plus one half, rounded to the
// nearest integer with ties going to the even one.
int FountainDiameter(int width, int height);

// Where band `band` of `steps` lies on a surface of width by height pixels: horizontal
// stripes from the top, vertical stripes from the left, or the square that holds a
// circle, largest first, all centred.
TRect FountainBandRect(TFountainStyle style, int width, int height, int band, int steps);

}  // namespace zov::ui
