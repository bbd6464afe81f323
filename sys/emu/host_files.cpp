#include "sys/emu/host_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace zov::sys::emu {
namespace fs = std::filesystem;

std::vector<fs::path> FolderEntries(const fs::path& dir) {
    std::vector<fs::path> entries;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(it->path());
    return entries;
}

std::optional<std::string> ReadHostFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return text.str();
}

namespace {

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool ReplaceHostFile(const fs::path& file, const std::string& bytes) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(file, ec);
    if (fs::exists(status) && !fs::is_regular_file(status)) return false;  // a device or a link
    const fs::path fresh = file.string() + ".new-" + std::to_string(::getpid());
    const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || std::rename(fresh.c_str(), file.c_str()) != 0) {
        ::unlink(fresh.c_str());
        return false;
    }
    return true;
}

}  // namespace zov::sys::emu
