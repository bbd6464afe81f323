#include "ui/strings.h"

#include <memory>

#include "sys/stream.h"

namespace zov::ui {

void TStrings::Changed() {
    if (OnChange) OnChange();
}

void TStrings::Add(const std::string& line) {
    lines_.push_back(line);
    Changed();
}

void TStrings::Clear() {
    if (lines_.empty()) return;
    lines_.clear();
    Changed();
}

void TStrings::Assign(const std::vector<std::string>& lines) {
    lines_ = lines;
    Changed();
}

std::string TStrings::Text() const {
    std::string text;
    for (const std::string& line : lines_) text += line + "\r\n";
    return text;
}

void TStrings::SetText(const std::string& text) {
    lines_.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines_.push_back(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    Changed();
}

std::string LoadFileBytes(const std::string& path) {
    std::unique_ptr<TFileStream> file = TFileStream::OpenRead(path);
    std::string bytes(static_cast<size_t>(file->Size()), '\0');
    file->ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    return bytes;
}

void TStrings::LoadFromFile(const std::string& path) { SetText(LoadFileBytes(path)); }

}  // namespace zov::ui
