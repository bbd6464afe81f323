// zovpack list / test / extract / create: archives of the container format.
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "compress/Compress.h"
#include "compress/archive_paths.h"
#include "compress/archive_writer.h"
#include "sys/system.h"
#include "tools/zovpack/commands.h"
#include "tools/zovpack/host_paths.h"
#include "tools/zovpack/output_file.h"
#include "tools/zovpack/progress_bar.h"
#include "tools/zovpack/tool_files.h"
#include "tools/zovpack/tool_options.h"

namespace zov::zovpack {
namespace {

using namespace zov::compress;

std::string MethodText(uint8_t method) {
    return method < kMethodCount ? std::string(kMethodIDs[method]) : "#" + std::to_string(method);
}

std::string DosTimeText(uint32_t dos) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", 1980 + (dos >> 25), (dos >> 21) & 15,
                  (dos >> 16) & 31, (dos >> 11) & 31, (dos >> 5) & 63);
    return text;
}

// The system's path for a target path the container built with "\" separators.
std::string SystemPath(std::string path) {
#ifndef _WIN32
    for (char& c : path)
        if (c == '\\') c = '/';
#endif
    return path;
}

// Raised when the entries found add up to less than the archive header's total.
ZOV_EXCEPTION(EArchiveShort);

// Walks an archive as the expansion does, but hands each entry's data to a caller's sink.
// It stops where ExpandArchive stops, so that every command sees the same entries, and
// unlike the container it insists on finding every byte the header's total counts.
class ArchiveWalker : public TCompress {
public:
    struct Entry {
        std::string name;
        TFileHeader header;
    };
    using Visit = std::function<void(const Entry&, TStream& archive)>;

    // Returns the archive header; `argument` is how the user named the file.
    TArchiveHeader Walk(const std::string& path, const std::string& argument, const Visit& visit) {
        RequireRegularFile(path, argument);
        auto archive = TFileStream::OpenRead(path, sys::FileShare::DenyWrite);
        const int64_t size = archive->Size();
        if (size < static_cast<int64_t>(kArchiveHeaderSize))
            throw EToolFile(Printable(argument) + ": not an archive (" + std::to_string(size) +
                            " bytes, shorter than an archive header)");
        const TArchiveHeader header = ReadArchiveHeader(*archive);
        Entry e;
        int64_t found = 0;
        while (ReadFileHeader(*archive, e.header, e.name)) {
            if (PastHeaderTotal(header, found, e.header)) break;
            const int64_t dataEnd = archive->Position() + e.header.CompressedSize;
            if (dataEnd > size) break;  // the entry's data are cut
            visit(e, *archive);
            found += e.header.UncompressedSize;
            archive->SetPosition(dataEnd);
        }
        if (found < header.TotalSize)
            throw EArchiveShort("archive ends early: " + std::to_string(found) + " of " +
                                std::to_string(header.TotalSize) + " bytes");
        return header;
    }
    // Expands one entry into `sink` and checks its sum and key.
    void Check(TStream& archive, TStream& sink, const TFileHeader& header) {
        ExpandEntry(archive, sink, header);
    }
};

// Counts what a codec writes and keeps none of it.
class NullStream : public TStream {
public:
    int32_t Read(void*, int32_t) override { return 0; }
    int32_t Write(const void*, int32_t count) override {
        size_ += count;
        return count;
    }
    int64_t Seek(int64_t, sys::SeekOrigin) override { return size_; }
    int64_t Size() override { return size_; }

private:
    int64_t size_ = 0;
};

void RemovePartial(const std::string& partial) {
    if (partial.empty()) return;
    sys::Sys().SetFileAttributes(partial, sys::kAttrNormal);
    sys::Sys().DeleteFile(partial);
}

int32_t KeyOption(const ParsedArgs& p) { return p.Has("--key") ? ParseKey(p.Get("--key")) : 0; }

// A stored name from a command-line path: "\" between parts, no drive, no leading "\".
std::string StoredNameFor(const std::string& argument) {
    std::string name = argument;
    for (char& c : name)
        if (c == '/') c = '\\';
    if (name.size() >= 2 && name[1] == ':') name.erase(0, 2);
    while (!name.empty() && name[0] == '\\') name.erase(0, 1);
    while (name.rfind(".\\", 0) == 0) name.erase(0, 2);
    if (name.empty() || ClimbsOutOfDirectory(name))
        throw EUsage("cannot store '" + argument + "' under a name inside the archive; " +
                     "give files from the current directory or below it");
    return name;
}

}  // namespace

