#pragma once
// The parts of the install.cfg checks (cfg_lint.h), each over the text as the setup reads it.
#include <set>
#include <string>
#include <vector>

#include "tools/zovpack/cfg_lint.h"
#include "tools/zovpack/cfg_text.h"

namespace zov::zovpack {

class TCfgFindings {
public:
    void Error(int line, std::string text) { all_.push_back({line, true, std::move(text)}); }
    void Warning(int line, std::string text) { all_.push_back({line, false, std::move(text)}); }
    std::vector<TCfgFinding> InLineOrder() const;

private:
    std::vector<TCfgFinding> all_;
};

// The sections the setup reads, upper-cased, as their names are written.
const std::vector<std::string>& KnownSectionNames();

// The sections, keys and numbers of the text. Returns the upper-cased names of the known
// sections that are missing because their name was misspelt: the checks of their entries
// would only repeat that.
std::set<std::string> CheckConfigStructure(const TCfgText& text, TCfgFindings& findings);

// The list entries: their fields, tags, marks, and whether they fit together.
void CheckConfigEntries(const TCfgText& text, const std::set<std::string>& misspelt, TCfgFindings& findings);

// `text` quoted, with control characters and bytes above 0x7E written as \xNN.
std::string Quoted(const std::string& text);

}  // namespace zov::zovpack
