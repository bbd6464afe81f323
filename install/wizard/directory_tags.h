#pragma once
// The directory tags of install.cfg ("<INSTALLDIR>", "<WINDOWS>", "<SUB1><PROGRAMFILES>", ...):
// the directory each names, and a tag at the start of a path replaced by its directory. The
// install engine resolves them as it creates the directories; the wizard previews them.
#include <string>
#include <vector>

namespace zov {

struct TDirectoryBases {
    std::string WindowsDir;   // without a trailing "\"
    std::string WindowsRoot;  // "C:\"
    std::string InstallDir;   // the destination
};

// The directory of a [Directories] entry: its upper-cased tag and its path field.
std::string ResolveDirectoryTag(const std::string& tag, const std::string& path, const TDirectoryBases& bases);

// A tag at the start of `text` replaced by its directory (`paths`[i] for `tags`[i], the last
// equal tag winning). An unknown tag gives the text before it.
std::string ExpandDirectoryTag(const std::string& text, const std::vector<std::string>& tags,
                               const std::vector<std::string>& paths);

// ExpandDirectoryTag with the directories of `entries` ([Directories]) as they would resolve.
std::string PreviewDirectoryTag(const std::string& text, const std::vector<std::string>& entries,
                                const TDirectoryBases& bases);

}  // namespace zov
