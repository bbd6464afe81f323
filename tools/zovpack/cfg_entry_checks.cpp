// The list entries of install.cfg: whether each has its fields and marks, and whether they fit
// together (every tag defined, every link and the program to launch installed, one folder).
#include <algorithm>

#include "install/cfg_entries.h"
#include "install/launch_command.h"
#include "install/setup_config.h"
#include "install/wizard/directory_tags.h"
#include "sys/paths.h"
#include "tools/zovpack/cfg_checks.h"
#include "tools/zovpack/nearest_name.h"

namespace zov::zovpack {
namespace {

const char* const kMain = "SETUP - MAIN";
const char* const kFixedTags[] = {"<INSTALLDIR>", "<WINDOWS>", "<WINDOWS_SYSTEM>", "<PROGRAMFILES>"};

size_t FieldCount(const std::string& entry) { return static_cast<size_t>(std::count(entry.begin(), entry.end(), '~')) + 1; }

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The directories as the setup resolves them, on a machine whose destination no real path
// can be; what files, links and the launch name is compared in that one form.
class TLayout {
public:
    explicit TLayout(const TCfgText& text) {
        if (const TCfgSection* dirs = text.Find("DIRECTORIES"))
            for (const TCfgLine& line : dirs->Entries()) {
                const TDirectoryEntry entry = ParseDirectoryEntry(line.Value);
                tags_.push_back(entry.Tag);
                paths_.push_back(ResolveDirectoryTag(entry.Tag, entry.Path, kBases));
            }
        for (const char* list : {"FILES", "WORKSTATION"})
            if (const TCfgSection* files = text.Find(list))
                for (const TCfgLine& line : files->Entries()) {
                    const TFileEntry file = ParseFileEntry(line.Value);
                    for (size_t i = 0; i < tags_.size(); ++i)
                        if (tags_[i] == file.Tag) (list[0] == 'F' ? full_ : network_).push_back(Form(paths_[i] + "\\" + file.Name()));
                }
    }
    const std::vector<std::string>& Tags() const { return tags_; }
    bool Defines(const std::string& tag) const { return Contains(tags_, tag); }
    // The path a tagged text names, in the compared form.
    std::string Resolve(const std::string& text) const { return Form(ExpandDirectoryTag(text, tags_, paths_)); }
    bool IsDirectory(const std::string& resolved) const {
        return std::any_of(paths_.begin(), paths_.end(), [&](const std::string& p) { return Form(p) == resolved; });
    }
    bool InFull(const std::string& resolved) const { return Contains(full_, resolved); }
    bool InNetwork(const std::string& resolved) const { return Contains(network_, resolved); }
    bool HasNetworkInstall() const { return !network_.empty(); }

private:
    static std::string Form(std::string path) {
        std::replace(path.begin(), path.end(), '/', '\\');
        return UpperCase(path);
    }
    static inline const TDirectoryBases kBases{"C:\\WINDOWS", "C:\\", "C:\\:INSTALLDIR:"};
    std::vector<std::string> tags_, paths_, full_, network_;
};

// What to write for a tag that no directory defines.
std::string TagAdvice(const std::string& tag, const TLayout& layout) {
    std::vector<std::string> known(std::begin(kFixedTags), std::end(kFixedTags));
    for (const std::string& defined : layout.Tags())
        if (defined.size() > 2 && defined.front() == '<' && defined.back() == '>') known.push_back(defined);
    const std::string near = NearestName(tag, known);
    if (!near.empty()) return "write " + near + (layout.Defines(near) ? "" : " and define it in [Directories]");
    return "define it in [Directories]";
}

class TEntryChecks {
public:
    TEntryChecks(const TCfgText& text, const std::set<std::string>& misspelt, TCfgFindings& findings)
        : text_(text), layout_(text), findings_(findings),
          tagsKnown_(!misspelt.count("DIRECTORIES")), filesKnown_(!misspelt.count("FILES")) {}

