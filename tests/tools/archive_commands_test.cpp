// zovpack's archive and codec commands on host files: round trips, and no output left
// under its name when a command fails.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <cstring>
#include <string>
#include <vector>

#include "compress/Compress.h"
#include "sys/emu/emulated_system.h"
#include "compress/archive_writer.h"
#include "tools/zovpack/commands.h"
#include "tools/zovpack/host_paths.h"

namespace zov::zovpack {
namespace {

namespace fs = std::filesystem;

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        InstallToolSystem();
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() / ("zovpack-" + std::string(info->name()) + "-" +
                                            std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "sub");
        previous_ = fs::current_path();
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(dir_);
    }
    static void Write(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    static std::string Text() {
        std::string s;
        for (int i = 0; i < 2000; ++i) s += "line " + std::to_string(i % 37) + " of the text\n";
        return s;
    }

    fs::path dir_, previous_;
};

TEST_F(Commands, CreateTestAndExtractWithAKey) {
    Write("sub/a.txt", Text());
    Write("b.bin", std::string(5000, '\x07'));
    ASSERT_EQ(CmdCreate({"arch.zov", "-m", "lh5", "--key", "0x55", "sub/a.txt", "b.bin"}), 0);
    EXPECT_EQ(CmdList({"arch.zov"}), 0);
    EXPECT_EQ(CmdTest({"arch.zov", "--key", "0x55"}), 0);
    EXPECT_EQ(CmdTest({"arch.zov"}), 1) << "locked entries fail without the key";
    ASSERT_EQ(CmdExtract({"arch.zov", "-d", "out", "--key", "85"}), 0);
    EXPECT_EQ(Read("out/sub/a.txt"), Text());
    EXPECT_EQ(Read("out/b.bin"), std::string(5000, '\x07'));
    EXPECT_EQ(CmdExtract({"arch.zov", "-d", "one", "--key", "85", "B.BIN"}), 0);
    EXPECT_TRUE(fs::exists("one/b.bin"));
    EXPECT_FALSE(fs::exists("one/sub"));
}

TEST_F(Commands, FailedExtractLeavesNoPartialFile) {
    Write("x.txt", Text());
    ASSERT_EQ(CmdCreate({"arch.zov", "-m", "none", "x.txt"}), 0);
    std::string bytes = Read("arch.zov");
    bytes[bytes.size() - 10] ^= 0x40;  // the sum no longer matches
    Write("arch.zov", bytes);
    EXPECT_THROW(CmdExtract({"arch.zov", "-d", "out"}), compress::EBadChecksum);
    EXPECT_FALSE(fs::exists("out/x.txt"));
    EXPECT_FALSE(fs::exists("out/x.txt.zovpart"));
}

TEST_F(Commands, FailedDecodeKeepsTheOldOutput) {
    Write("bad.lh5", std::string("\x00\x01\x00\x00\x1F\xE0", 6));  // one symbol: 510
    Write("out.bin", "old");
    EXPECT_THROW(CmdDecode({"-m", "lh5", "--size", "100", "bad.lh5", "out.bin"}),
                 compress::ELZHBadDecodeTable);
    EXPECT_EQ(Read("out.bin"), "old");
    EXPECT_FALSE(fs::exists("out.bin.zovpart"));
}

TEST_F(Commands, EncodeAndDecodeEveryMethod) {
    Write("in.txt", Text());
    const std::string size = std::to_string(Text().size());
    for (const char* method : {"none", "rle", "lzh", "lh5"}) {
        SCOPED_TRACE(method);
        ASSERT_EQ(CmdEncode({"-m", method, "in.txt", "packed"}), 0);
        ASSERT_EQ(CmdDecode({"-m", method, "--size", size, "packed", "back.txt"}), 0);
        EXPECT_EQ(Read("back.txt"), Text());
    }
    EXPECT_THROW(CmdEncode({"-m", "zip", "in.txt", "packed"}), Exception);
}

TEST_F(Commands, RootedNamesAreExtractedUnderTheDirectory) {
    {
        compress::TCompress c;
        auto archive = TFileStream::Create(ToolPath("rooted.zov"));
        compress::TArchiveWriter writer(c, *archive, compress::coNone);
        TMemoryStream data(std::vector<uint8_t>{'h', 'i'});
        writer.AddEntry(data, "\\abs\\x.txt", 0, 0x20, compress::coNone);
        writer.Finish();
    }
    ASSERT_EQ(CmdExtract({"rooted.zov", "-d", "out"}), 0);
    EXPECT_EQ(Read("out/abs/x.txt"), "hi");
}

TEST_F(Commands, CreateRefusesNamesOutsideTheCurrentDirectory) {
    Write("../zovpack-outside.txt", "x");
    EXPECT_THROW(CmdCreate({"a.zov", "../zovpack-outside.txt"}), Exception);
    EXPECT_FALSE(fs::exists("a.zov"));
    EXPECT_FALSE(fs::exists("a.zov.zovpart"));
    fs::remove("../zovpack-outside.txt");
}

// An archive written entry by entry, with names the command line could never give.
std::string ArchiveOf(const std::vector<std::pair<std::string, std::string>>& entries,
                      compress::TCompressionMethod method = compress::coNone) {
    compress::TCompress c;
    TMemoryStream out;
    compress::TArchiveWriter writer(c, out, method);
    for (const auto& [name, text] : entries) {
        TMemoryStream data(std::vector<uint8_t>(text.begin(), text.end()));
        writer.AddEntry(data, name, 0, 0x20, method);
    }
    writer.Finish();
    return std::string(out.Bytes().begin(), out.Bytes().end());
}

// What the tool's main returns and prints for these arguments.
int Tool(const Args& args, std::string* out = nullptr, std::string* err = nullptr) {
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int rc = RunZovpack(args);
    const std::string o = ::testing::internal::GetCapturedStdout();
    const std::string e = ::testing::internal::GetCapturedStderr();
    if (out) *out = o;
    if (err) *err = e;
    return rc;
}

TEST_F(Commands, NamesNeverLeaveTheTargetFolder) {
    fs::create_directories("deep/er/out");
    Write("deep/victim.txt", "safe");
    for (const char* name : {"\\..\\..\\victim.txt", "\\/../../victim.txt", "C:..\\..\\victim.txt",
                             "\\C:\\..\\..\\victim.txt", "sub\\..\\..\\..\\victim.txt", "\\", "C:"}) {
        SCOPED_TRACE(name);
        Write("evil.zov", ArchiveOf({{name, "gotcha"}}));
        std::string err;
        EXPECT_EQ(Tool({"extract", "evil.zov", "-d", "deep/er/out"}, nullptr, &err), 1);
        EXPECT_NE(err.find("Unsafe file name in archive"), std::string::npos) << err;
        EXPECT_EQ(Read("deep/victim.txt"), "safe");
        EXPECT_TRUE(fs::is_empty("deep/er/out"));
    }
    // A root, a drive or both are dropped as LHA tools do.
    Write("fine.zov", ArchiveOf({{"\\abs\\x.txt", "1"}, {"/y.txt", "2"}, {"D:\\z.txt", "3"},
                                 {"\\\\server\\w.txt", "4"}}));
    ASSERT_EQ(Tool({"extract", "fine.zov", "-d", "deep/er/out"}), 0);
    EXPECT_EQ(Read("deep/er/out/abs/x.txt"), "1");
    EXPECT_EQ(Read("deep/er/out/y.txt"), "2");
    EXPECT_EQ(Read("deep/er/out/z.txt"), "3");
    EXPECT_EQ(Read("deep/er/out/server/w.txt"), "4");
}

TEST_F(Commands, ArchivesThatEndEarlyFailInEveryCommandAlike) {
    Write("a.txt", Text().substr(0, 1454));
    Write("b.txt", Text().substr(0, 3597));
    ASSERT_EQ(CmdCreate({"whole.zov", "-m", "none", "a.txt", "b.txt"}), 0);
    const std::string whole = Read("whole.zov");
    const size_t second = 21 + 25 + 5 + 1454;
    for (const size_t cut : {second + 10, whole.size() - 1}) {
        SCOPED_TRACE(cut);
        Write("cut.zov", whole.substr(0, cut));
        for (const char* command : {"list", "test", "extract"}) {
            std::string err;
            const Args args = std::string(command) == "extract" ? Args{command, "cut.zov", "-d", "out"}
                                                                 : Args{command, "cut.zov"};
            EXPECT_EQ(Tool(args, nullptr, &err), 1) << command;
            EXPECT_NE(err.find("archive ends early: 1454 of 5051 bytes"), std::string::npos) << err;
        }
        EXPECT_FALSE(fs::exists("out/a.txt")) << "nothing extracted from a cut archive";
    }
    std::string out;
    EXPECT_EQ(Tool({"test", "whole.zov"}, &out), 0);
    EXPECT_NE(out.find("2 entries good, 0 bad"), std::string::npos) << out;
}

TEST_F(Commands, WhatIsNoArchiveIsSaidToBeNone) {
    for (const std::string& bytes : {std::string(), std::string("KTUB\x1a"), std::string(20, 'x')}) {
        Write("small.zov", bytes);
        for (const char* command : {"list", "test", "extract"}) {
            std::string err;
            EXPECT_EQ(Tool({command, "small.zov"}, nullptr, &err), 1);
            EXPECT_NE(err.find("small.zov: not an archive (" + std::to_string(bytes.size()) + " bytes"),
                      std::string::npos) << err;
        }
    }
    for (const char* special : {"/dev/zero", "/dev/null", "."}) {
        std::string err;
        EXPECT_EQ(Tool({"list", special}, nullptr, &err), 1) << special;
        EXPECT_NE(err.find("not a regular file"), std::string::npos) << err;
    }
}

TEST_F(Commands, AMissingInputIsNamedWithItsReasonAndNoTable) {
    for (const char* command : {"list", "test", "cfg"}) {
        std::string out, err;
        EXPECT_EQ(Tool({command, "absent.zov"}, &out, &err), 1) << command;
        EXPECT_NE(err.find("absent.zov: No such file or directory"), std::string::npos) << err;
        EXPECT_EQ(out, "") << command;
    }
}

TEST_F(Commands, AHeaderTotalThatCountsNothingIsRefused) {
    Write("a.txt", Text().substr(0, 1000));
    ASSERT_EQ(CmdCreate({"good.zov", "-m", "none", "a.txt"}), 0);
    for (const uint32_t total : {0u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(total);
        std::string bytes = Read("good.zov");
        std::memcpy(&bytes[8], &total, 4);
        Write("bad.zov", bytes);
        for (const char* command : {"list", "test", "extract"}) {
            std::string err;
            const Args args = std::string(command) == "extract" ? Args{command, "bad.zov", "-d", "out"}
                                                                 : Args{command, "bad.zov"};
            EXPECT_EQ(Tool(args, nullptr, &err), 1) << command;
            EXPECT_NE(err.find("Archive header gives a wrong total for its entries: the archive is damaged"),
                      std::string::npos) << err;
        }
        compress::TCompress container;
        EXPECT_THROW(container.ExpandArchive(ToolPath("bad.zov"), nullptr), compress::EInvalidHeader);
        EXPECT_FALSE(fs::exists("out/a.txt"));
    }
}

TEST_F(Commands, TwoGigabytesFromAFewBytesIsADataError) {
    Write("ten.txt", Text().substr(0, 2000));
    ASSERT_EQ(CmdCreate({"small.zov", "-m", "lh5", "ten.txt"}), 0);
    std::string bytes = Read("small.zov");
    const int32_t huge = 0x7FFFFFF0;
    std::memcpy(&bytes[8], &huge, 4);       // the header's total
    std::memcpy(&bytes[21 + 8], &huge, 4);  // the entry's size
    Write("small.zov", bytes);
    std::string out, err;
    EXPECT_EQ(Tool({"test", "small.zov"}, &out, &err), 1);
    EXPECT_NE(out.find("Compressed data end early"), std::string::npos) << out;
    EXPECT_EQ(Tool({"extract", "small.zov", "-d", "out"}, nullptr, &err), 1);
    EXPECT_NE(err.find("Compressed data end early"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists("out/ten.txt"));
}

TEST_F(Commands, DecodeGivesExactlyTheSizeOrFails) {
    Write("in.txt", Text());
    const size_t n = Text().size();
    for (const char* method : {"none", "rle", "lzh", "lh5"}) {
        SCOPED_TRACE(method);
        ASSERT_EQ(CmdEncode({"-m", method, "in.txt", "packed"}), 0);
        ASSERT_EQ(Tool({"decode", "-m", method, "--size", "1000", "packed", "short.txt"}), 0);
        EXPECT_EQ(Read("short.txt"), Text().substr(0, 1000));
        std::string err;
        EXPECT_EQ(Tool({"decode", "-m", method, "--size", std::to_string(n + 1), "packed", "long.txt"},
                      nullptr, &err), 1);
        EXPECT_NE(err.find("end"), std::string::npos) << err;
        EXPECT_FALSE(fs::exists("long.txt"));
    }
}

TEST_F(Commands, CommandLineConventions) {
    std::string out, err;
    for (const Args& help : {Args{"help"}, Args{"--help"}, Args{"-h"}}) {
        EXPECT_EQ(Tool(help, &out), 0);
        EXPECT_NE(out.find("zovpack media-extract MEDIA"), std::string::npos);
    }
    for (const Command& c : zovpack::Commands()) {
        for (const Args& help : {Args{c.name, "--help"}, Args{c.name, "-h"}, Args{"help", c.name}}) {
            EXPECT_EQ(Tool(help, &out), 0) << c.name;
            EXPECT_EQ(out, "usage: zovpack " + std::string(c.usage) + "\n");
        }
        EXPECT_EQ(Tool({c.name, "--no-such-option"}, nullptr, &err), 2) << c.name;
    }
    EXPECT_EQ(Tool({}, nullptr, &err), 2);
    EXPECT_EQ(Tool({"frobnicate"}, nullptr, &err), 2);
    EXPECT_EQ(Tool({"list", "missing.zov"}, nullptr, &err), 1) << "a failure, not a usage error";
    EXPECT_NE(err.find("missing.zov: "), std::string::npos) << err;
    // "--" ends the options: a file may be called "-h".
    Write("-h", "named like an option");
    ASSERT_EQ(Tool({"create", "dash.zov", "-m", "none", "--", "-h"}), 0);
    ASSERT_EQ(Tool({"list", "--", "dash.zov"}, &out), 0);
    EXPECT_NE(out.find(" -h\n"), std::string::npos) << out;
    // Numbers: decimal, or hexadecimal after 0x; a leading zero is not octal.
    Write("k.txt", "keyed");
    ASSERT_EQ(Tool({"create", "k.zov", "--key", "01234", "k.txt"}), 0);
    EXPECT_EQ(Tool({"test", "k.zov", "--key", "1234"}), 0);
    EXPECT_EQ(Tool({"test", "k.zov", "--key", "0x4D2"}), 0);
    EXPECT_EQ(Tool({"test", "k.zov", "--key", "668"}), 1) << "01234 read as octal";
    EXPECT_EQ(Tool({"test", "k.zov", "--key", "12z"}, nullptr, &err), 2);
    // Control characters in names are printed escaped.
    Write("ctl.zov", ArchiveOf({{"bell\a\x1b[2J.txt", "x"}}));
    ASSERT_EQ(Tool({"list", "ctl.zov"}, &out), 0);
    EXPECT_NE(out.find("bell\\x07\\x1B[2J.txt"), std::string::npos) << out;
    EXPECT_EQ(out.find('\x1b'), std::string::npos);
}

TEST_F(Commands, AFullDiskIsNamedWithTheFileAndTheReason) {
    auto& machine = static_cast<sys::emu::EmulatedSystem&>(sys::Sys());
    Write("in.txt", Text());
    ASSERT_EQ(CmdCreate({"ok.zov", "-m", "none", "in.txt"}), 0);
    std::string err;
    machine.FailWritesAfter(1000);
    EXPECT_EQ(Tool({"create", "full.zov", "-m", "none", "in.txt"}, nullptr, &err), 1);
    EXPECT_NE(err.find("full.zov: There is not enough space on the disk"), std::string::npos) << err;
    machine.FailWritesAfter(1000);
    EXPECT_EQ(Tool({"extract", "ok.zov", "-d", "out"}, nullptr, &err), 1);
    EXPECT_NE(err.find("/out/in.txt: There is not enough space on the disk"), std::string::npos) << err;
    machine.FailWritesAfter(1000);
    EXPECT_EQ(Tool({"decode", "-m", "none", "--size", "5000", "in.txt", "d.txt"}, nullptr, &err), 1);
    EXPECT_NE(err.find("d.txt: There is not enough space on the disk"), std::string::npos) << err;
    machine.ClearFaults();
    EXPECT_FALSE(fs::exists("full.zov") || fs::exists("out/in.txt") || fs::exists("d.txt"));
}

}  // namespace
}  // namespace zov::zovpack
