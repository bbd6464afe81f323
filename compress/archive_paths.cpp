#include "compress/archive_paths.h"

namespace zov::compress {

namespace {
// -1 for a part that goes up a level, 0 for one that stays, 1 for a name.
int PartDepth(const std::string& part) {
    if (part.empty()) return 0;
    int dots = 0;
    for (char c : part) {
        if (c == '.') ++dots;
        else if (c != ' ') return 1;
    }
    return dots >= 2 ? -1 : 0;
}
}  // namespace

bool ClimbsOutOfDirectory(const std::string& name) {
    int depth = 0;
    std::string part;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || IsPathSeparator(name[i])) {
            depth += PartDepth(part);
            if (depth < 0) return true;
            part.clear();
        } else {
            part += name[i];
        }
    }
    return false;
}

bool ConfineName(std::string& name) {
    size_t start = 0;
    for (;;) {
        if (start < name.size() && IsPathSeparator(name[start])) {
            ++start;
        } else if (start + 1 < name.size() && name[start + 1] == ':') {
            start += 2;
        } else {
            break;
        }
    }
    name.erase(0, start);
    return !name.empty() && !ClimbsOutOfDirectory(name);
}

}  // namespace zov::compress
