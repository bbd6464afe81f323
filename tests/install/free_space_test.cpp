// Room on the drives, on an emulated machine whose free space and cluster size are set.
#include <gtest/gtest.h>

#include <filesystem>

#include "install/free_space.h"
#include "sys/emu/emulated_system.h"
#include "tests/support/test_machine.h"

namespace zov::test {
namespace {

constexpr uint64_t kMB = 1048576;

TEST(FreeSpace, MegabytesWithOneDecimal) {
    const struct {
        uint64_t bytes;
        bool up;
        const char* text;
    } cases[] = {
        {0, true, "0.0 MB"},           {0, false, "0.0 MB"},
        {kMB, true, "1.0 MB"},         {kMB, false, "1.0 MB"},
        {kMB + 1, true, "1.1 MB"},     {kMB + 1, false, "1.0 MB"},
        {kMB * 124 / 10, true, "12.4 MB"},  // 12.399... MB
        {kMB * 124 / 10, false, "12.3 MB"},
        {kMB * 1024 * 5 + kMB / 2, false, "5120.5 MB"},
    };
    for (const auto& c : cases) EXPECT_EQ(MegabytesText(c.bytes, c.up), c.text) << c.bytes << (c.up ? " up" : " down");
}

TEST(FreeSpace, TheMessageNamesTheDriveWhatIsNeededAndWhatIsFree) {
    TDriveNeed drive;
    drive.Drive = "D:";
    drive.Needed = kMB * 124 / 10;  // just below 12.4 MB
    drive.Free = kMB * 31 / 10 + 1;
    EXPECT_EQ(ShortageText(drive), "Not enough space on D: 12.4 MB needed, 3.1 MB free");
    drive.Needed = drive.Free + 1;  // short by a byte: the two figures still differ
    EXPECT_EQ(ShortageText(drive), "Not enough space on D: 3.2 MB needed, 3.1 MB free");
    drive.Drive = "\\\\server\\share";
    EXPECT_EQ(ShortageText(drive), "Not enough space on \\\\server\\share: 3.2 MB needed, 3.1 MB free");
}

TEST(FreeSpace, TheDriveOfAPath) {
    const std::pair<const char*, const char*> cases[] = {
        {"d:\\Tool\\a.exe", "D:"}, {"C:", "C:"}, {"\\\\Server\\Share\\dir\\a", "\\\\SERVER\\SHARE"},
        {"\\\\server\\share", "\\\\SERVER\\SHARE"}, {"Tool\\a.exe", ""}, {"", ""},
    };
    for (const auto& [path, drive] : cases) EXPECT_EQ(DriveOf(path), drive) << path;
}

class Drives : public ::testing::Test {
protected:
    Drives() {
        std::filesystem::create_directories(Emu().Root() / "d");
        Emu().SetClusterSize(4096);
    }
    sys::emu::EmulatedSystem& Emu() { return dynamic_cast<sys::emu::EmulatedSystem&>(machine.System()); }
    TestMachine machine;
};

TEST_F(Drives, EachFileTakesWholeClustersOfItsDrive) {
    TSpaceNeeds needs;
    needs.Add("D:\\a", 1);
    needs.Add("D:\\b", 4096);
    needs.Add("C:\\c", 4097);
    needs.Add("d:\\empty", 0);
    ASSERT_EQ(needs.Drives().size(), 2u);
    EXPECT_EQ(needs.Drives()[0].Drive, "D:");
    EXPECT_EQ(needs.Drives()[0].Needed, 8192u);
    EXPECT_EQ(needs.Drives()[1].Needed, 8192u);
    Emu().SetFreeDiskSpace(kMB);
    Emu().SetFreeDiskSpace('D', 8191);
    ASSERT_TRUE(needs.Shortage());
    EXPECT_EQ(needs.Shortage()->Drive, "D:");
    EXPECT_EQ(needs.Shortage()->Free, 8191u);
    Emu().SetFreeDiskSpace('D', 8192);
    EXPECT_FALSE(needs.Shortage());
    EXPECT_EQ(SpaceShortage(needs), "");
}

TEST_F(Drives, TheCopyCountsEachFileInEveryDirectoryOfItsTag) {
    TSetupSettings s;
    s.WindowsRoot = "C:\\";
    s.TempDir = "C:\\WINDOWS\\Temp\\z";
    machine.System().CreateDirectory("C:\\WINDOWS\\Temp");
    machine.System().CreateDirectory(s.TempDir);
    machine.WriteFile(s.TempDir + "\\big.dat", std::string(10000, 'x'));  // 3 clusters
    machine.WriteFile(s.TempDir + "\\small.dll", "x");
    machine.WriteFile(s.TempDir + "\\install.exe", std::string(5000, 'x'));
    machine.WriteFile(s.TempDir + "\\install.cfg", "x");
    s.Directories = {"<INSTALLDIR>~", "<WINDOWS_SYSTEM>~", "<SUB1><INSTALLDIR>~Data", "<SUB1><INSTALLDIR>~More"};
    s.Files = {"big.dat~<SUB1><INSTALLDIR>", "small.dll~<WINDOWS_SYSTEM>", "missing.txt~<INSTALLDIR>"};
    s.WorkStationFiles = {"small.dll~<INSTALLDIR>"};
    const TSpaceNeeds full = CopyNeeds(s, "D:\\Tool\\", false);
    ASSERT_EQ(full.Drives().size(), 2u);
    // big.dat twice, install.exe, install.cfg, uninstall.cfg, and the missing file as nothing.
    EXPECT_EQ(full.Drives()[0].Drive, "D:");
    EXPECT_EQ(full.Drives()[0].Needed, (3 + 3 + 2 + 1 + 1) * 4096u);
    EXPECT_EQ(full.Drives()[1].Drive, "C:");
    EXPECT_EQ(full.Drives()[1].Needed, 4096u);
    const TSpaceNeeds workstation = CopyNeeds(s, "D:\\Tool", true);
    ASSERT_EQ(workstation.Drives().size(), 1u);
    EXPECT_EQ(workstation.Drives()[0].Needed, (1 + 2 + 1 + 1) * 4096u);
    Emu().SetFreeDiskSpace('D', 5 * 4096 - 1);
    EXPECT_EQ(SpaceShortage(workstation), "Not enough space on D: 0.1 MB needed, 0.0 MB free");
}

TEST_F(Drives, TheExpansionCountsTheSegmentsAndTheSetupsFilesInTheTemporaryFolder) {
    TSetupSettings s;
    s.SourceDir = "D:\\";
    s.TempDir = "C:\\WINDOWS\\Temp\\z";
    machine.WriteFile("D:\\install.cfg", "[Disk Check]\r\ninstall.cfg=20,00000000\r\ndisk.001=5000,00000000\r\n"
                                         "disk.002=3200,00000000\r\n[Setup - Main]\r\n");
    machine.WriteFile("D:\\install.exe", std::string(100, 'x'));
    const TSpaceNeeds needs = ExpansionNeeds(s);
    ASSERT_EQ(needs.Drives().size(), 1u);
    EXPECT_EQ(needs.Drives()[0].Drive, "C:");
    // The segments' data less their headers (8184 bytes) in one temporary archive; install.cfg's
    // own entry is the file itself: counted once, as the copy.
    EXPECT_EQ(needs.Drives()[0].Needed, (2 + 1 + 1) * 4096u);
}

}  // namespace
}  // namespace zov::test
