#include "sys/emu/short_names.h"

#include <cstring>

#include "sys/emu/emu_paths.h"

namespace zov::sys::emu {
namespace {

bool IsForbidden83(char c) {
    return std::strchr(" +,;=[]\"*?<>|:/\\", c) != nullptr || static_cast<unsigned char>(c) < 0x20;
}

// Upper case, with spaces and periods left out and forbidden characters turned into "_".
std::string Squeeze(const std::string& part) {
    std::string out;
    for (char c : part) {
        if (c == ' ' || c == '.') continue;
        out += IsForbidden83(c) ? '_' : c;
    }
    return UpperAscii(out);
}

}  // namespace

bool IsLegal83(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return !name.empty();
    const size_t dot = name.find('.');
    const std::string base = name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
    if (dot != std::string::npos && ext.empty()) return false;
    for (char c : base + ext)
        if (c == '.' || IsForbidden83(c)) return false;
    return true;
}

std::string ShortNameCandidate(const std::string& longName, int n) {
    std::string name = longName;
    while (!name.empty() && name[0] == '.') name.erase(0, 1);  // ".profile" has no extension
    const size_t dot = name.rfind('.');
    std::string base = Squeeze(dot == std::string::npos ? name : name.substr(0, dot));
    std::string ext = dot == std::string::npos ? "" : Squeeze(name.substr(dot + 1));
    if (ext.size() > 3) ext.resize(3);
    const std::string tail = "~" + std::to_string(n);
    if (base.empty()) base = "_";
    if (base.size() > 8 - tail.size()) base.resize(8 - tail.size());
    return base + tail + (ext.empty() ? "" : "." + ext);
}

}  // namespace zov::sys::emu
