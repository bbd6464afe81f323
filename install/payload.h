#pragma once
// The steps of a setup run that the windows and the unattended setup share: the paths
// fixed at start, and the expansion of the medium's segments flat into TempDir.
#include <cstdint>
#include <string>

#include "install/setup_config.h"
#include "install/setup_prompts.h"
#include "install/wizard/install_engine.h"
#include "segment/Segment.h"

namespace zov {

// SourceDir (the current directory, with "\"; the folder of `programPath` when install.cfg
// lies there and not here), WindowsRoot and TempDir.
void FixStartupPaths(TSetupSettings& settings, const std::string& programPath);

// The destination the wizard proposes: the folder of an earlier install of the product
// `title`, else "Install Dir" (in Program Files when "Add to Program Files" says so).
std::string DefaultDestination(const TSetupSettings& settings, const std::string& title);

// The segment file the component asks for next.
std::string SegmentFileFor(const TSetupSettings& settings, const std::string& baseName, uint16_t number);

// Where an expanded file goes: its name alone, in TempDir.
std::string FlatTarget(const std::string& storedPath, const TSetupSettings& settings);

// What a front end shows while the payload is expanded.
class TPayloadView {
public:
    virtual ~TPayloadView() = default;
    // Segment 1 is mounted: `steps` are the copies of install.exe and install.cfg and the
    // payload's files to come.
    virtual void Begin(int steps) { (void)steps; }
    // One step is done: a copy (`target` empty), or a payload file about to be written.
    virtual void Step(const std::string& target) { (void)target; }
    // Reported while a file is expanded; -1 stops the run (the user aborted).
    virtual void Progress(int32_t& percentage) { (void)percentage; }
};

enum class TPayloadEnd { Expanded, Cancelled, Failed };

struct TPayloadOutcome {
    TPayloadEnd End = TPayloadEnd::Expanded;
    // Cancelled: the disk the prompts declined ("disk 2 (A:\disk.002) is missing", what is
    // wrong with it). Failed: what follows "Error Expanding Files!!": the disk being read,
    // the file being expanded (when one was) and the reason, one per line ("\r").
    std::string Reason;
    sys::Failure Failure;  // code, path and reason of what failed or was declined
};

// The one expansion of the payload, for the preparation window and the unattended setup:
// segments disk.001, ... from SourceDir through the component, install.exe and install.cfg
// copied first, every file flat into TempDir. A file that cannot be written there stops it.
// `prompts` is asked for disks; what failed is logged with its code, path and reason.
TPayloadOutcome ExpandPayload(segment::TSegCompEZ& component, const TSetupSettings& settings,
                              const std::string& title, TSetupPrompts& prompts, TPayloadView& view,
                              TInstallLog* log);

// Whether the setup's files may be deleted from the directory given on the command line at
// exit: it holds the setup's install.cfg and is no place the system shares (a drive root,
// the Windows directory, ...).
bool SafeToEmptyStartDir(const std::string& dir);

// Deletes TempDir and, when it may, the setup's own files in the setup directory given on
// the command line (install.exe, install.cfg and the segments it names), then that directory
// if nothing else is left in it (leaving it as current directory first).
void RemoveSetupDirectories(TSetupSettings& settings);

}  // namespace zov
