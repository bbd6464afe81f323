#pragma once
// Open files of the emulated machine. Every open handle is registered with its access and
// share mode, so that a later open is refused as Windows refuses it: it must allow what
// the open handles do, and they must allow what it asks for. Faults that tests inject
// (disk full, read errors) act on the handles.
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "sys/system.h"

namespace zov::sys::emu {

struct MachineState {
    struct Handle {
        FileAccess access;
        FileShare share;
    };
    using FileId = std::pair<dev_t, ino_t>;

    // False when an open with this access and share mode would violate an open handle's.
    bool MayOpen(const FileId& id, FileAccess access, FileShare share) const;
    bool IsOpen(const FileId& id) const { return open.count(id) != 0; }

    std::multimap<FileId, const Handle*> open;
    std::optional<uint64_t> writeBudget;  // bytes that still fit on the disk
    uint32_t lastError = 0;               // the Windows error code of the last failure
};

// Takes ownership of `fd`, an open file descriptor of the file `id`.
std::unique_ptr<File> MakeEmuFile(int fd, MachineState::FileId id, FileAccess access,
                                  FileShare share, std::shared_ptr<MachineState> state,
                                  bool failReads);

// A handle of the NUL device: writes vanish, reads find the end at once.
std::unique_ptr<File> MakeNullDeviceFile();

}  // namespace zov::sys::emu
