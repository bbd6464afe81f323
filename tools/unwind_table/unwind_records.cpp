#include "tools/unwind_table/unwind_records.h"

#include <algorithm>
#include <map>

#include "sys/win32/leb128.h"
#include "sys/win32/unwind_table.h"

namespace zov::unwind_table {

const Bytes kSetUp = {0x41, 0x0e, 0x08, 0x85, 0x02, 0x42, 0x0d, 0x05};
const Bytes kTearDown = {0x41, 0xc5, 0x0c, 0x04, 0x04};

namespace {

// Bytes read with bounds: a record that runs past its end is refused, not read beyond.
class Reader {
public:
    Reader(const Bytes& bytes, size_t at, size_t end, const char* what) : b_(bytes), at_(at), end_(end), what_(what) {}
    uint8_t Byte() {
        if (at_ >= end_) throw Refusal(std::string(what_) + " that runs past its end");
        return b_[at_++];
    }
    uint32_t Word() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
        return v;
    }
    uint32_t Uleb() { return runtime::ReadLeb128([this] { return Byte(); }, false); }
    int32_t Sleb() { return static_cast<int32_t>(runtime::ReadLeb128([this] { return Byte(); }, true)); }
    void Skip(size_t n) {
        if (n > end_ - at_) throw Refusal(std::string(what_) + " that runs past its end");
        at_ += n;
    }
    // A reader of the next n bytes, which this one passes.
    Reader Part(size_t n, const char* what) {
        const size_t from = at_;
        Skip(n);
        return Reader(b_, from, at_, what);
    }
    size_t At() const { return at_; }
    bool Done() const { return at_ >= end_; }

private:
    const Bytes& b_;
    size_t at_, end_;
    const char* what_;
};

constexpr unsigned kColumns = 9;  // eax to edi and the return address, as the unwinder keeps them
constexpr unsigned kStackDepth = 4;

uint32_t Column(uint32_t n) {
    if (n >= kColumns) throw Refusal("a register the unwinder does not keep (" + std::to_string(n) + ")");
    return n;
}

// The expressions GCC writes for frames that realign their stack: a register plus an
// offset, read through once or not. `depth`: what the unwinder pushes before it runs them.
void CheckExpression(Reader& r, unsigned depth) {
    Reader e = r.Part(r.Uleb(), "an expression");
    while (!e.Done()) {
        const uint8_t op = e.Byte();
        if (op >= 0x70 && op <= 0x78) {  // DW_OP_breg<n>
            if (depth == kStackDepth) throw Refusal("an expression deeper than the unwinder's stack");
            e.Sleb();
            ++depth;
        } else if ((op == 0x06 || op == 0x23) && depth > 0) {  // DW_OP_deref, DW_OP_plus_uconst
            if (op == 0x23) e.Uleb();
        } else {
            throw Refusal("an expression operation the unwinder does not run (" + std::to_string(op) + ")");
        }
    }
    if (depth == 0) throw Refusal("an expression that leaves no value");
}

}  // namespace

std::vector<size_t> InstructionStarts(const Bytes& program) {
    std::vector<size_t> starts;
    Reader r(program, 0, program.size(), "an instruction");
    unsigned remembered = 0;
    while (!r.Done()) {
        starts.push_back(r.At());
        const uint8_t op = r.Byte();
        switch (op >> 6) {
            case 1: continue;                                 // advance_loc
            case 2: Column(op & 0x3f); r.Uleb(); continue;    // offset
            case 3: Column(op & 0x3f); continue;              // restore
        }
        switch (op) {
            case 0x00: break;                                 // nop
            case 0x02: r.Skip(1); break;                      // advance_loc1
            case 0x03: r.Skip(2); break;                      // advance_loc2
            case 0x04: r.Skip(4); break;                      // advance_loc4
            case 0x05: case 0x09: case 0x0c:                  // offset_extended, register, def_cfa
                Column(r.Uleb());
                op == 0x09 ? Column(r.Uleb()) : r.Uleb();
                break;
            case 0x11: case 0x12: Column(r.Uleb()); r.Sleb(); break;  // offset_extended_sf, def_cfa_sf
            case 0x06: case 0x07: case 0x08: case 0x0d:       // restore_extended, undefined, same_value,
                Column(r.Uleb());                             // def_cfa_register
                break;
            case 0x0a:                                        // remember_state
                if (++remembered > kStackDepth) throw Refusal("states remembered deeper than the unwinder keeps");
                break;
            case 0x0b:                                        // restore_state
                if (remembered-- == 0) throw Refusal("a state restored that was not remembered");
                break;
            case 0x0e: case 0x2e: r.Uleb(); break;            // def_cfa_offset, GNU_args_size
            case 0x13: r.Sleb(); break;                       // def_cfa_offset_sf
            case 0x0f: CheckExpression(r, 0); break;          // def_cfa_expression
            case 0x10: Column(r.Uleb()); CheckExpression(r, 1); break;  // expression: the CFA pushed first
            default: throw Refusal("an instruction the unwinder does not run (" + std::to_string(op) + ")");
        }
    }
    starts.push_back(program.size());
    return starts;
}

