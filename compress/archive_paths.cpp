#include "compress/archive_paths.h"

namespace zov::compress {

std::string DirectoryPart(const std::string& path) {
    for (size_t i = path.size(); i > 0; --i)
        if (IsPathSeparator(path[i - 1]) || path[i - 1] == ':') return path.substr(0, i);
    return std::string();
}

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

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace zov::compress
