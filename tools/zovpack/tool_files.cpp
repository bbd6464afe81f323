#include "tools/zovpack/tool_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "sys/stream.h"
#include "sys/system.h"

namespace zov::zovpack {

void RequireRegularFile(const std::string& toolPath, const std::string& argument) {
#ifdef _WIN32
    const uint32_t attributes = sys::Sys().GetFileAttributes(toolPath);
    if (attributes == sys::kInvalidAttributes) throw EToolFile(sys::FailureText(Printable(argument)));
    if (attributes & sys::kAttrDirectory) throw EToolFile(Printable(argument) + ": not a regular file");
#else
    struct stat st {};
    if (::stat(toolPath.c_str(), &st) != 0)
        throw EToolFile(Printable(argument) + ": " + std::strerror(errno));
    if (!S_ISREG(st.st_mode)) throw EToolFile(Printable(argument) + ": not a regular file");
#endif
}

std::string ReadToolFile(const std::string& toolPath) {
    auto in = TFileStream::OpenRead(toolPath);
    std::string bytes(static_cast<size_t>(in->Size()), '\0');
    if (!bytes.empty()) in->ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    return bytes;
}

void RethrowNamingFile(const std::string& path) {
    try {
        throw;
    } catch (const EWriteError&) {
        throw EWriteError(sys::FailureText(Printable(path)));
    } catch (const EReadError&) {
        throw EReadError(sys::FailureText(Printable(path)));
    } catch (const EFCreateError&) {
        throw EFCreateError(sys::FailureText(Printable(path)));
    } catch (const EFOpenError&) {
        throw EFOpenError(sys::FailureText(Printable(path)));
    }
}

std::string Printable(const std::string& name) {
    std::string out;
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", b);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace zov::zovpack
