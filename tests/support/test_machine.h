#pragma once
// A scratch Windows machine for one test: on the host build a fresh emulated machine in a
// temporary folder, on Windows the real system with a fresh scratch directory. Tests written
// against it run unchanged on both, which keeps the emulation equal to Windows.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sys/system.h"

namespace zov::test {

class TestMachine {
public:
    TestMachine();
    ~TestMachine();
    TestMachine(const TestMachine&) = delete;
    TestMachine& operator=(const TestMachine&) = delete;

    sys::System& System() { return *system_; }
    // A fresh, empty directory for this test, as a full Windows path without trailing "\".
    const std::string& Dir() const { return dir_; }
    std::string Path(const std::string& name) const { return dir_ + "\\" + name; }

    // Whole-file helpers through the system interface.
    void WriteFile(const std::string& path, const std::string& bytes);
    std::string ReadFile(const std::string& path);
    bool Exists(const std::string& path);

    static bool IsEmulated();

private:
    std::unique_ptr<sys::System> owned_;
    sys::System* system_ = nullptr;
    std::string dir_;
    std::string startDir_;  // the current directory is put back at the end
    std::string hostRoot_;  // emulated machine's folder, removed at the end
};

}  // namespace zov::test