    void Run() {
        Directories();
        Files("FILES");
        Files("WORKSTATION");
        Links();
        Values();
        AutoexecLines();
        MainKeys();
    }

private:
    const TCfgLine* MainLine(const char* upperKey) const {
        if (const TCfgSection* main = text_.Find(kMain))
            for (const TCfgLine& line : main->Lines)
                if (line.HasEquals && UpperCase(line.Key) == upperKey) return &line;
        return nullptr;
    }
    // The entries of the section but the repeated ones, which are named once as such.
    std::vector<TCfgLine> EntriesOf(const char* section) const {
        std::vector<TCfgLine> entries;
        if (const TCfgSection* s = text_.Find(section))
            for (const TCfgLine& line : s->Entries())
                if (!line.Repeated) entries.push_back(line);
        return entries;
    }

    // A field that holds a tag the setup cannot replace: an error, with what to write.
    // True when the field's tag is defined, or it has none.
    bool TagDefined(int line, const std::string& what, const std::string& field) {
        if (field.find('<') == std::string::npos) return true;
        const std::string tag = LeadingTag(field);
        if (tag.empty()) {
            findings_.Error(line, what + " " + Quoted(field) + " has a \"<\" without its \">\"; the setup keeps only "
                                  "the text before it");
            return false;
        }
        if (layout_.Defines(tag)) return true;
        if (tagsKnown_)
            findings_.Error(line, what + " " + Quoted(field) + ": no [Directories] entry has the tag " + tag +
                                      ", so the setup keeps only the text before it: " + TagAdvice(tag, layout_));
        return false;
    }

    // A path the setup opens after the install (a link's target, the launch, the icon): an
    // error when nothing installs it there, unless it lies in a place of Windows, where the
    // system's own programs are.
    void Installed(int line, const std::string& what, const std::string& path, const std::string& consequence,
                   bool severe = true) {
        if (!TagDefined(line, what, path) || !filesKnown_) return;
        const std::string tag = LeadingTag(path);
        if (tag.empty()) {
            findings_.Warning(line, what + " " + Quoted(path) + " starts with no directory tag: it is the same "
                                          "path on every machine, whatever the user chose");
            return;
        }
        const std::string resolved = layout_.Resolve(path);
        if (layout_.IsDirectory(resolved)) return;
        const bool full = layout_.InFull(resolved), network = layout_.InNetwork(resolved);
        if (full && (network || !layout_.HasNetworkInstall())) return;
        if (full || network) {
            findings_.Warning(line, what + " " + Quoted(path) + " is installed by " + (full ? "[Files]" : "[WorkStation]") +
                                        " only; " + consequence + " in the " + (full ? "network" : "full") + " install");
            return;
        }
        const bool windows = tag == "<WINDOWS>" || tag == "<WINDOWS_SYSTEM>" || tag == "<PROGRAMFILES>";
        const std::string text = what + " " + Quoted(path) + " is not among the files [Files] and [WorkStation] install";
        if (windows)
            findings_.Warning(line, text + "; it must be on the machine already");
        else if (!severe)
            findings_.Warning(line, text + "; " + consequence);
        else
            findings_.Error(line, text + "; " + consequence + ": install it, or name the file that is installed");
    }

    void Directories() {
        const std::vector<TCfgLine> entries = EntriesOf("DIRECTORIES");
        bool installDir = false;
        for (const TCfgLine& line : entries) {
            const TDirectoryEntry entry = ParseDirectoryEntry(line.Value);
            installDir |= entry.Tag == "<INSTALLDIR>";
            const bool fixed = Contains({std::begin(kFixedTags), std::end(kFixedTags)}, entry.Tag);
            if (entry.Tag.size() < 2 || entry.Tag.front() != '<' || entry.Tag.back() != '>')
                findings_.Error(line.Number, "the tag " + Quoted(entry.Tag) +
                                                 " is not in angle brackets, and no entry can name it: write <" +
                                                 entry.Tag + ">");
            else if (!fixed && FieldCount(line.Value) < 2)
                findings_.Error(line.Number, "the directory " + entry.Tag + " has no path: write " + entry.Tag + "~PATH");
        }
        if (!installDir && tagsKnown_) {
            const TCfgSection* section = text_.Find("DIRECTORIES");
            findings_.Error(section ? section->Number : 0,
                            "no <INSTALLDIR> entry in [Directories]: the setup installs nothing without it; add "
                            "Dir1=<INSTALLDIR>~");
        }
    }

