#pragma once
// install.cfg as text, line by line, read by the rules of the Windows profile functions that
// the setup reads it with: a line break is CR LF, LF or CR alone; "[name]" opens a section,
// names compare without regard to case once blanks around them are gone; "key=value" is a
// key, a line without "=" is none; ";" starts a comment; a value loses the blanks around it
// and one pair of enclosing quotes. Of two sections of a name the setup reads the first.
// The builder's checks read it so to name the line of each entry they find fault with.
#include <string>
#include <vector>

namespace zov::zovpack {

struct TCfgLine {
    int Number = 0;     // from 1
    std::string Key;    // the text before the first "=", or the whole line when it has none
    std::string Value;  // as the setup reads it
    bool HasEquals = false;
    bool Repeated = false;  // an entry whose key came before: the setup reads the first one's value
};

struct TCfgSection {
    int Number = 0;     // the header's line
    std::string Name;   // as written
    std::string Upper;  // as compared
    bool Repeated = false;         // an earlier section has its name: the setup ignores this one
    std::vector<TCfgLine> Lines;   // its lines that are neither blank nor comments
    // The lines the setup reads as entries, with the value the setup reads for each: a key
    // given twice gives the first one's value both times.
    std::vector<TCfgLine> Entries() const;
};

struct TCfgText {
    std::vector<std::string> Lines;      // every line, without its line break
    std::vector<TCfgSection> Sections;   // in file order; lines before the first header belong to none
    // The section the setup reads under `upperName`; null when there is none.
    const TCfgSection* Find(const std::string& upperName) const;
    // The value of `key` in the section, as the setup reads it; `fallback` when it is absent.
    std::string Value(const std::string& upperSection, const std::string& upperKey, const std::string& fallback) const;
    // The line of `key` in the section; 0 when it is absent.
    int LineOf(const std::string& upperSection, const std::string& upperKey) const;
};

TCfgText ParseCfgText(const std::string& bytes);

}  // namespace zov::zovpack
