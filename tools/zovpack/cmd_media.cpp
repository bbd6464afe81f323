// zovpack media / media-test / media-extract: distribution media, made of install.cfg,
// install.exe and the segment files disk.001, disk.002, ... that carry the payload.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "compress/archive_paths.h"
#include "compress/archive_writer.h"
#include "install/setup_config.h"
#include "segment/Segment.h"
#include "segment/seg_writer.h"
#include "segment/set_builder.h"
#include "shell/system_helpers.h"
#include "sys/system.h"
#include "tools/zovpack/cfg_check.h"
#include "tools/zovpack/commands.h"
#include "tools/zovpack/host_paths.h"
#include "tools/zovpack/media_machine.h"
#include "tools/zovpack/output_file.h"
#include "tools/zovpack/progress_bar.h"
#include "tools/zovpack/tool_options.h"
#include "ui/dialogs.h"

namespace zov::zovpack {
namespace {

// The setup looks for its payload under this base name (disk.001, disk.002, ...).
constexpr const char* kSegBaseName = "disk";

std::string LastComponent(const std::string& path) {
    const size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// A file inside a folder the tool was given.
std::string InFolder(const std::string& dir, const std::string& name) {
#ifdef _WIN32
    const char separator = '\\';
#else
    const char separator = '/';
#endif
    return !dir.empty() && dir.back() == separator ? dir + name : dir + separator + name;
}

bool IsFile(const std::string& path) {
    const uint32_t attributes = sys::Sys().GetFileAttributes(path);
    return attributes != sys::kInvalidAttributes && !(attributes & sys::kAttrDirectory);
}

bool IsFolder(const std::string& path) {
    const uint32_t attributes = sys::Sys().GetFileAttributes(path);
    return attributes != sys::kInvalidAttributes && (attributes & sys::kAttrDirectory);
}

void MakeFolder(const std::string& dir) {
#ifdef _WIN32
    segment::ForceDirectories(dir);
#else
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
#endif
    if (!IsFolder(dir)) throw EFCreateError("Cannot create folder " + dir);
}

int64_t FileSize(const std::string& path) {
    auto file = sys::Sys().OpenFile(path, sys::FileAccess::Read, sys::FileCreate::OpenExisting,
                                    sys::FileShare::DenyNone);
    return file ? file->Size() : 0;
}

// The payload that install.cfg asks for: the "Bitmap File" first, so that the setup can show
// it as soon as the next entry expands, then the files of "Files" and "WorkStation" (only
// the last component of each source counts, as the setup takes them from one flat folder),
// then license.txt. The picture and the licence are packed when the folder has them.
std::vector<segment::SegSourceFile> PayloadFiles(const TSetupSettings& settings,
                                                 const std::string& from, const std::string& uninstaller) {
    std::map<std::string, std::string> present;  // upper-cased name -> name in the folder
    std::vector<sys::FindEntry> entries;
    sys::Sys().FindFiles(InFolder(from, "*.*"), true, entries);
    for (const sys::FindEntry& e : entries)
        if (!(e.attributes & sys::kAttrDirectory)) present[compress::UpperAscii(e.name)] = e.name;

    std::vector<segment::SegSourceFile> files;
    std::vector<std::string> missing, seen;
    auto want = [&](const std::string& name, bool required) {
        const std::string key = compress::UpperAscii(name);
        if (name.empty() || std::find(seen.begin(), seen.end(), key) != seen.end()) return;
        seen.push_back(key);
        const auto found = present.find(key);
        if (key == "UNINSTALLER.EXE" && !uninstaller.empty())
            files.push_back({uninstaller, "uninstaller.exe"});  // in place of one in the folder
        else if (found != present.end())
            files.push_back({InFolder(from, found->second), found->second});
        else if (required)
            missing.push_back(name);
    };
    want(LastComponent(settings.BitmapFile), false);
    for (const auto* list : {&settings.Files, &settings.WorkStationFiles}) {
        for (std::string entry : *list) {
            std::string source;
            SplitField(entry, '~', source);
            want(LastComponent(source), true);
        }
    }
    want("license.txt", false);
    if (!uninstaller.empty() && std::find(seen.begin(), seen.end(), "UNINSTALLER.EXE") == seen.end()) {
        std::fprintf(stderr, "warning: install.cfg lists no uninstaller.exe: the setup will not install it\n");
        want("uninstaller.exe", false);
    }
    if (!missing.empty()) {
        std::string names;
        for (const std::string& m : missing) names += (names.empty() ? "" : ", ") + m;
        throw Exception("install.cfg names files that " + from + " lacks: " + names);
    }
    return files;
}

int32_t ParseSegSize(const std::string& text) {
    try {
        return ParseSize(text);
    } catch (const EUsage&) {
        throw EUsage("--segsize wants a number of bytes up to 2147483647, not '" + text + "'");
    }
}

// Answers every message box with Cancel and keeps its first line for the report.
class ReportingDialogs : public ui::HeadlessDialogs {
public:
    ui::TModalResult MessageDlg(const std::string& text, const std::string& caption,
                                ui::TMsgDlgButtons buttons, ui::TMsgDlgType type) override {
        lastMessage = text.substr(0, text.find_first_of("\r\n"));
        return ui::HeadlessDialogs::MessageDlg(text, caption, buttons, type);
    }
    std::string lastMessage;
};

struct MediaRun {
    std::string media;   // reader paths
    std::string target;  // every file lands here, flat, as the setup puts them
    std::string scratch;
    int32_t key = 0;
    // Filled by ExpandMedia.
    std::vector<std::string> created;
    int archives = 0;
    uint16_t segments = 0;
};

// Expands a medium's segment set. A failure names the segment the reader stood at.
void ExpandMedia(MediaRun& run) {
    segment::TSegCompEZ reader;
    reader.SetSegBaseName(kSegBaseName);
    reader.SetSegDir(run.media);
    reader.SetSegTmpDir(run.scratch);
    reader.SetSegPopUp(false);
    reader.Key = run.key;
    std::string segmentName;
    reader.OnSegBefore = [&](segment::TSegMode, const std::string& name, uint16_t number) {
        run.segments = number;
        segmentName = name;
    };
    ProgressBar bar;
    int total = 0;
    reader.OnSegBeforeExpand = [&](segment::TSegArcList& list) {
        run.archives = list.Count();
        for (int i = 0; i < list.Count(); ++i) total += list[i].Files.Count();
    };
    reader.OnSegShowProgress = [&](int32_t percent) { bar.Show(percent, "reading " + segmentName); };
    reader.OnCheckFile = [&](std::string& path, compress::TCProcessMode) {
        const std::string name = LastComponent(path);
        if (name.empty() || name == "." || name == "..") {
            path.clear();
            return;
        }
        path = run.target + "\\" + name;
        run.created.push_back(path);
        bar.Show(total ? static_cast<int>(run.created.size() * 100 / static_cast<size_t>(total)) : 100,
                 name);
    };

    ReportingDialogs dialogs;
    ui::Dialogs& previous = ui::Dlg();
    ui::SetDialogs(&dialogs);
    try {
        reader.ExpandSegmentSet();
    } catch (const std::exception& e) {
        ui::SetDialogs(&previous);
        bar.Clear();
        const std::string why = dialogs.lastMessage.empty() ? e.what() : dialogs.lastMessage;
        throw Exception("segment " + std::to_string(run.segments) + " (" + segmentName + "): " + why);
    }
    ui::SetDialogs(&previous);
}

void RequireFolder(const std::string& dir, const char* what) {
    if (!IsFolder(dir)) throw EUsage(std::string(what) + " is not a folder: " + dir);
}

}  // namespace

int CmdMedia(const Args& args) {
    const ParsedArgs a =
        ParseArgs(args, {"--cfg", "--from", "--out", "--stub", "--uninstaller", "--segsize", "-m", "--key"});
    if (!a.positional.empty() || !a.Has("--cfg") || !a.Has("--from") || !a.Has("--out")) {
        std::fprintf(stderr,
                     "usage: zovpack media --cfg install.cfg --from DIR --out MEDIA [--stub "
                     "install.exe] [--uninstaller uninstaller.exe] [--segsize BYTES] [-m lh5|lzh|rle|none] "
                     "[--key K]\n");
        return 2;
    }
    const std::string cfg = ToolPath(a.Get("--cfg"));
    const std::string from = ToolPath(a.Get("--from"));
    const std::string out = ToolPath(a.Get("--out"));
    const std::string stub = a.Has("--stub") ? ToolPath(a.Get("--stub")) : "";
    const std::string uninstaller = a.Has("--uninstaller") ? ToolPath(a.Get("--uninstaller")) : "";
    const int32_t segSize = a.Has("--segsize") ? ParseSegSize(a.Get("--segsize")) : segment::kDefaultSegSize;
    segment::SegBuildOptions options;
    options.Method = ParseMethod(a.Get("-m", "lh5"));
    options.Key = a.Has("--key") ? ParseKey(a.Get("--key")) : 0;
    {
        compress::TCompress probe;
        if (!compress::TArchiveWriter::CanWrite(probe, options.Method))
            throw EUsage("this build cannot write method " + MethodOptionName(options.Method));
    }
    if (!IsFile(cfg)) throw EUsage("cannot open " + a.Get("--cfg"));
    RequireFolder(from, "--from");
    if (!stub.empty() && !IsFile(stub)) throw EUsage("cannot open " + a.Get("--stub"));
    if (!uninstaller.empty() && !IsFile(uninstaller)) throw EUsage("cannot open " + a.Get("--uninstaller"));
    if (segSize < segment::kMinSegSize)
        std::fprintf(stderr, "note: --segsize below %d; segments are %d bytes at most\n",
                     segment::kMinSegSize, segment::kMinSegSize);

    TSetupSettings settings;
    TScreenLook look;
    ReadSetupConfig(cfg, settings, look);
    for (const std::string& w : CheckSettings(settings)) std::fprintf(stderr, "warning: %s\n", w.c_str());
    segment::SegArchiveSource archive;
    std::string folderName = LastComponent(from.back() == '/' || from.back() == '\\'
                                               ? from.substr(0, from.size() - 1) : from);
    archive.Template = (folderName.empty() ? std::string("payload") : folderName) + "\\*.*";
    archive.Files = PayloadFiles(settings, from, uninstaller);

    MakeFolder(out);
    options.ScratchPath = PartialName(InFolder(out, "payload.zov"));
    ProgressBar bar;
    options.OnProgress = [&](int64_t done, int64_t total) {
        bar.Show(total ? static_cast<int>(done * 100 / total) : 100, "packing");
    };
    std::vector<std::string> segments;
    segment::TSegmentFileWriter writer(
        [&](uint16_t n) {
            segments.push_back(InFolder(out, segment::SegFileName(kSegBaseName, "", n)));
            return PartialName(segments.back());
        },
        segSize);
    segment::WriteSegmentSet(writer, {archive}, options);
    bar.Clear();

    OutputFile cfgCopy(InFolder(out, "install.cfg"));
    cfgCopy.Stream().CopyFrom(*TFileStream::OpenRead(cfg), 0);
    std::unique_ptr<OutputFile> stubCopy;
    if (!stub.empty()) {
        stubCopy = std::make_unique<OutputFile>(InFolder(out, "install.exe"));
        stubCopy->Stream().CopyFrom(*TFileStream::OpenRead(stub), 0);
    }
    const std::vector<std::string> partials = writer.Finish();
    for (size_t i = 0; i < partials.size(); ++i) ReplaceFile(partials[i], segments[i]);
    cfgCopy.Commit();
    if (stubCopy) stubCopy->Commit();
    // Segments left from an earlier, longer build would only confuse whoever copies disks.
    for (auto n = static_cast<uint32_t>(segments.size() + 1); n <= 0xFFFF; ++n) {
        const std::string stale = InFolder(out, segment::SegFileName(kSegBaseName, "", static_cast<uint16_t>(n)));
        if (!IsFile(stale)) break;
        sys::Sys().DeleteFile(stale);
    }

    int64_t payload = 0, written = 0;
    for (const auto& f : archive.Files) payload += FileSize(f.Path);
    for (const std::string& s : segments) written += FileSize(s);
    std::printf("%zu files, %lld bytes, packed with %s into %zu segment%s of at most %d bytes (%lld bytes)\n",
                archive.Files.size(), static_cast<long long>(payload),
                MethodOptionName(options.Method).c_str(), segments.size(),
                segments.size() == 1 ? "" : "s", std::max(segSize, segment::kMinSegSize),
                static_cast<long long>(written));
    if (segments.size() > 999)
        std::fprintf(stderr, "warning: more than 999 segments; the setup's disk prompts count to 999\n");
    return 0;
}

int CmdMediaTest(const Args& args) {
    const ParsedArgs a = ParseArgs(args, {"--key"});
    if (a.positional.size() != 1) {
        std::fprintf(stderr, "usage: zovpack media-test MEDIA [--key K]\n");
        return 2;
    }
    const std::string media = ToolPath(a.positional[0]);
    RequireFolder(media, "MEDIA");
    // What install.cfg asks for must be in the payload.
    std::vector<std::string> wanted;
    const std::string cfg = InFolder(media, "install.cfg");
    if (IsFile(cfg)) {
        TSetupSettings settings;
        TScreenLook look;
        ReadSetupConfig(cfg, settings, look);
        for (const auto* list : {&settings.Files, &settings.WorkStationFiles})
            for (std::string entry : *list) {
                std::string source;
                SplitField(entry, '~', source);
                if (!LastComponent(source).empty()) wanted.push_back(LastComponent(source));
            }
    } else {
        std::fprintf(stderr, "warning: %s has no install.cfg\n", a.positional[0].c_str());
    }

    ReaderMachine machine;
    MediaRun run;
    run.media = machine.Path(media);
    run.target = machine.NewScratchFolder();
    run.scratch = machine.NewScratchFolder();
    run.key = a.Has("--key") ? ParseKey(a.Get("--key")) : 0;
    ExpandMedia(run);

    int64_t bytes = 0;
    std::vector<std::string> names;
    for (const std::string& path : run.created) {
        bytes += FileSize(path);
        names.push_back(compress::UpperAscii(LastComponent(path)));
    }
    std::vector<std::string> lacking;
    for (const std::string& w : wanted)
        if (std::find(names.begin(), names.end(), compress::UpperAscii(w)) == names.end())
            lacking.push_back(w);
    if (!lacking.empty()) {
        std::string list;
        for (const std::string& l : lacking) list += (list.empty() ? "" : ", ") + l;
        throw Exception("the payload lacks files install.cfg names: " + list);
    }
    std::printf("OK: %u segment%s, %d archive%s, %zu files, %lld bytes\n", run.segments,
                run.segments == 1 ? "" : "s", run.archives, run.archives == 1 ? "" : "s",
                run.created.size(), static_cast<long long>(bytes));
    return 0;
}

int CmdMediaExtract(const Args& args) {
    const ParsedArgs a = ParseArgs(args, {"-d", "--key"});
    if (a.positional.size() != 1 || !a.Has("-d")) {
        std::fprintf(stderr, "usage: zovpack media-extract MEDIA -d DIR [--key K]\n");
        return 2;
    }
    const std::string media = ToolPath(a.positional[0]);
    const std::string dir = ToolPath(a.Get("-d"));
    RequireFolder(media, "MEDIA");
    MakeFolder(dir);

    ReaderMachine machine;
    MediaRun run;
    run.media = machine.Path(media);
    run.target = machine.Path(dir);
    run.scratch = machine.NewScratchFolder();
    run.key = a.Has("--key") ? ParseKey(a.Get("--key")) : 0;
    try {
        ExpandMedia(run);
        // The setup copies its own two files beside the payload.
        for (const char* own : {"install.exe", "install.cfg"})
            if (IsFile(run.media + "\\" + own)) {
                run.created.push_back(run.target + "\\" + own);
                CopyFileInto(run.media + "\\" + own, run.target);
            }
    } catch (...) {
        for (const std::string& path : run.created) sys::Sys().DeleteFile(path);
        throw;
    }
    std::printf("%zu files into %s\n", run.created.size(), a.Get("-d").c_str());
    return 0;
}

}  // namespace zov::zovpack
