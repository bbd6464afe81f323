#pragma once
// The text of one profile (INI) file and the rules Windows reads and edits it by:
// - "[name]" starts a section; section and key names are compared without regard to case,
//   after blanks around them are removed;
// - "key=value" is a key (blanks around both removed, the value is everything after the
//   first "="); a line without "=" is no key; lines starting with ";" are comments;
// - a value enclosed in matching double or single quotes loses them;
// - of sections with the same name the first counts, and so does the first of equal keys;
// - a write edits the one line it concerns and leaves every other line as it was.
#include <optional>
#include <string>
#include <vector>

namespace zov::sys::emu {

class ProfileText {
public:
    explicit ProfileText(const std::string& bytes = "");

    std::optional<std::string> Get(const std::string& section, const std::string& key) const;
    // Key names of the first section of that name, in file order; empty when it is missing.
    std::vector<std::string> KeyNames(const std::string& section) const;
    std::vector<std::string> SectionNames() const;
    void Set(const std::string& section, const std::string& key, const std::string& value);
    // Removes the key's line, or with an empty key the section's header and all its lines.
    void Remove(const std::string& section, const std::string& key);

    std::string Bytes() const;

private:
    struct Line {
        std::string text;     // without its line break
        std::string newline;  // "\r\n", "\n", "\r" or "" for the last line
    };
    enum class Kind { Blank, Section, Comment, Key, NoKey };
    static Kind KindOf(const std::string& text);
    static std::string SectionNameOf(const std::string& text);
    static std::string KeyNameOf(const std::string& text);
    // Index of the header of the first section named so; npos when missing.
    size_t FindSection(const std::string& section) const;
    // The lines of the section whose header is at `header`: [header + 1, end).
    size_t SectionEnd(size_t header) const;
    size_t FindKey(size_t header, const std::string& key) const;

    std::vector<Line> lines_;
};

// Blanks (spaces and tabs) off both ends.
std::string TrimBlanks(const std::string& s);

// A list of names as it fits into a buffer of `bufferSize` bytes holding each name with a
// terminating zero and one more zero at the end: unless the list leaves at least one byte
// of the buffer unused, it is cut to bufferSize - 2 bytes, which may cut the last name seen.
std::vector<std::string> NamesAsSeen(const std::vector<std::string>& names, uint32_t bufferSize);

}  // namespace zov::sys::emu
