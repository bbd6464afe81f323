// zovpack media, media-test and media-extract on the example medium and on built sets.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "sys/system.h"
#include "tests/support/noise_bytes.h"
#include "tests/support/test_machine.h"
#include "tools/zovpack/commands.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "sys/emu/emulated_system.h"
#include "sys/forwarding_system.h"
#endif

namespace zov::test {
namespace {

using zovpack::Args;

// What the tool returns for the command, as its main gives it.
int RunCommand(int (*command)(const Args&), const Args& args, std::string* errors = nullptr) {
    Args all;
    for (const zovpack::Command& c : zovpack::Commands())
        if (c.run == command) all.push_back(c.name);
    all.insert(all.end(), args.begin(), args.end());
    ::testing::internal::CaptureStderr();
    const int rc = zovpack::RunZovpack(all);
    const std::string text = ::testing::internal::GetCapturedStderr();
    if (errors) *errors = text;
    return rc;
}

class MediaCommandTest : public ::testing::Test {
protected:
    TestMachine machine;
#ifndef _WIN32
    // The tool works on host files, as it does on its own machine.
    MediaCommandTest() {
        static_cast<sys::emu::EmulatedSystem&>(machine.System()).SetHostPaths(sys::emu::HostPaths::Taken);
    }
#endif

