#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>

#include "sys/emu/emulated_system.h"
#endif

namespace zov::test {
namespace {

std::string UniqueName() {
    static std::atomic<int> counter{0};
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "_" + info->name() : "t";
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
#ifdef _WIN32
    // Process ids repeat from one Wine session to the next; the clock tells the runs apart.
    const long long pid = ::_getpid() * 1000000LL +
                          std::chrono::system_clock::now().time_since_epoch().count() % 1000000;
#else
    const long long pid = ::getpid();
#endif
    return name + "_" + std::to_string(pid) + "_" + std::to_string(counter++);
}

void RemoveTree(sys::System& os, const std::string& dir) {
    std::vector<sys::FindEntry> entries;
    if (os.FindFiles(dir + "\\*.*", true, entries)) {
        for (const auto& e : entries) {
            if (e.name == "." || e.name == "..") continue;
            const std::string p = dir + "\\" + e.name;
            if (e.attributes & sys::kAttrDirectory) {
                RemoveTree(os, p);
            } else {
                os.SetFileAttributes(p, sys::kAttrNormal);
                os.DeleteFile(p);
            }
        }
    }
    os.SetFileAttributes(dir, sys::kAttrNormal);
    os.RemoveDirectory(dir);
}

}  // namespace

bool TestMachine::IsEmulated() {
#ifdef _WIN32
    return false;
#else
    return true;
#endif
}

TestMachine::TestMachine() {
#ifdef _WIN32
    owned_ = sys::MakeDefaultSystem();
    system_ = owned_.get();
    const char* tmp = std::getenv("TEMP");
    std::string base = tmp ? tmp : "C:\\windows\\temp";
    dir_ = base + "\\zovtest_" + UniqueName();
#else
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("zov-machine-" + UniqueName());
    std::filesystem::remove_all(root);
    hostRoot_ = root.string();
    owned_ = std::make_unique<sys::emu::EmulatedSystem>(root);
    system_ = owned_.get();
    dir_ = "C:\\zovtest";
#endif
    sys::SetSystem(system_);
    startDir_ = system_->GetCurrentDirectory();
    if (!system_->CreateDirectory(dir_)) throw std::runtime_error("cannot create " + dir_);
}

TestMachine::~TestMachine() {
    system_->SetCurrentDirectory(startDir_);
    RemoveTree(*system_, dir_);
    // A program a test started may still hold the folder as its current directory.
    for (int tries = 0; tries < 50 && Exists(dir_); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        RemoveTree(*system_, dir_);
    }
    sys::SetSystem(nullptr);
#ifndef _WIN32
    std::error_code ec;
    std::filesystem::remove_all(hostRoot_, ec);
#endif
}

void TestMachine::WriteFile(const std::string& path, const std::string& bytes) {
    auto f = system_->OpenFile(path, sys::FileAccess::Write, sys::FileCreate::CreateAlways,
                               sys::FileShare::DenyWrite);
    if (!f) throw std::runtime_error("cannot create " + path);
    uint32_t done = 0;
    if (!f->Write(bytes.data(), static_cast<uint32_t>(bytes.size()), done) || done != bytes.size())
        throw std::runtime_error("cannot write " + path);
}

std::string TestMachine::ReadFile(const std::string& path) {
    auto f = system_->OpenFile(path, sys::FileAccess::Read, sys::FileCreate::OpenExisting,
                               sys::FileShare::DenyNone);
    if (!f) throw std::runtime_error("cannot open " + path);
    std::string out(static_cast<size_t>(f->Size()), '\0');
    uint32_t done = 0;
    if (!f->Read(out.data(), static_cast<uint32_t>(out.size()), done) || done != out.size())
        throw std::runtime_error("cannot read " + path);
    return out;
}

bool TestMachine::Exists(const std::string& path) {
    return system_->GetFileAttributes(path) != sys::kInvalidAttributes;
}

}  // namespace zov::test
