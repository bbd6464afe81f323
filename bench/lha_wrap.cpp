// Wraps a raw -lh5- stream in a one-member LHA archive, so that other LHA programs can
// extract it; the member is named after the original file, which gives its size and CRC-16.
//   lha_wrap ORIGINAL STREAM OUT
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/support/lha_reader.h"
#include "tests/support/lha_writer.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: lha_wrap ORIGINAL STREAM OUT\n");
        return 2;
    }
    try {
        const std::vector<uint8_t> archive = zov::test::WrapLhaMember(
            "-lh5-", zov::test::ReadWholeFile(argv[2]), zov::test::ReadWholeFile(argv[1]), 2,
            std::filesystem::path(argv[1]).filename().string());
        std::ofstream(argv[3], std::ios::binary)
            .write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lha_wrap: %s\n", e.what());
    }
    return 1;
}