    // A path as the tool takes it on the command line.
    std::string Arg(const std::string& name) {
#ifdef _WIN32
        return machine.Path(name);
#else
        auto& emulated = static_cast<sys::emu::EmulatedSystem&>(machine.System());
        return emulated.ToHost(machine.Path(name)).string();
#endif
    }
    static std::string SourceArg(const std::string& relative) {
        std::string path = std::string(ZOV_SOURCE_DIR) + "/" + relative;
#ifdef _WIN32
        for (char& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;  // Wine's drive for the host's root
#endif
        return path;
    }
    // The emulated machine takes host paths as they are.
    std::string Read(const std::string& arg) { return machine.ReadFile(arg); }
    bool Exists(const std::string& arg) { return machine.Exists(arg); }
    std::string In(const std::string& dirArg, const std::string& name) {
#ifdef _WIN32
        return dirArg + "\\" + name;
#else
        return dirArg + "/" + name;
#endif
    }

    // A payload folder with one big file and the install.cfg that lists it.
    void MakePayload(const std::string& bigContent) {
        machine.System().CreateDirectory(machine.Path("src"));
        machine.WriteFile(machine.Path("src\\big.bin"), bigContent);
        machine.WriteFile(machine.Path("src\\license.txt"), "licence text");
        machine.WriteFile(machine.Path("install.cfg"),
                          "[Directories]\r\nDir1=<INSTALLDIR>~\r\n[Files]\r\nFile1=big.bin~<INSTALLDIR>\r\n");
    }
    Args Build(const std::string& out, std::vector<std::string> extra = {}) {
        Args args = {"--cfg", Arg("install.cfg"), "--from", Arg("src"), "--out", Arg(out)};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
};

std::string Bytes(size_t size) { return NoiseBytes(size); }

// The example's committed files; its two programs come from the Windows build, stand-ins here.
const char* const kExampleFiles[] = {"notes.hlp", "readme.txt", "license.txt", "welcome.tnt", "tidectl.dll",
                                     "splash.gif", "tidewatr.bmp", "spelling.dic"};

TEST_F(MediaCommandTest, ExampleMediumPassesItsTestAndExtractsFlat) {
    machine.WriteFile(machine.Path("install.exe"), "MZ stub");
    machine.WriteFile(machine.Path("uninstaller.exe"), "MZ uninstaller");
    machine.System().CreateDirectory(machine.Path("payload"));
    for (const char* name : kExampleFiles)
        machine.WriteFile(machine.Path("payload\\") + name, Read(In(SourceArg("examples/payload"), name)));
    machine.WriteFile(machine.Path("payload\\notes.exe"), "MZ notes");
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, {"--cfg", SourceArg("examples/install.cfg"), "--from", Arg("payload"),
                                             "--out", Arg("MEDIA"), "--stub", Arg("install.exe"),
                                             "--uninstaller", Arg("uninstaller.exe")}),
              0);
    for (const char* name : {"disk.001", "install.cfg", "install.exe"})
        EXPECT_TRUE(Exists(In(Arg("MEDIA"), name))) << name;
    EXPECT_FALSE(Exists(In(Arg("MEDIA"), "disk.002")));
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("MEDIA")}), 0);

    ASSERT_EQ(RunCommand(zovpack::CmdMediaExtract, {Arg("MEDIA"), "-d", Arg("flat")}), 0);
    for (const char* name : kExampleFiles) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Read(In(Arg("flat"), name)), Read(In(SourceArg("examples/payload"), name)));
    }
    EXPECT_EQ(Read(In(Arg("flat"), "notes.exe")), "MZ notes");
    EXPECT_EQ(Read(In(Arg("flat"), "uninstaller.exe")), "MZ uninstaller");
    EXPECT_EQ(Read(In(Arg("flat"), "install.exe")), "MZ stub");
    // The medium's install.cfg is the builder's after a first section with its own check and
    // the segments' sizes and CRCs.
    const std::string cfg = Read(In(Arg("MEDIA"), "install.cfg"));
    const std::string example = Read(SourceArg("examples/install.cfg"));
    ASSERT_GT(cfg.size(), example.size());
    EXPECT_EQ(cfg.substr(cfg.size() - example.size()), example);
    EXPECT_EQ(cfg.rfind("[Disk Check]\r\ninstall.cfg=", 0), 0u);
    EXPECT_NE(cfg.find("\r\ndisk.001=" + std::to_string(Read(In(Arg("MEDIA"), "disk.001")).size()) + ","),
              std::string::npos);
    EXPECT_EQ(Read(In(Arg("flat"), "install.cfg")), cfg);
    // A rebuild from that install.cfg keeps one section, with the new values.
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, {"--cfg", In(Arg("MEDIA"), "install.cfg"), "--from", Arg("payload"),
                                             "--out", Arg("MEDIA2"), "--uninstaller", Arg("uninstaller.exe")}),
              0);
    const std::string again = Read(In(Arg("MEDIA2"), "install.cfg"));
    EXPECT_EQ(again.find("[Disk Check]"), again.rfind("[Disk Check]"));
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("MEDIA2")}), 0);
    // A copy cut short or changed is found before a segment is read.
    std::string errors;
    for (const std::string& damaged : {again.substr(0, 20), again.substr(0, again.size() - 100), again + "; added\r\n"}) {
        machine.WriteFile(In(Arg("MEDIA2"), "install.cfg"), damaged);
        EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("MEDIA2")}, &errors), 1);
        EXPECT_NE(errors.find("install.cfg " + std::string(damaged.size() == 20 ? "is cut short" : "was changed")),
                  std::string::npos) << errors;
    }
}

