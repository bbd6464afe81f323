// Rewrites the unwind records (.eh_frame) of a program on the medium, after its link, as the
// compact table of sys/win32/unwind_table.h (unwind_records.cpp), and gives the bytes it
// saves back to the file:
//   unwind_table PROGRAM.exe PROGRAM.map
// The records lie at the end of the program's .text (cmake/shipped.ld), and the start-up code
// registers their start, where the table goes. The section keeps its size in memory, where
// Windows fills what the file no longer holds with zeros; the sections after it move up in
// the file. Anything the table cannot say or the run-time cannot run stops the build with a
// message.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/unwind_table/unwind_records.h"

namespace {

using zov::unwind_table::Bytes;

[[noreturn]] void Fail(const std::string& why) { throw zov::unwind_table::Refusal(why); }

uint32_t Get32(const Bytes& b, size_t at) {
    if (at + 4 > b.size()) Fail("a read past the end of the program");
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t Get16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

struct Section {
    size_t header;  // file offset of its header
    uint32_t va, virtualSize, rawSize, rawAt;
};

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

    zov::unwind_table::Handlers handlers;
    handlers.cxx = facts.cxxHandler;
    handlers.c = facts.cHandler;
    handlers.cellTarget = [&](uint32_t cell) {
        for (const Section& s : sections)
            if (cell >= s.va && cell + 4 <= s.va + s.rawSize) return Get32(b, cell - s.va + s.rawAt);
        Fail("a handler cell outside the file");
    };
    const Bytes records(b.begin() + static_cast<long>(fileAt(begin)), b.begin() + static_cast<long>(fileAt(end)));
    const zov::unwind_table::Records read = zov::unwind_table::ReadRecords(records, begin, handlers);
    const Bytes compact = zov::unwind_table::MakeTable(read, begin);
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
                read.records.size(), end - begin, compact.size(), saved);
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
