#include "ui/glyphs.h"

namespace zov::ui {
namespace {

TColor GlyphColor(char c) {
    switch (c) {
        case 'k': return clBlack;
        case 'w': return clWhite;
        case 'g': return clGray;
        case 's': return clSilver;
        case 'r': return clRed;
        case 'R': return clMaroon;
        case 'G': return 0x00C000;
        case 'D': return clGreen;
        case 'b': return clBlue;
        case 'n': return clNavy;
        case 'y': return clYellow;
        case 'o': return 0x008080;
        default: return clBlack;
    }
}

// Fills runs of one colour on a row as single rectangles.
void DrawRows(TCanvas& canvas, const TGlyph& glyph, int x, int y, bool enabled, TColor flat) {
    for (int row = 0; row < glyph.Height; ++row) {
        const char* line = glyph.Rows[row];
        for (int col = 0; col < glyph.Width;) {
            const char c = line[col];
            int end = col + 1;
            while (end < glyph.Width && line[end] == c) ++end;
            if (c != '.') {
                canvas.BrushColor = enabled ? GlyphColor(c) : flat;
                canvas.FillRect({x + col, y + row, x + end, y + row + 1});
            }
            col = end;
        }
    }
}

const char* const kCancelRows[] = {
    "................", "................", "...rR......rR...", "..rrrR....rrrR..",
    "...rrrR..rrrR...", "....rrrRrrrR....", ".....rrrrrR.....", "......rrrR......",
    ".....rrrrrR.....", "....rrrRrrrR....", "...rrrR..rrrR...", "..rrrR....rrrR..",
    "...rR......rR...", "................", "................", "................",
};
const char* const kBackRows[] = {
    "................", "................", "........k.......", ".......kk.......",
    "......kbk.......", ".....kbbkkkkkk..", "....kbbbbbbbbk..", "...kbbbbbbbbbk..",
    "....kbbbbbbbbk..", ".....kbbkkkkkk..", "......kbk.......", ".......kk.......",
    "........k.......", "................", "................", "................",
};
const char* const kNextRows[] = {
    "................", "................", ".......k........", ".......kk.......",
    ".......kbk......", "..kkkkkkbbk.....", "..kbbbbbbbbk....", "..kbbbbbbbbbk...",
    "..kbbbbbbbbk....", "..kkkkkkbbk.....", ".......kbk......", ".......kk.......",
    ".......k........", "................", "................", "................",
};
const char* const kInstallRows[] = {
    "................", "................", "............DG..", "...........DGG..",
    "..........DGG...", ".........DGG....", "..DG.....DGG....", "..DGG...DGG.....",
    "...DGG.DGG......", "....DGGGG.......", ".....DGG........", "......D.........",
    "................", "................", "................", "................",
};
const char* const kFolderRows[] = {
    "................", "................", "................", "..kkkkk.........",
    ".kyywyyk........", "kyywyyykkkkkkk..", "kwwwwwwwwwwwwk..", "kyyyyyyyyyyyok..",
    "kyyyyyyyyyyyok..", "kyyyyyyyyyyyok..", "kyyyyyyyyyyyok..", "kyyyyyyyyyyyok..",
    "kooooooooooook..", "kkkkkkkkkkkkkk..", "................", "................",
};

}  // namespace

void DrawGlyph(TCanvas& canvas, const TGlyph& glyph, int x, int y, bool enabled) {
    const TColor brush = canvas.BrushColor;
    const TBrushStyle style = canvas.BrushStyle;
    canvas.BrushStyle = TBrushStyle::bsSolid;
    if (enabled) {
        DrawRows(canvas, glyph, x, y, true, clBlack);
    } else {
        DrawRows(canvas, glyph, x + 1, y + 1, false, clBtnHighlight);
        DrawRows(canvas, glyph, x, y, false, clBtnShadow);
    }
    canvas.BrushColor = brush;
    canvas.BrushStyle = style;
}

const TGlyph kGlyphCancel{16, 16, kCancelRows};
const TGlyph kGlyphBack{16, 16, kBackRows};
const TGlyph kGlyphNext{16, 16, kNextRows};
const TGlyph kGlyphInstall{16, 16, kInstallRows};
const TGlyph kGlyphFolder{16, 16, kFolderRows};

}  // namespace zov::ui
