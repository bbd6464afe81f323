// tools/unwind_table over unwind records as the compiler and the linker write them: the table
// it makes, read back by the run-time's own reader (sys/win32/unwind_table.cpp) inside an
// image, gives every record's code range, handler and instructions as they were; the records
// the run-time could not run are refused when the program is built.
#include <gtest/gtest.h>

#include <cstring>

#include "sys/win32/unwind_table.h"
#include "tools/unwind_table/unwind_records.h"

namespace zov::unwind_table {
namespace {

// Where the records lie in the image, and the cells of the two handlers.
constexpr uint32_t kBase = 0x1000, kCxxCell = 0x3000, kCCell = 0x3004;
constexpr uint32_t kCxx = 0x401234, kC = 0x405678;
// The instructions every frame starts with: the CFA is esp + 4, the return address at CFA - 4.
const Bytes kCieProgram = {0x0c, 0x04, 0x04, 0x88, 0x01};
// "push ebp; mov ebp, esp": at +1 the CFA is esp + 8 and ebp at CFA - 8, at +3 the CFA is
// ebp + 8. "leave": at +1 ebp is the caller's and the CFA esp + 4.
const Bytes kPushEbp = {0x41, 0x0e, 0x08, 0x85, 0x02, 0x42, 0x0d, 0x05};
const Bytes kLeave = {0x41, 0xc5, 0x0c, 0x04, 0x04};

struct Fde {
    uint32_t start, length, lsda;
    Bytes program;
};

// An .eh_frame section as GCC and the linker write it for 32-bit code: CIEs of augmentation
// "zPLR" (handler cell, handler tables, code addresses relative to where they are stored)
// and records padded with no-ops to whole words.
class EhFrame {
public:
    // Returns the CIE's offset for the records that refer to it.
    size_t Cie(const Bytes& program = kCieProgram, uint32_t cell = kCxxCell, const std::string& augmentation = "zPLR",
               uint8_t version = 1, uint8_t addressEncoding = 0x1b, uint8_t handlerEncoding = 0x9b) {
        const size_t at = Begin();
        Put32(0);
        bytes_.push_back(version);
        bytes_.insert(bytes_.end(), augmentation.begin(), augmentation.end());
        bytes_.insert(bytes_.end(), {0x00, 0x01, 0x7c, 0x08});  // code 1, data -4, return address column 8
        const size_t letters = augmentation.size() - 1;
        bytes_.push_back(static_cast<uint8_t>(letters + (augmentation.find('P') != std::string::npos ? 4 : 0)));
        for (char a : augmentation.substr(1)) {
            bytes_.push_back(a == 'P' ? handlerEncoding : addressEncoding);
            if (a == 'P') Put32(cell - Here());
        }
        bytes_.insert(bytes_.end(), program.begin(), program.end());
        End(at);
        return at;
    }

    void Record(size_t cie, const Fde& fde, bool lsdas = true) {
        const size_t at = Begin();
        Put32(static_cast<uint32_t>(bytes_.size() - cie));
        Put32(fde.start ? fde.start - Here() : 0);
        Put32(fde.length);
        bytes_.push_back(lsdas ? 4 : 0);
        if (lsdas) Put32(fde.lsda ? fde.lsda - Here() : 0);
        bytes_.insert(bytes_.end(), fde.program.begin(), fde.program.end());
        End(at);
    }

    void Raw(const Bytes& raw) { bytes_.insert(bytes_.end(), raw.begin(), raw.end()); }

    Bytes Finish() {
        Put32(0);  // the end mark
        return bytes_;
    }

private:
    uint32_t Here() const { return kBase + static_cast<uint32_t>(bytes_.size()); }
    void Put32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    size_t Begin() {
        const size_t at = bytes_.size();
        Put32(0);  // the length, once known
        return at;
    }
    void End(size_t at) {
        while (bytes_.size() % 4) bytes_.push_back(0);  // DW_CFA_nop
        const uint32_t length = static_cast<uint32_t>(bytes_.size() - at - 4);
        std::memcpy(&bytes_[at], &length, 4);
    }

