// Every -lh5- and -lh1- member of the archives that other LHA programs wrote (the corpus beside
// the project, tests/support/lha_corpus.h) must decode to the size and CRC-16 that its
// header gives; the deliberately truncated archive must fail cleanly. Where the corpus is not
// there the tests skip; the streams Debian's jlha writes at test time stand in for it
// (tests/compress2/lhasa_interop_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>

#include "compress/codec_runner.h"
#include "compress/codecs.h"
#include "tests/support/crc16.h"
#include "tests/support/lha_corpus.h"
#include "tests/support/lha_reader.h"

namespace zov::compress {
namespace {

namespace fs = std::filesystem;

struct Decoded {
    std::vector<uint8_t> bytes;
    std::string error;  // the exception's message when decoding failed
};

Decoded DecodeMember(const std::vector<uint8_t>& archive, const test::LhaMember& m, TCompressionMethod method) {
    TMemoryStream source(test::LhaMemberData(archive, m));
    TMemoryStream dest;
    TCompThreadSafety state;
    uint32_t checksum = 0;
    Decoded out;
    try {
        ProcessStream(state, {}, dest, source, static_cast<int32_t>(m.compressedSize),
                      static_cast<int32_t>(m.originalSize), method, checksum, true, false);
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

// Calls visit(path, archive, member) for each member of `method` in the corpus's archives.
template <typename Visit>
void ForEachMember(const fs::path& corpus, const std::string& method, TCompressionMethod codec, Visit visit) {
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
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
            if (m.method != method) continue;
            SCOPED_TRACE(entry.path().string() + " : " + m.name);
            visit(entry.path(), m, DecodeMember(archive, m, codec));
        }
    }
}

TEST(LhaCorpus, EveryLh5MemberMatchesItsHeader) {
    ZOV_LHA_CORPUS_OR_SKIP(corpus);
    int decoded = 0, truncated = 0, comparedWithLhasa = 0;
    ForEachMember(corpus, "-lh5-", coLZH5, [&](const fs::path& path, const test::LhaMember& m, const Decoded& d) {
        const bool good = d.error.empty() && d.bytes.size() == m.originalSize &&
                          test::Crc16(d.bytes.data(), d.bytes.size()) == m.crc;
        if (m.truncated) {
            EXPECT_FALSE(good) << "a truncated stream decoded as if whole";
            ++truncated;
            return;
        }
        EXPECT_EQ(d.error, "");
        EXPECT_EQ(d.bytes.size(), m.originalSize);
        EXPECT_EQ(test::Crc16(d.bytes.data(), d.bytes.size()), m.crc);
        ++decoded;
        std::vector<uint8_t> lhasa;
        std::string lower = m.name;  // lhasa shows MS-DOS names in lower case
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (LhasaOutput(path, m.name, lhasa) && lhasa.empty()) LhasaOutput(path, lower, lhasa);
        if (!lhasa.empty() || m.originalSize == 0) {
            EXPECT_EQ(lhasa, d.bytes) << "differs from lhasa";
            ++comparedWithLhasa;
        }
    });
    std::printf("decoded %d -lh5- members (%d also compared with lhasa), %d truncated\n", decoded,
                comparedWithLhasa, truncated);
    EXPECT_GE(decoded, 10);
    EXPECT_EQ(truncated, 1);
}

TEST(LhaCorpus, EveryLh1MemberMatchesItsHeader) {
    ZOV_LHA_CORPUS_OR_SKIP(corpus);
    int members = 0;
    size_t longest = 0;
    ForEachMember(corpus, "-lh1-", coLZH, [&](const fs::path&, const test::LhaMember& m, const Decoded& d) {
        EXPECT_EQ(d.error, "");
        EXPECT_EQ(d.bytes.size(), m.originalSize);
        EXPECT_EQ(test::Crc16(d.bytes.data(), d.bytes.size()), m.crc);
        ++members;
        longest = std::max<size_t>(longest, m.originalSize);
    });
    EXPECT_GE(members, 7);
    EXPECT_GE(longest, 2u * 1024 * 1024) << "the corpus passes the adaptive code's halving point many times";
}

}  // namespace
}  // namespace zov::compress
