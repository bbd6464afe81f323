#pragma once
// A canvas on a GDI device context: a window's, or an off-screen bitmap's it owns.
#include <memory>
#include <string>
#include <vector>

#include "ui/canvas.h"
#include "ui/win32/windows_ui.h"

namespace zov::ui::win32 {

class TDCCanvas : public TCanvas {
public:
    TDCCanvas(HDC dc, int width, int height);
    ~TDCCanvas() override;

    HDC Handle() const { return dc_; }

    void FillRect(const TRect& rect) override;
    void Ellipse(const TRect& rect) override;
    void Line(int x1, int y1, int x2, int y2) override;
    void TextRect(const TRect& clip, int x, int y, const std::string& text) override;
    void DrawText(const TRect& rect, const std::string& text, uint32_t flags) override;
    TPoint TextExtent(const std::string& text) override;
    void DrawPicture(const TPictureData& picture, int frame, const TRect& dest) override;
    std::unique_ptr<TPalette> CreatePalette(uint16_t version,
                                            const std::vector<TPaletteEntry>& entries) override;
    TPalette* SelectPalette(TPalette* palette, bool forceBackground) override;
    void RealizePalette() override;
    std::unique_ptr<TCanvas> CreateBitmap(int width, int height) override;
    void Draw(int x, int y, TCanvas& bitmap) override;
    void PushState(int x, int y, const TRect& clip) override;
    void PopState() override;

private:
    HDC dc_;
    int width_, height_;
    TPalette* selected_ = nullptr;
    HPALETTE original_ = nullptr;  // the palette the surface had before ours
    int savedStates_ = 0;
};

}  // namespace zov::ui::win32
