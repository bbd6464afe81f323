#include "install/cfg_entries.h"

#include <gtest/gtest.h>

namespace zov {
namespace {

// An entry of one kind, parsed, as its fields in order.
std::vector<std::string> Parsed(const std::string& kind, const std::string& entry) {
    if (kind == "directory") {
        const TDirectoryEntry d = ParseDirectoryEntry(entry);
        return {d.Tag, d.Path};
    }
    if (kind == "file") {
        const TFileEntry f = ParseFileEntry(entry);
        return {f.Source, f.Name(), f.Tag, f.Mark};
    }
    if (kind == "link") {
        const TLinkEntry l = ParseLinkEntry(entry);
        return {l.Name, l.Target, l.DesktopMark, l.StartMenuMark, l.Icon, l.Folder};
    }
    const TValueEntry v = ParseValueEntry(entry);
    return {v.Location, v.Section, v.Name, v.Value};
}

struct EntryCase {
    const char* kind;
    const char* entry;
    std::vector<std::string> fields;
};

TEST(CfgEntries, CutsEveryKindAsTheSetupReadsIt) {
    const EntryCase cases[] = {
        {"directory", "<installdir>~", {"<INSTALLDIR>", ""}},
        {"directory", "<Sub1><PROGRAMFILES>~Acme\\Data", {"<SUB1><PROGRAMFILES>", "Acme\\Data"}},
        // A missing path repeats the tag as written; the last field keeps a stray "~".
        {"directory", "<Alt1>", {"<ALT1>", "<Alt1>"}},
        {"directory", "<A>~x~y", {"<A>", "x~y"}},
        {"file", "bin\\app.exe~<installdir>~X", {"bin\\app.exe", "app.exe", "<INSTALLDIR>", "X"}},
        {"file", "a:b.dll~<WINDOWS>~", {"a:b.dll", "b.dll", "<WINDOWS>", ""}},
        // A workstation entry without a mark: the mark cut gives the tag again.
        {"file", "app.exe~<installdir>", {"app.exe", "app.exe", "<INSTALLDIR>", "<installdir>"}},
        {"file", "x.exe", {"x.exe", "x.exe", "X.EXE", "x.exe"}},
        {"file", "", {"", "", "", ""}},
        // The mark is a cut of its own: what follows a stray "~" is not part of it.
        {"file", "a~<T>~X~junk", {"a", "a", "<T>", "X"}},
        {"file", "a~<T>~~X", {"a", "a", "<T>", ""}},
        {"link", "App~<INSTALLDIR>\\app.exe~X~X~<INSTALLDIR>\\app.ico~Acme",
         {"App", "<INSTALLDIR>\\app.exe", "X", "X", "<INSTALLDIR>\\app.ico", "Acme"}},
        {"link", "App~t~X~~i", {"App", "t", "X", "", "i", "i"}},
        {"link", "App~t~~~i~Acme~More", {"App", "t", "", "", "i", "Acme~More"}},
        {"link", "Lone", {"Lone", "Lone", "Lone", "Lone", "Lone", "Lone"}},
        {"value", "win.ini~Acme~Path~<INSTALLDIR>", {"win.ini", "Acme", "Path", "<INSTALLDIR>"}},
        {"value", "HKEY_LOCAL_MACHINE\\Software\\Acme~Tool\\~Path~C:\\a~b",
         {"HKEY_LOCAL_MACHINE\\Software\\Acme", "Tool\\", "Path", "C:\\a~b"}},
        {"value", "acme.ini~S~K", {"acme.ini", "S", "K", "K"}},
        {"value", "~~~", {"", "", "", ""}},
    };
    for (const EntryCase& c : cases) EXPECT_EQ(Parsed(c.kind, c.entry), c.fields) << c.kind << " " << c.entry;
}

TEST(CfgEntries, MarksAreExactlyUpperCaseX) {
    const struct {
        const char* entry;
        bool desktop, startMenu;
    } links[] = {
        {"A~t~X~X~i~F", true, true},
        {"A~t~x~X~i~F", false, true},
        {"A~t~~X~i~F", false, true},
        {"A~t~X~ X~i~F", true, false},
        {"A~t~X", true, true},  // the missing start-menu mark repeats the desktop mark
    };
    for (const auto& c : links) {
        const TLinkEntry link = ParseLinkEntry(c.entry);
        EXPECT_EQ(link.OfferedOnDesktop(), c.desktop) << c.entry;
        EXPECT_EQ(link.OfferedInStartMenu(), c.startMenu) << c.entry;
    }
    const struct {
        const char* entry;
        bool ask;
    } files[] = {{"a~<T>~X", true}, {"a~<T>~x", false}, {"a~<T>~", false}, {"a~<T>", false}, {"a~<T>~X ", false}};
    for (const auto& c : files) EXPECT_EQ(ParseFileEntry(c.entry).AskBeforeOverwrite(), c.ask) << c.entry;
    const std::vector<std::string> shortcuts = {"A~t~X~~i~F", "B~t~x~X~i~F", "C~t~X~X~i~F"};
    EXPECT_EQ(OfferedLinkNames(shortcuts, TLinkPlace::Desktop), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(OfferedLinkNames(shortcuts, TLinkPlace::StartMenu), (std::vector<std::string>{"B", "C"}));
}

TEST(CfgEntries, AValueIsAnIniValueWhenItsLocationNamesAnIniFile) {
    const struct {
        const char* entry;
        TValueKind kind;
        const char* text;  // the entry again
    } cases[] = {
        {"C:\\Acme\\acme.Ini~S~K~V", TValueKind::Ini, "C:\\Acme\\acme.Ini~S~K~V"},
        {"win.ini~S~K", TValueKind::Ini, "win.ini~S~K~K"},
        {"C:\\conf.ini.d\\x~S~K~V", TValueKind::Ini, "C:\\conf.ini.d\\x~S~K~V"},
        {"HKEY_CURRENT_USER\\Software~Acme~K~V", TValueKind::Registry, "HKEY_CURRENT_USER\\Software~Acme~K~V"},
        {"setup.inf~S~K~V", TValueKind::Registry, "setup.inf~S~K~V"},
        {"Software~~K~a~b", TValueKind::Registry, "Software~~K~a~b"},
    };
    for (const auto& c : cases) {
        const TValueEntry value = ParseValueEntry(c.entry);
        EXPECT_EQ(value.Kind(), c.kind) << c.entry;
        EXPECT_EQ(value.Text(), c.text);
    }
}

TEST(CfgEntries, ParsesEveryListOfTheSettings) {
    TSetupSettings s;
    s.Directories = {"<INSTALLDIR>~", "<SUB1>~Data"};
    s.Files = {"a.exe~<INSTALLDIR>~X"};
    s.WorkStationFiles = {"b.exe~<sub1>", "c.exe~<SUB1>"};
    s.Shortcuts = {"A~<INSTALLDIR>\\a.exe~X~~~F"};
    s.IniEntries = {"win.ini~S~K~V"};
    s.AutoexecLines = {"SET A=<INSTALLDIR>~1"};
    const TConfigEntries e = ParseConfigEntries(s);
    ASSERT_EQ(e.Directories.size(), 2u);
    EXPECT_EQ(e.Directories[1].Path, "Data");
    ASSERT_EQ(e.Files.size(), 1u);
    EXPECT_TRUE(e.Files[0].AskBeforeOverwrite());
    ASSERT_EQ(e.WorkStationFiles.size(), 2u);
    EXPECT_EQ(e.WorkStationFiles[0].Tag, "<SUB1>");
    ASSERT_EQ(e.Links.size(), 1u);
    EXPECT_EQ(e.Links[0].Folder, "F");
    ASSERT_EQ(e.Values.size(), 1u);
    EXPECT_EQ(e.Values[0].Kind(), TValueKind::Ini);
    EXPECT_EQ(e.AutoexecLines, s.AutoexecLines);  // whole lines: never cut at "~"
}

TEST(CfgEntries, LeadingTagRunsFromTheFirstLessThanToTheLastGreaterThan) {
    EXPECT_EQ(LeadingTag("<installdir>\\app.exe"), "<INSTALLDIR>");
    EXPECT_EQ(LeadingTag("<SUB1><INSTALLDIR>\\x"), "<SUB1><INSTALLDIR>");
    EXPECT_EQ(LeadingTag("C:\\app.exe"), "");
    EXPECT_EQ(LeadingTag(">a<"), "");
}

TEST(CfgEntries, AnIconIsAFileAndMaybeAnIndex) {
    EXPECT_EQ(IconFile("C:\\app.exe,1"), "C:\\app.exe");
    EXPECT_EQ(IconFile("C:\\app.exe,-101"), "C:\\app.exe");
    EXPECT_EQ(IconFile("C:\\a,b\\app.ico"), "C:\\a,b\\app.ico");
    EXPECT_EQ(IconFile("C:\\app.exe,"), "C:\\app.exe,");
}

}  // namespace
}  // namespace zov