namespace {

// The program without the no-ops that pad its record to a multiple of four bytes; a zero
// that is an instruction's operand stays. `starts` becomes the kept instructions' starts.
Bytes WithoutPadding(const Bytes& program, std::vector<size_t>& starts) {
    starts = InstructionStarts(program);
    while (starts.size() > 1 && program[starts[starts.size() - 2]] == 0) starts.pop_back();
    return Bytes(program.begin(), program.begin() + static_cast<long>(starts.back()));
}

bool StartsAt(const std::vector<size_t>& starts, size_t at) { return std::binary_search(starts.begin(), starts.end(), at); }

Cie ReadCie(Reader& r, const Bytes& section, uint32_t base, size_t end, const Handlers& handlers,
            uint32_t& personalityCell) {
    Cie cie;
    const uint8_t version = r.Byte();
    if (version != 1) throw Refusal("a CIE of version " + std::to_string(version));
    std::string augmentation;
    for (uint8_t c; (c = r.Byte()) != 0;) augmentation += static_cast<char>(c);
    cie.codeAlign = r.Uleb();
    cie.dataAlign = r.Sleb();
    cie.returnColumn = r.Byte();
    if (augmentation.empty() || augmentation[0] != 'z') throw Refusal("a CIE of augmentation \"" + augmentation + "\"");
    r.Uleb();
    for (char a : augmentation.substr(1)) {
        const uint8_t encoding = r.Byte();
        if (a == 'R' || a == 'L') {
            if (encoding != 0x1b) throw Refusal("an address encoding other than pc-relative 4 bytes");
            cie.lsdas |= a == 'L';
        } else if (a == 'P') {
            if (encoding != 0x9b) throw Refusal("a handler encoding other than indirect pc-relative 4 bytes");
            const uint32_t field = base + static_cast<uint32_t>(r.At());
            const uint32_t cell = field + r.Word();
            cie.personalityCell = cell;
            const uint32_t target = handlers.cellTarget(cell);
            if (target == handlers.cxx) personalityCell = cell;
            else if (!handlers.c || target != handlers.c) throw Refusal("a handler other than the C++ one");
            else if (!personalityCell) personalityCell = cell;
        } else {
            throw Refusal(std::string("an augmentation letter ") + a);
        }
    }
    std::vector<size_t> starts;
    cie.program = WithoutPadding(Bytes(section.begin() + static_cast<long>(r.At()), section.begin() + static_cast<long>(end)), starts);
    return cie;
}

Record ReadRecord(Reader& r, const Cie& cie, uint32_t base, const Bytes& section, size_t end) {
    Record record;
    const uint32_t startField = base + static_cast<uint32_t>(r.At());
    record.start = startField + r.Word();
    record.length = r.Word();
    const uint32_t dataLength = r.Uleb();
    const size_t data = r.At();
    if (cie.lsdas) {
        const uint32_t lsdaField = base + static_cast<uint32_t>(r.At());
        if (const uint32_t offset = r.Word()) record.lsda = lsdaField + offset;
        if (record.lsda && !cie.personalityCell) throw Refusal("a handler table without a handler");
    }
    r.Skip(data + dataLength - r.At());
    std::vector<size_t> starts;
    Bytes program =
        WithoutPadding(Bytes(section.begin() + static_cast<long>(r.At()), section.begin() + static_cast<long>(end)), starts);
    record.setUp = program.size() >= kSetUp.size() && std::equal(kSetUp.begin(), kSetUp.end(), program.begin());
    const size_t from = record.setUp ? kSetUp.size() : 0;
    const size_t tail = program.size() - kTearDown.size();
    record.tearDown = program.size() >= from + kTearDown.size() && StartsAt(starts, tail) &&
                      std::equal(kTearDown.begin(), kTearDown.end(), program.begin() + static_cast<long>(tail));
    const size_t to = record.tearDown ? tail : program.size();
    record.program = Bytes(program.begin() + static_cast<long>(from), program.begin() + static_cast<long>(to));
    return record;
}

void PutUleb(Bytes& out, uint32_t v) {
    do {
        const uint8_t byte = v & 0x7f;
        v >>= 7;
        out.push_back(static_cast<uint8_t>(byte | (v ? 0x80 : 0)));
    } while (v);
}

void PutSleb(Bytes& out, int32_t v) {
    for (;;) {
        const uint8_t byte = v & 0x7f;
        v >>= 7;
        const bool done = (v == 0 && !(byte & 0x40)) || (v == -1 && (byte & 0x40));
        out.push_back(static_cast<uint8_t>(byte | (done ? 0 : 0x80)));
        if (done) return;
    }
}

void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

Records ReadRecords(const Bytes& section, uint32_t base, const Handlers& handlers) {
    Records out;
    std::map<size_t, Cie> cies;  // by offset in the section
    const Cie* shared = nullptr;
    Reader r(section, 0, section.size(), "a record");
    while (!r.Done()) {
        const size_t at = r.At();
        const uint32_t length = r.Word();
        if (length == 0) continue;  // the end mark
        if (length == 0xffffffff) throw Refusal("a 64-bit record");
        const size_t end = r.At() + length;
        Reader body = r.Part(length, "a record");
        const size_t idField = body.At();
        const uint32_t id = body.Word();
        if (id == 0) {
            Cie cie = ReadCie(body, section, base, end, handlers, out.personalityCell);
            if (shared && (shared->codeAlign != cie.codeAlign || shared->dataAlign != cie.dataAlign ||
                           shared->returnColumn != cie.returnColumn || shared->program != cie.program))
                throw Refusal("CIEs that differ in more than their handler");
            shared = &(cies[at] = std::move(cie));
            continue;
        }
        const auto cie = cies.find(idField - id);
        if (id > idField || cie == cies.end()) throw Refusal("a record without its CIE");
        if (Reader peek(section, body.At(), end, "a record"); peek.Word() == 0) continue;  // code the link dropped
        out.records.push_back(ReadRecord(body, cie->second, base, section, end));
    }
    if (!shared || out.records.empty()) throw Refusal("no records");
    out.cie = *shared;
    std::sort(out.records.begin(), out.records.end(), [](const Record& l, const Record& r) { return l.start < r.start; });
    return out;
}

Bytes MakeTable(const Records& in, uint32_t base) {
    const Cie& cie = in.cie;
    if (cie.codeAlign > 255 || cie.dataAlign < -128 || cie.dataAlign > 127 || cie.returnColumn > 255 ||
        cie.program.size() > 255)
        throw Refusal("a CIE the table cannot hold");
    const std::vector<Record>& records = in.records;
    Bytes head(runtime::kUnwindTableHeader);
    Put32(head, 0, runtime::kUnwindTableMagic);
    Put32(head, 4, in.personalityCell ? in.personalityCell - base : 0);
    Put32(head, 8, static_cast<uint32_t>(records.size()));
    Put32(head, 16, records.front().start - base);
    head[20] = static_cast<uint8_t>(cie.codeAlign);
    head[21] = static_cast<uint8_t>(cie.dataAlign);
    head[22] = static_cast<uint8_t>(cie.returnColumn);
    head[23] = static_cast<uint8_t>(cie.program.size());
    head.insert(head.end(), cie.program.begin(), cie.program.end());
    for (const Bytes* usual : {&kSetUp, &kTearDown}) {
        head.push_back(static_cast<uint8_t>(usual->size()));
        head.insert(head.end(), usual->begin(), usual->end());
    }
    Bytes list, pool;
    std::map<std::string, uint32_t> pooled;  // each distinct instruction sequence's number, by its bytes
    uint32_t previousEnd = records.front().start, previousLsda = base;
    for (const Record& r : records) {
        if (r.start < previousEnd) throw Refusal("records whose code overlaps");
        auto [it, added] = pooled.emplace(std::string(r.program.begin(), r.program.end()),
                                          static_cast<uint32_t>(pooled.size()));
        if (added) {
            PutUleb(pool, static_cast<uint32_t>(r.program.size()));
            pool.insert(pool.end(), r.program.begin(), r.program.end());
        }
        PutUleb(list, r.start - previousEnd);
        PutUleb(list, r.length);
        PutUleb(list, it->second << 3 | (r.tearDown ? 4u : 0u) | (r.setUp ? 2u : 0u) | (r.lsda ? 1u : 0u));
        if (r.lsda) {
            PutSleb(list, static_cast<int32_t>(r.lsda - previousLsda));
            previousLsda = r.lsda;
        }
        previousEnd = r.start + r.length;
    }
    Put32(head, 12, static_cast<uint32_t>(head.size() + list.size()));
    Bytes table = head;
    table.insert(table.end(), list.begin(), list.end());
    table.insert(table.end(), pool.begin(), pool.end());
    return table;
}

}  // namespace zov::unwind_table
