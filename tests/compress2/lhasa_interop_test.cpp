// Other LHA programs read what our encoders write, and we read what they write: every
// -lh5- and -lh1- stream, wrapped in an LHA header, passes Debian's lhasa (test and
// extract); -lh5- archives made by jlha expand with LH5Decode.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "compress/codecs.h"
#include "tests/compress2/codec_harness.h"
#include "tests/support/crc16.h"
#include "tests/support/lha_reader.h"
#include "tests/support/lha_writer.h"

namespace zov::compress::test2 {
namespace {

namespace fs = std::filesystem;

class Interop : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zov-interop-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        if (std::system("command -v lhasa >/dev/null 2>&1") != 0) GTEST_SKIP() << "lhasa not installed";
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path Write(const std::string& name, const Bytes& bytes) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                  static_cast<std::streamsize>(bytes.size()));
        return p;
    }

    static int Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

    // The member's contents as `lhasa pq` prints them.
    static Bytes LhasaExtract(const fs::path& archive) {
        Bytes out;
        FILE* pipe = popen(("lhasa pq '" + archive.string() + "' 2>/dev/null").c_str(), "r");
        if (!pipe) return out;
        uint8_t buffer[65536];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.insert(out.end(), buffer, buffer + n);
        pclose(pipe);
        return out;
    }

    // Wraps the stream as `method` at header levels 0 and 2; lhasa must test it clean and
    // extract the input.
    void CheckWithLhasa(const std::string& method, const std::string& what, const Bytes& stream,
                        const Bytes& input) {
        for (int level : {0, 2}) {
            SCOPED_TRACE(what + ", " + method + ", level " + std::to_string(level));
            const fs::path archive = Write("t.lzh", zov::test::WrapLhaMember(method, stream, input, level));
            EXPECT_EQ(Run("lhasa t '" + archive.string() + "'"), 0);
            const Bytes out = LhasaExtract(archive);
            EXPECT_EQ(out.size(), input.size());
            EXPECT_TRUE(out == input);
        }
    }

    fs::path dir_;
};

int32_t Room(const Bytes& b) { return -static_cast<int32_t>(b.size() / 4) - 64; }

TEST_F(Interop, LhasaReadsEveryLh5EncodeOutput) {
    for (const auto& samples : {EdgeSamples(), LargeSamples()})
        for (const Sample& s : samples)
            CheckWithLhasa("-lh5-", s.what, Encode(coLZH5, s.bytes, 0, Room(s.bytes)), s.bytes);
}

TEST_F(Interop, LhasaReadsEveryLzhEncodeOutputAsLh1) {
    for (const auto& samples : {EdgeSamples(), LargeSamples()})
        for (const Sample& s : samples)
            CheckWithLhasa("-lh1-", s.what, Encode(coLZH, s.bytes, 0, Room(s.bytes)), s.bytes);
}

TEST_F(Interop, Lh5DecodeReadsWhatJlhaWrites) {
    if (Run("command -v jlha") != 0) GTEST_SKIP() << "jlha not installed";
    const std::vector<Sample> samples = {
        {"text.txt", TextLike(400000, 21)},
        {"zeros.bin", Bytes(1 << 20, 0)},
        {"short.txt", FromString("a short file, short file, short")},
    };
    std::string names;
    for (const Sample& s : samples) {
        Write(s.what, s.bytes);
        names += " '" + s.what + "'";
    }
    ASSERT_EQ(Run("cd '" + dir_.string() + "' && jlha co5q j.lzh" + names), 0);
    const Bytes archive = zov::test::ReadWholeFile((dir_ / "j.lzh").string());
    const std::vector<zov::test::LhaMember> members = zov::test::ReadLhaMembers(archive);
    ASSERT_EQ(members.size(), samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        SCOPED_TRACE(members[i].name);
        EXPECT_EQ(members[i].method, "-lh5-");
        const Bytes out = Decode(coLZH5, zov::test::LhaMemberData(archive, members[i]),
                                 static_cast<int32_t>(members[i].originalSize));
        EXPECT_TRUE(out == samples[i].bytes);
        EXPECT_EQ(zov::test::Crc16(out.data(), out.size()), members[i].crc);
    }
}

}  // namespace
}  // namespace zov::compress::test2
