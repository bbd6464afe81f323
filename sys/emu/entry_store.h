#pragma once
// What the host file system cannot hold for the emulated machine's files and folders: their
// DOS attributes (read-only, hidden, system, archive) and the 8.3 names given to long names.
// Kept in the file "entries" in the machine's root, one line per entry:
//   <attributes in hex> TAB <short name or "-"> TAB <path below the root>
// An entry without a line has the attributes of a new one (archive for files).
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace zov::sys::emu {

class EntryStore {
public:
    explicit EntryStore(std::filesystem::path machineRoot);

    std::optional<uint32_t> Attributes(const std::filesystem::path& host);
    void SetAttributes(const std::filesystem::path& host, uint32_t attributes);
    // The entry was deleted or made anew: it loses its attributes and its short name.
    void Forget(const std::filesystem::path& host);

    // The 8.3 name of an existing entry with a long name, given on first request with the
    // lowest numeric tail that no other name in the folder uses.
    std::string ShortName(const std::filesystem::path& host);
    // The entry of `dir` whose short name is `shortName` (any case), if one was given.
    std::optional<std::filesystem::path> FindShortName(const std::filesystem::path& dir,
                                                       const std::string& shortName);

private:
    struct Record {
        uint32_t attributes = 0;
        bool hasAttributes = false;
        std::string shortName;
    };
    std::optional<std::string> Key(const std::filesystem::path& host) const;
    void Load();
    void Save();

    std::filesystem::path root_;
    std::filesystem::path file_;
    std::map<std::string, Record> records_;
    std::filesystem::file_time_type loadedTime_{};
    uintmax_t loadedSize_ = static_cast<uintmax_t>(-1);
};

}  // namespace zov::sys::emu