    void Files(const char* section) {
        const bool workstation = std::string(section) == "WORKSTATION";
        const char* name = workstation ? "[WorkStation]" : "[Files]";
        for (const TCfgLine& line : EntriesOf(section)) {
            const size_t fields = FieldCount(line.Value);
            const TFileEntry file = ParseFileEntry(line.Value);
            if (fields < 2) {
                findings_.Error(line.Number, std::string(name) + " entry " + Quoted(line.Value) +
                                                 " has no directory tag: write " + line.Value + "~<INSTALLDIR>");
                continue;
            }
            if (!workstation && fields > 2)
                findings_.Error(line.Number, "[Files] entries have two fields, file~tag; to ask before a file is "
                                             "replaced, write \"File #N=1\" in [Files - OverWrite], N its position from 0");
            else if (fields > 3 || (fields == 3 && !file.Mark.empty() && file.Mark != "X"))
                findings_.Error(line.Number, "the mark " + Quoted(file.Mark) +
                                                 " is none the setup knows: write X (upper case) to ask before the "
                                                 "file is replaced, or nothing");
            if (file.Tag.empty() || layout_.Defines(file.Tag) || !tagsKnown_) continue;
            findings_.Error(line.Number, std::string(name) + " entry " + Quoted(line.Value) + ": no [Directories] entry has the tag " +
                                             file.Tag + ", so the file is never installed: " + TagAdvice(file.Tag, layout_));
        }
    }

    void Links() {
        const TCfgLine* folderLine = MainLine("FOLDER");
        const std::string folder = folderLine ? folderLine->Value : TSetupSettings{}.ProgramFolder;
        for (const TCfgLine& line : EntriesOf("DESKTOP")) {
            const size_t fields = FieldCount(line.Value);
            if (fields != 6) {
                findings_.Error(line.Number, "the link " + Quoted(line.Value) + " has " + std::to_string(fields) +
                                                 " fields; a [Desktop] entry has six: name~target~X for the desktop~X "
                                                 "for the Start Menu~icon~folder");
                continue;
            }
            const TLinkEntry link = ParseLinkEntry(line.Value);
            const std::pair<const std::string*, const char*> marks[] = {{&link.DesktopMark, "the desktop"},
                                                                        {&link.StartMenuMark, "the Start Menu"}};
            for (const auto& [mark, place] : marks)
                if (!mark->empty() && *mark != "X")
                    findings_.Error(line.Number, "the mark " + Quoted(*mark) + " for " + place +
                                                     " is none the setup knows, and the link is not offered there: "
                                                     "write X (upper case), or nothing");
            Installed(line.Number, "the link " + Quoted(link.Name) + "'s target", link.Target, "the link is not made");
            if (!link.Icon.empty())
                Installed(line.Number, "the link " + Quoted(link.Name) + "'s icon", link.Icon,
                          "the link shows no icon of its own", false);
            if (!folder.empty() && UpperCase(link.Folder) != UpperCase(folder))
                findings_.Error(line.Number, "the link goes into the folder " + Quoted(link.Folder) + ", but Folder=" +
                                                 Quoted(folder) + (folderLine ? " (line " + std::to_string(folderLine->Number) + ")"
                                                                              : " (the default)") +
                                                 " is the one the wizard shows: write the same name in both");
        }
    }

