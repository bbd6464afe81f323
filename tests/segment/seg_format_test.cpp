// Names, setters, file-list records, crafted scan data and the writer's clean-up.
#include <gtest/gtest.h>

#include "compress/archive_writer.h"
#include "segment/Segment.h"
#include "segment/seg_check.h"
#include "segment/seg_writer.h"
#include "tests/segment/seg_fixture.h"

namespace zov::test {
namespace {

using segment::TSegCompress;

// Opens up the naming step for the tests.
class NameProbe : public TSegCompress {
public:
    std::string NameOf(uint16_t number, const std::string& dir) {
        segNumber_ = number;
        BuildSegName(dir);
        return segPath_;
    }
};

TEST(SegmentNames, DefaultsAndSetters) {
    TestMachine machine;
    machine.System().SetCurrentDirectory(machine.Dir());
    NameProbe c;
    EXPECT_EQ(c.SegBaseName(), "SegData");
    EXPECT_EQ(c.SegDir(), "a:\\");
    EXPECT_EQ(c.SegExt(), "");
    EXPECT_TRUE(c.SegPopUp());
    EXPECT_EQ(c.SegSize(), 1440000);
    EXPECT_EQ(c.SegTmpDir(), LowerCase(machine.Dir()));

    c.SetSegBaseName("C:\\Work\\Data");
    EXPECT_EQ(c.SegBaseName(), "data");
    c.SetSegBaseName("");
    EXPECT_EQ(c.SegBaseName(), "SegData");
    c.SetSegDir("D:\\Setup\\Disks\\");
    EXPECT_EQ(c.SegDir(), "d:\\setup\\disks\\");
    c.SetSegDir("");
    EXPECT_EQ(c.SegDir(), "a:\\");
    c.SetSegExt("sega");
    EXPECT_EQ(c.SegExt(), "seg");
    c.SetSegSize(100);
    EXPECT_EQ(c.SegSize(), 16384);
    c.SetSegSize(20000);
    EXPECT_EQ(c.SegSize(), 20000);
    c.SetSegTmpDir("C:\\Temp\\Work\\");
    EXPECT_EQ(c.SegTmpDir(), "c:\\temp\\work");
}

TEST(SegmentChecks, ValuesAreSizeCommaAndEightHexDigits) {
    using segment::TSegCheck;
    EXPECT_EQ(segment::SegCheckValue({1440000, 0x0A1B2C3Du}), "1440000,0A1B2C3D");
    TSegCheck check;
    ASSERT_TRUE(segment::ParseSegCheck("1440000,0a1b2c3d", check));
    EXPECT_EQ(check.Size, 1440000);
    EXPECT_EQ(check.Crc, 0x0A1B2C3Du);
    for (const char* bad : {"", ",0A1B2C3D", "12,0A1B2C3", "12,0A1B2C3D0", "12,0A1B2C3G", "-1,0A1B2C3D",
                            "1 2,0A1B2C3D", "1234567890123456789,00000000", "12;0A1B2C3D"})
        EXPECT_FALSE(segment::ParseSegCheck(bad, check)) << bad;
}

TEST(SegmentNames, NumberedAndFixedExtensions) {
    TestMachine machine;
    NameProbe c;
    c.SetSegBaseName("segdata");
    EXPECT_EQ(c.NameOf(1, "a:\\"), "a:\\segdata.001");
    EXPECT_EQ(c.NameOf(10, "a:\\"), "a:\\segdata.010");
    EXPECT_EQ(c.NameOf(999, "c:\\media"), "c:\\media\\segdata.999");
    EXPECT_EQ(c.NameOf(1000, "c:\\media\\"), "c:\\media\\segdata.1000");
    EXPECT_EQ(c.NameOf(65535, "c:"), "c:\\segdata.65535");
    c.SetSegBaseName("disk");
    c.SetSegExt("seg");
    EXPECT_EQ(c.NameOf(1, "a:\\"), "a:\\disk.seg");
    EXPECT_EQ(c.NameOf(3, "a:\\"), "a:\\disk.seg");
}

class SegmentRecordsTest : public SegFixture {
protected:
    // Writes a one-archive set whose scan data and archive data are given as they are.
    void WriteCraftedSet(const std::string& templateName, int32_t width, const Files& scanEntries,
                         const Files& dataEntries);
};

void SegmentRecordsTest::WriteCraftedSet(const std::string& templateName, int32_t width,
                                         const Files& scanEntries, const Files& dataEntries) {
    auto archive = [](const Files& entries) {
        compress::TCompress component;
        TMemoryStream bytes;
        compress::TArchiveWriter writer(component, bytes, compress::coNone);
        for (const auto& [name, content] : entries) {
            TMemoryStream data(std::vector<uint8_t>(content.begin(), content.end()));
            writer.AddEntry(data, name, 0, sys::kAttrArchive, compress::coNone);
        }
        writer.Finish();
        bytes.SetPosition(0);
        return bytes;
    };
    TMemoryStream stream;
    segment::WriteSetHeader(stream, 1);
    TMemoryStream scan = archive(scanEntries);
    segment::WriteScanRecord(stream, templateName, 0, width, scan, static_cast<int32_t>(scan.Size()));
    TMemoryStream data = archive(dataEntries);
    segment::WriteArchiveRecord(stream, 0, data, static_cast<int32_t>(data.Size()));
    const std::vector<uint8_t>& bytes = stream.Bytes();
    machine.WriteFile(media + "\\segdata.001",
                      SegmentBytes(1, bytes.data(), bytes.size()));
}

TEST_F(SegmentRecordsTest, FileListRecordsEndAtZeroOrTrailingSpaces) {
    std::string list = "alpha.txt" + std::string(71, ' ');
    list += std::string("beta.txt\0garbage that is ignored", 32) + std::string(48, 'z');
    list += "gamma.txt" + std::string(31, ' ');  // a last record of 40 bytes
    ASSERT_EQ(list.size(), 200u);
    WriteCraftedSet(out + "\\l\\*.*", 80, {{"list", list}},
                    {{"alpha.txt", "A"}, {"beta.txt", "B"}, {"extra.txt", "E"}, {"gamma.txt", "G"}});
    auto reader = Reader();
    std::vector<std::string> names;
    reader->OnSegBeforeExpand = [&](segment::TSegArcList& arcs) {
        for (int i = 0; i < arcs[0].Files.Count(); ++i) names.push_back(arcs[0].Files[i]);
    };
    reader->ExpandSegmentSet(prompts);
    EXPECT_EQ(names, (std::vector<std::string>{"alpha.txt", "beta.txt", "gamma.txt"}));
    EXPECT_FALSE(machine.Exists(out + "\\l\\extra.txt")) << "not in the file list";
    ExpectExpanded({{"l", {{"alpha.txt", "A"}, {"beta.txt", "B"}, {"gamma.txt", "G"}}}});
    ExpectScratchEmpty();
}

TEST_F(SegmentRecordsTest, ArchiveWithoutFiles) {
    WriteSegments(Stream({Archive("empty", {}), Archive("full", {{"f.txt", "f"}})}), {});
    auto reader = Reader();
    reader->ExpandSegmentSet(prompts);
    ASSERT_EQ(reader->SegArcList().Count(), 2);
    EXPECT_EQ(reader->SegArcList()[0].Files.Count(), 0);
    ExpectExpanded({{"full", {{"f.txt", "f"}}}});
    ExpectScratchEmpty();
}

TEST_F(SegmentRecordsTest, CraftedFileListNamesStayInsideTheScratchFolder) {
    machine.System().CreateDirectory(machine.Path("outside"));
    const std::string driveQualified = machine.Path("outside\\list.txt");
    const std::string rooted = machine.Path("outside\\rooted.txt").substr(2);
    const std::string current = machine.System().GetCurrentDirectory();
    machine.System().SetCurrentDirectory(machine.Dir());  // "\..." lies on the machine's drive
    for (const std::string& name : {driveQualified, rooted, std::string("segdata.$A$")}) {
        SCOPED_TRACE(name);
        WriteCraftedSet(out + "\\c\\*.*", 8, {{name, "f.txt"}, {rooted + "2", "x"}},
                        {{"f.txt", "F"}});
        Reader()->ExpandSegmentSet(prompts);
        ExpectExpanded({{"c", {{"f.txt", "F"}}}});
        EXPECT_FALSE(machine.Exists(driveQualified));
        EXPECT_FALSE(machine.Exists(machine.Path("outside\\rooted.txt")));
        EXPECT_FALSE(machine.Exists(machine.Path("outside\\rooted.txt2")));
        ExpectScratchEmpty();
    }

    WriteCraftedSet(out + "\\c\\*.*", 8, {{"..\\..\\climb.txt", "f.txt"}},
                    {{"f.txt", "F"}});
    try {
        Reader()->ExpandSegmentSet(prompts);
        ADD_FAILURE() << "a climbing name was accepted";
    } catch (const compress::EUnsafeName&) {
    }
    EXPECT_FALSE(machine.Exists(machine.Path("climb.txt")));
    ExpectScratchEmpty();
    machine.System().SetCurrentDirectory(current);
}

TEST_F(SegmentRecordsTest, FileListWidthOutsideTheFormatIsRefused) {
    for (int32_t width : {0, -5, 8192, 100000}) {
        SCOPED_TRACE(width);
        WriteCraftedSet(out + "\\w\\*.*", 1, {{"list", "f.txt"}}, {{"f.txt", "F"}});
        // Patch the width field of the scan record in segment 1.
        std::string seg = machine.ReadFile(media + "\\segdata.001");
        const size_t field = segment::TSegIDHeader::kSize + segment::TSegHeader::kSize + 9;
        for (int i = 0; i < 4; ++i)
            seg[field + static_cast<size_t>(i)] = static_cast<char>(static_cast<uint32_t>(width) >> (8 * i));
        machine.WriteFile(media + "\\segdata.001", seg);
        try {
            Reader()->ExpandSegmentSet(prompts);
            ADD_FAILURE() << "width accepted";
        } catch (const segment::ESegError& e) {
            EXPECT_EQ(e.Message(), "Stream read failed: " + LowerCase(media) + "\\segdata.001: the file list's width is out of range");
            EXPECT_EQ(e.Failure().code, sys::kErrorInvalidData);
        }
        ExpectScratchEmpty();
    }
}

TEST_F(SegmentRecordsTest, WriterLeavesNothingBehindWhenABuildFails) {
    {
        segment::TSegmentFileWriter writer(
            [&](uint16_t n) {
                return n == 1 ? media + "\\segdata.001" : media + "\\missing\\segdata.002";
            },
            16384);
        const std::string bytes = TestBytes(40000, 11);
        EXPECT_THROW(writer.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size())),
                     EFCreateError);
        EXPECT_TRUE(machine.Exists(media + "\\segdata.001"));
    }
    EXPECT_FALSE(machine.Exists(media + "\\segdata.001"));

