// Rewrites the unwind records (.eh_frame) of a program on the medium, after its link, as the
// compact table of sys/win32/unwind_table.h, and gives the bytes it saves back to the file:
//   unwind_table PROGRAM.exe PROGRAM.map
// The records lie at the end of the program's .text (cmake/shipped.ld), and the start-up code
// registers their start, where the table goes. The section keeps its size in memory, where
// Windows fills what the file no longer holds with zeros; the sections after it move up in
// the file. Anything the table cannot say (another encoding, CIEs that differ in more than
// their handler) stops the build with a message.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "sys/win32/unwind_table.h"

namespace {

using Bytes = std::vector<uint8_t>;

[[noreturn]] void Fail(const std::string& why) { throw std::runtime_error(why); }

uint32_t Get32(const Bytes& b, size_t at) {
    if (at + 4 > b.size()) Fail("a read past the end of the program");
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t Get16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t ReadUleb(const Bytes& b, size_t& at) {
    uint32_t value = 0;
    for (unsigned shift = 0;; shift += 7) {
        const uint8_t byte = b.at(at++);
        value |= static_cast<uint32_t>(byte & 0x7f) << shift;
        if (!(byte & 0x80)) return value;
    }
}
int32_t ReadSleb(const Bytes& b, size_t& at) {
    uint32_t value = 0;
    unsigned shift = 0;
    uint8_t byte;
    do {
        byte = b.at(at++);
        value |= static_cast<uint32_t>(byte & 0x7f) << shift;
        shift += 7;
    } while (byte & 0x80);
    if (shift < 32 && (byte & 0x40)) value |= ~uint32_t{0} << shift;
    return static_cast<int32_t>(value);
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

struct Section {
    size_t header;  // file offset of its header
    uint32_t va, virtualSize, rawSize, rawAt;
};

struct Cie {
    uint32_t codeAlign;
    int32_t dataAlign;
    uint32_t returnColumn;
    Bytes program;
    uint32_t personalityCell = 0;  // an address (image-relative), or 0
    bool lsdas = false;
};

struct Record {
    uint32_t start, length;  // image-relative
    uint32_t lsda;           // image-relative, or 0
    Bytes program;
    bool setUp, tearDown;
};

// The instructions of "push ebp; mov ebp, esp" with code alignment 1 and data alignment -4:
// at +1 the frame's address is esp + 8 and ebp is kept at -8 from it, at +3 it is ebp + 8.
const Bytes kSetUp = {0x41, 0x0e, 0x08, 0x85, 0x02, 0x42, 0x0d, 0x05};
// And of "leave": at +1 ebp is the caller's again and the frame's address is esp + 4.
const Bytes kTearDown = {0x41, 0xc5, 0x0c, 0x04, 0x04};

Bytes WithoutTrailingNops(Bytes program) {
    while (!program.empty() && program.back() == 0) program.pop_back();
    return program;
}

struct MapFacts {
    uint32_t begin = UINT32_MAX, end = 0;  // the output's .eh_frame
    // The handlers: the C one, which link-time optimisation gives some frames, only passes
    // its calls on to the C++ one (sys/win32/shipped_runtime.cpp).
    uint32_t cxxHandler = 0, cHandler = 0;
};

MapFacts ReadMap(const std::string& mapPath) {
    std::ifstream map(mapPath);
    if (!map) Fail("cannot read " + mapPath);
    const std::regex line(R"(^ \.eh_frame\s+0x([0-9a-fA-F]+)\s+0x([0-9a-fA-F]+)\s)");
    const std::regex handler(R"(^\s+0x([0-9a-fA-F]+)\s+__g(xx|cc)_personality_v0$)");
    MapFacts facts;
    uint32_t& begin = facts.begin;
    uint32_t& end = facts.end;
    for (std::string text; std::getline(map, text);) {
        std::smatch m;
        if (std::regex_search(text, m, handler)) {
            (m[2] == "xx" ? facts.cxxHandler : facts.cHandler) = static_cast<uint32_t>(std::stoul(m[1], nullptr, 16));
            continue;
        }
        if (!std::regex_search(text, m, line)) continue;
        const uint32_t at = static_cast<uint32_t>(std::stoul(m[1], nullptr, 16));
        const uint32_t size = static_cast<uint32_t>(std::stoul(m[2], nullptr, 16));
        if (at == 0 || size == 0) continue;  // left out of the link
        begin = std::min(begin, at);
        end = std::max(end, at + size);
    }
    if (begin >= end) Fail("no unwind records in " + mapPath);
    if (!facts.cxxHandler) Fail("no C++ handler in " + mapPath);
    return facts;
}

// Bytes of the PE checksum (the image's 16-bit sum with carries, plus its length).
uint32_t PeChecksum(const Bytes& b, size_t checksumAt) {
    uint64_t sum = 0;
    for (size_t i = 0; i + 1 < b.size() + 1; i += 2) {
        if (i == checksumAt || i == checksumAt + 2) continue;
        const uint32_t word = i + 1 < b.size() ? Get16(b, i) : b[i];
        sum += word;
        sum = (sum & 0xffff) + (sum >> 16);
    }
    sum = (sum & 0xffff) + (sum >> 16);
    return static_cast<uint32_t>(sum + b.size());
}

void Rewrite(const std::string& exePath, const std::string& mapPath) {
    Bytes b;
    {
        std::ifstream in(exePath, std::ios::binary);
        if (!in) Fail("cannot read " + exePath);
        b.assign(std::istreambuf_iterator<char>(in), {});
    }
    const size_t pe = Get32(b, 0x3c);
    if (Get32(b, pe) != 0x4550 || Get16(b, pe + 4) != 0x14c) Fail("not a 32-bit x86 program");
    const size_t opt = pe + 24;
    if (Get16(b, opt) != 0x10b) Fail("not a PE32 program");
    const uint32_t imageBase = Get32(b, opt + 28);
    const uint32_t fileAlign = Get32(b, opt + 36);
    const size_t checksumAt = opt + 64;
    if (Get32(b, opt + 96 + 4 * 8 + 4) != 0) Fail("a signed program");
    const uint32_t relocRva = Get32(b, opt + 96 + 5 * 8), relocSize = Get32(b, opt + 96 + 5 * 8 + 4);
    std::vector<Section> sections;
    const size_t table = opt + Get16(b, pe + 20);
    for (unsigned i = 0; i < Get16(b, pe + 6); ++i) {
        const size_t h = table + 40 * i;
        sections.push_back({h, Get32(b, h + 12), Get32(b, h + 8), Get32(b, h + 16), Get32(b, h + 20)});
    }
    const Section text = sections.at(0);
    const MapFacts facts = ReadMap(mapPath);
    const uint32_t begin = facts.begin - imageBase, end = facts.end - imageBase;  // image-relative
    if (begin < text.va || end != text.va + text.virtualSize || text.virtualSize > text.rawSize)
        Fail("the unwind records are not at the end of .text");
    const auto fileAt = [&](uint32_t rva) { return rva - text.va + text.rawAt; };

    // The records.
    std::map<uint32_t, Cie> cies;  // by image-relative address
    std::vector<Record> records;
    const Cie* shared = nullptr;
    uint32_t personalityCell = 0;
    for (uint32_t at = begin; at < end;) {
        const uint32_t length = Get32(b, fileAt(at));
        if (length == 0) {  // the end mark
            at += 4;
            continue;
        }
        if (length == 0xffffffff) Fail("a 64-bit record");
        const uint32_t next = at + 4 + length;
        const uint32_t id = Get32(b, fileAt(at + 4));
        size_t p = fileAt(at + 8);
        const size_t recordEnd = fileAt(next);
        if (id == 0) {
            Cie cie;
            const uint8_t version = b[p++];
            if (version != 1) Fail("a CIE of version " + std::to_string(version));
            const std::string augmentation(reinterpret_cast<const char*>(&b[p]));
            p += augmentation.size() + 1;
            cie.codeAlign = ReadUleb(b, p);
            cie.dataAlign = ReadSleb(b, p);
            cie.returnColumn = b[p++];
            if (augmentation.empty() || augmentation[0] != 'z') Fail("a CIE of augmentation \"" + augmentation + "\"");
            ReadUleb(b, p);
            for (char a : augmentation.substr(1)) {
                const uint8_t encoding = b[p++];
                if (a == 'R' || a == 'L') {
                    if (encoding != 0x1b) Fail("an address encoding other than pc-relative 4 bytes");
                    cie.lsdas |= a == 'L';
                } else if (a == 'P') {
                    if (encoding != 0x9b) Fail("a handler encoding other than indirect pc-relative 4 bytes");
                    const uint32_t cell = static_cast<uint32_t>(p - text.rawAt + text.va) + Get32(b, p);
                    cie.personalityCell = cell;
                    size_t cellAt = 0;
                    for (const Section& s : sections)
                        if (cell >= s.va && cell + 4 <= s.va + s.rawSize) cellAt = cell - s.va + s.rawAt;
                    if (!cellAt) Fail("a handler cell outside the file");
                    const uint32_t target = Get32(b, cellAt);
                    if (target == facts.cxxHandler) personalityCell = cell;
                    else if (target != facts.cHandler) Fail("a handler other than the C++ one");
                    else if (!personalityCell) personalityCell = cell;
                    p += 4;
                } else {
                    Fail(std::string("an augmentation letter ") + a);
                }
            }
            cie.program = WithoutTrailingNops(Bytes(b.begin() + static_cast<long>(p), b.begin() + static_cast<long>(recordEnd)));
            if (shared && (shared->codeAlign != cie.codeAlign || shared->dataAlign != cie.dataAlign ||
                           shared->returnColumn != cie.returnColumn || shared->program != cie.program))
                Fail("CIEs that differ in more than their handler");
            cies[at] = cie;
            shared = &cies[at];
        } else {
            const auto cie = cies.find(at + 4 - id);
            if (cie == cies.end()) Fail("a record without its CIE");
            const uint32_t startField = Get32(b, p);
            if (startField == 0) {  // code the link dropped
                at = next;
                continue;
            }
            Record record;
            record.start = static_cast<uint32_t>(p - text.rawAt + text.va) + startField;
            record.length = Get32(b, p + 4);
            p += 8;
            const uint32_t dataLength = ReadUleb(b, p);
            const size_t program = p + dataLength;
            record.lsda = 0;
            if (cie->second.lsdas) {
                const uint32_t field = Get32(b, p);
                if (field) record.lsda = static_cast<uint32_t>(p - text.rawAt + text.va) + field;
                if (record.lsda && !cie->second.personalityCell) Fail("a handler table without a handler");
            }
            record.program = WithoutTrailingNops(Bytes(b.begin() + static_cast<long>(program), b.begin() + static_cast<long>(recordEnd)));
            record.setUp = record.program.size() >= kSetUp.size() &&
                           std::equal(kSetUp.begin(), kSetUp.end(), record.program.begin());
            if (record.setUp) record.program.erase(record.program.begin(), record.program.begin() + kSetUp.size());
            record.tearDown = record.program.size() >= kTearDown.size() &&
                              std::equal(kTearDown.begin(), kTearDown.end(), record.program.end() - kTearDown.size());
            if (record.tearDown) record.program.resize(record.program.size() - kTearDown.size());
            records.push_back(std::move(record));
        }
        at = next;
    }
    if (!shared || records.empty()) Fail("no records");
    std::sort(records.begin(), records.end(), [](const Record& l, const Record& r) { return l.start < r.start; });

    // The table: the header, the records, the pool.
    using zov::runtime::kUnwindTableHeader;
    Bytes head(kUnwindTableHeader);
    Put32(head, 0, zov::runtime::kUnwindTableMagic);
    Put32(head, 4, personalityCell ? personalityCell - begin : 0);
    Put32(head, 8, static_cast<uint32_t>(records.size()));
    Put32(head, 16, records.front().start - begin);
    if (shared->codeAlign > 255 || shared->dataAlign < -128 || shared->dataAlign > 127 || shared->returnColumn > 255 ||
        shared->program.size() > 255)
        Fail("a CIE the table cannot hold");
    head[20] = static_cast<uint8_t>(shared->codeAlign);
    head[21] = static_cast<uint8_t>(shared->dataAlign);
    head[22] = static_cast<uint8_t>(shared->returnColumn);
    head[23] = static_cast<uint8_t>(shared->program.size());
    head.insert(head.end(), shared->program.begin(), shared->program.end());
    head.push_back(static_cast<uint8_t>(kSetUp.size()));
    head.insert(head.end(), kSetUp.begin(), kSetUp.end());
    head.push_back(static_cast<uint8_t>(kTearDown.size()));
    head.insert(head.end(), kTearDown.begin(), kTearDown.end());
    Bytes list, pool;
    std::map<std::string, uint32_t> pooled;  // by the instructions' bytes
    uint32_t previousEnd = records.front().start, previousLsda = begin;
    for (const Record& r : records) {
        if (r.start < previousEnd) Fail("records whose code overlaps");
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
    Bytes compact = head;
    compact.insert(compact.end(), list.begin(), list.end());
    compact.insert(compact.end(), pool.begin(), pool.end());
    if (compact.size() > end - begin) Fail("a table larger than the records");

    // No relocation may point into the records: the table does not keep their places.
    if (relocSize) {
        size_t r = 0;
        for (const Section& s : sections)
            if (relocRva >= s.va && relocRva < s.va + s.rawSize) r = relocRva - s.va + s.rawAt;
        for (size_t block = r; block < r + relocSize;) {
            const uint32_t page = Get32(b, block), size = Get32(b, block + 4);
            if (size < 8) Fail("a damaged relocation block");
            for (size_t e = block + 8; e < block + size; e += 2) {
                const uint16_t entry = Get16(b, e);
                const uint32_t rva = page + (entry & 0xfff);
                if (entry >> 12 && rva >= begin && rva < end) Fail("a relocation inside the unwind records");
            }
            block += size;
        }
    }

    // The table over the records, and .text's file part ending after it.
    std::fill(b.begin() + static_cast<long>(fileAt(begin)), b.begin() + static_cast<long>(text.rawAt + text.rawSize), 0);
    std::copy(compact.begin(), compact.end(), b.begin() + static_cast<long>(fileAt(begin)));
    const uint32_t used = begin - text.va + static_cast<uint32_t>(compact.size());
    const uint32_t rawSize = (used + fileAlign - 1) / fileAlign * fileAlign;
    const uint32_t saved = text.rawSize - rawSize;
    const size_t cut = text.rawAt + rawSize;
    b.erase(b.begin() + static_cast<long>(cut), b.begin() + static_cast<long>(cut + saved));
    Put32(b, text.header + 16, rawSize);
    for (const Section& s : sections)
        if (s.rawAt > text.rawAt && s.rawAt) Put32(b, s.header + 20, s.rawAt - saved);
    Put32(b, opt + 4, Get32(b, opt + 4) - saved);  // SizeOfCode
    if (Get32(b, checksumAt)) Put32(b, checksumAt, PeChecksum(b, checksumAt));

    std::ofstream outFile(exePath, std::ios::binary | std::ios::trunc);
    outFile.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    if (!outFile) Fail("cannot write " + exePath);
    std::printf("%s: %zu records, %u bytes of unwind records as a table of %zu (%u bytes less)\n", exePath.c_str(),
                records.size(), end - begin, compact.size(), saved);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: unwind_table PROGRAM.exe PROGRAM.map\n");
        return 2;
    }
    try {
        Rewrite(argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "unwind_table: %s: %s\n", argv[1], e.what());
        return 1;
    }
    return 0;
}
