#pragma once
// A one-line progress bar on stderr, drawn only when stderr is a terminal.
#include <string>

namespace zov::zovpack {

class ProgressBar {
public:
    ProgressBar();
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Redraws when the percentage or the label changed.
    void Show(int percent, const std::string& label);
    // Clears the line so that the next output starts clean.
    void Clear();

private:
    bool enabled_;
    bool drawn_ = false;
    int percent_ = -1;
    std::string label_;
};

}  // namespace zov::zovpack
