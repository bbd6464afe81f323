#include "tools/zovpack/output_file.h"

#include <filesystem>

#include "sys/system.h"

namespace zov::zovpack {

std::string PartialName(const std::string& path) { return path + ".zovpart"; }

void ReplaceFile(const std::string& from, const std::string& path) {
    std::error_code ec;
    std::filesystem::rename(from, path, ec);
    if (ec) {  // some systems do not replace an existing file by renaming
        sys::Sys().DeleteFile(path);
        std::filesystem::rename(from, path, ec);
    }
    if (ec) throw EWriteError("Cannot rename " + from + " to " + path + ": " + ec.message());
}

OutputFile::OutputFile(const std::string& path)
    : path_(path), temp_(PartialName(path)), stream_(TFileStream::Create(temp_)) {}

OutputFile::~OutputFile() {
    if (!stream_) return;
    stream_.reset();
    sys::Sys().DeleteFile(temp_);
}

void OutputFile::Commit() {
    stream_.reset();
    ReplaceFile(temp_, path_);
}

}  // namespace zov::zovpack
