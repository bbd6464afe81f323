#include "ui/font.h"

#include "ui/muldiv.h"
#include "ui/screen.h"

namespace zov::ui {

int TFont::Size() const { return MulDiv(Height, 72, Screen().PixelsPerInch); }

void TFont::SetSize(int points) { Height = MulDiv(points, Screen().PixelsPerInch, 72); }

}  // namespace zov::ui
