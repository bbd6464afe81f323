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

}  // namespace zov::segment
