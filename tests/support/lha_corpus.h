#pragma once
// The archives other LHA programs wrote, kept beside the project (ZOV_SHARED_DIR/corpus/lha):
// optional material, which a clone of the repository alone does not have. The tests that
// read it skip, saying where they looked, when it is not there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace zov::test {

// ZOV_SHARED_DIR from the environment, else as the build was configured.
inline std::filesystem::path LhaCorpusDir() {
    const char* shared = std::getenv("ZOV_SHARED_DIR");
    std::string dir = (shared && *shared ? std::string(shared) : std::string(ZOV_SHARED_DIR)) + "/corpus/lha";
#ifdef _WIN32
    if (!dir.empty() && dir[0] == '/') dir = "Z:" + dir;  // the host's root under Wine
#endif
    return std::filesystem::path(dir).lexically_normal();
}

}  // namespace zov::test

// Declares `dir` as the corpus folder, or skips the test with one line saying why.
#define ZOV_LHA_CORPUS_OR_SKIP(dir)                                                                \
    const std::filesystem::path dir = ::zov::test::LhaCorpusDir();                                 \
    if (!std::filesystem::is_directory(dir))                                                       \
    GTEST_SKIP() << "LHA corpus not found at " << dir.string() << ": skipped; set ZOV_SHARED_DIR to run it"