TEST_F(MediaCommandTest, SegmentsKeepTheSizeLimitAndAMissingOneIsNamed) {
    const std::string big = Bytes(70000);
    MakePayload(big);
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, Build("media", {"--segsize", "16384", "-m", "none"})), 0);
    int segments = 0;
    for (; Exists(In(Arg("media"), "disk.00" + std::to_string(segments + 1))); ++segments)
        EXPECT_LE(Read(In(Arg("media"), "disk.00" + std::to_string(segments + 1))).size(), 16384u);
    EXPECT_EQ(segments, 5);
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("media")}), 0);
    // Every segment carries the medium's mark, which another payload does not share.
    const auto mark = [&](const std::string& medium, int n) {
        return Read(In(Arg(medium), "disk.00" + std::to_string(n))).substr(4, 2);
    };
    EXPECT_NE(mark("media", 1), std::string(2, '\0'));
    for (int n = 2; n <= segments; ++n) EXPECT_EQ(mark("media", n), mark("media", 1)) << n;
    MakePayload(big + "x");
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, Build("again", {"--segsize", "16384", "-m", "none"})), 0);
    EXPECT_NE(mark("again", 1), mark("media", 1));
    MakePayload(big);

    const std::string second = In(Arg("media"), "disk.002");
    const std::string secondBytes = Read(second);
    machine.System().DeleteFile(second);
    std::string errors;
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("media")}, &errors), 1);
    EXPECT_NE(errors.find("disk.002: missing\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("1 of 5 segments missing or damaged"), std::string::npos) << errors;
    EXPECT_EQ(RunCommand(zovpack::CmdMediaExtract, {Arg("media"), "-d", Arg("x")}, &errors), 1);
    EXPECT_FALSE(Exists(In(Arg("x"), "big.bin"))) << "nothing half-written";
    EXPECT_NE(errors.find("disk.002: missing\nzovpack media-extract: 1 of 5 segments missing or damaged"),
              std::string::npos) << errors;

    machine.WriteFile(second, secondBytes);
    std::string damaged = Read(In(Arg("media"), "disk.003"));
    damaged[100] ^= 0x40;
    machine.WriteFile(In(Arg("media"), "disk.003"), damaged);
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("media")}, &errors), 1);
    EXPECT_NE(errors.find("disk.003: damaged: its CRC-32 is "), std::string::npos) << errors;
    EXPECT_EQ(errors.find("disk.002"), std::string::npos) << errors;
    // Cut short and made longer: each named with its sizes.
    machine.WriteFile(In(Arg("media"), "disk.003"), damaged.substr(0, 1000));
    machine.WriteFile(In(Arg("media"), "disk.004"), Read(In(Arg("media"), "disk.004")) + "x");
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("media")}, &errors), 1);
    EXPECT_NE(errors.find("disk.003: short: 1000 of " + std::to_string(damaged.size()) + " bytes"),
              std::string::npos) << errors;
    EXPECT_NE(errors.find("disk.004: too long: "), std::string::npos) << errors;
    // Without the section the set is read as before: the damage shows in the expansion.
    machine.WriteFile(In(Arg("media"), "install.cfg"), "[Setup - Main]\r\n");
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("media")}, &errors), 1);
    EXPECT_NE(errors.find("segment "), std::string::npos) << errors;

    // A rebuild into fewer segments leaves no stale ones behind.
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, Build("media")), 0);
    EXPECT_TRUE(Exists(In(Arg("media"), "disk.001")));
    EXPECT_FALSE(Exists(In(Arg("media"), "disk.002")));
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("media")}), 0);
    ASSERT_EQ(RunCommand(zovpack::CmdMediaExtract, {Arg("media"), "-d", Arg("x")}), 0);
    EXPECT_EQ(Read(In(Arg("x"), "big.bin")), big);
}