int CmdList(const Args& args) {
    const ParsedArgs p = ParseArgs(args, {});
    if (p.positional.size() != 1) throw EUsage("wrong arguments");
    ArchiveWalker walker;
    walker.OnRecognize = [](const std::string&, bool& ok) { ok = true; };
    // Printed only once the whole archive has been walked: a failure shows no table.
    std::string table;
    char line[512];
    std::snprintf(line, sizeof line, "%10s %10s %-6s %-8s %-4s %-16s ", "Size", "Packed", "Method",
                  "Checksum", "Lock", "Date");
    table += std::string(line) + "Name\n";
    int count = 0;
    int64_t total = 0;
    const TArchiveHeader header = walker.Walk(
        ToolPath(p.positional[0]), p.positional[0], [&](const ArchiveWalker::Entry& e, TStream&) {
            const TFileHeader& h = e.header;
            std::snprintf(line, sizeof line, "%10d %10d %-6s %08X %-4d %-16s ", h.UncompressedSize,
                          h.CompressedSize, MethodText(h.Method).c_str(), h.Checksum, h.LockMode,
                          DosTimeText(h.DosDateTime).c_str());
            table += line + Printable(e.name) + "\n";
            ++count;
            total += h.UncompressedSize;
        });
    std::fputs(table.c_str(), stdout);
    std::printf("%d entries, %lld bytes; archive method %s, header total %d, key mode %d\n", count,
                static_cast<long long>(total), header.MethodIDText().c_str(), header.TotalSize,
                header.KeyMode);
    return 0;
}

int CmdTest(const Args& args) {
    const ParsedArgs p = ParseArgs(args, {"--key"});
    if (p.positional.size() != 1) throw EUsage("wrong arguments");
    ArchiveWalker walker;
    walker.Key = KeyOption(p);
    ProgressBar bar;
    std::string current;
    walker.OnShowProgress = [&](int32_t& percent) { bar.Show(percent, current); };
    int failed = 0, passed = 0;
    walker.Walk(ToolPath(p.positional[0]), p.positional[0], [&](const ArchiveWalker::Entry& e, TStream& archive) {
        current = Printable(e.name);
        NullStream sink;
        try {
            walker.Check(archive, sink, e.header);
            ++passed;
        } catch (const Exception& ex) {
            bar.Clear();
            std::printf("FAILED %s: %s\n", current.c_str(), ex.what());
            ++failed;
        }
    });
    bar.Clear();
    std::printf("%d entries good, %d bad\n", passed, failed);
    if (failed) std::fprintf(stderr, "zovpack test: %d entries failed\n", failed);
    return failed ? 1 : 0;
}

