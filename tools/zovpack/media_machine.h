#pragma once
// Paths for the segment reader. It lower-cases the folders it is given, as Windows may;
// host paths on Linux cannot take that. There the reading commands run on an emulated
// machine of their own whose drive H: is the host's root, and give the reader "H:\..."
// paths. On Windows the real system is used as it is.
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

private:
    sys::System* previous_;
    std::unique_ptr<sys::System> own_;
    std::string hostRoot_;
    std::string scratchBase_;
    int scratchCount_ = 0;
};

// Removes a folder with everything below it, through the system interface.
void RemoveTree(const std::string& dir);

}  // namespace zov::zovpack