// --disk: every disk holds at most its capacity in 512-byte sectors; the first one also
// carries install.exe and install.cfg, so its segment is shorter and the others are full.
TEST_F(MediaCommandTest, DisksOfAGivenCapacityLeaveRoomForTheSetupOnTheFirst) {
    const std::string big = Bytes(200000);
    MakePayload(big);
    machine.WriteFile(machine.Path("stub.exe"), Bytes(30000));
    const auto onDisk = [](size_t bytes) { return (bytes + 511) / 512 * 512; };
    const int64_t capacity = 80000;
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, Build("media", {"--disk", "80000", "--stub", Arg("stub.exe")})), 0);
    const std::string first = Read(In(Arg("media"), "disk.001"));
    EXPECT_LE(onDisk(first.size()) + onDisk(Read(In(Arg("media"), "install.cfg")).size()) + onDisk(30000),
              static_cast<size_t>(capacity));
    EXPECT_GT(first.size(), 30000u);  // the room is used, not given away
    int segments = 1;
    for (; Exists(In(Arg("media"), "disk.00" + std::to_string(segments + 1))); ++segments) {
        const size_t size = Read(In(Arg("media"), "disk.00" + std::to_string(segments + 1))).size();
        EXPECT_LE(size, 79872u);  // 156 sectors
        if (Exists(In(Arg("media"), "disk.00" + std::to_string(segments + 2)))) {
            EXPECT_EQ(size, 79872u);
        }
    }
    EXPECT_EQ(segments, 3);
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("media")}), 0);
    ASSERT_EQ(RunCommand(zovpack::CmdMediaExtract, {Arg("media"), "-d", Arg("x")}), 0);
    EXPECT_EQ(Read(In(Arg("x"), "big.bin")), big);

    // The disk count install.cfg states is compared with the medium's.
    std::string errors;
    machine.WriteFile(machine.Path("install.cfg"), "[Setup - Main]\r\nInstall Disks=2\r\n" + Read(machine.Path("install.cfg")));
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, Build("media", {"--disk", "80000"}), &errors), 0);
    EXPECT_NE(errors.find("warning: install.cfg says Install Disks=2; the medium has 3 disks"), std::string::npos)
        << errors;

    // A setup program that leaves no room on the first disk: refused, nothing written.
    machine.WriteFile(machine.Path("stub.exe"), Bytes(70000));
    EXPECT_EQ(RunCommand(zovpack::CmdMedia, Build("other", {"--disk", "80000", "--stub", Arg("stub.exe")}), &errors), 1);
    EXPECT_NE(errors.find("leave no room for disk.001 on a disk of 80000 bytes"), std::string::npos) << errors;
    EXPECT_FALSE(Exists(In(Arg("other"), "disk.001")));
}

TEST_F(MediaCommandTest, RefusesWhatItCannotBuildAndWritesNothing) {
    MakePayload("small");
    machine.WriteFile(machine.Path("install.cfg"),
                      "[Directories]\r\nD=<INSTALLDIR>~\r\n[Files]\r\nFile1=big.bin~<INSTALLDIR>\r\n"
                      "[WorkStation]\r\nFile1=gone.dll~<INSTALLDIR>\r\n");
    std::string errors;
    EXPECT_EQ(RunCommand(zovpack::CmdMedia, Build("out"), &errors), 1);
    EXPECT_NE(errors.find("lacks: gone.dll"), std::string::npos) << errors;
    EXPECT_EQ(RunCommand(zovpack::CmdMedia, Build("out", {"-m", "zip"}), &errors), 2);  // a usage error
    EXPECT_EQ(RunCommand(zovpack::CmdMedia, Build("out", {"--stub", Arg("nowhere.exe")}), &errors), 1);
    EXPECT_EQ(RunCommand(zovpack::CmdMedia, {"--from", Arg("src")}, &errors), 2);
    std::vector<sys::FindEntry> entries;
    machine.System().FindFiles(machine.Path("out\\*.*"), true, entries);
    for (const auto& e : entries)
        if (e.name != "." && e.name != "..") ADD_FAILURE() << "written: " << e.name;
}

// What the builder is warned about, and what it is refused, one line each.
TEST_F(MediaCommandTest, WarningsAndRefusalsNameWhatToDo) {
    MakePayload("small");
    const std::string files = "[Directories]\r\nDir1=<INSTALLDIR>~\r\n[Files]\r\nFile1=big.bin~<INSTALLDIR>\r\n";
    struct Case {
        std::string cfg;
        Args extra;
        int code;
        std::string says;
    };
    const Case cases[] = {
        {files, {}, 0, "warning: no --stub: the medium gets no install.exe"},
        {files + "big.bin~<INSTALLDIR>\r\n", {}, 1, ":5: error: \"big.bin~<INSTALLDIR>\" in [Files] has no \"=\""},
        {files + "file1=license.txt~<INSTALLDIR>\r\n", {}, 1, "key \"file1\" is repeated in [Files]"},
        {files + "file1=license.txt~<INSTALLDIR>\r\n", {}, 1, "1 error in " + Arg("install.cfg") +
                                                               ": no medium is made; fix it, or give --allow-errors"},
        {files + "file1=license.txt~<INSTALLDIR>\r\n", {"--allow-errors"}, 0, "key \"file1\" is repeated in [Files]"},
        {"[Setup - Main]\r\nBitmap File=logo.gif\r\n" + files + "File2=logo.gif~<INSTALLDIR>\r\n", {}, 1,
         "lacks: logo.gif"},
        {files + "File2=uninstaller.exe~<INSTALLDIR>\r\n", {}, 1, "lacks: uninstaller.exe; --uninstaller supplies"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cfg);
        machine.WriteFile(machine.Path("install.cfg"), c.cfg);
        std::string errors;
        EXPECT_EQ(RunCommand(zovpack::CmdMedia, Build("out", c.extra), &errors), c.code);
        EXPECT_NE(errors.find(c.says), std::string::npos) << errors;
    }
    machine.WriteFile(machine.Path("stub.exe"), "MZ");
    std::string errors;
    machine.WriteFile(machine.Path("install.cfg"), "[Setup - Main]\r\nHeader=Big\r\n" + files);
    EXPECT_EQ(RunCommand(zovpack::CmdMedia, Build("out", {"--stub", Arg("stub.exe")}), &errors), 0);
    EXPECT_EQ(errors, "");
}

