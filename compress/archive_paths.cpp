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

}  // namespace zov::compress
