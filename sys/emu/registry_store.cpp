#include "sys/emu/registry_store.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "sys/emu/emu_paths.h"

namespace zov::sys::emu {

struct RegistryStore::Key {
    std::string name;
    std::vector<std::unique_ptr<Key>> children;
    std::vector<RegistryValue> values;

    Key* Child(const std::string& childName) const {
        const std::string want = UpperAscii(childName);
        for (const auto& c : children)
            if (UpperAscii(c->name) == want) return c.get();
        return nullptr;
    }
    RegistryValue* Value(const std::string& valueName) {
        const std::string want = UpperAscii(valueName);
        for (auto& v : values)
            if (UpperAscii(v.name) == want) return &v;
        return nullptr;
    }
    void Set(RegistryValue value) {
        if (auto* v = Value(value.name))
            *v = RegistryValue{v->name, std::move(value.text), value.dword};
        else
            values.push_back(std::move(value));
    }
};

namespace {

const char* const kRootNames[2] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};

int Index(RegRoot root) { return root == RegRoot::LocalMachine ? 1 : 0; }

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

bool NeedsHex(const std::string& s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20) return true;
    return false;
}

std::string Hex1(const std::string& s) {
    std::string out = "hex(1):";
    char buf[4];
    for (size_t i = 0; i <= s.size(); ++i) {  // with the terminating zero
        std::snprintf(buf, sizeof buf, "%02x", i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
        out += (i ? "," : "") + std::string(buf);
    }
    return out;
}

// Reads a quoted string starting at text[pos] == '"'; pos ends after the closing quote.
std::optional<std::string> Unquote(const std::string& text, size_t& pos) {
    std::string out;
    for (++pos; pos < text.size(); ++pos) {
        if (text[pos] == '"') {
            ++pos;
            return out;
        }
        if (text[pos] == '\\' && pos + 1 < text.size()) ++pos;
        out += text[pos];
    }
    return std::nullopt;
}

std::string UnHex(const std::string& hex) {
    std::string out;
    unsigned value = 0;
    int digits = 0;
    for (char c : hex + ",") {
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            value = value * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c))
                                                           ? c - '0'
                                                           : std::toupper(c) - 'A' + 10);
            ++digits;
        } else if (c == ',' && digits) {
            out += static_cast<char>(value);
            value = 0;
            digits = 0;
        }
    }
    while (!out.empty() && out.back() == 0) out.pop_back();
    return out;
}

}  // namespace

std::optional<std::vector<std::string>> SplitKeyPath(const std::string& path) {
    if (!path.empty() && path[0] == '\\') return std::nullopt;
    std::vector<std::string> parts;
    std::string cur;
    for (char c : path + "\\") {
        if (c != '\\') {
            cur += c;
            continue;
        }
        if (!cur.empty()) parts.push_back(cur);
        cur.clear();
    }
    return parts;
}

RegistryStore::RegistryStore() {
    for (int i = 0; i < 2; ++i) {
        roots_[i] = std::make_unique<Key>();
        roots_[i]->name = kRootNames[i];
    }
}
RegistryStore::~RegistryStore() = default;
RegistryStore::RegistryStore(RegistryStore&&) noexcept = default;
RegistryStore& RegistryStore::operator=(RegistryStore&&) noexcept = default;

RegistryStore::Key* RegistryStore::Find(RegRoot root, const std::string& path, bool create) const {
    const auto parts = SplitKeyPath(path);
    if (!parts) return nullptr;
    Key* key = roots_[Index(root)].get();
    for (const std::string& part : *parts) {
        Key* next = key->Child(part);
        if (!next) {
            if (!create) return nullptr;
            key->children.push_back(std::make_unique<Key>());
            next = key->children.back().get();
            next->name = part;
        }
        key = next;
    }
    return key;
}

bool RegistryStore::CreateKey(RegRoot root, const std::string& path) {
    return Find(root, path, true) != nullptr;
}

bool RegistryStore::KeyExists(RegRoot root, const std::string& path) const {
    return Find(root, path, false) != nullptr;
}

bool RegistryStore::SetValue(RegRoot root, const std::string& path, RegistryValue value) {
    Key* key = Find(root, path, true);
    if (!key) return false;
    key->Set(std::move(value));
    return true;
}

std::optional<RegistryValue> RegistryStore::GetValue(RegRoot root, const std::string& path,
                                                     const std::string& name) const {
    Key* key = Find(root, path, false);
    if (!key) return std::nullopt;
    if (auto* v = key->Value(name)) return *v;
    return std::nullopt;
}