TEST_F(MediaCommandTest, TheGivenUninstallerIsThePayloadsUninstaller) {
    MakePayload("small");
    machine.WriteFile(machine.Path("built.exe"), "MZ the project's uninstaller");
    machine.WriteFile(machine.Path("install.cfg"), "[Directories]\r\nDir1=<INSTALLDIR>~\r\n[Files]\r\n"
                                                   "File1=big.bin~<INSTALLDIR>\r\nFile2=uninstaller.exe~<INSTALLDIR>\r\n");
    // The folder has none: the option supplies it; with one there, the option's wins.
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, Build("a", {"--uninstaller", Arg("built.exe")})), 0);
    machine.WriteFile(machine.Path("src\\UNINSTALLER.EXE"), "MZ an old one");
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, Build("b", {"--uninstaller", Arg("built.exe")})), 0);
    for (const char* medium : {"a", "b"}) {
        ASSERT_EQ(RunCommand(zovpack::CmdMediaExtract, {Arg(medium), "-d", Arg(std::string(medium) + "x")}), 0);
        EXPECT_EQ(Read(In(Arg(std::string(medium) + "x"), "uninstaller.exe")), "MZ the project's uninstaller");
    }
    // An install.cfg that does not list it gets it all the same, with a warning.
    MakePayload("small");
    std::string errors;
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, Build("c", {"--uninstaller", Arg("built.exe")}), &errors), 0);
    EXPECT_NE(errors.find("lists no uninstaller.exe"), std::string::npos) << errors;
    ASSERT_EQ(RunCommand(zovpack::CmdMediaExtract, {Arg("c"), "-d", Arg("cx")}), 0);
    EXPECT_TRUE(Exists(In(Arg("cx"), "uninstaller.exe")));
    EXPECT_EQ(RunCommand(zovpack::CmdMedia, Build("d", {"--uninstaller", Arg("nowhere.exe")}), &errors), 1);
}

TEST_F(MediaCommandTest, LockedMediumNeedsTheKey) {
    MakePayload(Bytes(3000));
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, Build("media", {"--key", "0x1234"})), 0);
    std::string errors;
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("media")}, &errors), 1);
    EXPECT_NE(errors.find("File locked -- valid key required"), std::string::npos) << errors;
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("media"), "--key", "4660"}), 0);
}

