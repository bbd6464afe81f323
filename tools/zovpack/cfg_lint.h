#pragma once
// Warnings about the text of an install.cfg that the setup would read otherwise than its
// author meant: not ANSI text at all, numbers that do not convert, a section given twice,
// keys and sections the setup does not know. Each says what the setup will do instead.
#include <string>
#include <vector>

namespace zov::zovpack {

std::vector<std::string> LintConfigText(const std::string& bytes);

}  // namespace zov::zovpack
