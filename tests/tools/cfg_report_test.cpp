#include <gtest/gtest.h>

#include "tools/zovpack/cfg_check.h"
#include "tools/zovpack/json_writer.h"

namespace zov::zovpack {
namespace {

bool Mentions(const std::vector<std::string>& warnings, const std::string& text) {
    for (const std::string& w : warnings)
        if (w.find(text) != std::string::npos) return true;
    return false;
}

TEST(CfgCheck, LeadingTagIsFirstLessThanToLastGreaterThan) {
    EXPECT_EQ(LeadingTag("<installdir>\\app.exe"), "<INSTALLDIR>");
    EXPECT_EQ(LeadingTag("<SUB1><INSTALLDIR>\\x"), "<SUB1><INSTALLDIR>");
    EXPECT_EQ(LeadingTag("C:\\app.exe"), "");
    EXPECT_EQ(LeadingTag(">a<"), "");
}

TEST(CfgCheck, ACompleteConfigurationHasNoWarnings) {
    TSetupSettings s;
    s.Directories = {"<INSTALLDIR>~", "<sub1><INSTALLDIR>~Data"};
    s.Files = {"bin\\app.exe~<installdir>~", "data.dat~<SUB1><INSTALLDIR>~X"};
    s.WorkStationFiles = {"app.exe~<INSTALLDIR>"};
    s.Shortcuts = {"App~<INSTALLDIR>\\app.exe~X~X~<INSTALLDIR>\\app.exe~App"};
    s.LaunchCommand = "<INSTALLDIR>\\APP.EXE,/first";
    EXPECT_TRUE(CheckSettings(s).empty());
}

TEST(CfgCheck, WarnsWhatTheBuilderMustFix) {
    TSetupSettings s;
    s.Directories = {"<WINDOWS>~"};
    s.Files = {"a.exe~<NOWHERE>~"};
    s.WorkStationFiles = {"b.exe~<ALSO_NOWHERE>"};
    s.Shortcuts = {"A~<INSTALLDIR>\\a.exe~X~~~F", "B~C:\\b.exe~X~~~F"};
    s.LaunchCommand = "<WINDOWS>\\missing.exe,param";
    const std::vector<std::string> w = CheckSettings(s);
    EXPECT_TRUE(Mentions(w, "no \"<INSTALLDIR>\" entry"));
    EXPECT_TRUE(Mentions(w, "[Files] entry \"a.exe~<NOWHERE>~\""));
    EXPECT_TRUE(Mentions(w, "[WorkStation] entry \"b.exe~<ALSO_NOWHERE>\""));
    EXPECT_TRUE(Mentions(w, "the target <INSTALLDIR>\\a.exe"));
    EXPECT_TRUE(Mentions(w, "the target C:\\b.exe"));
    EXPECT_TRUE(Mentions(w, "Launch program <WINDOWS>\\missing.exe is not among"));
    EXPECT_EQ(w.size(), 6u);
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