// A failed media-extract leaves the target folder exactly as it was; a good one replaces.
TEST_F(MediaCommandTest, AFailedExtractLeavesTheFolderAsItWas) {
    const std::string big = Bytes(40000);
    MakePayload(big);
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, Build("media", {"--segsize", "16384", "-m", "none"})), 0);
    machine.System().CreateDirectory(machine.Path("x"));
    machine.WriteFile(In(Arg("x"), "big.bin"), "the user's own big.bin");
    machine.WriteFile(In(Arg("x"), "notes.txt"), "the user's notes");
    // Damage that only the expansion sees: the medium has lost its section.
    machine.WriteFile(In(Arg("media"), "install.cfg"), "[Files]\r\nFile1=big.bin~<INSTALLDIR>\r\n");
    std::string third = Read(In(Arg("media"), "disk.003"));
    third[500] ^= 0x10;
    machine.WriteFile(In(Arg("media"), "disk.003"), third);
    std::string errors;
    EXPECT_EQ(RunCommand(zovpack::CmdMediaExtract, {Arg("media"), "-d", Arg("x")}, &errors), 1);
    EXPECT_NE(errors.find("Bad checksum"), std::string::npos) << errors;
    std::vector<sys::FindEntry> entries;
    machine.System().FindFiles(machine.Path("x\\*.*"), true, entries);
    std::vector<std::string> names;
    for (const auto& e : entries)
        if (e.name != "." && e.name != "..") names.push_back(e.name);
    EXPECT_EQ(names.size(), 2u) << "no staging folder left, nothing new";
    EXPECT_EQ(Read(In(Arg("x"), "big.bin")), "the user's own big.bin");
    EXPECT_EQ(Read(In(Arg("x"), "notes.txt")), "the user's notes");

    third[500] ^= 0x10;
    machine.WriteFile(In(Arg("media"), "disk.003"), third);
    ASSERT_EQ(RunCommand(zovpack::CmdMediaExtract, {Arg("media"), "-d", Arg("x")}), 0);
    EXPECT_EQ(Read(In(Arg("x"), "big.bin")), big);
    EXPECT_EQ(Read(In(Arg("x"), "notes.txt")), "the user's notes");
    EXPECT_EQ(Read(In(Arg("x"), "license.txt")), "licence text");
}

TEST_F(MediaCommandTest, TheMediumsOwnFolderIsRefused) {
    MakePayload("small");
    machine.WriteFile(machine.Path("install.exe"), "MZ stub");
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, Build("media", {"--stub", Arg("install.exe")})), 0);
    std::string errors;
    EXPECT_EQ(RunCommand(zovpack::CmdMediaExtract, {Arg("media"), "-d", Arg("media")}, &errors), 2);
    EXPECT_NE(errors.find("it holds the medium"), std::string::npos) << errors;
    EXPECT_EQ(RunCommand(zovpack::CmdMediaExtract, {Arg("media"), "-d", Arg("")}, &errors), 2);
    EXPECT_NE(errors.find("the medium lies in it"), std::string::npos) << errors;
    EXPECT_EQ(Read(In(Arg("media"), "install.exe")), "MZ stub");
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("media")}), 0);
}

TEST_F(MediaCommandTest, PayloadNamesTheSetupCannotTellApartAndAMissingPicture) {
    MakePayload("small");
    machine.WriteFile(machine.Path("install.cfg"),
                      "[Setup - Main]\r\nBitmap File=logo.bmp\r\n[Directories]\r\nD=<INSTALLDIR>~\r\n"
                      "[Files]\r\nFile1=big.bin~<INSTALLDIR>\r\n");
    std::string errors;
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, Build("out"), &errors), 0);
    EXPECT_NE(errors.find("warning: Bitmap File \"logo.bmp\" is not in "), std::string::npos) << errors;
    if (!TestMachine::IsEmulated()) return;  // Windows folders cannot hold both names
    std::ofstream(In(Arg("src"), "BIG.BIN")) << "other";
    EXPECT_EQ(RunCommand(zovpack::CmdMedia, Build("out2"), &errors), 1);
    EXPECT_NE(errors.find("which the setup cannot tell apart"), std::string::npos) << errors;
    EXPECT_FALSE(Exists(In(Arg("out2"), "disk.001")));
}

