// The container's reading side on a scratch machine: listing, target paths, the check-file
// handler, checksums and the key lock, headers, file errors, time stamps and attributes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "compress/Compress.h"
#include "tests/compress/archive_bytes.h"
#include "tests/support/test_machine.h"

namespace zov::test {
namespace {

using namespace zov::compress;

class Container : public ::testing::Test {
protected:
    std::string Archive(const std::string& bytes) {
        const std::string path = machine.Path("test.zov");
        machine.WriteFile(path, bytes);
        return path;
    }
    // Expands into Dir()\out and returns the created files' paths.
    std::vector<std::string> Expand(const std::string& bytes, TStringList* only = nullptr) {
        TStringList own;
        TStringList& list = only ? *only : own;
        c.ExpandArchive(Archive(bytes), only ? &list : nullptr);
        std::vector<std::string> paths;
        for (int i = 0; i < list.Count(); ++i) paths.push_back(list[i]);
        return paths;
    }
    std::string Out(const std::string& name) const { return machine.Path("out\\" + name); }
    void SetUp() override {
        machine.System().CreateDirectory(machine.Path("out"));
        c.SetTargetPath(machine.Path("out"));
    }

    TestMachine machine;
    TCompress c;
};

template <class E>
void ExpectMessage(const std::function<void()>& run, const std::string& message) {
    try {
        run();
        ADD_FAILURE() << "no exception, expected: " << message;
    } catch (const E& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
}

TEST_F(Container, ArchivesTooShortForAnEntryGiveNothing) {
    for (size_t n : {0u, 1u, 5u, 20u}) {
        std::string junk(n, '\x5A');
        EXPECT_NO_THROW(c.ExpandArchive(Archive(junk), nullptr)) << n;
        TStringList list;
        EXPECT_NO_THROW(c.ListArchive(Archive(junk), list)) << n;
        EXPECT_EQ(list.Count(), 0);
    }
    // A whole archive header and 24 bytes: ListArchive reads nothing.
    TStringList list;
    c.ListArchive(Archive(ArchiveHeaderBytes("NON", 0) + std::string(24, '\0')), list);
    EXPECT_EQ(list.Count(), 0);
    std::vector<sys::FindEntry> found;
    machine.System().FindFiles(Out("*.*"), true, found);
    for (const auto& f : found) EXPECT_TRUE(f.name == "." || f.name == "..") << f.name;
}

TEST_F(Container, TargetPathSetterAddsOneBackslash) {
    c.SetTargetPath("");
    EXPECT_EQ(c.TargetPath(), "");
    c.SetTargetPath("c:\\app");
    EXPECT_EQ(c.TargetPath(), "c:\\app\\");
    c.SetTargetPath("c:\\app\\");
    EXPECT_EQ(c.TargetPath(), "c:\\app\\");
}

TEST_F(Container, NamesArePlacedUnderTargetPathUnlessTheyStartWithABackslash) {
    ASSERT_TRUE(machine.System().SetCurrentDirectory(machine.Dir()));
    const std::string rooted = machine.Dir().substr(2) + "\\rooted\\x.dat";  // "\...": no drive
    c.MakeDirectories = true;
    TStringList list;
    list.Add("DATA\\X.DAT");  // names are matched without regard to case
    list.Add(rooted);
    const auto paths = Expand(ArchiveBytes({Stored("data\\x.dat", "one"), Stored(rooted, "two")}), &list);
    EXPECT_EQ(paths, (std::vector<std::string>{Out("data\\x.dat"), rooted}));
    EXPECT_EQ(machine.ReadFile(Out("data\\x.dat")), "one");
    EXPECT_EQ(machine.ReadFile(machine.Path("rooted\\x.dat")), "two");
}

TEST_F(Container, CheckFileStarStopsWithoutError) {
    int calls = 0;
    c.OnCheckFile = [&](std::string& path, TCProcessMode mode) {
        EXPECT_EQ(mode, pmExpand);
        if (++calls == 3) path = "*";
    };
    TStringList list;
    list.Add("a"), list.Add("b"), list.Add("c"), list.Add("d");
    const auto paths = Expand(ArchiveBytes({Stored("a", "1"), Stored("b", "2"), Stored("c", "3"),
                                            Stored("d", "4")}),
                              &list);
    EXPECT_EQ(paths, (std::vector<std::string>{Out("a"), Out("b")}));
    EXPECT_FALSE(machine.Exists(Out("c")));
}

TEST_F(Container, SkippedEntriesCountTowardsTheTotalOnlyWhenNotListed) {
    // The header's total covers the first two entries only.
    const std::string bytes =
        ArchiveBytes({Stored("a", "11"), Stored("b", "22"), Stored("c", "33")}, 4);
    TStringList list;
    list.Add("b"), list.Add("c");
    EXPECT_EQ(Expand(bytes, &list), (std::vector<std::string>{Out("b")}));

    // An entry skipped by the check-file handler does not count.
    c.OnCheckFile = [](std::string& path, TCProcessMode) {
        if (path.back() == 'a') path.clear();
    };
    TStringList all;
    all.Add("a"), all.Add("b"), all.Add("c");
    EXPECT_EQ(Expand(bytes, &all), (std::vector<std::string>{Out("b"), Out("c")}));
    EXPECT_FALSE(machine.Exists(Out("a")));
}

TEST_F(Container, EmptyFilesAfterTheTotalAreStillCreated) {
    TStringList list;
    list.Add("empty1"), list.Add("empty2");
    EXPECT_EQ(Expand(ArchiveBytes({Stored("empty1", ""), Stored("empty2", "")}), &list),
              (std::vector<std::string>{Out("empty1"), Out("empty2")}));
    EXPECT_EQ(machine.ReadFile(Out("empty2")), "");
}

TEST_F(Container, ChecksumRules) {
    EntrySpec unchecked = Stored("any", "whatever it holds");
    unchecked.checksum = 0;
    EXPECT_NO_THROW(Expand(ArchiveBytes({unchecked})));
    EXPECT_EQ(machine.ReadFile(Out("any")), "whatever it holds");

    EntrySpec bad = Stored("bad", "data");
    bad.checksum += 1;
    ExpectMessage<EBadChecksum>([&] { Expand(ArchiveBytes({bad})); },
                                "Bad checksum during expansion -- data may be invalid");
    EXPECT_EQ(machine.ReadFile(Out("bad")), "data") << "the written file stays";
}

TEST_F(Container, LockedEntriesNeedAKey) {
    for (int32_t lockMode : {1, 2}) {
        EntrySpec locked = Stored("locked", "secret");
        locked.lockMode = lockMode;
        locked.checksum += 99;
        ExpectMessage<EInvalidKey>([&] { Expand(ArchiveBytes({locked})); },
                                   "File locked -- valid key required");
        EXPECT_FALSE(machine.Exists(Out("locked"))) << lockMode;
    }
}

TEST_F(Container, ScrambledEntryExpandsOnlyWithItsKey) {
    const int32_t key = 0x5A17C3E9;
    EntrySpec e = Stored("s.txt", Scramble("the original text", key));
    e.lockMode = kLockScrambled;
    e.checksum = ByteSum("the original text") + static_cast<uint32_t>(key);
    c.Key = key;
    Expand(ArchiveBytes({e}));
    EXPECT_EQ(machine.ReadFile(Out("s.txt")), "the original text");

    machine.System().DeleteFile(Out("s.txt"));
    c.Key = key + 1;
    ExpectMessage<EInvalidKey>([&] { Expand(ArchiveBytes({e})); },
                               "File locked -- valid key required");
    EXPECT_FALSE(machine.Exists(Out("s.txt")));
}

TEST_F(Container, LockedEntryWithThePlainSumIsAcceptedWithAnyKey) {
    EntrySpec e = Stored("plain", "not scrambled");
    e.lockMode = 1;
    c.Key = 12345;
    EXPECT_NO_THROW(Expand(ArchiveBytes({e})));
    EXPECT_EQ(machine.ReadFile(Out("plain")), "not scrambled");
}

TEST_F(Container, BadDecodeTableOfALockedEntryIsAWrongKey) {
    // An LH5 block whose one symbol (510) is outside the code.
    EntrySpec e;
    e.name = "x";
    e.method = coLZH5;
    e.data = std::string("\x00\x01\x00\x00\x1F\xE0", 6);
    e.uncompressedSize = 10;
    EXPECT_THROW(Expand(ArchiveBytes({e})), ELZHBadDecodeTable);
    e.lockMode = 1;
    c.Key = 7;
    EXPECT_THROW(Expand(ArchiveBytes({e})), EInvalidKey);
}

TEST_F(Container, HeaderErrors) {
    std::string wrongSignature = ArchiveBytes({Stored("a", "1")});
    wrongSignature[4] = 0x1B;
    ExpectMessage<EInvalidHeader>([&] { Expand(wrongSignature); },
                                  "Can't recognize compressed file header");
    ExpectMessage<EInvalidHeaderArchiveType>(
        [&] { Expand(ArchiveHeaderBytes("NON", 1, 2) + EntryBytes(Stored("a", "1"))); },
        "Archive type must be caMulti");
    const std::string lower = ArchiveBytes({Stored("a", "1")}, -1, "lh5");
    ExpectMessage<EUnrecognizedCompressionMethod>(
        [&] { Expand(lower); }, "Unrecognized compression method: \"lh5\" in header");
    TStringList list;
    EXPECT_THROW(c.ListArchive(Archive(lower), list), EUnrecognizedCompressionMethod);

    std::string seen;
    c.OnRecognize = [&](const std::string& id, bool& recognized) {
        seen = id;
        recognized = true;
    };
    EXPECT_NO_THROW(Expand(lower));
    EXPECT_EQ(seen, "lh5");
}

TEST_F(Container, CustomEntriesGoToOnExpandWithTheArchiveMethodID) {
    EntrySpec e = Stored("c.txt", "CBA");
    e.method = coCustom;
    e.checksum = ByteSum("ABC");
    std::string id;
    c.OnExpand = [&](TStream& dest, TStream& source, int32_t sourceSize, int32_t destSize,
                     const std::string& compressID, int32_t& checksum) {
        id = compressID;
        EXPECT_EQ(destSize, 3);
        std::string data(static_cast<size_t>(sourceSize), '\0');
        source.ReadBuffer(data.data(), sourceSize);
        std::string reversed(data.rbegin(), data.rend());
        dest.WriteBuffer(reversed.data(), destSize);
        checksum = static_cast<int32_t>(ByteSum(reversed));
    };
    Expand(ArchiveBytes({e, Stored("after", "z")}, -1, "CUS"));
    EXPECT_EQ(id, "CUS");
    EXPECT_EQ(machine.ReadFile(Out("c.txt")), "ABC");
    EXPECT_EQ(machine.ReadFile(Out("after")), "z");
}

TEST_F(Container, FilesThatCannotBeCreated) {
    machine.System().CreateDirectory(Out("taken"));  // a directory where the file should go
    const std::string bytes = ArchiveBytes({Stored("taken", "x"), Stored("next", "y")});
    TStringList list;
    list.Add("taken"), list.Add("next");
    EXPECT_EQ(Expand(bytes, &list), (std::vector<std::string>{Out("next")}));

    c.ExceptionOnFileError = true;
    EXPECT_THROW(Expand(bytes), EFCreateError);
}

TEST_F(Container, MakeDirectoriesCreatesEveryLevel) {
    const std::string bytes = ArchiveBytes({Stored("a\\b\\c\\deep.txt", "deep")});
    c.ExceptionOnFileError = true;
    EXPECT_THROW(Expand(bytes), EFCreateError) << "without MakeDirectories";
    c.MakeDirectories = true;
    Expand(bytes);
    EXPECT_EQ(machine.ReadFile(Out("a\\b\\c\\deep.txt")), "deep");
    Expand(ArchiveBytes({Stored("d\\\\\\e\\x.txt", "doubled")}));  // repeated separators
    EXPECT_EQ(machine.ReadFile(Out("d\\e\\x.txt")), "doubled");

    // A colon in the last part of a name ends the directory part without a separator.
    try {
        Expand(ArchiveBytes({Stored("ab:cd", "colon")}));
        EXPECT_EQ(machine.ReadFile(Out("ab:cd")), "colon");
    } catch (const EInOutError&) {
        EXPECT_FALSE(TestMachine::IsEmulated()) << "Windows has no directory named \"ab:\"";
    }

    machine.WriteFile(Out("file"), "");  // a file where a directory is needed
    EXPECT_THROW(Expand(ArchiveBytes({Stored("file\\x.txt", "x")})), EInOutError);
}

TEST_F(Container, TimeStampAndAttributesAreApplied) {
    EntrySpec e = Stored("stamped.txt", "time");
    e.dosDateTime = (((1999 - 1980) << 9 | 12 << 5 | 31) << 16) | (23 << 11 | 59 << 5 | 58 / 2);
    e.attributes = static_cast<int16_t>(sys::kAttrReadOnly | sys::kAttrArchive);
    Expand(ArchiveBytes({e}));
    auto file = machine.System().OpenFile(Out("stamped.txt"), sys::FileAccess::Read,
                                          sys::FileCreate::OpenExisting, sys::FileShare::DenyNone);
    ASSERT_TRUE(file);
    uint16_t date = 0, time = 0;
    ASSERT_TRUE(file->GetDosTime(date, time));
    EXPECT_EQ(static_cast<uint32_t>(date) << 16 | time, e.dosDateTime);
    EXPECT_TRUE(machine.System().GetFileAttributes(Out("stamped.txt")) & sys::kAttrReadOnly);
    machine.System().SetFileAttributes(Out("stamped.txt"), sys::kAttrNormal);
}

TEST_F(Container, TruncatedArchives) {
    const std::string whole = ArchiveBytes({Stored("first", "11111"), Stored("second", "22222")});
    // Cut inside the second file header: the expansion ends quietly after the first.
    TStringList list;
    list.Add("first"), list.Add("second");
    const size_t secondHeader = kArchiveHeaderSize + kFileHeaderSize + 5 + 5;
    EXPECT_EQ(Expand(whole.substr(0, secondHeader + 10), &list),
              (std::vector<std::string>{Out("first")}));
    // Cut inside the second entry's data: its checksum fails.
    EXPECT_THROW(Expand(whole.substr(0, whole.size() - 2)), EBadChecksum);
}

// Damage that the byte sum cannot see: zeros add nothing to it.
TEST_F(Container, DataThatEndEarlyOrGiveAnotherSizeAreDataErrors) {
    // 2 GB declared, 10 bytes of LH5 data: refused at once, not a file of zeros.
    TMemoryStream plain(std::vector<uint8_t>(10, 'z')), packed;
    uint32_t sum = 0;
    c.ProcessStream(packed, plain, 10, 10, coLZH5, sum, false, false);
    EntrySpec big;
    big.name = "big.bin";
    big.data.assign(packed.Bytes().begin(), packed.Bytes().end());
    big.checksum = sum;
    big.method = coLZH5;
    big.uncompressedSize = 0x7FFFFFF0;
    ExpectMessage<EDataError>([&] { Expand(ArchiveBytes({big})); },
                              "Compressed data end early -- data may be invalid");
    EXPECT_LT(machine.ReadFile(Out("big.bin")).size(), 1u << 20);
    // A locked entry reports the same as a wrong key.
    big.lockMode = 1;
    c.Key = 7;
    EXPECT_THROW(Expand(ArchiveBytes({big})), EInvalidKey);
    c.Key = 0;
    // Stored data shorter than the header says, whose sum still matches: zeros were cut.
    EntrySpec cut = Stored("cut.txt", "abc");
    cut.uncompressedSize = 6;
    ExpectMessage<EDataError>([&] { Expand(ArchiveBytes({cut})); },
                              "Expanded size differs from the header's -- data may be invalid");
    // An RLE stream that ends on a marker without its count.
    EntrySpec rle = Stored("rle.txt", std::string("ab\x94", 3));
    rle.method = coRLE;
    rle.uncompressedSize = 2;
    EXPECT_THROW(Expand(ArchiveBytes({rle})), EDataError);
}

TEST_F(Container, NamesLeadingOutOfTheTargetAreRefused) {
    for (const char* name : {"..\\evil.txt", "sub\\..\\..\\evil.txt", "../evil.txt", "...\\evil.txt",
                             "sub\\.. \\..\\evil.txt"}) {
        EXPECT_THROW(Expand(ArchiveBytes({Stored(name, "x")})), EUnsafeName) << name;
        EXPECT_FALSE(machine.Exists(machine.Path("evil.txt"))) << name;
    }
    c.MakeDirectories = true;
    Expand(ArchiveBytes({Stored("sub\\..\\fine.txt", "ok"), Stored("..fine\\x", "ok")}));
    EXPECT_EQ(machine.ReadFile(Out("fine.txt")), "ok");
    EXPECT_EQ(machine.ReadFile(Out("..fine\\x")), "ok");
}

TEST_F(Container, ListArchiveDescribesEveryEntry) {
    EntrySpec locked = Stored("dir\\locked.bin", "abc");
    locked.lockMode = 2;
    locked.method = coLZH5;
    locked.uncompressedSize = 1000;
    locked.attributes = -1;
    const std::string bytes = ArchiveBytes({Stored("plain.txt", "hello"), locked});
    TStringList list;
    list.Add("kept");
    c.ListArchive(Archive(bytes), list);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[0], "kept");
    EXPECT_EQ(list[1], "plain.txt");
    EXPECT_EQ(list[2], "dir\\locked.bin");
    const auto* first = dynamic_cast<TCompressedFileInfo*>(list.Objects(1));
    const auto* second = dynamic_cast<TCompressedFileInfo*>(list.Objects(2));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->HeaderPosition, 21);
    EXPECT_EQ(first->UncompressedSize, 5);
    EXPECT_EQ(first->Checksum, ByteSum("hello"));
    EXPECT_FALSE(first->Locked);
    EXPECT_EQ(second->HeaderPosition, 21 + 25 + 9 + 5);
    EXPECT_EQ(second->UncompressedSize, 1000);
    EXPECT_EQ(second->CompressedSize, 3);
    EXPECT_EQ(second->Method, coLZH5);
    EXPECT_EQ(second->Attributes, 0xFFFF);
    EXPECT_EQ(second->FileDate, 0x2C6B5A10u);
    EXPECT_TRUE(second->Locked);
}

TEST_F(Container, NegativeLengthsEndTheArchive) {
    EntrySpec broken = Stored("broken", "");
    std::string bytes = ArchiveBytes({Stored("a", "1"), broken, Stored("c", "3")});
    const size_t brokenHeader = kArchiveHeaderSize + kFileHeaderSize + 2;
    bytes[brokenHeader + 15] = '\xFF';  // compressed size -> negative
    TStringList list;
    c.ListArchive(Archive(bytes), list);
    EXPECT_EQ(list.Count(), 1);
}

}  // namespace
}  // namespace zov::test
