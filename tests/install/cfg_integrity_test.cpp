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
    EXPECT_EQ(FaultOf(m, kText + "[Disk Check]\r\ndisk.001=100,0000ABCD\r\n"), "");
    EXPECT_EQ(FaultOf(m, kText), "");
    EXPECT_EQ(FaultOf(m, ""), "");
}

TEST(CfgIntegrity, EveryCutAndEveryEditIsNamed) {
    test::TestMachine m;
    const std::string built = WithDiskCheck("disk.001=100,0000ABCD\r\n", kText);
    const std::string path = m.Path("install.cfg");
    const size_t ownEnd = built.find("\r\ndisk.001");
    struct Case {
        std::string text;
        std::string fault;
    };
    std::vector<Case> cases = {
        {built.substr(0, built.size() - 30), path + " is cut short: " + std::to_string(kText.size() - 30) + " of " +
                                                 std::to_string(kText.size()) + " bytes"},
        {built.substr(0, 5), path + " is cut short: its [Disk Check] section is incomplete"},
        {built.substr(0, 20), path + " is cut short: its [Disk Check] section is incomplete"},
        {built.substr(0, ownEnd - 3), path + " is cut short: its [Disk Check] section is incomplete"},
        {built.substr(0, ownEnd + 5), path + " is cut short: 0 of " + std::to_string(kText.size()) + " bytes"},
    };
    std::string edited = built;
    edited[edited.find("b.dat")] = 'c';
    cases.push_back({edited, path + " was changed after the medium was built"});
    std::string unixEnds;
    for (char c : built)
        if (c != '\r') unixEnds += c;
    cases.push_back({unixEnds, path + " is cut short"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string fault = FaultOf(m, c.text);
        EXPECT_EQ(fault.rfind(c.fault, 0), 0u) << fault;
    }
}

}  // namespace
}  // namespace zov
