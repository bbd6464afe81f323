#pragma once
// Batch and text files as lists of lines, as the setup reads and writes autoexec.bat.
#include <string>
#include <vector>

namespace zov {

// CR LF, LF or CR end a line; empty when the file cannot be read.
std::vector<std::string> ReadTextLines(const std::string& path);
// The same, false when the file cannot be opened or read (the reason is in LastError).
bool ReadTextLines(const std::string& path, std::vector<std::string>& lines);
// Where the last run of `block` starts in `lines`, npos when it is not there. Lines compare
// without regard to case, to the blanks around them and to quotes around the whole line,
// which the profile functions that keep a recorded copy drop.
size_t FindLineBlock(const std::vector<std::string>& lines, const std::vector<std::string>& block);
// Each line ended by CR LF, written as NAME.$$$ beside the file and moved over it. Raises
// EFCreateError or EWriteError with the system's reason; the file is then as it was.
void SaveTextLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace zov
