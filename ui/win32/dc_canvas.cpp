#include "ui/win32/dc_canvas.h"

#include "ui/win32/gdi_resources.h"
#include "ui/win32/gdiplus_pictures.h"

namespace zov::ui::win32 {
namespace {

class TGdiPalette : public TPalette {
public:
    explicit TGdiPalette(HPALETTE handle) : handle(handle) {}
    ~TGdiPalette() override { DeleteObject(handle); }
    HPALETTE handle;
};

// A canvas on an off-screen bitmap; frees its bitmap and device context when it goes.
class TBitmapCanvasImpl : public TDCCanvas {
public:
    TBitmapCanvasImpl(HDC dc, HBITMAP bitmap, int width, int height)
        : TDCCanvas(dc, width, height), bitmap_(bitmap), old_(SelectObject(dc, bitmap)) {}
    ~TBitmapCanvasImpl() override {
        RestoreSurface();
        SelectObject(Handle(), old_);
        DeleteObject(bitmap_);
        DeleteDC(Handle());
    }

private:
    void RestoreSurface() { SelectPalette(nullptr, true); }
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

RECT ToRECT(const TRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }

}  // namespace

TDCCanvas::TDCCanvas(HDC dc, int width, int height) : dc_(dc), width_(width), height_(height) {}

TDCCanvas::~TDCCanvas() {
    if (selected_) ::SelectPalette(dc_, original_, TRUE);
    while (savedStates_ > 0) PopState();
}

void TDCCanvas::FillRect(const TRect& rect) {
    if (BrushStyle == TBrushStyle::bsClear) return;
    const RECT r = ToRECT(rect);
    if ((BrushColor & 0xFF000000) == 0x02000000) {  // palette-relative: a brush of its own
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(BrushColor));
        ::FillRect(dc_, &r, brush);
        DeleteObject(brush);
    } else {
        ::FillRect(dc_, &r, BrushHandle(BrushColor));
    }
}

void TDCCanvas::Ellipse(const TRect& rect) {
    HBRUSH brush = BrushStyle == TBrushStyle::bsClear ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                                                      : CreateSolidBrush(ToColorRef(BrushColor));
    HPEN pen = PenStyle == TPenStyle::psClear ? static_cast<HPEN>(GetStockObject(NULL_PEN))
                                              : CreatePen(PS_SOLID, 1, ToColorRef(PenColor));
    HGDIOBJ oldBrush = SelectObject(dc_, brush), oldPen = SelectObject(dc_, pen);
    // A shape without outline comes out one pixel smaller; the outline pixel is added back.
    const int grow = PenStyle == TPenStyle::psClear ? 1 : 0;
    ::Ellipse(dc_, rect.Left, rect.Top, rect.Right + grow, rect.Bottom + grow);
    SelectObject(dc_, oldBrush);
    SelectObject(dc_, oldPen);
    if (BrushStyle != TBrushStyle::bsClear) DeleteObject(brush);
    if (PenStyle != TPenStyle::psClear) DeleteObject(pen);
}

void TDCCanvas::Line(int x1, int y1, int x2, int y2) {
    if (PenStyle == TPenStyle::psClear) return;
    HPEN pen = CreatePen(PS_SOLID, 1, ToColorRef(PenColor));
    HGDIOBJ old = SelectObject(dc_, pen);
    MoveToEx(dc_, x1, y1, nullptr);
    LineTo(dc_, x2, y2);
    SelectObject(dc_, old);
    DeleteObject(pen);
}

void TDCCanvas::TextRect(const TRect& clip, int x, int y, const std::string& text) {
    HGDIOBJ old = SelectObject(dc_, FontHandle(Font));
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, ToColorRef(Font.Color));
    const RECT r = ToRECT(clip);
    ExtTextOutA(dc_, x, y, ETO_CLIPPED, &r, text.data(), static_cast<UINT>(text.size()), nullptr);
    SelectObject(dc_, old);
}

void TDCCanvas::DrawText(const TRect& rect, const std::string& text, uint32_t flags) {
    UINT format = 0;
    if (flags & tfCenter) format |= DT_CENTER;
    if (flags & tfRight) format |= DT_RIGHT;
    if (flags & tfVCenter) format |= DT_VCENTER;
    if (flags & tfWordBreak) format |= DT_WORDBREAK;
    if (flags & tfSingleLine) format |= DT_SINGLELINE;
    if (flags & tfNoPrefix) format |= DT_NOPREFIX;
    HGDIOBJ old = SelectObject(dc_, FontHandle(Font));
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, ToColorRef(Font.Color));
    RECT r = ToRECT(rect);
    DrawTextA(dc_, text.c_str(), static_cast<int>(text.size()), &r, format);
    SelectObject(dc_, old);
}

TPoint TDCCanvas::TextExtent(const std::string& text) {
    HGDIOBJ old = SelectObject(dc_, FontHandle(Font));
    SIZE size{};
    GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc_, old);
    return {size.cx, size.cy};
}

void TDCCanvas::DrawPicture(const TPictureData& picture, int frame, const TRect& dest) {
    DrawGdiplusPicture(dc_, picture, frame, ToRECT(dest));
}

std::unique_ptr<TPalette> TDCCanvas::CreatePalette(uint16_t version,
                                                   const std::vector<TPaletteEntry>& entries) {
    std::vector<uint8_t> buffer(sizeof(LOGPALETTE) + entries.size() * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(buffer.data());
    lp->palVersion = version;
    lp->palNumEntries = static_cast<WORD>(entries.size());
    PALETTEENTRY* out = lp->palPalEntry;
    for (size_t i = 0; i < entries.size(); ++i)
        out[i] = {entries[i].Red, entries[i].Green, entries[i].Blue, entries[i].Flags};
    HPALETTE handle = ::CreatePalette(lp);
    if (!handle) return nullptr;
    return std::make_unique<TGdiPalette>(handle);
}

TPalette* TDCCanvas::SelectPalette(TPalette* palette, bool forceBackground) {
    TPalette* previous = selected_;
    HPALETTE handle = palette ? static_cast<TGdiPalette*>(palette)->handle
                              : (original_ ? original_ : static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)));
    HPALETTE old = ::SelectPalette(dc_, handle, forceBackground ? TRUE : FALSE);
    if (!selected_ && palette) original_ = old;
    selected_ = palette;
    return previous;
}

void TDCCanvas::RealizePalette() { ::RealizePalette(dc_); }

std::unique_ptr<TCanvas> TDCCanvas::CreateBitmap(int width, int height) {
    HDC memory = CreateCompatibleDC(dc_);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(dc_, width > 0 ? width : 1, height > 0 ? height : 1) : nullptr;
    if (!bitmap) {
        if (memory) DeleteDC(memory);
        throw EOutOfResources("Out of system resources");
    }
    return std::make_unique<TBitmapCanvasImpl>(memory, bitmap, width, height);
}

void TDCCanvas::Draw(int x, int y, TCanvas& bitmap) {
    auto& source = static_cast<TDCCanvas&>(bitmap);
    BitBlt(dc_, x, y, source.width_, source.height_, source.dc_, 0, 0, SRCCOPY);
}

void TDCCanvas::PushState(int x, int y, const TRect& clip) {
    SaveDC(dc_);
    ++savedStates_;
    OffsetViewportOrgEx(dc_, x, y, nullptr);
    IntersectClipRect(dc_, clip.Left, clip.Top, clip.Right, clip.Bottom);
}

void TDCCanvas::PopState() {
    if (savedStates_ == 0) return;
    RestoreDC(dc_, -1);
    --savedStates_;
}

}  // namespace zov::ui::win32
