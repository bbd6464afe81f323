// zovpack's archive and codec commands on host files: round trips, and no output left
// under its name when a command fails.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "compress/Compress.h"
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

}  // namespace
}  // namespace zov::zovpack
