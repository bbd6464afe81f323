#pragma once
// A canvas for tests: it records every drawing call with the pen and brush it used, makes
// palettes that remember their entries, and can refuse off-screen bitmaps to test the
// fallback.
#include <memory>
#include <string>
#include <vector>

#include "ui/canvas.h"

namespace zov::test {

class RecordedPalette : public ui::TPalette {
public:
    RecordedPalette(uint16_t version, std::vector<ui::TPaletteEntry> entries)
        : version(version), entries(std::move(entries)) {}
    uint16_t version;
    std::vector<ui::TPaletteEntry> entries;
};

struct CanvasOp {
    enum Kind { FillRect, Ellipse, Line, Text, Picture, SelectPalette, RealizePalette, Draw };
    CanvasOp(Kind kind, ui::TRect rect = {}, ui::TColor brush = 0,
             ui::TPenStyle pen = ui::TPenStyle::psSolid, std::string text = {})
        : kind(kind), rect(rect), brush(brush), pen(pen), text(std::move(text)) {}
    Kind kind;
    ui::TRect rect;              // shape, text or picture rectangle; Draw: (x, y, x, y)
    ui::TColor brush = 0;        // brush colour for shapes, font colour for text
    ui::TPenStyle pen = ui::TPenStyle::psSolid;
    std::string text;
    const ui::TPalette* palette = nullptr;
    const ui::TCanvas* bitmap = nullptr;
};

class RecordingCanvas : public ui::TCanvas {
public:
    RecordingCanvas(int width = 0, int height = 0) : width(width), height(height) {}
    ~RecordingCanvas() override;

    int width, height;
    std::vector<CanvasOp> ops;
    // Every bitmap made, in order, as it was when the painter let go of it.
    std::vector<std::unique_ptr<RecordingCanvas>> bitmaps;
    int palettesMade = 0;
    bool refuseBitmaps = false;  // CreateBitmap raises EOutOfResources
    const ui::TPalette* selected = nullptr;

    std::vector<CanvasOp> OpsOf(CanvasOp::Kind kind) const;

    void FillRect(const ui::TRect& rect) override;
    void Ellipse(const ui::TRect& rect) override;
    void Line(int x1, int y1, int x2, int y2) override;
    void TextRect(const ui::TRect& clip, int x, int y, const std::string& text) override;
    void DrawText(const ui::TRect& rect, const std::string& text, uint32_t flags) override;
    ui::TPoint TextExtent(const std::string& text) override;
    void DrawPicture(const ui::TPictureData& picture, int frame, const ui::TRect& dest) override;
    std::unique_ptr<ui::TPalette> CreatePalette(uint16_t version,
                                                const std::vector<ui::TPaletteEntry>& entries) override;
    ui::TPalette* SelectPalette(ui::TPalette* palette, bool forceBackground) override;
    void RealizePalette() override;
    std::unique_ptr<ui::TCanvas> CreateBitmap(int width, int height) override;
    void Draw(int x, int y, ui::TCanvas& bitmap) override;
    void PushState(int x, int y, const ui::TRect& clip) override;
    void PopState() override;

private:
    void Record(CanvasOp op);
    std::vector<ui::TPoint> origins_;
    ui::TPoint origin_;
    RecordingCanvas* owner_ = nullptr;  // for a bitmap: the canvas that made it
};

}  // namespace zov::test
