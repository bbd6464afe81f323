#include <gtest/gtest.h>

#include <algorithm>

#include "tools/zovpack/cfg_lint.h"
#include "tools/zovpack/cfg_report.h"
#include "tools/zovpack/json_writer.h"

namespace zov::zovpack {
namespace {

// A small product without a fault; each case below changes one line of it.
const std::vector<std::string> kSound = {
    "[Setup - Main]",                                                   // 1
    "Header=Tool 1.0",                                                  // 2
    "Install Dir=Tool",                                                 // 3
    "Folder=Tool",                                                      // 4
    "Launch=<INSTALLDIR>\\tool.exe,/first",                              // 5
    "[Directories]",                                                    // 6
    "Dir1=<INSTALLDIR>~",                                               // 7
    "Dir2=<SUB1><INSTALLDIR>~Data",                                     // 8
    "[Files]",                                                          // 9
    "File1=tool.exe~<INSTALLDIR>",                                      // 10
    "File2=data.dat~<SUB1><INSTALLDIR>",                                // 11
    "[Files - OverWrite]",                                              // 12
    "File #1=1",                                                        // 13
    "[Desktop]",                                                        // 14
    "Link1=Tool~<INSTALLDIR>\\tool.exe~X~~<INSTALLDIR>\\tool.exe~Tool",  // 15
    "[INI - Setup]",                                                    // 16
    "Ini1=tool.ini~Paths~Home~<INSTALLDIR>",                            // 17
    "[AUTOEXEC.BAT]",                                                   // 18
    "PATH %PATH%;<INSTALLDIR>=",                                        // 19
};

std::string WithLine(size_t number, const std::string& text) {
    std::string cfg;
    for (size_t n = 1; n <= kSound.size(); ++n) cfg += (n == number ? text : kSound[n - 1]) + "\r\n";
    return cfg;
}

TEST(CfgLint, ASoundFileHasNothingToSay) {
    EXPECT_TRUE(CheckConfigText(WithLine(0, "")).empty());
    EXPECT_EQ(FindingLine("install.cfg", {10, true, "text"}), "install.cfg:10: error: text");
    EXPECT_EQ(FindingLine("install.cfg", {0, false, "text"}), "install.cfg: warning: text");
}

// Typical mistakes: each is found on its line, with what the setup will do and what to write.
TEST(CfgLint, TypicalMistakesAreNamedWithTheirLine) {
    struct Case {
        size_t line;
        std::string text;
        int at;  // the line of the finding
        bool error;
        std::string says;
    };
    const Case cases[] = {
        {10, "File1=tool.exe~<INSTALDIR>", 10, true,
         "no [Directories] entry has the tag <INSTALDIR>, so the file is never installed: write <INSTALLDIR>"},
        {10, "File1=tool.exe~<INSTALDIR>", 15, true, "is not among the files [Files] and [WorkStation] install; the link is not made"},
        {10, "File1=tool.exe~<INSTALLDIR>~X", 10, true, "[Files] entries have two fields, file~tag; to ask before"},
        {10, "tool.exe~<INSTALLDIR>", 10, true, "has no \"=\", so the setup does not read it as an entry: write it as NAME="},
        {11, "File1=data.dat~<SUB1><INSTALLDIR>", 11, true, "key \"File1\" is repeated in [Files] (first on line 10)"},
        {15, "Link1=Tool~<INSTALLDIR>\\tools.exe~X~~~Tool", 15, true, "\"<INSTALLDIR>\\tools.exe\" is not among the files"},
        {15, "Link1=Tool~<INSTALLDIR>\\tool.exe~x~~~Tool", 15, true, "the mark \"x\" for the desktop is none the setup knows"},
        {15, "Link1=Tool~<INSTALLDIR>\\tool.exe~X", 15, true, "has 3 fields; a [Desktop] entry has six"},
        {15, "Link1=Tool~<WINDOWS>\\notepad.exe~X~~~Tool", 15, true, "no [Directories] entry has the tag <WINDOWS>"},
        {13, "File #2=1", 13, true, "names position 2 of [Files], which has 2 entries (File #0 to File #1)"},
        {4, "Folder=Tool Box", 15, true, "the link goes into the folder \"Tool\", but Folder=\"Tool Box\" (line 4)"},
        {19, "SET TOOL=<INSTALLDIR>", 19, true, "the setup adds only \"SET TOOL\" to autoexec.bat"},
        {19, "PATH %PATH%;<INSTALLDIR>", 19, true, "is no key, and the setup does not add it to autoexec.bat"},
        {19, "PATH %PATH%;<INSTALDIR>=", 19, true, "the tag <INSTALDIR>, and the line keeps it as it is: write <INSTALLDIR>"},
        {2, "Header=Caf\xC3\xA9 Tool", 2, true, "is UTF-8 text; the setup reads install.cfg in the system's ANSI code page"},
        {2, "Header=Caf\xE9 Tool", 0, false, ""},  // Windows-1252
        {1, "\xEF\xBB\xBF[Setup - Main]", 1, true, "starts with a UTF-8 byte order mark; the setup takes it as part"},
        {2, "Header=Tool\\1.0", 2, true, "holds \"\\\": the product's registration would be a key below another"},
        {2, "Header=", 2, false, "no Header: the setup takes \"ZOV - Zovrand 32Bit (Tool)\""},
        {3, "Instal Dir=Tool", 3, true, "unknown key \"Instal Dir\" in [Setup - Main]; the setup ignores it: write \"Install Dir\""},
        {3, "Align Left=yes", 3, false, "\"Align Left=yes\" is not a 32-bit number; the setup uses the default, 1 (true)"},
        {5, "Launch=<INSTALLDIR>\\tol.exe", 5, true, "the Launch program \"<INSTALLDIR>\\tol.exe\" is not among the files"},
        {7, "Dir1=INSTALLDIR~", 7, true, "the tag \"INSTALLDIR\" is not in angle brackets"},
        {8, "Dir2=~Data", 8, true, "the tag \"\" is not in angle brackets"},  // and the autoexec line still ends
        {8, "Dir2=<SUB1><INSTALLDIR>", 8, true, "the directory <SUB1><INSTALLDIR> has no path"},
        {17, "Ini1=tool.ini~Paths~<INSTALLDIR>", 17, true, "has 3 fields; an [INI - Setup] entry has four"},
        {16, "[Files]", 16, true, "a second [Files] section; the setup reads only the first (line 9)"},
        {16, "[INI - Stup]", 16, true, "[INI - Stup] is not a section the setup reads, and its entries are not installed: write [INI - Setup]"},
        {16, "[Notes]", 16, false, "unknown section [Notes]; the setup ignores it"},
    };
    for (const Case& c : cases) {
        const std::vector<TCfgFinding> found = CheckConfigText(WithLine(c.line, c.text));
        std::string all;
        for (const TCfgFinding& f : found) all += FindingLine("install.cfg", f) + "\n";
        SCOPED_TRACE(c.text + "\n" + all);
        if (c.says.empty()) {
            EXPECT_TRUE(found.empty());
            continue;
        }
        EXPECT_TRUE(std::any_of(found.begin(), found.end(), [&](const TCfgFinding& f) {
            return f.Line == c.at && f.Error == c.error && f.Text.find(c.says) != std::string::npos;
        }));
    }
}

// A misspelt section is one error: the entries that needed it are not blamed one by one.
TEST(CfgLint, AMisspeltSectionIsNotACascade) {
    const std::vector<TCfgFinding> found = CheckConfigText(WithLine(6, "[Directores]"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(FindingLine("install.cfg", found[0]),
              "install.cfg:6: error: [Directores] is not a section the setup reads, and its entries are not "
              "installed: write [Directories]");
}

TEST(CfgLint, TextTheSetupCannotReadIsOneError) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string("\xFF\xFE[\0S\0", 6), "the file is UTF-16 text"},
        {std::string("[Setup - Main]\0\x01\x02", 17), "the file holds NUL bytes"},
    };
    for (const auto& [bytes, says] : cases) {
        const std::vector<TCfgFinding> found = CheckConfigText(bytes);
        ASSERT_EQ(found.size(), 1u) << says;
        EXPECT_TRUE(found[0].Error);
        EXPECT_NE(found[0].Text.find(says), std::string::npos) << found[0].Text;
    }
}

TEST(CfgJson, AnsiTextComesOutAsAsciiEscapes) {
    EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(JsonString("\r\n\t\x01"), "\"\\r\\n\\t\\u0001\"");
    EXPECT_EQ(JsonString("\x80\xe9\xff"), "\"\\u20ac\\u00e9\\u00ff\"");  // euro, e-acute, y-umlaut
}

TEST(CfgJson, EverySettingsFieldIsAMember) {
    TSetupSettings s;
    s.Files = {"x~<INSTALLDIR>~X"};
    TScreenLook look;
    look.Header2.ShadowColor = -2147483632;
    const std::string json = SettingsJson(s, look);
    for (const char* name : {"InstallDisks", "SourceDir", "TempDir", "WindowsRoot", "LaunchCommand",
                             "BitmapFile", "StartDir", "Directories", "Files", "Shortcuts",
                             "IniEntries", "WorkStationFiles", "AutoexecLines", "ProgramFolder",
                             "InstallDir", "AddToProgramFiles", "WorkStationPrompt", "AlignCenter",
                             "AlignRight", "AlignLeft", "ShowWarningScreen", "ShowReboot", "Publisher",
                             "Version", "AboutUrl", "ProductIcon",
                             "DitherFrom", "DitherTo", "Header", "Header2"})
        EXPECT_NE(json.find("\"" + std::string(name) + "\":"), std::string::npos) << name;
    EXPECT_NE(json.find("\"Files\": [\n    \"x~<INSTALLDIR>~X\"\n  ]"), std::string::npos) << json;
    EXPECT_NE(json.find("\"ShadowColor\": -2147483632"), std::string::npos);
    EXPECT_NE(json.find("\"AlignLeft\": true"), std::string::npos);
    EXPECT_NE(json.find("\"Directories\": []"), std::string::npos);
}

}  // namespace
}  // namespace zov::zovpack
