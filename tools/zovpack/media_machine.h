#pragma once
// Paths for the segment reader. It lower-cases the folders it is given, as Windows may;
// host paths on Linux cannot take that. There the reader is given "h:\..." paths for host
// files, and a system that maps them back onto the host, finding each existing name
// without regard to case, is installed for the run; no link to the host's root is made.
// On Windows the real system is used as it is.
#include <memory>
#include <string>

#include "sys/system.h"

namespace zov::zovpack {

class ReaderMachine {
public:
    ReaderMachine();   // installs its system, if it has one of its own
    ~ReaderMachine();  // gives back the system before it and removes its scratch folders
    ReaderMachine(const ReaderMachine&) = delete;
    ReaderMachine& operator=(const ReaderMachine&) = delete;

    // The reader's path for a path the tool was given (after ToolPath).
    std::string Path(const std::string& toolPath) const;
    // A fresh, empty folder for this run (a reader path), removed at the end with all it holds.
    std::string NewScratchFolder();
    // A message with the reader's paths written as the user knows them.
    std::string UserText(const std::string& text) const;
    // Removes the scratch folders now (also done by the destructor).
    void RemoveScratch();

private:
    sys::System* previous_;
    std::unique_ptr<sys::System> own_;
    std::string scratchBase_;  // a reader path
    int scratchCount_ = 0;
};

// "zovpack-" and the process's number: names of this run's scratch folders.
std::string ProcessTag();

// Removes a folder with everything below it, through the system interface.
void RemoveTree(const std::string& dir);

}  // namespace zov::zovpack
