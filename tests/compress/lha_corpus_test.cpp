// Every -lh5- member of the archives that other LHA programs wrote must decode to the size
// and CRC-16 that its header gives; the deliberately truncated archive must fail cleanly.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>

#include "compress/codec_runner.h"
#include "compress/codecs.h"
#include "tests/support/crc16.h"
#include "tests/support/lha_reader.h"

namespace zov::compress {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(ZOV_SHARED_DIR) / "corpus" / "lha";

struct Decoded {
    std::vector<uint8_t> bytes;
    std::string error;  // the exception's message when decoding failed
};

Decoded DecodeMember(const std::vector<uint8_t>& archive, const test::LhaMember& m) {
    TMemoryStream source(test::LhaMemberData(archive, m));
    TMemoryStream dest;
    TCompThreadSafety state;
    uint32_t checksum = 0;
    Decoded out;
    try {
        ProcessStream(state, {}, dest, source, static_cast<int32_t>(m.compressedSize),
                      static_cast<int32_t>(m.originalSize), coLZH5, checksum, true, false);
    } catch (const Exception& e) {
        out.error = e.what();
    }
    out.bytes = dest.Bytes();
    return out;
}

// What Debian's lhasa prints for the member; false when lhasa is not installed.
bool LhasaOutput(const fs::path& archive, const std::string& name, std::vector<uint8_t>& out) {
    const std::string command = "lhasa pq '" + archive.string() + "' '" + name + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.insert(out.end(), buffer, buffer + n);
    return pclose(pipe) == 0;
}

TEST(LhaCorpus, EveryLh5MemberMatchesItsHeader) {
    ASSERT_TRUE(fs::is_directory(kCorpus)) << kCorpus;
    int decoded = 0, truncated = 0, comparedWithLhasa = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kCorpus)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".lzh" && ext != ".lzs")) continue;
        const std::vector<uint8_t> archive = test::ReadWholeFile(entry.path().string());
        std::vector<test::LhaMember> members;
        try {
            members = test::ReadLhaMembers(archive);
        } catch (const test::LhaFormatError& e) {
            ADD_FAILURE() << entry.path() << ": " << e.what();
            continue;
        }
        for (const test::LhaMember& m : members) {
            if (m.method != "-lh5-") continue;
            SCOPED_TRACE(entry.path().string() + " : " + m.name);
            const Decoded d = DecodeMember(archive, m);
            const bool good = d.error.empty() && d.bytes.size() == m.originalSize &&
                              test::Crc16(d.bytes.data(), d.bytes.size()) == m.crc;
            if (m.truncated) {
                EXPECT_FALSE(good) << "a truncated stream decoded as if whole";
                ++truncated;
                continue;
            }
            EXPECT_EQ(d.error, "");
            EXPECT_EQ(d.bytes.size(), m.originalSize);
            EXPECT_EQ(test::Crc16(d.bytes.data(), d.bytes.size()), m.crc);
            ++decoded;
            std::vector<uint8_t> lhasa;
            std::string lower = m.name;  // lhasa shows MS-DOS names in lower case
            for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (LhasaOutput(entry.path(), m.name, lhasa) && lhasa.empty())
                LhasaOutput(entry.path(), lower, lhasa);
            if (!lhasa.empty() || m.originalSize == 0) {
                EXPECT_EQ(lhasa, d.bytes) << "differs from lhasa";
                ++comparedWithLhasa;
            }
        }
    }
    std::printf("decoded %d -lh5- members (%d also compared with lhasa), %d truncated\n", decoded,
                comparedWithLhasa, truncated);
    EXPECT_GE(decoded, 10);
    EXPECT_EQ(truncated, 1);
}

}  // namespace
}  // namespace zov::compress
