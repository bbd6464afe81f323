// Writes the raw compressed stream of the first -lh5- member of an LHA archive to a file
// and prints its original size and CRC-16, so that the stream can be decoded on its own.
//   lha_raw ARCHIVE OUT
#include <cstdio>
#include <fstream>

#include "tests/support/lha_reader.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: lha_raw ARCHIVE OUT\n");
        return 2;
    }
    try {
        const std::vector<uint8_t> archive = zov::test::ReadWholeFile(argv[1]);
        for (const zov::test::LhaMember& m : zov::test::ReadLhaMembers(archive)) {
            if (m.method != "-lh5-") continue;
            const std::vector<uint8_t> data = zov::test::LhaMemberData(archive, m);
            std::ofstream(argv[2], std::ios::binary)
                .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
            std::printf("%u %04x\n", m.originalSize, m.crc);
            return 0;
        }
        std::fprintf(stderr, "lha_raw: no -lh5- member in %s\n", argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lha_raw: %s\n", e.what());
    }
    return 1;
}