    segment::SegArchiveSource missing = Archive("m", {{"here.txt", "x"}});
    missing.Files.push_back({src + "\\not-there.txt", "not-there.txt"});
    TMemoryStream stream;
    segment::SegBuildOptions options;
    options.Method = compress::coNone;
    options.ScratchPath = src + "\\build.$A$";
    EXPECT_THROW(segment::WriteSegmentSet(stream, {missing}, options), EFOpenError);
    EXPECT_EQ(stream.Size(), 0);
}

TEST_F(SegmentRecordsTest, FilesCompressedOnSeveralThreadsGiveTheBytesOfOne) {
    std::string text;
    while (text.size() < 300000) text += "line " + std::to_string(text.size() % 977) + " of a text\r\n";
    const std::vector<segment::SegArchiveSource> archives = {
        Archive("a", {{"text.txt", text}, {"empty", ""}, {"noise.bin", TestBytes(70000, 3)},
                      {"short.txt", "ab"}, {"more.txt", text.substr(1000, 90000)}}),
        Archive("b", {{"noise2.bin", TestBytes(5000, 4)}, {"text2.txt", text.substr(7)}})};
    for (const compress::TCompressionMethod method : {compress::coLZH5, compress::coRLE})
        for (const int32_t key : {0, 0x5A17C3}) {
            std::vector<uint8_t> sets[3];
            for (unsigned threads = 1; threads <= 3; ++threads) {
                TMemoryStream stream;
                segment::SegBuildOptions options;
                options.Method = method;
                options.Key = key;
                options.Threads = threads;
                options.ScratchPath = src + "\\build.$A$";
                segment::WriteSegmentSet(stream, archives, options);
                sets[threads - 1] = stream.Bytes();
            }
            EXPECT_EQ(sets[1], sets[0]) << "method " << int{method} << ", key " << key;
            EXPECT_EQ(sets[2], sets[0]) << "method " << int{method} << ", key " << key;
        }
}

TEST_F(SegmentRecordsTest, WriterRefusesNamesAFileListCannotCarry) {
    TMemoryStream stream;
    segment::SegBuildOptions options;
    options.Method = compress::coNone;
    options.ScratchPath = src + "\\build.$A$";
    segment::SegArchiveSource archive = Archive("n", {{"file.txt", "x"}});
    for (const std::string& name : {std::string("trailing "), std::string(8192, 'n')}) {
        archive.Files[0].StoredName = name;
        EXPECT_THROW(segment::WriteSegmentSet(stream, {archive}, options), Exception);
    }
}

}  // namespace
}  // namespace zov::test
