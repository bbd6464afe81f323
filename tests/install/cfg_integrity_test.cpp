#include "install/cfg_integrity.h"

#include <gtest/gtest.h>

#include "tests/support/test_machine.h"

namespace zov {
namespace {

const std::string kText =
    "; a comment before the first section\r\n[Setup - Main]\r\nHeader=Tool\r\n[Files]\r\nFile1=a.exe~<INSTALLDIR>\r\n"
    "File2=b.dat~<INSTALLDIR>\r\n";

std::string FaultOf(test::TestMachine& m, const std::string& text) {
    const std::string path = m.Path("install.cfg");
    m.WriteFile(path, text);
    return ConfigFileFault(path);
}

TEST(CfgIntegrity, AWholeFileAndAnOlderMediumPass) {
    test::TestMachine m;
    const std::string built = WithDiskCheck("disk.001=100,0000ABCD\r\n", kText);
    EXPECT_EQ(built.rfind("[Disk Check]\r\ninstall.cfg=", 0), 0u);
    EXPECT_EQ(FaultOf(m, built), "");
    // The builder's rewrite of the section measures the same text.
    EXPECT_EQ(TextWithoutDiskCheck(built), kText);
    EXPECT_EQ(FaultOf(m, WithDiskCheck("disk.001=7,00000001\r\ndisk.002=9,00000002\r\n", TextWithoutDiskCheck(built))), "");
    // Older media: the section at the end, without install.cfg's own entry; or none at all.
    // Their install.cfg does not start with the section, and is read without the check.
    EXPECT_EQ(FaultOf(m, kText + "[Disk Check]\r\ndisk.001=100,0000ABCD\r\n"), "");
    EXPECT_EQ(FaultOf(m, kText), "");
    EXPECT_EQ(FaultOf(m, ""), "");
}

TEST(CfgIntegrity, EveryCutAndEveryEditIsNamed) {
    test::TestMachine m;
    const std::string built = WithDiskCheck("disk.001=100,0000ABCD\r\n", kText);
    const std::string cut = m.Path("install.cfg") + " is cut short";
    const std::string changed = m.Path("install.cfg") + " was changed after the medium was built";
    std::string edited = built;
    edited[edited.find("b.dat")] = 'c';
    std::string unixEnds;
    for (char c : built)
        if (c != '\r') unixEnds += c;
    const std::pair<std::string, std::string> cases[] = {
        {built.substr(0, 5), cut},                                       // inside the section's header
        {built.substr(0, built.find("install.cfg=") + 15), cut},         // inside its own entry
        {built.substr(0, built.find("disk.001") + 3), cut},              // inside the section
        // Shorter after its section: cut or edited, it was changed.
        {built.substr(0, built.size() - 30), changed},
        {built.substr(0, built.find("[Files]")), changed},
        {built.substr(0, built.size() - 1), changed},
        {edited, changed},
        {built + "; a comment added\r\n", changed},
        {unixEnds, changed},
        {"[Disk Check]\r\ninstall.cfg=garbage\r\n" + kText, changed},  // its check line damaged
    };
    for (const auto& [text, fault] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(FaultOf(m, text), fault);
    }
}

}  // namespace
}  // namespace zov
