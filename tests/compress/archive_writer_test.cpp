// Archives written by TArchiveWriter read back through TCompress: sizes, sums, the key
// lock, the fallback to storing, custom methods and every encoder this build has.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "compress/Compress.h"
#include "compress/archive_writer.h"
#include "tests/compress/archive_bytes.h"
#include "tests/support/test_machine.h"

namespace zov::test {
namespace {

using namespace zov::compress;

std::string Text(size_t n) {
    std::string s;
    while (s.size() < n) s += "Archive entry text that repeats, line " + std::to_string(s.size() % 97) + "\n";
    s.resize(n);
    return s;
}

std::string Noise(size_t n) {
    std::mt19937 gen(1234);
    std::string s(n, '\0');
    for (char& ch : s) ch = static_cast<char>(gen());
    return s;
}

struct Item {
    std::string name, data;
};

class Writer : public ::testing::Test {
protected:
    // Writes the items with `method` and returns the archive's bytes; `used` gets the
    // method each entry was written with.
    std::string Write(const std::vector<Item>& items, TCompressionMethod method,
                      std::vector<TCompressionMethod>* used = nullptr) {
        TMemoryStream archive;
        TArchiveWriter writer(writer_, archive, method);
        for (const Item& item : items) {
            TMemoryStream data(std::vector<uint8_t>(item.data.begin(), item.data.end()));
            const TCompressionMethod m = writer.AddEntry(data, item.name, 0x2C6B5A10, 0x20, method);
            if (used) used->push_back(m);
        }
        writer.Finish();
        return std::string(archive.Bytes().begin(), archive.Bytes().end());
    }

    // Expands the archive into a fresh folder and checks every item came back.
    void ExpectReadsBack(const std::string& bytes, const std::vector<Item>& items) {
        const std::string path = machine.Path("w.zov");
        machine.WriteFile(path, bytes);
        const std::string dir = machine.Path("x" + std::to_string(++expansions_));
        machine.System().CreateDirectory(dir);
        reader.SetTargetPath(dir);
        TStringList list;
        for (const Item& item : items) list.Add(item.name);
        reader.ExpandArchive(path, &list);
        ASSERT_EQ(list.Count(), static_cast<int>(items.size()));
        for (size_t i = 0; i < items.size(); ++i)
            EXPECT_EQ(machine.ReadFile(list[static_cast<int>(i)]), items[i].data) << items[i].name;
    }

    static TArchiveHeader HeaderOf(const std::string& bytes) {
        TArchiveHeaderBytes b;
        std::copy_n(bytes.begin(), b.size(), b.begin());
        return DecodeArchiveHeader(b);
    }
    // The file header of the entry that starts at `offset`.
    static TFileHeader EntryAt(const std::string& bytes, size_t offset) {
        TFileHeaderBytes b;
        std::copy_n(bytes.begin() + static_cast<long>(offset), b.size(), b.begin());
        return DecodeFileHeader(b);
    }