int CmdExtract(const Args& args) {
    const ParsedArgs p = ParseArgs(args, {"-d", "--key"});
    if (p.positional.empty())
        throw EUsage("wrong arguments");
    const std::string archive = ToolPath(p.positional[0]);
    // Headers first: an archive that ends early is refused before anything is written.
    {
        ArchiveWalker walker;
        walker.OnRecognize = [](const std::string&, bool& ok) { ok = true; };
        walker.Walk(archive, p.positional[0], [](const ArchiveWalker::Entry&, TStream&) {});
    }
    TCompress c;
    c.Key = KeyOption(p);
    c.MakeDirectories = true;
    c.ExceptionOnFileError = true;
    c.SetTargetPath(ToolPath(p.Get("-d", ".")));

    TStringList names;
    if (p.positional.size() > 1) {
        for (size_t i = 1; i < p.positional.size(); ++i) names.Add(p.positional[i]);
    } else {
        TStringList listed;
        c.ListArchive(archive, listed);
        for (int i = 0; i < listed.Count(); ++i) names.Add(listed[i]);
    }

    // Each file is expanded under a partial name and gets its own name once it is whole.
    // Every name stays below the target folder: a rooted name loses its root and drive, and
    // one that would still climb out is refused.
    std::vector<std::string> done;
    std::string partial, finalPath;
    auto finishCurrent = [&] {
        if (partial.empty()) return;
        if (sys::Sys().GetFileAttributes(partial) != sys::kInvalidAttributes) {
            ReplaceFile(partial, finalPath);
            done.push_back(finalPath);
        }
        partial.clear();
    };
    ProgressBar bar;
    // An event holds at most two pointers: the handler goes through one.
    const auto checkFile = [&](std::string& path) {
        finishCurrent();
        std::string name = path.rfind(c.TargetPath(), 0) == 0 ? path.substr(c.TargetPath().size()) : path;
        if (!ConfineName(name))
            throw EUnsafeName("Unsafe file name in archive, it leads out of the target directory: " +
                              Printable(path));
        finalPath = SystemPath(c.TargetPath() + name);
        partial = PartialName(finalPath);
        path = partial;
        bar.Show(0, Printable(finalPath));
    };
    c.OnCheckFile = [&checkFile](std::string& path, TCProcessMode) { checkFile(path); };
    c.OnShowProgress = [&](int32_t& percent) { bar.Show(percent, Printable(finalPath)); };
    try {
        c.ExpandArchive(archive, &names);
        finishCurrent();
    } catch (const EWriteError&) {
        RemovePartial(partial);
        throw EWriteError(sys::FailureText(Printable(finalPath)));
    } catch (const EFCreateError&) {
        RemovePartial(partial);
        throw EFCreateError(sys::FailureText(Printable(finalPath)));
    } catch (...) {
        RemovePartial(partial);
        throw;
    }
    bar.Clear();
    for (const std::string& path : done) std::printf("%s\n", Printable(path).c_str());
    if (p.positional.size() > 1 && static_cast<int>(done.size()) < static_cast<int>(p.positional.size()) - 1) {
        std::fprintf(stderr, "zovpack extract: %zu of %zu named entries not found\n",
                     p.positional.size() - 1 - done.size(), p.positional.size() - 1);
        return 1;
    }
    return 0;
}

int CmdCreate(const Args& args) {
    const ParsedArgs p = ParseArgs(args, {"-m", "--key"});
    if (p.positional.size() < 2)
        throw EUsage("wrong arguments");
    TCompress c;
    c.Key = KeyOption(p);
    const TCompressionMethod method = ParseMethod(p.Get("-m", "lh5"));
    if (!TArchiveWriter::CanWrite(c, method))
        throw EUsage("this build cannot compress with method " + MethodOptionName(method));

    std::vector<std::pair<std::string, std::string>> files;  // system path, stored name
    for (size_t i = 1; i < p.positional.size(); ++i) {
        const std::string path = ToolPath(p.positional[i]);
        const uint32_t attributes = sys::Sys().GetFileAttributes(path);
        if (attributes == sys::kInvalidAttributes) throw EUsage("no such file: " + p.positional[i]);
        if (attributes & sys::kAttrDirectory) throw EUsage(p.positional[i] + " is a directory");
        files.emplace_back(path, StoredNameFor(p.positional[i]));
    }

    ProgressBar bar;
    std::string current;
    c.OnShowProgress = [&](int32_t& percent) { bar.Show(percent, current); };
    OutputFile output(ToolPath(p.positional[0]));
    TArchiveWriter writer(c, output.Stream(), method);
    std::vector<TCompressionMethod> used;
    std::string input;
    try {
        for (const auto& [path, name] : files) {
            current = name;
            input = path;
            used.push_back(writer.AddFile(path, name, method));
        }
        writer.Finish();
    } catch (const EWriteError&) {
        RethrowNamingFile(p.positional[0]);
    } catch (const EReadError&) {
        RethrowNamingFile(input);
    } catch (const EFOpenError&) {
        RethrowNamingFile(input);
    }
    const int64_t size = output.Stream().Size();
    output.Commit();
    bar.Clear();
    for (size_t i = 0; i < files.size(); ++i)
        std::printf("%-4s %s\n", std::string(kMethodIDs[used[i]]).c_str(), files[i].second.c_str());
    std::printf("%zu files, %lld bytes in, archive %lld bytes\n", files.size(),
                static_cast<long long>(writer.TotalSize()), static_cast<long long>(size));
    return 0;
}

}  // namespace zov::zovpack
