#pragma once
// Small pictures drawn on buttons, kept as text so that no resource file is needed.
#include "ui/canvas.h"

namespace zov::ui {

// Rows of characters: '.' transparent, 'k' black, 'w' white, 'g' grey, 's' silver,
// 'r' red, 'R' dark red, 'G' green, 'D' dark green, 'b' blue, 'n' navy, 'y' yellow,
// 'o' olive.
struct TGlyph {
    int Width;
    int Height;
    const char* const* Rows;
};

// Draws the glyph with its top left corner at (x, y); a disabled glyph is drawn embossed
// in the button shadow and highlight colours.
void DrawGlyph(TCanvas& canvas, const TGlyph& glyph, int x, int y, bool enabled);

extern const TGlyph kGlyphCancel;
extern const TGlyph kGlyphBack;
extern const TGlyph kGlyphNext;
extern const TGlyph kGlyphInstall;
extern const TGlyph kGlyphFolder;

}  // namespace zov::ui
