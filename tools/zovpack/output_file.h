#pragma once
// An output file that appears under its name only when it is complete: it is written under
// a temporary name beside the final one and renamed by Commit; otherwise it is deleted.
#include <memory>
#include <string>

#include "sys/stream.h"

namespace zov::zovpack {

class OutputFile {
public:
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    TFileStream& Stream() { return *stream_; }
    void Commit();

private:
    std::string path_, temp_;
    std::unique_ptr<TFileStream> stream_;
};

// The name a file is written under until it is complete.
std::string PartialName(const std::string& path);
// Replaces `path` by the file `from` (both system paths).
void ReplaceFile(const std::string& from, const std::string& path);

}  // namespace zov::zovpack
