#pragma once
// What the builder is told about an install.cfg, each finding with its line: text the setup
// reads otherwise than its author meant (not ANSI text, numbers that do not convert, a section
// given twice, keys and sections it does not know) and entries that do not fit together (a
// tag no directory defines, a link to a file nothing installs, a mark it does not know).
// Errors are what leaves the product installed otherwise than written; `media` refuses them.
// Each says what the setup will do, and what to write instead.
#include <string>
#include <vector>

namespace zov::zovpack {

struct TCfgFinding {
    int Line = 0;  // from 1; 0 for the file as a whole
    bool Error = false;
    std::string Text;
};

// Every finding, in the order of the lines.
std::vector<TCfgFinding> CheckConfigText(const std::string& bytes);

// "FILE:LINE: error: TEXT", or "FILE: warning: TEXT" for the file as a whole.
std::string FindingLine(const std::string& file, const TCfgFinding& finding);

// Each finding on stderr; how many are errors.
int PrintConfigFindings(const std::string& file, const std::vector<TCfgFinding>& findings);

}  // namespace zov::zovpack