    Bytes bytes_;
};

Handlers TheHandlers() {
    Handlers h;
    h.cxx = kCxx;
    h.c = kC;
    h.cellTarget = [](uint32_t cell) -> uint32_t {
        if (cell == kCxxCell) return kCxx;
        if (cell == kCCell) return kC;
        if (cell == 0x3008) return 0x409999;  // a handler of another language
        throw Refusal("a handler cell outside the file");
    };
    return h;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A program's image: the table where the records were, the handler's cell beside it.
struct Image {
    std::vector<unsigned char> bytes = std::vector<unsigned char>(0x4000);
    explicit Image(const Bytes& table) {
        std::copy(table.begin(), table.end(), bytes.begin() + kBase);
        std::memcpy(&bytes[kCxxCell], &kCxx, 4);
    }
    uintptr_t At(uint32_t imageRelative) const { return reinterpret_cast<uintptr_t>(bytes.data()) + imageRelative; }
    runtime::TableLookup Find(uint32_t pc, runtime::FrameRecord& record) const {
        return runtime::LookUpUnwindTable(bytes.data() + kBase, At(pc), record);
    }
};

Bytes Span(const unsigned char* from, const unsigned char* to) { return Bytes(from, to); }

struct Kept {
    const char* what;
    Bytes program;
    bool setUp, tearDown;  // expected: found as the usual frame set-up and tear-down
};

// Each instruction the unwinder runs, the usual set-up and tear-down, the frames that realign
// their stack, and instructions that only look like the tear-down.
const Kept kKept[] = {
    {"advance_loc, offset", {0x41, 0x85, 0x02}, false, false},
    {"advance_loc1, advance_loc2, advance_loc4", {0x02, 0x10, 0x03, 0x00, 0x01, 0x04, 0x00, 0x00, 0x01, 0x00}, false, false},
    {"offset_extended, offset_extended_sf", {0x05, 0x05, 0x02, 0x11, 0x07, 0x7e}, false, false},
    {"restore, restore_extended", {0x85, 0x02, 0xc5, 0x06, 0x05}, false, false},
    {"undefined, same_value, register", {0x07, 0x03, 0x08, 0x06, 0x09, 0x03, 0x01}, false, false},
    {"remember_state, restore_state", {0x0a, 0x0e, 0x10, 0x0a, 0x0b, 0x0b}, false, false},
    {"def_cfa, def_cfa_sf", {0x0c, 0x05, 0x08, 0x12, 0x04, 0x7e}, false, false},
    {"def_cfa_register, def_cfa_offset, def_cfa_offset_sf", {0x0d, 0x05, 0x0e, 0x90, 0x01, 0x13, 0x7c}, false, false},
    {"GNU_args_size and a no-op between instructions", {0x2e, 0x10, 0x00, 0x41, 0x2e, 0x00, 0x41}, false, false},
    {"ends with GNU_args_size 0: the zero is an operand, not padding", {0x41, 0x2e, 0x10, 0x45, 0x2e, 0x00}, false, false},
    {"usual set-up and tear-down", Cat({kPushEbp, {0x46, 0x87, 0x03}, kLeave}), true, true},
    {"usual set-up alone", Cat({kPushEbp, {0x4a, 0x2e, 0x04}}), true, false},
    {"tear-down's bytes after advance_loc1 65: an operand, not the tear-down",
     Cat({kPushEbp, {0x02}, kLeave}), true, false},
    // GCC's frame that realigns its stack (and esp, -16): the CFA from ecx, ebp kept at the
    // address ebp holds, the CFA read back through ebp - 4; on the way out ecx again, then esp.
    {"frame that realigns its stack",
     {0x44, 0x0c, 0x01, 0x00, 0x47, 0x10, 0x05, 0x02, 0x75, 0x00, 0x43, 0x0f, 0x03, 0x75, 0x7c, 0x06,
      0x02, 0x40, 0x0c, 0x01, 0x00, 0x41, 0xc5, 0x43, 0x0c, 0x04, 0x04},
     false, false},
    {"expressions plus a constant", {0x10, 0x03, 0x02, 0x23, 0x08, 0x0f, 0x04, 0x74, 0x04, 0x23, 0x04}, false, false},
};

TEST(UnwindTable, EveryRecordReadsBackAsItWas) {
    EhFrame frame;
    const size_t cie = frame.Cie();
    std::vector<Fde> fdes;
    uint32_t start = 0x2000;
    for (const Kept& k : kKept) {
        // Records out of order, some with a handler table: the table sorts them.
        fdes.push_back({start, 0x20, fdes.size() % 2 ? 0x3100 + 16 * static_cast<uint32_t>(fdes.size()) : 0, k.program});
        start += 0x30;
    }
    for (size_t i = fdes.size(); i-- > 0;) frame.Record(cie, fdes[i]);
    frame.Record(cie, {0, 0x10, 0, {0x41}});  // code the link dropped
    const Records read = ReadRecords(frame.Finish(), kBase, TheHandlers());
    ASSERT_EQ(read.records.size(), fdes.size());
    EXPECT_EQ(read.personalityCell, kCxxCell);
    const Image image(MakeTable(read, kBase));

    for (size_t i = 0; i < fdes.size(); ++i) {
        SCOPED_TRACE(kKept[i].what);
        const Fde& f = fdes[i];
        for (const uint32_t pc : {f.start, f.start + f.length - 1}) {
            runtime::FrameRecord r{};
            ASSERT_EQ(image.Find(pc, r), runtime::TableLookup::kFound);
            EXPECT_EQ(r.start, image.At(f.start));
            EXPECT_EQ(Cat({Span(r.setUp, r.setUpEnd), Span(r.program, r.end), Span(r.tearDown, r.tearDownEnd)}), f.program);
            EXPECT_EQ(r.setUp != r.setUpEnd, kKept[i].setUp);
            EXPECT_EQ(r.tearDown != r.tearDownEnd, kKept[i].tearDown);
            EXPECT_EQ(r.lsda, f.lsda ? image.At(f.lsda) : 0);
            EXPECT_EQ(r.personality, f.lsda ? kCxx : 0);
            EXPECT_EQ(Span(r.cieProgram, r.cieEnd), kCieProgram);
            EXPECT_EQ(r.codeAlign, 1u);
            EXPECT_EQ(r.dataAlign, -4);
            EXPECT_EQ(r.returnColumn, 8u);
        }
        runtime::FrameRecord r{};
        EXPECT_EQ(image.Find(f.start + f.length, r), runtime::TableLookup::kElsewhere) << "the gap after it";
    }
    runtime::FrameRecord r{};
    EXPECT_EQ(image.Find(0x2000 - 1, r), runtime::TableLookup::kElsewhere);
    EXPECT_EQ(image.Find(start, r), runtime::TableLookup::kElsewhere);
}

TEST(UnwindTable, SharedInstructionsAreKeptOnce) {
    EhFrame frame;
    const size_t cie = frame.Cie();
    const Bytes body = {0x46, 0x87, 0x03, 0x86, 0x04};
    for (uint32_t i = 0; i < 50; ++i) frame.Record(cie, {0x2000 + 0x40 * i, 0x40, 0, Cat({kPushEbp, body, kLeave})});
    const Bytes records = frame.Finish();
    const Bytes table = MakeTable(ReadRecords(records, kBase, TheHandlers()), kBase);
    // The header with the CIE's, the set-up's and the tear-down's instructions, three bytes of
    // list a record, the one sequence.
    EXPECT_EQ(table.size(), runtime::kUnwindTableHeader + kCieProgram.size() + 2 + kPushEbp.size() + kLeave.size() +
                                50 * 3 + 1 + body.size());
    EXPECT_LT(table.size() * 4, records.size());
}

TEST(UnwindTable, TheCHandlerStandsInForTheCxxOne) {
    EhFrame frame;
    const size_t c = frame.Cie(kCieProgram, kCCell);
    const size_t cxx = frame.Cie(kCieProgram, kCxxCell);
    frame.Record(c, {0x2000, 0x10, 0x3100, {0x41}});
    frame.Record(cxx, {0x2010, 0x10, 0x3110, {0x42}});
    const Records read = ReadRecords(frame.Finish(), kBase, TheHandlers());
    EXPECT_EQ(read.personalityCell, kCxxCell);
    const Image image(MakeTable(read, kBase));
    runtime::FrameRecord r{};
    ASSERT_EQ(image.Find(0x2000, r), runtime::TableLookup::kFound);
    EXPECT_EQ(r.personality, kCxx);
}

struct Refused {
    const char* what;
    std::function<void(EhFrame&)> write;
    const char* message;
};

const Refused kRefused[] = {
    {"val_offset", [](EhFrame& f) { f.Record(f.Cie(), {0x2000, 8, 0, {0x14, 0x05, 0x02}}); }, "does not run (20)"},
    {"set_loc", [](EhFrame& f) { f.Record(f.Cie(), {0x2000, 8, 0, {0x01, 0, 0, 0, 0}}); }, "does not run (1)"},
    {"an expression with a literal", [](EhFrame& f) { f.Record(f.Cie(), {0x2000, 8, 0, {0x0f, 0x02, 0x30, 0x06}}); },
     "operation the unwinder does not run (48)"},
    {"an expression deeper than four",
     [](EhFrame& f) { f.Record(f.Cie(), {0x2000, 8, 0, {0x0f, 0x0a, 0x75, 0, 0x75, 0, 0x75, 0, 0x75, 0, 0x75, 0}}); },
     "deeper than the unwinder's stack"},
    {"an expression that reads through nothing", [](EhFrame& f) { f.Record(f.Cie(), {0x2000, 8, 0, {0x0f, 0x01, 0x06}}); },
     "does not run (6)"},
    {"an empty expression", [](EhFrame& f) { f.Record(f.Cie(), {0x2000, 8, 0, {0x0f, 0x00}}); }, "leaves no value"},
    {"an expression longer than its record", [](EhFrame& f) { f.Record(f.Cie(), {0x2000, 8, 0, {0x41, 0x0f, 0x09, 0x75}}); },
     "runs past its end"},
    {"a register beyond edi and the return address", [](EhFrame& f) { f.Record(f.Cie(), {0x2000, 8, 0, {0x8c, 0x01}}); },
     "does not keep (12)"},
    {"offset_extended of register 9", [](EhFrame& f) { f.Record(f.Cie(), {0x2000, 8, 0, {0x05, 0x09, 0x01}}); },
     "does not keep (9)"},
    {"a state restored, none remembered", [](EhFrame& f) { f.Record(f.Cie(), {0x2000, 8, 0, {0x0b}}); }, "not remembered"},
    {"five states remembered", [](EhFrame& f) { f.Record(f.Cie(), {0x2000, 8, 0, {0x0a, 0x0a, 0x0a, 0x0a, 0x0a}}); },
     "deeper than the unwinder keeps"},
    // 17 bytes of record before the instructions: three end it without padding.
    {"an operand cut by the record's end", [](EhFrame& f) { f.Record(f.Cie(), {0x2000, 8, 0, {0x41, 0x04, 0x01}}); },
     "runs past its end"},
    {"a CIE of version 3", [](EhFrame& f) { f.Record(f.Cie(kCieProgram, kCxxCell, "zPLR", 3), {0x2000, 8, 0, {}}); },
     "version 3"},
    {"a CIE without augmentation data", [](EhFrame& f) { f.Record(f.Cie(kCieProgram, kCxxCell, "eh"), {0x2000, 8, 0, {}}); },
     "augmentation \"eh\""},
    {"a signal frame", [](EhFrame& f) { f.Record(f.Cie(kCieProgram, kCxxCell, "zPLRS"), {0x2000, 8, 0, {}}); },
     "augmentation letter S"},
    {"absolute code addresses", [](EhFrame& f) { f.Record(f.Cie(kCieProgram, kCxxCell, "zPLR", 1, 0x03), {0x2000, 8, 0, {}}); },
     "other than pc-relative 4 bytes"},
    {"a handler stored directly",
     [](EhFrame& f) { f.Record(f.Cie(kCieProgram, kCxxCell, "zPLR", 1, 0x1b, 0x1b), {0x2000, 8, 0, {}}); },
     "handler encoding"},
    {"another language's handler", [](EhFrame& f) { f.Record(f.Cie(kCieProgram, 0x3008), {0x2000, 8, 0, {}}); },
     "other than the C++ one"},
    {"a handler cell outside the file", [](EhFrame& f) { f.Record(f.Cie(kCieProgram, 0x9000), {0x2000, 8, 0, {}}); },
     "outside the file"},
    {"a handler table without a handler", [](EhFrame& f) { f.Record(f.Cie(kCieProgram, 0, "zLR"), {0x2000, 8, 0x3100, {}}); },
     "handler table without a handler"},
    {"CIEs that differ in their instructions",
     [](EhFrame& f) {
         f.Cie();
         f.Record(f.Cie({0x0c, 0x04, 0x08}), {0x2000, 8, 0, {}});
     },
     "differ in more than their handler"},
    {"records whose code overlaps",
     [](EhFrame& f) {
         const size_t cie = f.Cie();
         f.Record(cie, {0x2000, 0x10, 0, {}});
         f.Record(cie, {0x2008, 0x10, 0, {}});
     },
     "overlaps"},
    {"a 64-bit record", [](EhFrame& f) { f.Raw({0xff, 0xff, 0xff, 0xff, 0, 0, 0, 0}); }, "64-bit"},
    {"a record without its CIE", [](EhFrame& f) { f.Record(0, {0x2000, 8, 0, {}}); }, "without its CIE"},
    {"a record longer than the section", [](EhFrame& f) { f.Raw({0x40, 0, 0, 0, 0, 0, 0, 0}); }, "runs past its end"},
    {"no records", [](EhFrame& f) { f.Cie(); }, "no records"},
};

TEST(UnwindTable, RefusesWhatTheRunTimeCannotRun) {
    for (const Refused& r : kRefused) {
        SCOPED_TRACE(r.what);
        EhFrame frame;
        r.write(frame);
        const Bytes records = frame.Finish();
        try {
            MakeTable(ReadRecords(records, kBase, TheHandlers()), kBase);
            ADD_FAILURE() << "accepted";
        } catch (const Refusal& e) {
            EXPECT_NE(std::string(e.what()).find(r.message), std::string::npos) << e.what();
        }
    }
}

TEST(UnwindTable, ReaderRefusesATableOfAnotherFormat) {
    const unsigned char compilers[32] = {8, 0, 0, 0, 0, 0, 0, 0, 1, 'z', 'R', 0};
    runtime::FrameRecord r{};
    EXPECT_EQ(runtime::LookUpUnwindTable(compilers, 0, r), runtime::TableLookup::kUnreadable);
}

}  // namespace
}  // namespace zov::unwind_table
