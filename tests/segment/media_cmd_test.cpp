// zovpack media, media-test and media-extract on the example medium and on built sets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sys/system.h"
#include "tests/support/noise_bytes.h"
#include "tests/support/test_machine.h"
#include "tools/zovpack/commands.h"

#ifndef _WIN32
#include "sys/emu/emulated_system.h"
#endif

namespace zov::test {
namespace {

using zovpack::Args;

// What the command returns, with a failure counted as main counts it.
int RunCommand(int (*command)(const Args&), const Args& args, std::string* errors = nullptr) {
    ::testing::internal::CaptureStderr();
    int rc = 0;
    try {
        rc = command(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        rc = 1;
    }
    const std::string text = ::testing::internal::GetCapturedStderr();
    if (errors) *errors = text;
    return rc;
}

class MediaCommandTest : public ::testing::Test {
protected:
    TestMachine machine;

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

TEST_F(MediaCommandTest, ExampleMediumPassesItsTestAndExtractsFlat) {
    machine.WriteFile(machine.Path("install.exe"), "MZ stub");
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, {"--cfg", SourceArg("examples/install.cfg"), "--from",
                                      SourceArg("examples/payload"), "--out", Arg("MEDIA"),
                                      "--stub", Arg("install.exe")}),
              0);
    for (const char* name : {"disk.001", "install.cfg", "install.exe"})
        EXPECT_TRUE(Exists(In(Arg("MEDIA"), name))) << name;
    EXPECT_FALSE(Exists(In(Arg("MEDIA"), "disk.002")));
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("MEDIA")}), 0);

    ASSERT_EQ(RunCommand(zovpack::CmdMediaExtract, {Arg("MEDIA"), "-d", Arg("flat")}), 0);
    for (const char* name : {"notes.exe", "notes.hlp", "readme.txt", "license.txt", "welcome.tnt",
                             "tidectl.dll", "uninstaller.exe", "splash.bmp"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Read(In(Arg("flat"), name)),
                  Read(In(SourceArg("examples/payload"), name)));
    }
    EXPECT_EQ(Read(In(Arg("flat"), "install.exe")), "MZ stub");
    EXPECT_EQ(Read(In(Arg("flat"), "install.cfg")), Read(SourceArg("examples/install.cfg")));
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

    const std::string second = In(Arg("media"), "disk.002");
    const std::string secondBytes = Read(second);
    machine.System().DeleteFile(second);
    std::string errors;
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("media")}, &errors), 1);
    EXPECT_NE(errors.find("segment 2 (disk.002): Unable to locate \"disk.002\""), std::string::npos)
        << errors;
    EXPECT_EQ(RunCommand(zovpack::CmdMediaExtract, {Arg("media"), "-d", Arg("x")}, &errors), 1);
    EXPECT_FALSE(Exists(In(Arg("x"), "big.bin"))) << "nothing half-written";

    machine.WriteFile(second, secondBytes);
    std::string damaged = Read(In(Arg("media"), "disk.003"));
    damaged[100] ^= 0x40;
    machine.WriteFile(In(Arg("media"), "disk.003"), damaged);
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("media")}, &errors), 1);
    EXPECT_NE(errors.find("Bad checksum"), std::string::npos) << errors;

    // A rebuild into fewer segments leaves no stale ones behind.
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, Build("media")), 0);
    EXPECT_TRUE(Exists(In(Arg("media"), "disk.001")));
    EXPECT_FALSE(Exists(In(Arg("media"), "disk.002")));
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("media")}), 0);
    ASSERT_EQ(RunCommand(zovpack::CmdMediaExtract, {Arg("media"), "-d", Arg("x")}), 0);
    EXPECT_EQ(Read(In(Arg("x"), "big.bin")), big);
}

TEST_F(MediaCommandTest, RefusesWhatItCannotBuildAndWritesNothing) {
    MakePayload("small");
    machine.WriteFile(machine.Path("install.cfg"),
                      "[Files]\r\nFile1=big.bin~<INSTALLDIR>\r\n[WorkStation]\r\nFile1=gone.dll~<INSTALLDIR>\r\n");
    std::string errors;
    EXPECT_EQ(RunCommand(zovpack::CmdMedia, Build("out"), &errors), 1);
    EXPECT_NE(errors.find("lacks: gone.dll"), std::string::npos) << errors;
    EXPECT_EQ(RunCommand(zovpack::CmdMedia, Build("out", {"-m", "zip"}), &errors), 1);
    EXPECT_EQ(RunCommand(zovpack::CmdMedia, Build("out", {"--stub", Arg("nowhere.exe")}), &errors), 1);
    EXPECT_EQ(RunCommand(zovpack::CmdMedia, {"--from", Arg("src")}, &errors), 2);
    std::vector<sys::FindEntry> entries;
    machine.System().FindFiles(machine.Path("out\\*.*"), true, entries);
    for (const auto& e : entries)
        if (e.name != "." && e.name != "..") ADD_FAILURE() << "written: " << e.name;
}

TEST_F(MediaCommandTest, LockedMediumNeedsTheKey) {
    MakePayload(Bytes(3000));
    ASSERT_EQ(RunCommand(zovpack::CmdMedia, Build("media", {"--key", "0x1234"})), 0);
    std::string errors;
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("media")}, &errors), 1);
    EXPECT_NE(errors.find("File locked -- valid key required"), std::string::npos) << errors;
    EXPECT_EQ(RunCommand(zovpack::CmdMediaTest, {Arg("media"), "--key", "4660"}), 0);
}

}  // namespace
}  // namespace zov::test
