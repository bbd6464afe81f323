// Reading segment sets: sets of one, two and many segments, records cut at every byte,
// disk prompts with retry and cancel, the events and their order, and the scratch files.
#include <gtest/gtest.h>

#include "compress/archive_format.h"
#include "segment/Segment.h"
#include "segment/seg_writer.h"
#include "tests/segment/seg_fixture.h"
#include "tests/support/forwarding_system.h"
#ifndef _WIN32
#include "sys/emu/emulated_system.h"
#endif

namespace zov::test {
namespace {

using segment::ESegError;
using segment::TSegArcList;
using ui::mbCancel;
using ui::mbOK;
using ui::mrCancel;
using ui::mrOk;
using ui::TMsgDlgType;

const char* const kAborted = "Operation aborted by user";

std::string MissingText(const std::string& name) {
    return "Unable to locate \"" + name +
           "\" on this segment!\n\rCorrect and then press OK, or Cancel to abort";
}
const char* const kWrongDiskText =
    "Incorrect segmented mounted!\n\rCorrect and then press OK, or Cancel to abort";

template <typename Fn>
std::string MessageOf(Fn&& run) {
    try {
        run();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no exception)";
}

using SegmentSetTest = SegFixture;

// The size and CRC of each segment file of the medium folder named.
segment::TSegChecks ChecksOf(TestMachine& machine, const std::string& media, const std::vector<std::string>& names) {
    segment::TSegChecks checks;
    for (const std::string& name : names) {
        const std::string bytes = machine.ReadFile(media + "\\" + name);
        checks.push_back({name, {static_cast<int64_t>(bytes.size()),
                                 segment::Crc32Update(0, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())}});
    }
    return checks;
}

TEST_F(SegmentSetTest, OneSegmentSetFiresSegBeforeOnceAndNeverSegAfter) {
    const Files files = {{"readme.txt", "hello"}, {"data.bin", TestBytes(3000, 1)}};
    WriteSegments(Stream({Archive("app", files)}), {});
    auto reader = Reader();
    std::vector<std::string> log;
    reader->OnSegBefore = [&](segment::TSegMode mode, const std::string& name, uint16_t n) {
        log.push_back("before " + name + " " + std::to_string(n) + " mode " + std::to_string(mode));
    };
    reader->OnSegAfter = [&](segment::TSegMode, const std::string&, uint16_t n) {
        log.push_back("after " + std::to_string(n));
    };
    reader->ExpandSegmentSet(prompts);
    EXPECT_EQ(log, (std::vector<std::string>{"before segdata.001 1 mode 1"}));
    ASSERT_EQ(reader->SegSource(), std::vector<std::string>{out + "\\app\\*.*"});
    EXPECT_EQ(reader->TargetPath(), "");
    ASSERT_EQ(reader->SegArcList().Count(), 1);
    EXPECT_EQ(reader->SegArcList()[0].Path, out + "\\app\\");
    EXPECT_EQ(reader->SegArcList()[0].Files.Count(), 2);
    EXPECT_EQ(reader->SegArcList()[0].Files[0], out + "\\app\\readme.txt");
    ExpectExpanded({{"app", files}});
    ExpectScratchEmpty();
}

TEST_F(SegmentSetTest, SetsOfTwoAndManySegmentsFromTheWriter) {
    const Files big = {{"big.bin", TestBytes(70000, 2)}, {"small.txt", "x"}};
    const Files more = {{"more.bin", TestBytes(20000, 3)}};
    const std::vector<uint8_t> stream = Stream({Archive("one", big), Archive("two", more)});
    for (int32_t segSize : {60000, 16384}) {
        SCOPED_TRACE(segSize);
        segment::TSegmentFileWriter writer(
            [&](uint16_t n) { return segment::SegFilePath(media, "segdata", "", n); }, segSize);
        writer.WriteBuffer(stream.data(), static_cast<int32_t>(stream.size()));
        const std::vector<std::string> paths = writer.Finish();
        const size_t expected = (stream.size() + segSize - 9) / (segSize - 8);
        ASSERT_EQ(paths.size(), expected);
        for (const std::string& p : paths) EXPECT_LE(machine.ReadFile(p).size(), size_t(segSize));

        auto reader = Reader();
        int afters = 0;
        reader->OnSegAfter = [&](segment::TSegMode, const std::string&, uint16_t) { ++afters; };
        reader->ExpandSegmentSet(prompts);
        EXPECT_EQ(afters, static_cast<int>(paths.size()) - 1);
        ExpectExpanded({{"one", big}, {"two", more}});
        ExpectScratchEmpty();
    }
}

TEST_F(SegmentSetTest, EveryRecordCutAtEveryByteAcrossTwoSegments) {
    const Files a = {{"a.txt", "first archive"}};
    const Files b = {{"b.txt", "second"}, {"c.txt", "third"}};
    const std::vector<uint8_t> stream = Stream({Archive("a", a), Archive("b", b)});
    const std::vector<RecordSpan> spans = RecordSpans(stream);
    ASSERT_EQ(spans.size(), 5u);
    for (const RecordSpan& span : spans) {
        for (size_t inside = 1; inside < span.size; ++inside) {
            SCOPED_TRACE(span.id + " at " + std::to_string(span.offset) + " cut after " +
                         std::to_string(inside));
            WriteSegments(stream, {span.offset + inside});
            Reader()->ExpandSegmentSet(prompts);
            ExpectExpanded({{"a", a}, {"b", b}});
            ExpectScratchEmpty();
        }
    }
}

TEST_F(SegmentSetTest, RecordOverThreeSegmentsAndASegmentWithoutContent) {
    const Files a = {{"a.txt", "first archive"}};
    const std::vector<uint8_t> stream = Stream({Archive("a", a)});
    const size_t scan = RecordSpans(stream)[1].offset;
    // The scan record starts in segment 1, has 5 bytes in segment 2, none in segment 3 and
    // ends in segment 4.
    WriteSegments(stream, {scan + 2, scan + 7, scan + 7});
    auto reader = Reader();
    std::vector<uint16_t> mounted;
    reader->OnSegBefore = [&](segment::TSegMode, const std::string&, uint16_t n) {
        mounted.push_back(n);
    };
    reader->ExpandSegmentSet(prompts);
    EXPECT_EQ(mounted, (std::vector<uint16_t>{1, 2, 3, 4}));
    ExpectExpanded({{"a", a}});
}

TEST_F(SegmentSetTest, FixedExtensionTellsDisksApartOnlyByTheirNumber) {
    const Files files = {{"f.bin", TestBytes(40000, 4)}};
    const std::vector<uint8_t> stream = Stream({Archive("x", files)});
    // Three "disks", each holding a file disk.seg; the drive is the medium folder.
    const size_t third = stream.size() / 3;
    std::vector<std::string> disks;
    for (uint16_t n = 1; n <= 3; ++n) {
        const size_t start = third * (n - 1), end = n == 3 ? stream.size() : third * n;
        disks.push_back(SegmentBytes(n, stream.data() + start, end - start));
    }
    const std::string drive = media + "\\disk.seg";
    auto insert = [&](int n) { machine.WriteFile(drive, disks[static_cast<size_t>(n - 1)]); };

    auto reader = Reader();
    reader->SetSegBaseName("disk");
    reader->SetSegExt("seg");
    std::vector<std::string> names;
    reader->OnSegBefore = [&](segment::TSegMode, const std::string& name, uint16_t n) {
        names.push_back(name);
        // The user inserts disk 3 when asked for disk 2, then corrects it.
        if (names.size() <= 2) insert(n == 2 ? 3 : n);
        if (names.size() == 4) insert(3);
    };
    dialogs.ExpectMessage(kWrongDiskText, "Error", TMsgDlgType::mtError, mbOK | mbCancel, mrOk,
                          [&] { insert(2); });
    reader->ExpandSegmentSet(prompts);
    EXPECT_EQ(names, std::vector<std::string>(4, "disk.seg"));
    ExpectExpanded({{"x", files}});
}

TEST_F(SegmentSetTest, MissingSegmentSuppliedThenOkContinuesWhereItStopped) {
    const Files files = {{"f.bin", TestBytes(30000, 5)}};
    const std::vector<uint8_t> stream = Stream({Archive("x", files)});
    WriteSegments(stream, {12000, 24000});
    const std::string second = media + "\\segdata.002";
    const std::string secondBytes = machine.ReadFile(second);
    machine.System().DeleteFile(second);

    auto reader = Reader();
    std::vector<std::string> log;
    reader->OnSegBefore = [&](segment::TSegMode, const std::string&, uint16_t n) {
        log.push_back("before " + std::to_string(n));
    };
    reader->OnSegAfter = [&](segment::TSegMode, const std::string&, uint16_t n) {
        log.push_back("after " + std::to_string(n));
    };
    dialogs.ExpectMessage(MissingText("segdata.002"), "Error", TMsgDlgType::mtError,
                          mbOK | mbCancel, mrOk, [&] {
                              log.push_back("box");
                              machine.WriteFile(second, secondBytes);
                          });
    reader->ExpandSegmentSet(prompts);
    EXPECT_EQ(log, (std::vector<std::string>{"before 1", "after 1", "before 2", "box", "before 2",
                                             "after 2", "before 3"}));
    ExpectExpanded({{"x", files}});
    ExpectScratchEmpty();
}

// Checked segments: a damaged, short or long disk is named at its mount, before a byte of
// it is used, and a good copy inserted at the prompt is read in its place.
TEST_F(SegmentSetTest, CheckedSegmentsAreVerifiedBeforeUseAndAskedForAgain) {
    const Files files = {{"f.bin", TestBytes(30000, 15)}};
    const std::vector<uint8_t> stream = Stream({Archive("x", files)});
    WriteSegments(stream, {12000, 24000});
    const segment::TSegChecks checks = ChecksOf(machine, media, {"segdata.001", "segdata.002", "segdata.003"});
    EXPECT_EQ(segment::Crc32Update(0, reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
    const std::string second = media + "\\segdata.002";
    const std::string good = machine.ReadFile(second);
    std::string flipped = good;
    flipped[5000] ^= 0x01;
    const std::string damaged = "Disk #2 (segdata.002) is damaged: its data differ from the ones written."
                                "\n\rInsert a good copy and then press OK, or Cancel to abort";
    auto reader = Reader();
    reader->SegChecks = checks;
    std::vector<std::string> created;
    reader->OnCheckFile = [&](std::string& path, compress::TCProcessMode) { created.push_back(path); };

    // Damaged, then of another size (another medium's disk 2), then the good copy: the run
    // goes on and expands the right data.
    machine.WriteFile(second, flipped);
    dialogs.ExpectMessage(damaged, "Error", TMsgDlgType::mtError, mbOK | mbCancel, mrOk,
                          [&] { machine.WriteFile(second, good.substr(0, 100)); });
    dialogs.ExpectMessage(kWrongDiskText, "Error", TMsgDlgType::mtError, mbOK | mbCancel, mrOk,
                          [&] { machine.WriteFile(second, good); });
    reader->ExpandSegmentSet(prompts);
    EXPECT_EQ(dialogs.Pending(), 0u);
    ExpectExpanded({{"x", files}});
    ExpectScratchEmpty();

    // Too long, then Cancel: the run ends without expanding anything, with what was wrong.
    machine.WriteFile(second, good + "x");
    created.clear();
    reader->MediumTitle = "Tidewater Notes 2.1";
    const std::string longer = "This disk 2 is not the one made for this medium of Tidewater Notes 2.1; insert the right disk 2.";
    dialogs.ExpectMessage(longer + "\n\rThen press OK, or Cancel to abort", "Error", TMsgDlgType::mtError,
                          mbOK | mbCancel, mrCancel);
    EXPECT_EQ(MessageOf([&] { reader->ExpandSegmentSet(prompts); }), longer);
    EXPECT_TRUE(created.empty());
    ExpectScratchEmpty();

    // A segment the section does not name is read as it is.
    reader->SegChecks.erase(reader->SegChecks.begin() + 1);  // segdata.002
    machine.WriteFile(second, good);
    reader->ExpandSegmentSet(prompts);
    ExpectExpanded({{"x", files}});
}

// A file system on which the first reading of segment 2 turns into another disk's bytes
// from byte `after` on: the disk was swapped while it was read.
class SwappingSystem : public ForwardingSystem {
public:
    SwappingSystem(sys::System& inner, std::string other, uint32_t after)
        : ForwardingSystem(inner), other_(std::move(other)), after_(after) {}
    std::unique_ptr<sys::File> OpenFile(const std::string& path, sys::FileAccess access,
                                        sys::FileCreate create, sys::FileShare share) override {
        auto file = ForwardingSystem::OpenFile(path, access, create, share);
        if (!file || path.find("segdata.002") == std::string::npos || opened_++) return file;
        struct Swapped : ForwardingFile {
            Swapped(std::unique_ptr<sys::File> f, const SwappingSystem& s) : ForwardingFile(std::move(f)), s_(s) {}
            bool Read(void* buffer, uint32_t count, uint32_t& done) override {
                const bool ok = ForwardingFile::Read(buffer, count, done);
                for (uint32_t i = 0; i < done; ++i, ++at_)
                    if (at_ >= s_.after_) static_cast<char*>(buffer)[i] = s_.other_[at_];
                return ok;
            }
            const SwappingSystem& s_;
            uint32_t at_ = 0;
        };
        return std::make_unique<Swapped>(std::move(file), *this);
    }

private:
    std::string other_;
    uint32_t after_;
    int opened_ = 0;
};

// A checked segment is read once, straight into the scratch files: what it completes is
// expanded only after its last byte has proved good. Damaged in its last block, or swapped
// for another disk while it is read, it is asked for again before anything of it is
// expanded, and read again from its start.
TEST_F(SegmentSetTest, ACheckedSegmentIsExpandedFromOnlyOnceItsEndProvesGood) {
    const Files a = {{"a.bin", TestBytes(150000, 16)}}, b = {{"b.txt", "second"}}, c = {{"c.bin", TestBytes(90000, 17)}};
    const std::vector<uint8_t> stream = Stream({Archive("a", a), Archive("b", b), Archive("c", c)});
    const std::vector<RecordSpan> spans = RecordSpans(stream);
    // Segment 2 ends the data of a and b and starts those of c.
    WriteSegments(stream, {spans[4].offset + 1000, spans[6].offset + 1000});
    const std::string second = media + "\\segdata.002", good = machine.ReadFile(second);
    std::string other = good;
    for (size_t i = 70000; i < other.size(); ++i) other[i] = static_cast<char>(~other[i]);
    const std::string damaged = "Disk #2 (segdata.002) is damaged: its data differ from the ones written."
                                "\n\rInsert a good copy and then press OK, or Cancel to abort";
    const segment::TSegChecks checks = ChecksOf(machine, media, {"segdata.001", "segdata.002", "segdata.003"});
    SwappingSystem swapping(machine.System(), other, 70000);
    for (const bool swap : {false, true}) {
        SCOPED_TRACE(swap ? "swapped while read" : "damaged in its last block");
        if (!swap) machine.WriteFile(second, good.substr(0, good.size() - 1) + static_cast<char>(~good.back()));
        if (swap) sys::SetSystem(&swapping);
        auto reader = Reader();
        reader->SegChecks = checks;
        std::vector<std::string> log;
        reader->OnSegBefore = [&](segment::TSegMode, const std::string&, uint16_t n) {
            log.push_back("disk " + std::to_string(n));
        };
        reader->OnCheckFile = [&](std::string& path, compress::TCProcessMode) {
            log.push_back(path.substr(out.size() + 1));
        };
        dialogs.ExpectMessage(damaged, "Error", TMsgDlgType::mtError, mbOK | mbCancel, mrOk, [&] {
            log.push_back("asked");
            if (!swap) machine.WriteFile(second, good);
        });
        reader->ExpandSegmentSet(prompts);
        sys::SetSystem(&machine.System());
        EXPECT_EQ(log, (std::vector<std::string>{"disk 1", "disk 2", "asked", "disk 2", "a\\a.bin", "b\\b.txt",
                                                 "disk 3", "c\\c.bin"}));
        ExpectExpanded({{"a", a}, {"b", b}, {"c", c}});
        ExpectScratchEmpty();
    }
}

TEST_F(SegmentSetTest, WrongSegmentNumberThenCancelAborts) {
    const Files files = {{"f.bin", TestBytes(30000, 6)}};
    const std::vector<uint8_t> stream = Stream({Archive("x", files)});
    WriteSegments(stream, {15000});
    machine.WriteFile(media + "\\segdata.002", SegmentBytes(3, stream.data() + 15000, 10));
    dialogs.ExpectMessage(kWrongDiskText, "Error", TMsgDlgType::mtError, mbOK | mbCancel, mrCancel);
    auto reader = Reader();
    EXPECT_EQ(MessageOf([&] { reader->ExpandSegmentSet(prompts); }), "Incorrect segmented mounted!");
    ExpectScratchEmpty();

    // The next run starts with a cleared abort flag.
    WriteSegments(stream, {15000});
    reader->ExpandSegmentSet(prompts);
    ExpectExpanded({{"x", files}});
}

// A wrong disk says which disk it is, or that it is another product's: the media's marks tell.
TEST_F(SegmentSetTest, AWrongDiskSaysWhichDiskItIsOrWhoseItIs) {
    const std::vector<uint8_t> stream = Stream({Archive("x", {{"f.bin", TestBytes(40000, 6)}})});
    const auto write = [&](const std::string& dir, uint16_t mark) {
        segment::TSegmentFileWriter writer([&](uint16_t n) { return segment::SegFilePath(dir, "segdata", "", n); }, 16384);
        writer.MediumMark = mark;
        writer.WriteBuffer(stream.data(), static_cast<int32_t>(stream.size()));
        return writer.Finish();
    };
    const std::string other = media + "\\other";
    machine.System().CreateDirectory(other);
    struct Case {
        uint16_t mark, otherMark;
        std::string insteadOfTwo;  // the file put in disk 2's place
        std::string says;
    };
    const Case cases[] = {
        {0x1234, 0x1234, media + "\\segdata.003", "This is disk 3 of Tool; insert disk 2."},
        {0x1234, 0x4321, other + "\\segdata.002", "This disk belongs to another product, not to Tool; insert disk 2."},
        {0x1234, 0, other + "\\segdata.002", "This disk belongs to another product, not to Tool; insert disk 2."},
        {0, 0, media + "\\segdata.003", "This is disk 3, not disk 2 of Tool; insert disk 2."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        ASSERT_EQ(write(media, c.mark).size(), 3u);
        write(other, c.otherMark);
        machine.WriteFile(media + "\\segdata.002", machine.ReadFile(c.insteadOfTwo));
        dialogs.ExpectMessage(c.says + "\n\rThen press OK, or Cancel to abort", "Error", TMsgDlgType::mtError,
                              mbOK | mbCancel, mrCancel);
        auto reader = Reader();
        reader->MediumTitle = "Tool";
        EXPECT_EQ(MessageOf([&] { reader->ExpandSegmentSet(prompts); }), c.says);
    }
}

TEST_F(SegmentSetTest, SegBeforeExpandRemovingAnArchiveSkipsItsData) {
    const Files a = {{"a.bin", TestBytes(20000, 7)}};
    const Files b = {{"b.txt", "kept"}};
    const Files c = {{"c.txt", "also kept"}};
    WriteSegments(Stream({Archive("a", a), Archive("b", b, 7), Archive("c", c, 9)}), {9000});
    auto reader = Reader();
    reader->OnSegBeforeExpand = [](TSegArcList& list) {
        ASSERT_EQ(list.Count(), 3);
        EXPECT_EQ(list[1].ArcByte, 7);
        ASSERT_EQ(list[0].Files.Count(), 1);
        EXPECT_EQ(list[0].Files[0], "a.bin");
        list.Delete(0);
    };
    std::vector<std::string> archives;
    reader->OnSegAfterArchive = [&](segment::TSegArcHeader& h, const std::string& t) {
        archives.push_back(std::to_string(h.SeqNumber) + " " + t);
    };
    reader->ExpandSegmentSet(prompts);
    EXPECT_EQ(archives, (std::vector<std::string>{"1 " + out + "\\b\\*.*", "2 " + out + "\\c\\*.*"}));
    EXPECT_EQ(reader->SegSource(), (std::vector<std::string>{out + "\\b\\*.*", out + "\\c\\*.*"}));
    EXPECT_FALSE(machine.Exists(out + "\\a\\a.bin"));
    ExpectExpanded({{"b", b}, {"c", c}});
    ExpectScratchEmpty();
}

TEST_F(SegmentSetTest, EventOrderOfAThreeSegmentSet) {
    const Files a = {{"a1.txt", "one"}, {"a2.txt", "two"}};
    const Files b = {{"b1.txt", "three"}};
    const std::vector<uint8_t> stream = Stream({Archive("a", a), Archive("b", b)});
    const std::vector<RecordSpan> spans = RecordSpans(stream);
    // Segment 1 ends inside the data of archive 0, segment 2 inside those of archive 1.
    WriteSegments(stream, {spans[3].offset + 30, spans[4].offset + 30});

    auto reader = Reader();
    std::vector<std::string> log;
    auto add = [&](const std::string& e) {
        if (e != "progress" || log.empty() || log.back() != e) log.push_back(e);
    };
    reader->OnSegBefore = [&](segment::TSegMode, const std::string&, uint16_t n) {
        add("before " + std::to_string(n));
    };
    reader->OnSegAfter = [&](segment::TSegMode, const std::string&, uint16_t n) {
        add("after " + std::to_string(n));
    };
    reader->OnSegBeforeExpand = [&](TSegArcList&) { add("before expand"); };
    reader->OnSegShowProgress = [&](int32_t p) { add("copied " + std::to_string(p)); };
    reader->OnCheckFile = [&](std::string& path, compress::TCProcessMode) {
        add("check " + path.substr(out.size() + 1));
    };
    reader->OnShowProgress = [&](int32_t&) { add("progress"); };
    reader->OnSegAfterArchive = [&](segment::TSegArcHeader& h, const std::string&) {
        add("archive " + std::to_string(h.SeqNumber));
    };
    reader->ExpandSegmentSet(prompts);
    EXPECT_EQ(log, (std::vector<std::string>{
                       "before 1", "before expand", "copied 15", "after 1", "before 2", "copied 100",
                       "check a\\a1.txt", "progress", "check a\\a2.txt", "progress", "archive 0",
                       "copied 24", "after 2", "before 3", "copied 100", "check b\\b1.txt", "progress",
                       "archive 1"}));
    ExpectExpanded({{"a", a}, {"b", b}});
}

TEST_F(SegmentSetTest, CopyProgressOfTwentyThousandDataBytes) {
    const std::string name = "a.bin";
    const size_t content =
        20000 - compress::kArchiveHeaderSize - compress::kFileHeaderSize - name.size();
    const Files files = {{name, TestBytes(content, 8)}};
    const std::vector<uint8_t> stream = Stream({Archive("p", files)});
    const RecordSpan arc = RecordSpans(stream)[2];
    ASSERT_EQ(segment::TSegArcHeader::Decode(stream.data() + arc.offset).DataSize, 20000);
    WriteSegments(stream, {arc.offset + 5000, arc.offset + 12000});
    auto reader = Reader();
    std::vector<int32_t> progress;
    reader->OnSegShowProgress = [&](int32_t p) { progress.push_back(p); };
    reader->ExpandSegmentSet(prompts);
    // After each piece read: 4984 bytes in segment 1, 7000 in segment 2.
    EXPECT_EQ(progress, (std::vector<int32_t>{24, 59, 100}));
    ExpectExpanded({{"p", files}});
}

TEST_F(SegmentSetTest, PopUpAsksForEachSegmentAndKeepsTheTypedDirectory) {
    const Files files = {{"f.bin", TestBytes(20000, 9)}};
    const std::vector<uint8_t> stream = Stream({Archive("x", files)});
    const std::string typed = machine.Path("Disk Two");
    machine.System().CreateDirectory(typed);
    WriteSegments(stream, {10000});
    machine.System().DeleteFile(media + "\\segdata.002");
    WriteSegments(stream, {10000}, typed);  // segment 2 is read from the typed folder

    auto reader = Reader();
    reader->SetSegPopUp(true);
    ui::TDialogPrompts askDirectory(ui::TDialogPrompts::TDiskQuestion::Directory);
    int repaints = 0;
    reader->RepaintOwner = [&] { ++repaints; };
    const std::string lowered = LowerCase(media);
    dialogs.ExpectInput("Mount Segment #1", "Directory Path:", lowered, lowered)
        .ExpectInput("Mount Segment #2", "Directory Path:", lowered, "")
        .ExpectInput("Mount Segment #2", "Directory Path:", lowered, typed);
    reader->ExpandSegmentSet(askDirectory);
    EXPECT_EQ(reader->SegDir(), typed);
    EXPECT_EQ(repaints, 2);
    ExpectExpanded({{"x", files}});

    dialogs.ExpectInput("Mount Segment #1", "Directory Path:", typed, std::nullopt);
    EXPECT_EQ(MessageOf([&] { reader->ExpandSegmentSet(askDirectory); }), kAborted);
    ExpectScratchEmpty();
}

// A file system whose segment 1 reports more bytes than it yields, as a damaged disk may.
class ShortSegmentSystem : public ForwardingSystem {
public:
    using ForwardingSystem::ForwardingSystem;
    std::unique_ptr<sys::File> OpenFile(const std::string& path, sys::FileAccess access,
                                        sys::FileCreate create, sys::FileShare share) override {
        auto file = ForwardingSystem::OpenFile(path, access, create, share);
        if (!file || path.find("segdata.001") == std::string::npos) return file;
        struct Longer : ForwardingFile {
            using ForwardingFile::ForwardingFile;
            int64_t Size() override { return Inner().Size() + 100; }
        };
        return std::make_unique<Longer>(std::move(file));
    }
};

TEST_F(SegmentSetTest, SegmentYieldingNoBytesWhileItsSizeSaysMoreEndsTheRun) {
    WriteSegments(Stream({Archive("x", {{"f.bin", TestBytes(5000, 10)}})}), {3000});
    ShortSegmentSystem lying(machine.System());
    sys::SetSystem(&lying);
    auto reader = Reader();
    const std::string message = MessageOf([&] { reader->ExpandSegmentSet(prompts); });
    sys::SetSystem(&machine.System());
    EXPECT_EQ(message, "Stream read failed: " + LowerCase(media) + "\\segdata.001: it ends before the size it gives");
    ExpectScratchEmpty();
}

TEST_F(SegmentSetTest, DamagedRecordsAreReportedByTheirMessages) {
    const std::vector<uint8_t> good = Stream({Archive("x", {{"f.txt", "content"}})});
    const std::vector<RecordSpan> spans = RecordSpans(good);
    struct Case {
        size_t offset;
        uint8_t value;
        const char* message;
    };
    const Case cases[] = {
        {spans[0].offset, 's', "Invalid Segment Header ID"},
        {spans[1].offset + 3, 'N', "Invalid Scan ID Header"},
        {spans[2].offset, 0, "Invalid Archive ID Header"},
        {spans[2].offset + 6, 1, "Invalid Archive sequence number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::vector<uint8_t> bad = good;
        bad[c.offset] = c.value;
        WriteSegments(bad, {});
        EXPECT_EQ(MessageOf([&] { Reader()->ExpandSegmentSet(prompts); }), c.message);
        ExpectScratchEmpty();
    }

    // Not a segment at all where segment 1 should be: a disk to be replaced.
    machine.WriteFile(media + "\\segdata.001", "PK\3\4 something else");
    dialogs.ExpectMessage("Disk #1 (segdata.001) is not a segment file.\n\rInsert a good copy and then press OK, or Cancel to abort",
                          "Error", TMsgDlgType::mtError, mbOK | mbCancel, mrCancel);
    EXPECT_EQ(MessageOf([&] { Reader()->ExpandSegmentSet(prompts); }), "Disk #1 (segdata.001) is not a segment file.");

    // Archive data whose checksum fails: the container's exception passes through.
    std::vector<uint8_t> bad = good;
    bad[bad.size() - 2] ^= 0x55;
    WriteSegments(bad, {});
    EXPECT_EQ(MessageOf([&] { Reader()->ExpandSegmentSet(prompts); }),
              "Bad checksum during expansion -- data may be invalid");
    ExpectScratchEmpty();
}

#ifndef _WIN32
// Every failure names the file it is about with the system's code and reason; a disk the
// prompts decline ends the run as declined, with what was wrong, never as a bare abort.
TEST_F(SegmentSetTest, FailuresCarryTheirCodePathAndReason) {
    auto& emulated = static_cast<sys::emu::EmulatedSystem&>(machine.System());
    const std::vector<uint8_t> stream = Stream({Archive("x", {{"f.bin", TestBytes(30000, 11)}})});
    const std::string second = LowerCase(media) + "\\segdata.002", scratch = LowerCase(tmp) + "\\segdata.$A$";
    struct Case {
        std::function<void()> fault;
        bool declined;
        uint32_t code;
        std::string path, message;
    };
    const Case cases[] = {
        {[&] { machine.System().DeleteFile(media + "\\segdata.002"); }, true, sys::kErrorFileNotFound, second,
         "disk 2 (" + second + ") is missing"},
        {[&] { emulated.FailReading(media + "\\segdata.002"); }, true, sys::kErrorReadFault, second,
         "Disk #2 (segdata.002) cannot be read: The system cannot read from the specified device."},
        {[&] { emulated.FailCreating(tmp + "\\segdata.$A$"); }, false, sys::kErrorAccessDenied, scratch,
         "Stream open failed: " + scratch + ": Access is denied"},
        {[&] { emulated.FailWritesAfter(100); }, false, sys::kErrorDiskFull, scratch,
         "Cannot write " + scratch + " (drive c:): There is not enough space on the disk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        WriteSegments(stream, {15000});
        c.fault();
        segment::TNoDiskPrompts none;
        auto reader = Reader();
        try {
            reader->ExpandSegmentSet(none);
            ADD_FAILURE() << "no failure";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message);
            EXPECT_EQ(e.Failure().code, c.code);
            EXPECT_EQ(e.Failure().path, c.path);
            EXPECT_FALSE(e.Failure().text.empty());
        }
        emulated.ClearFaults();
        EXPECT_EQ(reader->Cancelled(), c.declined);
        ExpectScratchEmpty();
    }
}
#endif

TEST_F(SegmentSetTest, LockedSetNeedsItsKey) {
    const Files files = {{"secret.txt", "locked content"}};
    WriteSegments(Stream({Archive("k", files)}, 4711), {});
    auto reader = Reader();
    EXPECT_EQ(MessageOf([&] { reader->ExpandSegmentSet(prompts); }), "File locked -- valid key required");
    ExpectScratchEmpty();
    reader->Key = 4711;
    reader->ExpandSegmentSet(prompts);
    ExpectExpanded({{"k", files}});
}

TEST_F(SegmentSetTest, CheckFileHandlerSeesEveryArchiveFileButNoFileList) {
    const Files a = {{"a.txt", "a"}}, b = {{"sub\\b.txt", "b"}};
    WriteSegments(Stream({Archive("a", a), Archive("b", b)}), {});
    auto reader = Reader();
    std::vector<std::string> seen;
    reader->OnCheckFile = [&](std::string& path, compress::TCProcessMode mode) {
        EXPECT_EQ(mode, compress::pmExpand);
        seen.push_back(path);
    };
    reader->ExpandSegmentSet(prompts);
    EXPECT_EQ(seen, (std::vector<std::string>{out + "\\a\\a.txt", out + "\\b\\sub\\b.txt"}));
    ExpectExpanded({{"a", a}, {"b", b}});
}

}  // namespace
}  // namespace zov::test