#ifndef _WIN32
// A FIFO named in install.cfg would block the build for ever; scratch and staging go on
// every exit path, Ctrl-C included; a full disk is named with the file and the reason.
TEST_F(MediaCommandTest, PipesInterruptsAndAFullDisk) {
    MakePayload(Bytes(30000));
    const std::string fifo = In(Arg("src"), "pipe.dat");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    machine.WriteFile(machine.Path("pipe.cfg"), "[Directories]\r\nD=<INSTALLDIR>~\r\n[Files]\r\nFile1=pipe.dat~<INSTALLDIR>\r\n");
    std::string errors;
    EXPECT_EQ(RunCommand(zovpack::CmdMedia, {"--cfg", Arg("pipe.cfg"), "--from", Arg("src"), "--out",
                                             Arg("out")}, &errors), 1);
    EXPECT_NE(errors.find("pipe.dat: not a regular file"), std::string::npos) << errors;
    EXPECT_EQ(RunCommand(zovpack::CmdCfg, {fifo}, &errors), 1);
    ::unlink(fifo.c_str());

    ASSERT_EQ(RunCommand(zovpack::CmdMedia, Build("media", {"--segsize", "16384", "-m", "none"})), 0);
    const std::string scratch = std::filesystem::temp_directory_path() / ("zovpack-" + std::to_string(::getpid()));
    // Ctrl-C while the second segment is opened.
    class Interrupting : public sys::ForwardingSystem {
    public:
        using ForwardingSystem::ForwardingSystem;
        std::unique_ptr<sys::File> OpenFile(const std::string& path, sys::FileAccess access,
                                            sys::FileCreate create, sys::FileShare share) override {
            if (path.find("disk.002") != std::string::npos) std::raise(SIGINT);
            return ForwardingSystem::OpenFile(path, access, create, share);
        }
    } interrupting(machine.System());
    sys::SetSystem(&interrupting);
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("media")}, &errors), 1);
    EXPECT_NE(errors.find("interrupted"), std::string::npos) << errors;
    EXPECT_FALSE(std::filesystem::exists(scratch));
    EXPECT_EQ(RunCommand(zovpack::CmdMediaExtract, {Arg("media"), "-d", Arg("y")}, &errors), 1);
    EXPECT_NE(errors.find("interrupted"), std::string::npos) << errors;
    EXPECT_FALSE(std::filesystem::exists(scratch));
    EXPECT_FALSE(Exists(Arg("y"))) << "the folder it made goes again";
    sys::SetSystem(&machine.System());

    // The disk fills up while the scratch files are written, then while the payload is.
    auto& emulated = static_cast<sys::emu::EmulatedSystem&>(machine.System());
    // The segments' 30256 bytes are written to scratch once, the payload's after them.
    for (const auto& [limit, where] : {std::pair<uint64_t, std::string>{20000, scratch + "/"},
                                       {45000, In(Arg("z"), ".zovpack-")}}) {
        emulated.FailWritesAfter(limit);
        EXPECT_EQ(RunCommand(zovpack::CmdMediaExtract, {Arg("media"), "-d", Arg("z")}, &errors), 1);
        emulated.ClearFaults();
        EXPECT_NE(errors.find(": There is not enough space on the disk"), std::string::npos) << errors;
        EXPECT_NE(errors.find(where), std::string::npos) << "the host path: " << errors;
        EXPECT_EQ(errors.find("h:\\"), std::string::npos) << errors;
        EXPECT_EQ(errors.find("segment"), std::string::npos) << "not a damaged segment: " << errors;
        EXPECT_FALSE(std::filesystem::exists(scratch));
        EXPECT_FALSE(Exists(Arg("z")));
    }
    // A file that cannot be made fails the run instead of being left out.
    emulated.FailCreating(In(In(Arg("w"), ".zovpack-" + std::to_string(::getpid())), "big.bin"));
    EXPECT_EQ(RunCommand(zovpack::CmdMediaExtract, {Arg("media"), "-d", Arg("w")}, &errors), 1);
    emulated.ClearFaults();
    EXPECT_NE(errors.find("big.bin: "), std::string::npos) << errors;
    EXPECT_EQ(errors.find("h:\\"), std::string::npos) << errors;
    EXPECT_FALSE(Exists(Arg("w")));
}
#endif

}  // namespace
}  // namespace zov::test
