#include "install/setup_config.h"

#include <gtest/gtest.h>

#include "tests/support/test_machine.h"

namespace zov {
namespace {

struct Read {
    TSetupSettings settings;
    TScreenLook look;
};

Read ReadText(test::TestMachine& m, const std::string& text) {
    m.WriteFile(m.Path("install.cfg"), text);
    Read r;
    ReadSetupConfig(m.Path("install.cfg"), r.settings, r.look);
    return r;
}

void ExpectDefaults(const Read& r) {
    const TSetupSettings fresh;
    const TScreenLook look;
    EXPECT_EQ(r.settings.InstallDisks, 0);
    EXPECT_EQ(r.settings.ProgramFolder, "Accessories");
    EXPECT_EQ(r.settings.BitmapFile, "");
    EXPECT_EQ(r.settings.LaunchCommand, "");
    EXPECT_TRUE(r.settings.ShowWarningScreen);
    EXPECT_TRUE(r.settings.ShowReboot);
    EXPECT_TRUE(r.settings.AlignLeft);
    EXPECT_FALSE(r.settings.AlignCenter);
    EXPECT_FALSE(r.settings.WorkStationPrompt);
    EXPECT_TRUE(r.settings.Files.empty());
    EXPECT_TRUE(r.settings.AutoexecLines.empty());
    EXPECT_EQ(r.look.DitherFrom, 0xFF0000);
    EXPECT_EQ(r.look.DitherTo, 0);
    EXPECT_EQ(r.look.Header.Text, "ZOV - Zovrand 32Bit");
    EXPECT_EQ(r.look.Header.FontName, "Impact");
    EXPECT_EQ(r.look.Header.FontSize, 26);
    EXPECT_EQ(r.look.Header2.FontName, "Times New Roman");
    EXPECT_EQ(r.look.Header2.Text, look.Header2.Text);
    EXPECT_FALSE(LaunchAvailable(r.settings));
}

TEST(SetupConfig, EmptyAndMissingFilesGiveDefaults) {
    test::TestMachine m;
    ExpectDefaults(ReadText(m, ""));
    Read missing;
    ReadSetupConfig(m.Path("nothere.cfg"), missing.settings, missing.look);
    ExpectDefaults(missing);
    ExpectDefaults(ReadText(m, std::string("\0\x01\xff[\x80]\n\0=\0", 10)));
}

TEST(SetupConfig, ScalarKeysAndNumberSyntax) {
    test::TestMachine m;
    const Read r = ReadText(m,
        "[Setup - Main]\r\n"
        "Install Disks=$1F\r\n"
        "Install Dir=MYAPP\r\n"
        "Folder=\r\n"
        "Add to Program Files=7\r\n"
        "Show Warning Screen=0\r\n"
        "Show Re-Boot=abc\r\n"
        "Work Station Prompt=-1\r\n"
        "Bitmap File=logo.GIF\r\n"
        "Align Center=0x\r\n"
        "Dither From=0xff00\r\n"
        "Dither To=$ff00\r\n"
        "Header Font Size=12x\r\n"
        "Header Font Color=-2147483643\r\n"
        "Header Font Shadow=0X00ABCDEF\r\n"
        "Header2 Font Color=$FFFFFFFF\r\n"
        "Header2 Font Size=2147483648\r\n");
    EXPECT_EQ(r.settings.InstallDisks, 31);
    EXPECT_EQ(r.settings.InstallDir, "MYAPP");
    EXPECT_EQ(r.settings.ProgramFolder, "");  // present but empty: no default
    EXPECT_TRUE(r.settings.AddToProgramFiles);
    EXPECT_FALSE(r.settings.ShowWarningScreen);
    EXPECT_TRUE(r.settings.ShowReboot);     // text that does not convert: default
    EXPECT_TRUE(r.settings.WorkStationPrompt);
    EXPECT_EQ(r.settings.BitmapFile, "logo.GIF");
    EXPECT_FALSE(r.settings.AlignCenter);   // "0x" alone: default
    EXPECT_EQ(r.look.DitherFrom, 0xFF00);
    EXPECT_EQ(r.look.DitherTo, 0xFF00);
    EXPECT_EQ(r.look.Header.FontSize, 26);
    EXPECT_EQ(r.look.Header.FontColor, -2147483643);
    EXPECT_EQ(r.look.Header.ShadowColor, 0xABCDEF);
    EXPECT_EQ(r.look.Header2.FontColor, -1);
    EXPECT_EQ(r.look.Header2.FontSize, 10);  // out of range: default
}

TEST(SetupConfig, NumberConversion) {
    EXPECT_EQ(ParseConfigInteger("0"), 0);
    EXPECT_EQ(ParseConfigInteger("-17"), -17);
    EXPECT_EQ(ParseConfigInteger("+5"), 5);
    EXPECT_EQ(ParseConfigInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseConfigInteger("2147483647"), INT32_MAX);
    EXPECT_FALSE(ParseConfigInteger("2147483648"));
    EXPECT_EQ(ParseConfigInteger("0x10"), 16);
    EXPECT_EQ(ParseConfigInteger("0X10"), ParseConfigInteger("$10"));
    EXPECT_EQ(ParseConfigInteger("$80000000"), INT32_MIN);
    EXPECT_FALSE(ParseConfigInteger("$100000000"));
    EXPECT_FALSE(ParseConfigInteger("0x"));
    EXPECT_FALSE(ParseConfigInteger("$"));
    EXPECT_FALSE(ParseConfigInteger("-"));
    EXPECT_FALSE(ParseConfigInteger("1 2"));
    EXPECT_FALSE(ParseConfigInteger("0xG"));
    EXPECT_FALSE(ParseConfigInteger(""));
}

TEST(SetupConfig, OverwriteMarksGoByPosition) {
    test::TestMachine m;
    const Read r = ReadText(m,
        "[Files]\r\n"
        "zebra=a.exe~<INSTALLDIR>\r\n"
        "apple=sub\\b.dll~<WINDOWS_SYSTEM>\r\n"
        "File #0=c.txt~<INSTALLDIR>\r\n"
        "[Files - OverWrite]\r\n"
        "File #1=1\r\n"
        "File #2=0\r\n");
    ASSERT_EQ(r.settings.Files.size(), 3u);
    EXPECT_EQ(r.settings.Files[0], "a.exe~<INSTALLDIR>~");
    EXPECT_EQ(r.settings.Files[1], "sub\\b.dll~<WINDOWS_SYSTEM>~X");
    EXPECT_EQ(r.settings.Files[2], "c.txt~<INSTALLDIR>~");
}

TEST(SetupConfig, ListSectionsKeepFileOrder) {
    test::TestMachine m;
    const Read r = ReadText(m,
        "[directories]\r\n"
        "z=<INSTALLDIR>~\r\n"
        "a=<SUB1><INSTALLDIR>~Data\r\n"
        "[WorkStation]\r\n"
        "2=x.exe~<INSTALLDIR>~X\r\n"
        "1=y.exe~<INSTALLDIR>\r\n"
        "[Desktop]\r\n"
        "L=App~<INSTALLDIR>\\app.exe~X~~<INSTALLDIR>\\app.exe~Group\r\n"
        "[INI - Setup]\r\n"
        "i=win.ini~Sec~Key~Value\r\n"
        "[AUTOEXEC.BAT]\r\n"
        "SET A=B\r\n"
        "PATH %PATH%;<ROOT>APP=\r\n");
    EXPECT_EQ(r.settings.Directories,
              (std::vector<std::string>{"<INSTALLDIR>~", "<SUB1><INSTALLDIR>~Data"}));
    EXPECT_EQ(r.settings.WorkStationFiles,
              (std::vector<std::string>{"x.exe~<INSTALLDIR>~X", "y.exe~<INSTALLDIR>"}));
    ASSERT_EQ(r.settings.Shortcuts.size(), 1u);
    EXPECT_EQ(r.settings.IniEntries, (std::vector<std::string>{"win.ini~Sec~Key~Value"}));
    // Autoexec lines are the key names: only the text before the first "=".
    EXPECT_EQ(r.settings.AutoexecLines,
              (std::vector<std::string>{"SET A", "PATH %PATH%;<ROOT>APP"}));
}

TEST(SetupConfig, LongValuesAreCutAt1023) {
    test::TestMachine m;
    const std::string longText(5000, 'h');
    const Read r = ReadText(m, "[Setup - Main]\r\nHeader=" + longText + "\r\n");
    EXPECT_EQ(r.look.Header.Text, longText.substr(0, 1023));
}

TEST(SetupConfig, ListSectionsAreReadWholePastTheFirstBuffer) {
    test::TestMachine m;
    // 2,001 keys of 10 characters: 22,011 bytes of names, the buffer grows twice.
    std::string text = "[Files]\r\n";
    for (int i = 0; i <= 2000; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "File%06d", i);
        text += std::string(name) + "=f" + std::to_string(i) + ".dat~<INSTALLDIR>\r\n";
    }
    text += "[Files - OverWrite]\r\nFile #2000=1\r\n";
    const Read r = ReadText(m, text);
    ASSERT_EQ(r.settings.Files.size(), 2001u);
    EXPECT_EQ(r.settings.Files[0], "f0.dat~<INSTALLDIR>~");
    EXPECT_EQ(r.settings.Files[2000], "f2000.dat~<INSTALLDIR>~X");
}

TEST(SetupConfig, TheEntryKeysAreReadAsWritten) {
    test::TestMachine m;
    const Read r = ReadText(m, "[Setup - Main]\r\nPublisher=Tidewater Software\r\nVersion=2.1\r\n"
                               "About URL=http://example.com/notes\r\nIcon=<INSTALLDIR>\\notes.exe,1\r\n");
    EXPECT_EQ(r.settings.Publisher, "Tidewater Software");
    EXPECT_EQ(r.settings.Version, "2.1");
    EXPECT_EQ(r.settings.AboutUrl, "http://example.com/notes");
    EXPECT_EQ(r.settings.ProductIcon, "<INSTALLDIR>\\notes.exe,1");
}

// The title names the registration: two media without a Header must not share one.
TEST(SetupConfig, AMediumWithoutHeaderGetsATitleOfItsOwn) {
    test::TestMachine m;
    const std::pair<std::string, std::string> cases[] = {
        {"", "ZOV - Zovrand 32Bit"},
        {"[Setup - Main]\r\nInstall Dir=Tool\r\n", "ZOV - Zovrand 32Bit (Tool)"},
        {"[Setup - Main]\r\nHeader=\r\nInstall Dir=Apps\\Tool\r\n", "ZOV - Zovrand 32Bit (Apps/Tool)"},
        {"[Files]\r\nF=bin\\tool.exe~<INSTALLDIR>\r\nG=b.dat~<INSTALLDIR>\r\n", "ZOV - Zovrand 32Bit (tool.exe)"},
        {"[Setup - Main]\r\nHeader=Tool 2.0\r\nInstall Dir=Tool\r\n", "Tool 2.0"},
    };
    for (const auto& [text, title] : cases) EXPECT_EQ(ReadText(m, text).look.Header.Text, title) << text;
}

TEST(SetupConfig, LaunchAvailability) {
    TSetupSettings s;
    EXPECT_FALSE(LaunchAvailable(s));
    s.LaunchCommand = "<INSTALLDIR>\\app.exe";
    EXPECT_TRUE(LaunchAvailable(s));
    s.LaunchCommand = "<INSTALLDIR>\\SubSetup.exe";
    EXPECT_FALSE(LaunchAvailable(s));
    s.LaunchCommand = "<INSTALLDIR>\\setup";  // no dot after it
    EXPECT_TRUE(LaunchAvailable(s));
}

}  // namespace
}  // namespace zov
