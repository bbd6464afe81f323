#include "tests/support/recording_canvas.h"

#include <stdexcept>

namespace zov::test {

RecordingCanvas::~RecordingCanvas() {
    if (!owner_) return;
    auto record = std::make_unique<RecordingCanvas>(width, height);
    record->ops = std::move(ops);
    owner_->bitmaps.push_back(std::move(record));
}

std::vector<CanvasOp> RecordingCanvas::OpsOf(CanvasOp::Kind kind) const {
    std::vector<CanvasOp> out;
    for (const CanvasOp& op : ops)
        if (op.kind == kind) out.push_back(op);
    return out;
}

void RecordingCanvas::Record(CanvasOp op) {
    op.rect = {op.rect.Left + origin_.X, op.rect.Top + origin_.Y, op.rect.Right + origin_.X,
               op.rect.Bottom + origin_.Y};
    ops.push_back(std::move(op));
}

void RecordingCanvas::FillRect(const ui::TRect& rect) {
    Record({CanvasOp::FillRect, rect, BrushColor, PenStyle});
}

void RecordingCanvas::Ellipse(const ui::TRect& rect) {
    Record({CanvasOp::Ellipse, rect, BrushColor, PenStyle});
}

void RecordingCanvas::Line(int x1, int y1, int x2, int y2) {
    Record({CanvasOp::Line, {x1, y1, x2, y2}, PenColor, PenStyle});
}

void RecordingCanvas::TextRect(const ui::TRect& clip, int, int, const std::string& text) {
    Record({CanvasOp::Text, clip, Font.Color, PenStyle, text});
}

void RecordingCanvas::DrawText(const ui::TRect& rect, const std::string& text, uint32_t) {
    Record({CanvasOp::Text, rect, Font.Color, PenStyle, text});
}

ui::TPoint RecordingCanvas::TextExtent(const std::string& text) {
    return {static_cast<int>(text.size()) * 6, Font.Height};
}

void RecordingCanvas::DrawPicture(const ui::TPictureData&, int frame, const ui::TRect& dest) {
    Record({CanvasOp::Picture, dest, frame, PenStyle});
}

std::unique_ptr<ui::TPalette> RecordingCanvas::CreatePalette(uint16_t version,
                                                             const std::vector<ui::TPaletteEntry>& entries) {
    ++palettesMade;
    return std::make_unique<RecordedPalette>(version, entries);
}

ui::TPalette* RecordingCanvas::SelectPalette(ui::TPalette* palette, bool) {
    CanvasOp op{CanvasOp::SelectPalette, {}, 0, PenStyle};
    op.palette = palette;
    ops.push_back(op);
    ui::TPalette* previous = const_cast<ui::TPalette*>(selected);
    selected = palette;
    return previous;
}

void RecordingCanvas::RealizePalette() {
    CanvasOp op{CanvasOp::RealizePalette, {}, 0, PenStyle};
    op.palette = selected;
    ops.push_back(op);
}

std::unique_ptr<ui::TCanvas> RecordingCanvas::CreateBitmap(int w, int h) {
    if (refuseBitmaps) throw ui::EOutOfResources("Out of system resources");
    auto bitmap = std::make_unique<RecordingCanvas>(w, h);
    bitmap->owner_ = this;
    return bitmap;
}

void RecordingCanvas::Draw(int x, int y, ui::TCanvas& bitmap) {
    CanvasOp op{CanvasOp::Draw, {x, y, x, y}, 0, PenStyle};
    op.bitmap = &bitmap;
    Record(op);
}

void RecordingCanvas::PushState(int x, int y, const ui::TRect&) {
    origins_.push_back(origin_);
    origin_ = {origin_.X + x, origin_.Y + y};
}

void RecordingCanvas::PopState() {
    if (origins_.empty()) throw std::logic_error("PopState without PushState");
    origin_ = origins_.back();
    origins_.pop_back();
}

}  // namespace zov::test
