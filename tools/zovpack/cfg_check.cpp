#include "tools/zovpack/cfg_check.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "shell/system_helpers.h"
#include "sys/paths.h"

namespace zov::zovpack {
namespace {

std::string Field(std::string entry, int index) {
    std::string head;
    for (int i = 0; i <= index; ++i) SplitField(entry, '~', head);
    return head;
}

}  // namespace

std::string LeadingTag(const std::string& path) {
    const size_t s = path.find('<');
    const size_t e = path.rfind('>');
    if (s == std::string::npos || e == std::string::npos || e < s) return "";
    return UpperCase(path.substr(s, e - s + 1));
}

std::vector<std::string> CheckSettings(const TSetupSettings& settings) {
    std::vector<std::string> warnings;
    std::set<std::string> tags;
    for (const std::string& entry : settings.Directories) tags.insert(UpperCase(Field(entry, 0)));

    if (!tags.count("<INSTALLDIR>"))
        warnings.push_back("no \"<INSTALLDIR>\" entry in [Directories]: the wizard's destination "
                           "is never created and no uninstall information is written");

    auto checkFiles = [&](const std::vector<std::string>& list, const char* section) {
        for (const std::string& entry : list) {
            const std::string tag = UpperCase(Field(entry, 1));
            if (!tags.count(tag))
                warnings.push_back(std::string("[") + section + "] entry \"" + entry +
                                   "\": no [Directories] entry has the tag " + tag +
                                   ", so the file is never installed");
        }
    };
    checkFiles(settings.Files, "Files");
    checkFiles(settings.WorkStationFiles, "WorkStation");

    for (const std::string& entry : settings.Shortcuts) {
        const std::string target = Field(entry, 1);
        const std::string tag = LeadingTag(target);
        if (tag.empty() || !tags.count(tag))
            warnings.push_back("[Desktop] entry \"" + entry + "\": the target " + target +
                               " does not start with a tag of [Directories]");
    }

    if (!settings.LaunchCommand.empty()) {
        std::string program = settings.LaunchCommand;
        const size_t comma = program.find(',');
        if (comma != std::string::npos) program.resize(comma);
        const std::string name = UpperCase(FileNamePart(program));
        bool found = false;
        for (const auto* list : {&settings.Files, &settings.WorkStationFiles})
            for (const std::string& entry : *list)
                if (UpperCase(FileNamePart(Field(entry, 0))) == name) found = true;
        if (!found)
            warnings.push_back("Launch program " + program + " is not among the files to install");
    }
    return warnings;
}

}  // namespace zov::zovpack
