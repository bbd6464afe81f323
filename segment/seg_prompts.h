#pragma once
// What the segment reader asks when a segment cannot be used: the reader decides nothing
// itself, its caller's prompts choose whether to look again or stop. The setup's windows
// ask the user, the unattended setup and the builder's tool answer on their own.
#include <cstdint>
#include <string>

namespace zov::segment {

class TDiskPrompts {
public:
    virtual ~TDiskPrompts() = default;
    // Disk `number` is needed and its segment `path` is missing. `dir` is the directory
    // the reader looks in; the answer may change it (a typed path). False stops the run.
    virtual bool InsertDisk(uint16_t number, const std::string& path, std::string& dir) = 0;
    // The segment is there but cannot be used: `problem` says what is wrong with it (another
    // disk, damaged, unreadable), naming it. True looks again, false stops the run.
    virtual bool RetryDisk(uint16_t number, const std::string& problem) = 0;
    // Lets pending window messages run during long reads.
    virtual void Pump() {}
};

// The boxes a window shows for these questions: a missing segment file, and a segment that
// cannot be used with what to do about it. A disk that is damaged or unreadable names itself
// ("Disk #2 (disk.002) ...") and wants a good copy; another disk says which one to insert.
inline std::string MissingSegmentText(const std::string& fileName) {
    return "Unable to locate \"" + fileName + "\" on this segment!\n\rCorrect and then press OK, or Cancel to abort";
}
inline std::string RetryDiskText(const std::string& problem) {
    return problem + "\n\r" +
           (problem.rfind("Disk #", 0) == 0                  ? "Insert a good copy and then press OK, or Cancel to abort"
            : problem.find("; insert ") != std::string::npos ? "Then press OK, or Cancel to abort"
                                                             : "Correct and then press OK, or Cancel to abort");
}

// For a reader nobody can hand another disk to (the builder's tool, a fuzz target): every
// disk that is missing or cannot be used stops the run, which then raises what was wrong.
class TNoDiskPrompts : public TDiskPrompts {
public:
    bool InsertDisk(uint16_t, const std::string&, std::string&) override { return false; }
    bool RetryDisk(uint16_t, const std::string&) override { return false; }
};

}  // namespace zov::segment