    TestMachine machine;
    TCompress writer_;
    TCompress reader;
    int expansions_ = 0;
};

const std::vector<Item> kSizes = {
    {"empty", ""}, {"one", "1"}, {"block", Text(8192)}, {"block+1", Text(8193)},
    {"sub\\big.txt", Text(100000)}};

TEST_F(Writer, StoredEntriesReadBack) {
    const std::string bytes = Write(kSizes, coNone);
    const TArchiveHeader h = HeaderOf(bytes);
    EXPECT_EQ(h.MethodIDText(), "NON");
    EXPECT_EQ(h.TotalSize, 0 + 1 + 8192 + 8193 + 100000);
    EXPECT_EQ(h.KeyMode, 0);
    const TFileHeader first = EntryAt(bytes, kArchiveHeaderSize);
    EXPECT_EQ(first.UncompressedSize, 0);
    EXPECT_EQ(first.LockMode, kLockNone);
    const TFileHeader second = EntryAt(bytes, kArchiveHeaderSize + kFileHeaderSize + 5);
    EXPECT_EQ(second.Checksum, ByteSum("1"));
    reader.MakeDirectories = true;
    ExpectReadsBack(bytes, kSizes);
}

TEST_F(Writer, KeyLocksAndScramblesEveryEntry) {
    const int32_t key = 0x01234567;
    writer_.Key = key;
    const std::vector<Item> items = {{"a.txt", Text(3000)}, {"b.txt", "short"}};
    const std::string bytes = Write(items, coNone);
    EXPECT_EQ(HeaderOf(bytes).KeyMode, kArchiveKeyed);
    const TFileHeader a = EntryAt(bytes, kArchiveHeaderSize);
    EXPECT_EQ(a.LockMode, kLockScrambled);
    EXPECT_EQ(a.Checksum, ByteSum(items[0].data) + static_cast<uint32_t>(key));
    const size_t data = kArchiveHeaderSize + kFileHeaderSize + 5;
    EXPECT_EQ(bytes.substr(data, 3000), Scramble(items[0].data, key));

    reader.Key = key;
    ExpectReadsBack(bytes, items);
    reader.Key = key ^ 0x100;
    EXPECT_THROW(ExpectReadsBack(bytes, items), EInvalidKey);
    reader.Key = 0;
    EXPECT_THROW(ExpectReadsBack(bytes, items), EInvalidKey);
}

TEST_F(Writer, NegativeKeyLocksEntriesButNotTheArchiveHeader) {
    writer_.Key = -5;
    const std::vector<Item> items = {{"n.txt", Text(100)}};
    const std::string bytes = Write(items, coNone);
    EXPECT_EQ(HeaderOf(bytes).KeyMode, 0);
    EXPECT_EQ(EntryAt(bytes, kArchiveHeaderSize).LockMode, kLockScrambled);
    reader.Key = -5;
    ExpectReadsBack(bytes, items);
}

TEST_F(Writer, OverBudgetEntriesAreStoredInstead) {
    writer_.BudgetReserve = 10;  // even a stored copy is then too long
    std::vector<TCompressionMethod> used;
    const std::vector<Item> items = {{"first", Text(20000)}, {"second", Text(50)}};
    const std::string bytes = Write(items, coNone, &used);
    EXPECT_EQ(used, (std::vector<TCompressionMethod>{coNone, coNone}));
    const TFileHeader first = EntryAt(bytes, kArchiveHeaderSize);
    EXPECT_EQ(first.CompressedSize, 20000);
    EXPECT_EQ(bytes.size(), kArchiveHeaderSize + 2 * kFileHeaderSize + 5 + 6 + 20000 + 50);
    ExpectReadsBack(bytes, items);
}

TEST_F(Writer, EveryEncoderOfThisBuildRoundTrips) {
    int tried = 0;
    for (TCompressionMethod method : {coNone, coRLE, coLZH, coLZH5}) {
        if (!TArchiveWriter::CanWrite(writer_, method)) {
            TMemoryStream archive, data;
            TArchiveWriter w(writer_, archive, method);
            EXPECT_THROW(w.AddEntry(data, "x", 0, 0, method), EMethodNotAvailable);
            continue;
        }
        ++tried;
        SCOPED_TRACE(std::string(kMethodIDs[method]));
        std::vector<TCompressionMethod> used;
        std::vector<Item> items = kSizes;
        items.push_back({"noise.bin", Noise(30000)});
        items.push_back({"zeros.bin", std::string(70000, '\0')});
        const std::string bytes = Write(items, method, &used);
        EXPECT_EQ(HeaderOf(bytes).MethodIDText(), std::string(kMethodIDs[method]));
        EXPECT_EQ(used[6], method) << "zeros compress with every method";
        reader.MakeDirectories = true;
        ExpectReadsBack(bytes, items);
    }
    EXPECT_GE(tried, 1);
}

TEST_F(Writer, CustomMethodThroughTheEvents) {
    writer_.Key = 99;
    writer_.OnCompress = [](TStream& dest, TStream& source, std::string& id, int32_t& outputSize,
                            int32_t& checksum) {
        const int32_t n = static_cast<int32_t>(source.Remaining());
        std::string data(static_cast<size_t>(n), '\0');
        source.ReadBuffer(data.data(), n);
        const std::string reversed(data.rbegin(), data.rend());
        dest.WriteBuffer(reversed.data(), n);
        id = "REV";
        outputSize = n;
        checksum = static_cast<int32_t>(ByteSum(data));
    };
    const std::vector<Item> items = {{"r.txt", "abcdef"}};
    const std::string bytes = Write(items, coCustom);
    EXPECT_EQ(HeaderOf(bytes).MethodIDText(), "REV");
    const TFileHeader e = EntryAt(bytes, kArchiveHeaderSize);
    EXPECT_EQ(e.Method, coCustom);
    EXPECT_EQ(e.LockMode, 1) << "locked, data not scrambled";
    EXPECT_EQ(e.Checksum, ByteSum("abcdef") + 99);

    reader.Key = 99;
    reader.OnRecognize = [](const std::string& id, bool& ok) { ok = id == "REV"; };
    reader.OnExpand = [](TStream& dest, TStream& source, int32_t size, int32_t, const std::string&,
                         int32_t& checksum) {
        std::string data(static_cast<size_t>(size), '\0');
        source.ReadBuffer(data.data(), size);
        const std::string reversed(data.rbegin(), data.rend());
        dest.WriteBuffer(reversed.data(), size);
        checksum = static_cast<int32_t>(ByteSum(reversed));
    };
    ExpectReadsBack(bytes, items);

    writer_.OnCompress = nullptr;
    EXPECT_FALSE(TArchiveWriter::CanWrite(writer_, coCustom));
}

TEST_F(Writer, FilesKeepTheirTimeAndAttributes) {
    const std::string source = machine.Path("source.txt");
    machine.WriteFile(source, Text(5000));
    {
        auto f = machine.System().OpenFile(source, sys::FileAccess::ReadWrite,
                                           sys::FileCreate::OpenExisting, sys::FileShare::DenyNone);
        ASSERT_TRUE(f);
        ASSERT_TRUE(f->SetDosTime(static_cast<uint16_t>((2001 - 1980) << 9 | 6 << 5 | 15),
                                  static_cast<uint16_t>(10 << 11 | 30 << 5)));
    }
    machine.System().SetFileAttributes(source, sys::kAttrReadOnly | sys::kAttrArchive);
    const std::string archivePath = machine.Path("files.zov");
    {
        auto archive = TFileStream::Create(archivePath);
        TArchiveWriter writer(writer_, *archive, coNone);
        writer.AddFile(source, "copy.txt", coNone);
        writer.Finish();
    }
    machine.System().SetFileAttributes(source, sys::kAttrNormal);
    TStringList list;
    reader.ListArchive(archivePath, list);
    ASSERT_EQ(list.Count(), 1);
    const auto* info = dynamic_cast<TCompressedFileInfo*>(list.Objects(0));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->FileDate >> 16, static_cast<uint32_t>((2001 - 1980) << 9 | 6 << 5 | 15));
    EXPECT_EQ(info->FileDate & 0xFFFF, static_cast<uint32_t>(10 << 11 | 30 << 5));
    EXPECT_TRUE(info->Attributes & sys::kAttrReadOnly);
    EXPECT_EQ(info->UncompressedSize, 5000);
}

}  // namespace
}  // namespace zov::test
