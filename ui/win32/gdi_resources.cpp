#include "ui/win32/gdi_resources.h"

#include <vector>

namespace zov::ui::win32 {

COLORREF ToColorRef(TColor color) {
    if (color < 0) return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color);
}

// A handful of fonts and colours are used in a run; a list searched in order is enough.
HFONT FontHandle(const TFont& font) {
    static std::vector<std::pair<TFont, HFONT>> fonts;
    for (const auto& [key, handle] : fonts)
        if (key.Name == font.Name && key.Height == font.Height && key.Charset == font.Charset && key.Bold == font.Bold)
            return handle;
    LOGFONTA lf{};
    lf.lfHeight = -font.Height;
    lf.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = font.Charset;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(lf.lfFaceName, font.Name.c_str(), LF_FACESIZE);
    HFONT handle = CreateFontIndirectA(&lf);
    fonts.emplace_back(font, handle);
    return handle;
}

HBRUSH BrushHandle(TColor color) {
    static std::vector<std::pair<TColor, HBRUSH>> brushes;
    for (const auto& [key, handle] : brushes)
        if (key == color) return handle;
    HBRUSH handle = CreateSolidBrush(ToColorRef(color));
    brushes.emplace_back(color, handle);
    return handle;
}

TFont CaptionFont(bool small) {
    NONCLIENTMETRICSA metrics{};
    // The size without the padding field of newer systems, which older ones refuse.
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA);
    TFont font;
    font.Bold = true;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return font;
    const LOGFONTA& lf = small ? metrics.lfSmCaptionFont : metrics.lfCaptionFont;
    font.Name = lf.lfFaceName;
    font.Height = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    font.Bold = lf.lfWeight >= FW_BOLD;
    font.Charset = lf.lfCharSet;
    return font;
}

}  // namespace zov::ui::win32
