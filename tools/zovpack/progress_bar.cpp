#include "tools/zovpack/progress_bar.h"

#include <algorithm>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define ZOV_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define ZOV_ISATTY(fd) isatty(fd)
#endif

namespace zov::zovpack {

namespace {
constexpr int kWidth = 30;
constexpr size_t kLabelWidth = 40;
}  // namespace

ProgressBar::ProgressBar() : enabled_(ZOV_ISATTY(2) != 0) {}

ProgressBar::~ProgressBar() { Clear(); }

void ProgressBar::Show(int percent, const std::string& label) {
    if (!enabled_) return;
    percent = std::clamp(percent, 0, 100);
    if (percent == percent_ && label == label_) return;
    percent_ = percent;
    label_ = label;
    const int filled = percent * kWidth / 100;
    std::string text = label.size() > kLabelWidth ? "..." + label.substr(label.size() - kLabelWidth + 3)
                                                  : label;
    std::fprintf(stderr, "\r[%s%s] %3d%% %-*s", std::string(static_cast<size_t>(filled), '#').c_str(),
                 std::string(static_cast<size_t>(kWidth - filled), '.').c_str(), percent,
                 static_cast<int>(kLabelWidth), text.c_str());
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::Clear() {
    if (!drawn_) return;
    std::fprintf(stderr, "\r%*s\r", kWidth + 8 + static_cast<int>(kLabelWidth), "");
    std::fflush(stderr);
    drawn_ = false;
    percent_ = -1;
}

}  // namespace zov::zovpack
