// Other LHA programs read what our encoders write, and we read what they write: every
// -lh5- and -lh1- stream, wrapped in an LHA header, passes Debian's lhasa (test and
// extract); -lh5- and -lh1- archives made by jlha-utils expand with our decoders.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
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
        if (std::system("command -v lhasa >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "lhasa not installed: skipped; tools/setup-deps.sh installs it";
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

// Streams that Debian's jlha-utils writes at test time stand in for the archives of other LHA
// programs beside the project (tests/compress/lha_corpus_test.cpp), which a clone alone does
// not have: its archiver writes -lh5-, its library (jlha_write.java, through the JDK's source
// launcher) -lh1-, which the archiver does not offer; headers of level 0, 1 and 2, text past
// the adaptive code's halving point many times, runs, random small values and a few bytes
// (what does not compress, the archiver stores as -lh0-). Each member must
// decode to the file it was made of and to its header's size and CRC-16; a member cut short
// must fail, not pass as whole.
class JlhaStreams : public Interop {
protected:
    void SetUp() override {
        Interop::SetUp();
        if (Run("command -v jlha") != 0) GTEST_SKIP() << "jlha not installed: skipped; tools/setup-deps.sh installs it";
    }

    // The files, written to the work folder; each name says what it holds.
    std::vector<Sample> WriteSamples() {
        Bytes nibbles = RandomBytes(70000, 5);
        for (uint8_t& b : nibbles) b &= 0x0f;
        std::vector<Sample> samples = {
            {"text.txt", TextLike(2200000, 21)},
            {"zeros.bin", Bytes(1 << 20, 0)},
            {"nibbles.bin", nibbles},
            {"short.txt", FromString("a short file, short file, short")},
        };
        for (const Sample& s : samples) Write(s.what, s.bytes);
        return samples;
    }

    // The members are the samples in turn, with headers of the levels given.
    void CheckArchive(const fs::path& archive, const std::string& method, TCompressionMethod codec,
                      const std::vector<Sample>& samples, const std::set<int>& headerLevels) {
        const Bytes bytes = zov::test::ReadWholeFile(archive.string());
        const std::vector<zov::test::LhaMember> members = zov::test::ReadLhaMembers(bytes);
        ASSERT_EQ(members.size(), samples.size() * headerLevels.size());
        std::set<int> levels;
        for (size_t i = 0; i < members.size(); ++i) {
            const zov::test::LhaMember& m = members[i];
            const Sample& s = samples[i % samples.size()];
            SCOPED_TRACE(method + " " + m.name + ", level " + std::to_string(m.level));
            ASSERT_EQ(m.name, s.what);
            EXPECT_EQ(m.method, method);
            levels.insert(m.level);
            const Bytes out = Decode(codec, zov::test::LhaMemberData(bytes, m), static_cast<int32_t>(m.originalSize));
            EXPECT_EQ(out.size(), m.originalSize);
            EXPECT_EQ(zov::test::Crc16(out.data(), out.size()), m.crc);
            EXPECT_TRUE(out == s.bytes);
        }
        EXPECT_EQ(levels, headerLevels);
        // The text's member cut in half.
        const zov::test::LhaMember& text = members.front();
        const Bytes data = zov::test::LhaMemberData(bytes, text);
        const Bytes cut(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(data.size() / 2));
        bool whole = false;
        try {
            const Bytes out = Decode(codec, cut, static_cast<int32_t>(text.originalSize));
            whole = out.size() == text.originalSize && zov::test::Crc16(out.data(), out.size()) == text.crc;
        } catch (const Exception&) {
        }
        EXPECT_FALSE(whole) << "a member cut in half decoded as if whole";
    }
};

TEST_F(JlhaStreams, Lh5MembersMatchTheirFilesAndHeaders) {
    const std::vector<Sample> samples = WriteSamples();
    std::string names;
    for (const Sample& s : samples) names += " '" + s.what + "'";
    for (const int level : {0, 1, 2}) {
        const std::string archive = "j" + std::to_string(level) + ".lzh";
        ASSERT_EQ(Run("cd '" + dir_.string() + "' && jlha a" + std::to_string(level) + "q " + archive + names), 0);
        CheckArchive(dir_ / archive, "-lh5-", coLZH5, samples, {level});
    }
}

TEST_F(JlhaStreams, Lh1MembersMatchTheirFilesAndHeaders) {
    if (Run("java --version") != 0 || !fs::exists("/usr/share/java/jlha.jar"))
        GTEST_SKIP() << "no Java or no jlha library: skipped; tools/setup-deps.sh installs them";
    const std::vector<Sample> samples = WriteSamples();
    std::string members;
    for (const char* level : {"0", "1", "2"})
        for (const Sample& s : samples) members += std::string(" '") + level + ":" + (dir_ / s.what).string() + "'";
    ASSERT_EQ(Run("java -cp /usr/share/java/jlha.jar '" ZOV_JLHA_WRITE "' '" + (dir_ / "j.lzh").string() + "' -lh1-" +
                  members),
              0)
        << "the JDK's source launcher (javac's module) is needed";
    CheckArchive(dir_ / "j.lzh", "-lh1-", coLZH, samples, {0, 1, 2});
}

}  // namespace
}  // namespace zov::compress::test2
