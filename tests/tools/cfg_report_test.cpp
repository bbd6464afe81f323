#include <gtest/gtest.h>

#include "tools/zovpack/cfg_lint.h"
#include "tools/zovpack/cfg_report.h"
#include "tools/zovpack/json_writer.h"

namespace zov::zovpack {
namespace {

bool Mentions(const std::vector<std::string>& warnings, const std::string& text) {
    for (const std::string& w : warnings)
        if (w.find(text) != std::string::npos) return true;
    return false;
}

// Text the setup reads otherwise than its author meant: each warning says what it does.
TEST(CfgLint, WarnsAboutTextTheSetupReadsOtherwise) {
    EXPECT_TRUE(LintConfigText("; comment\r\n[Setup - Main]\r\nInstall Dir=App\r\nHeader Font Color=$FF\r\n"
                               "Dither From=0x800000\r\nShow Re-Boot=-1\r\n[Files]\r\nAny=x~<I>\r\n"
                               "[Files - OverWrite]\r\nFile #0=1\r\n[Disk Check]\r\ndisk.001=1,2\r\n")
                    .empty());
    std::string utf16("\xFF\xFE[\0S\0", 6);
    EXPECT_TRUE(Mentions(LintConfigText(utf16), "UTF-16 text; the setup reads ANSI text only"));
    EXPECT_TRUE(Mentions(LintConfigText(std::string("[Setup - Main]\0\x01\x02", 17)), "NUL bytes"));
    EXPECT_TRUE(Mentions(LintConfigText("\xEF\xBB\xBF[Setup - Main]\r\n"), "UTF-8 byte order mark"));

    const auto w = LintConfigText(
        "[Setup - Main]\r\nInstall Disks=99999999999999999999\r\nHeader Font Color=abc\r\n"
        "Instal Dir=App\r\nAlign Left=yes\r\n[Setup - Main]\r\nFolder=Other\r\n[Setup-Main]\r\n"
        "[Files - OverWrite]\r\nFile 1=1\r\n");
    ASSERT_EQ(w.size(), 7u);
    EXPECT_EQ(w[0], "line 2: \"Install Disks=99999999999999999999\" is not a 32-bit number; the setup "
                    "uses the default, 0");
    EXPECT_EQ(w[1], "line 3: \"Header Font Color=abc\" is not a 32-bit number; the setup uses the default, 0");
    EXPECT_EQ(w[2], "line 4: unknown key \"Instal Dir\" in [Setup - Main]; the setup ignores it");
    EXPECT_EQ(w[3], "line 5: \"Align Left=yes\" is not a 32-bit number; the setup uses the default, 1 (true)");
    EXPECT_EQ(w[4], "line 6: a second [Setup - Main] section; the setup reads only the first and ignores this one");
    EXPECT_EQ(w[5], "line 8: unknown section [Setup-Main]; the setup ignores it");
    EXPECT_TRUE(Mentions({w[6]}, "line 10: unknown key \"File 1\" in [Files - OverWrite]"));
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
                             "AlignRight", "AlignLeft", "ShowWarningScreen", "ShowReboot",
                             "DitherFrom", "DitherTo", "Header", "Header2"})
        EXPECT_NE(json.find("\"" + std::string(name) + "\":"), std::string::npos) << name;
    EXPECT_NE(json.find("\"Files\": [\n    \"x~<INSTALLDIR>~X\"\n  ]"), std::string::npos) << json;
    EXPECT_NE(json.find("\"ShadowColor\": -2147483632"), std::string::npos);
    EXPECT_NE(json.find("\"AlignLeft\": true"), std::string::npos);
    EXPECT_NE(json.find("\"Directories\": []"), std::string::npos);
}

}  // namespace
}  // namespace zov::zovpack