    void Values() {
        for (const TCfgLine& line : EntriesOf("INI - SETUP")) {
            const size_t fields = FieldCount(line.Value);
            if (fields < 4) {
                findings_.Error(line.Number, "the value " + Quoted(line.Value) + " has " + std::to_string(fields) +
                                                 " fields; an [INI - Setup] entry has four: file or key~section~name~value");
                continue;
            }
            const TValueEntry value = ParseValueEntry(line.Value);
            TagDefined(line.Number, "the location", value.Location);
            TagDefined(line.Number, "the value", value.Value);
        }
    }

    // Each line is a key's name: the text before its first "=" and nothing after it.
    void AutoexecLines() {
        const TCfgSection* section = text_.Find("AUTOEXEC.BAT");
        if (!section) return;
        std::vector<std::string> tags = {"<ROOT>"};
        for (const std::string& tag : layout_.Tags())
            if (!tag.empty()) tags.push_back(tag);
        std::sort(tags.begin(), tags.end(), [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
        for (const TCfgLine& line : section->Lines) {
            if (!line.HasEquals)
                findings_.Error(line.Number, Quoted(line.Key) + " is no key, and the setup does not add it to "
                                                 "autoexec.bat: end the line with \"=\"");
            else if (!line.Value.empty())
                findings_.Error(line.Number, "the setup adds only " + Quoted(line.Key) + " to autoexec.bat: a line ends "
                                                 "at its first \"=\", which it cannot hold; end it with \"=\" and put no "
                                                 "other \"=\" in it");
            std::string rest = UpperCase(line.Key);
            for (const std::string& tag : tags)
                for (size_t at; (at = rest.find(tag)) != std::string::npos;) rest.erase(at, tag.size());
            const size_t open = rest.find('<'), close = rest.find('>', open == std::string::npos ? 0 : open);
            if (open != std::string::npos && close != std::string::npos && tagsKnown_) {
                const std::string tag = rest.substr(open, close - open + 1);
                findings_.Error(line.Number, "no [Directories] entry has the tag " + tag +
                                                 ", and the line keeps it as it is: " + TagAdvice(tag, layout_));
            }
        }
    }

    void MainKeys() {
        const TCfgLine* header = MainLine("HEADER");
        const TCfgSection* main = text_.Find(kMain);
        if (!header || header->Value.empty()) {
            TSetupSettings settings;
            settings.InstallDir = text_.Value(kMain, "INSTALL DIR", "");
            for (const TCfgLine& line : EntriesOf("FILES")) settings.Files.push_back(line.Value);
            findings_.Warning(header ? header->Number : main ? main->Number : 0,
                              "no Header: the setup takes " + Quoted(DerivedTitle(TScreenLook{}.Header.Text, settings)) +
                                  " for the product's title, on its screen and in Windows' list of programs; write "
                                  "Header=the product's name");
        } else if (header->Value.find('\\') != std::string::npos) {
            findings_.Error(header->Number, "the Header " + Quoted(header->Value) +
                                                " holds \"\\\": the product's registration would be a key below another; "
                                                "write the title without it");
        }
        if (const TCfgLine* launch = MainLine("LAUNCH"); launch && !launch->Value.empty())
            Installed(launch->Number, "the Launch program", SplitLaunchCommand(launch->Value).Program,
                      "it cannot be started");
        if (const TCfgLine* icon = MainLine("ICON"); icon && !icon->Value.empty())
            Installed(icon->Number, "the Icon", IconFile(icon->Value),
                      "Windows' list of programs shows the uninstaller's icon instead");
    }

    const TCfgText& text_;
    TLayout layout_;
    TCfgFindings& findings_;
    bool tagsKnown_;   // [Directories] is there, or was not meant by a misspelt name
    bool filesKnown_;  // ... and [Files]
};

}  // namespace

void CheckConfigEntries(const TCfgText& text, const std::set<std::string>& misspelt, TCfgFindings& findings) {
    TEntryChecks(text, misspelt, findings).Run();
}

}  // namespace zov::zovpack
