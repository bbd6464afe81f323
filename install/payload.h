#pragma once
// The steps of a setup run that the windows and the unattended setup share: the paths
// fixed at start, and the expansion of the medium's segments flat into TempDir.
#include <cstdint>
#include <string>

#include "install/setup_config.h"
#include "segment/Segment.h"

namespace zov {

// SourceDir (the current directory, with "\"), WindowsRoot and TempDir.
void FixStartupPaths(TSetupSettings& settings);

// The destination the wizard proposes: the folder of an earlier install of the product
// `title`, else "Install Dir" (in Program Files when "Add to Program Files" says so).
std::string DefaultDestination(const TSetupSettings& settings, const std::string& title);

// Points the component at the medium of the product `title`: segments disk.001, ... in
// SourceDir, its scratch files in the Windows directory's temp, the files into TempDir;
// makes both directories.
void ConfigureExpansion(segment::TSegCompEZ& component, const TSetupSettings& settings, const std::string& title);

// The segment file the component asks for next.
std::string SegmentFileFor(const TSetupSettings& settings, const std::string& baseName, uint16_t number);

// Asks for the disk while its segment file is missing, twice at most; after that the
// component checks the file itself and offers retry or cancel. Cancel cancels the
// component's run: the disk is missing.
void PromptForSegment(segment::TSegCompress& component, const std::string& segmentPath, uint16_t number);

// Where an expanded file goes: its name alone, in TempDir.
std::string FlatTarget(const std::string& storedPath, const TSetupSettings& settings);

// What follows "Error Expanding Files!!": the disk being read, the file being expanded
// (when one was) and the reason, one per line ("\r").
std::string ExpansionFailure(const std::string& segmentPath, const std::string& file, const std::string& reason);

// Deletes TempDir and, when it may, the setup's own files in the setup directory given on
// the command line (install.exe, install.cfg and the segments it names), then that directory
// if nothing else is left in it (leaving it as current directory first).
void RemoveSetupDirectories(TSetupSettings& settings);

}  // namespace zov
