#include "sys/emu/entry_store.h"

#include <cstdlib>
#include <set>
#include <sstream>

#include "sys/emu/emu_paths.h"
#include "sys/emu/host_files.h"
#include "sys/emu/short_names.h"

namespace zov::sys::emu {
namespace fs = std::filesystem;

EntryStore::EntryStore(fs::path machineRoot)
    : root_(std::move(machineRoot)), file_(root_ / "entries") {}

std::optional<std::string> EntryStore::Key(const fs::path& host) const {
    std::error_code ec;
    const fs::path rel = host.lexically_normal().lexically_relative(root_.lexically_normal());
    if (rel.empty() || *rel.begin() == "..") return std::nullopt;
    std::string key = rel.generic_string();
    while (!key.empty() && key.back() == '/') key.pop_back();
    return key;
}

void EntryStore::Load() {
    std::error_code ec;
    const auto time = fs::last_write_time(file_, ec);
    const auto size = ec ? 0 : fs::file_size(file_, ec);
    if (ec) {
        records_.clear();
        loadedSize_ = static_cast<uintmax_t>(-1);
        return;
    }
    if (time == loadedTime_ && size == loadedSize_) return;
    records_.clear();
    std::istringstream in(ReadHostFile(file_).value_or(std::string()));
    std::string line;
    while (std::getline(in, line)) {
        const size_t t1 = line.find('\t');
        const size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
        if (t2 == std::string::npos) continue;
        Record r;
        const std::string attrs = line.substr(0, t1);
        r.hasAttributes = attrs != "-";
        if (r.hasAttributes) r.attributes = static_cast<uint32_t>(std::strtoul(attrs.c_str(), nullptr, 16));
        r.shortName = line.substr(t1 + 1, t2 - t1 - 1);
        if (r.shortName == "-") r.shortName.clear();
        records_[line.substr(t2 + 1)] = r;
    }
    loadedTime_ = time;
    loadedSize_ = size;
}

void EntryStore::Save() {
    std::ostringstream text;
    for (const auto& [key, r] : records_) {
        if (!r.hasAttributes && r.shortName.empty()) continue;
        std::ostringstream attrs;
        attrs << std::hex << r.attributes;
        text << (r.hasAttributes ? attrs.str() : "-") << '\t'
             << (r.shortName.empty() ? "-" : r.shortName) << '\t' << key << '\n';
    }
    ReplaceHostFile(file_, text.str());
    std::error_code ec;
    loadedTime_ = fs::last_write_time(file_, ec);
    loadedSize_ = fs::file_size(file_, ec);
}

std::optional<uint32_t> EntryStore::Attributes(const fs::path& host) {
    const auto key = Key(host);
    if (!key) return std::nullopt;
    Load();
    const auto it = records_.find(*key);
    if (it == records_.end() || !it->second.hasAttributes) return std::nullopt;
    return it->second.attributes;
}

void EntryStore::SetAttributes(const fs::path& host, uint32_t attributes) {
    const auto key = Key(host);
    if (!key) return;
    Load();
    Record& r = records_[*key];
    r.attributes = attributes;
    r.hasAttributes = true;
    Save();
}

void EntryStore::Forget(const fs::path& host) {
    const auto key = Key(host);
    if (!key) return;
    Load();
    if (records_.erase(*key)) Save();
}

std::string EntryStore::ShortName(const fs::path& host) {
    const std::string longName = host.filename().string();
    const auto key = Key(host);
    if (!key || IsLegal83(longName)) return longName;
    Load();
    auto it = records_.find(*key);
    if (it != records_.end() && !it->second.shortName.empty()) return it->second.shortName;

    std::set<std::string> taken;  // upper case: every long and short name of the folder
    for (const fs::path& e : FolderEntries(host.parent_path())) {
        taken.insert(UpperAscii(e.filename().string()));
        const auto other = Key(e);
        if (!other) continue;
        const auto r = records_.find(*other);
        if (r != records_.end() && !r->second.shortName.empty())
            taken.insert(UpperAscii(r->second.shortName));
    }
    std::string name;
    for (int n = 1; n < 1000000; ++n) {
        name = ShortNameCandidate(longName, n);
        if (!taken.count(UpperAscii(name))) break;
    }
    records_[*key].shortName = name;
    Save();
    return name;
}

std::optional<fs::path> EntryStore::FindShortName(const fs::path& dir, const std::string& shortName) {
    const auto dirKey = Key(dir);
    if (!dirKey) return std::nullopt;
    Load();
    const std::string want = UpperAscii(shortName);
    const std::string prefix = dirKey->empty() ? "" : *dirKey + "/";
    for (const auto& [key, r] : records_) {
        if (r.shortName.empty() || UpperAscii(r.shortName) != want) continue;
        if (key.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string rest = key.substr(prefix.size());
        if (rest.find('/') != std::string::npos || rest == "." || rest == "..") continue;
        std::error_code ec;
        const fs::path candidate = dir / rest;
        if (fs::exists(fs::symlink_status(candidate, ec))) return candidate;
    }
    return std::nullopt;
}

}  // namespace zov::sys::emu
