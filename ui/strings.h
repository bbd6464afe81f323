#pragma once
// A list of text lines that tells its owner when it changes (a memo's lines, the items of a
// list box).
#include <string>
#include <vector>

#include "sys/event.h"

namespace zov::ui {

// The whole of a file, read through the system; raises EFOpenError when it cannot be
// opened.
std::string LoadFileBytes(const std::string& path);

class TStrings {
public:
    size_t Count() const { return lines_.size(); }
    const std::string& operator[](size_t index) const { return lines_[index]; }
    const std::vector<std::string>& Lines() const { return lines_; }

    void Add(const std::string& line);
    void Clear();
    void Assign(const std::vector<std::string>& lines);
    // Every line followed by CR LF.
    std::string Text() const;
    // Cuts the text into lines at CR LF, LF or CR; a final line break starts no empty line.
    void SetText(const std::string& text);
    // Reads a text file through the system; raises EFOpenError when it cannot be opened.
    void LoadFromFile(const std::string& path);

    TEvent<void()> OnChange;

private:
    void Changed();
    std::vector<std::string> lines_;
};

}  // namespace zov::ui
