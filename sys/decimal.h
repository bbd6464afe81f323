#pragma once
// Numbers as decimal text ("-12", "1440000"), as the messages, the logs and the numbered
// names show them: what std::to_string writes, from one small function for every integer
// type instead of one instance (and a table of digit pairs) each.
#include <cstdint>
#include <string>

namespace zov {

std::string DecimalText(int64_t value);

}  // namespace zov
