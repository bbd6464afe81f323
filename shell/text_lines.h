#pragma once
// Batch and text files as lists of lines, as the setup reads and writes autoexec.bat.
#include <string>
#include <vector>

namespace zov {

// CR LF, LF or CR end a line; empty when the file cannot be read.
std::vector<std::string> ReadTextLines(const std::string& path);
// Each line ended by CR LF. Raises EFCreateError or EWriteError with the system's reason.
void SaveTextLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace zov