bool RegistryStore::DeleteKey(RegRoot root, const std::string& path) {
    const auto parts = SplitKeyPath(path);
    if (!parts || parts->empty()) return false;
    std::string parentPath;
    for (size_t i = 0; i + 1 < parts->size(); ++i) parentPath += (i ? "\\" : "") + (*parts)[i];
    Key* parent = Find(root, parentPath, false);
    if (!parent) return false;
    const std::string want = UpperAscii(parts->back());
    for (auto it = parent->children.begin(); it != parent->children.end(); ++it) {
        if (UpperAscii((*it)->name) != want) continue;
        if (!(*it)->children.empty()) return false;
        parent->children.erase(it);
        return true;
    }
    return false;
}

bool RegistryStore::List(RegRoot root, const std::string& path, std::vector<std::string>& subKeys,
                         std::vector<std::string>& valueNames) const {
    Key* key = Find(root, path, false);
    if (!key) return false;
    subKeys.clear();
    valueNames.clear();
    for (const auto& c : key->children) subKeys.push_back(c->name);
    for (const auto& v : key->values) valueNames.push_back(v.name);
    return true;
}

bool RegistryStore::DeleteValue(RegRoot root, const std::string& path, const std::string& name) {
    Key* key = Find(root, path, false);
    if (!key) return false;
    for (auto it = key->values.begin(); it != key->values.end(); ++it) {
        if (UpperAscii(it->name) == UpperAscii(name)) {
            key->values.erase(it);
            return true;
        }
    }
    return false;
}

namespace {
struct Writer {
    std::string out;
    template <typename KeyT>
    void Write(const std::string& path, const KeyT& key) {
        out += "[" + path + "]\r\n";
        for (const RegistryValue& v : key.values) {
            out += v.name.empty() ? std::string("@") : Quote(v.name);
            if (v.dword) {
                char number[16];
                std::snprintf(number, sizeof number, "dword:%08x", static_cast<unsigned>(*v.dword));
                out += "=" + std::string(number) + "\r\n";
            } else {
                out += "=" + (NeedsHex(v.text) ? Hex1(v.text) : Quote(v.text)) + "\r\n";
            }
        }
        out += "\r\n";
        for (const auto& child : key.children) Write(path + "\\" + child->name, *child);
    }
};
}  // namespace

std::string RegistryStore::Text() const {
    Writer w;
    w.out = "REGEDIT4\r\n\r\n";
    for (const auto& root : roots_)
        for (const auto& child : root->children) w.Write(root->name + "\\" + child->name, *child);
    return w.out;
}

RegistryStore RegistryStore::Parse(const std::string& text) {
    RegistryStore store;
    Key* current = nullptr;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty()) continue;
        if (line[0] == '[') {
            current = nullptr;
            const size_t close = line.rfind(']');
            const std::string path = line.substr(1, close == std::string::npos ? close : close - 1);
            const size_t slash = path.find('\\');
            const std::string rootName = UpperAscii(path.substr(0, slash));
            const std::string rest = slash == std::string::npos ? "" : path.substr(slash + 1);
            for (int i = 0; i < 2; ++i)
                if (rootName == kRootNames[i])
                    current = store.Find(i ? RegRoot::LocalMachine : RegRoot::CurrentUser, rest,
                                         true);
            continue;
        }
        if (!current) continue;
        size_t pos = 0;
        std::string name;
        if (line[0] == '@') {
            pos = 1;
        } else if (line[0] == '"') {
            auto n = Unquote(line, pos);
            if (!n) continue;
            name = *n;
        } else {
            continue;
        }
        if (pos >= line.size() || line[pos] != '=') continue;
        ++pos;
        std::optional<RegistryValue> value;
        if (pos < line.size() && line[pos] == '"') {
            if (auto text = Unquote(line, pos)) value = RegistryValue{name, *text, std::nullopt};
        } else if (line.compare(pos, 7, "hex(1):") == 0) {
            value = RegistryValue{name, UnHex(line.substr(pos + 7)), std::nullopt};
        } else if (line.compare(pos, 6, "dword:") == 0) {
            value = RegistryValue{name, "", static_cast<uint32_t>(std::strtoul(line.c_str() + pos + 6, nullptr, 16))};
        }
        if (!value) continue;
        current->Set(std::move(*value));
    }
    return store;
}

}  // namespace zov::sys::emu
