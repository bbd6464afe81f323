// zovpack media / media-test / media-extract: distribution media, made of install.cfg,
// install.exe and the segment files disk.001, disk.002, ... that carry the payload.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "compress/archive_paths.h"
#include "compress/archive_writer.h"
#include "install/cfg_entries.h"
#include "install/cfg_integrity.h"
#include "install/setup_config.h"
#include "segment/Segment.h"
#include "segment/seg_check.h"
#include "segment/seg_writer.h"
#include "segment/set_builder.h"
#include "shell/system_helpers.h"
#include "sys/paths.h"
#include "sys/system.h"
#include "tools/zovpack/cfg_report.h"
#include "tools/zovpack/cfg_lint.h"
#include "tools/zovpack/commands.h"
#include "tools/zovpack/host_paths.h"
#include "tools/zovpack/interrupt.h"
#include "tools/zovpack/media_machine.h"
#include "tools/zovpack/output_file.h"
#include "tools/zovpack/progress_bar.h"
#include "tools/zovpack/tool_files.h"
#include "tools/zovpack/tool_options.h"

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
    std::map<std::string, std::string> twins;    // the same, for a second name of one spelling
    std::vector<sys::FindEntry> entries;
    sys::Sys().FindFiles(InFolder(from, "*.*"), true, entries);
    for (const sys::FindEntry& e : entries) {
        if (e.attributes & sys::kAttrDirectory) continue;
        const std::string key = compress::UpperAscii(e.name);
        (present.count(key) ? twins : present)[key] = e.name;
    }

    std::vector<segment::SegSourceFile> files;
    std::vector<std::string> missing, seen;
    auto want = [&](const std::string& name, bool required) {
        const std::string key = compress::UpperAscii(name);
        if (name.empty() || std::find(seen.begin(), seen.end(), key) != seen.end()) return;
        seen.push_back(key);
        const auto found = present.find(key);
        if (key == "UNINSTALLER.EXE" && !uninstaller.empty()) {
            files.push_back({uninstaller, "uninstaller.exe"});  // in place of one in the folder
        } else if (found != present.end()) {
            // The setup finds files without regard to case: two such names would be one.
            if (twins.count(key))
                throw Exception(Printable(from) + " holds both " + Printable(found->second) + " and " +
                                Printable(twins[key]) + ", which the setup cannot tell apart");
            RequireRegularFile(InFolder(from, found->second), InFolder(from, found->second));
            files.push_back({InFolder(from, found->second), found->second});
        } else if (required) {
            missing.push_back(name);
        }
    };
    const std::string bitmap = LastComponent(settings.BitmapFile);
    if (!bitmap.empty() && !present.count(compress::UpperAscii(bitmap)))
        std::fprintf(stderr, "warning: Bitmap File \"%s\" is not in %s; the setup will show no picture\n",
                     Printable(settings.BitmapFile).c_str(), Printable(from).c_str());
    else
        want(bitmap, false);  // an absent one must not hide a [Files] entry of its name
    const TConfigEntries listed = ParseConfigEntries(settings);
    for (const auto* list : {&listed.Files, &listed.WorkStationFiles})
        for (const TFileEntry& file : *list) want(file.Name(), true);
    want("license.txt", false);
    if (!uninstaller.empty() && std::find(seen.begin(), seen.end(), "UNINSTALLER.EXE") == seen.end()) {
        std::fprintf(stderr, "warning: install.cfg lists no uninstaller.exe: the setup will not install it\n");
        want("uninstaller.exe", false);
    }
    if (!missing.empty()) {
        std::string names;
        for (const std::string& m : missing) names += (names.empty() ? "" : ", ") + Printable(m);
        const bool lacksUninstaller =
            std::find_if(missing.begin(), missing.end(), [](const std::string& m) {
                return compress::UpperAscii(m) == "UNINSTALLER.EXE";
            }) != missing.end();
        throw Exception("install.cfg names files that " + Printable(from) + " lacks: " + names +
                        (lacksUninstaller ? "; --uninstaller supplies uninstaller.exe (build/win32/uninstall/uninstaller.exe)" : ""));
    }
    return files;
}

int32_t ParseByteCount(const std::string& option, const std::string& text) {
    try {
        return ParseSize(text);
    } catch (const EUsage&) {
        throw EUsage(option + " wants a number of bytes up to 2147483647, not '" + text + "'");
    }
}

// Disks are counted in 512-byte sectors, as a floppy's file system allots them.
constexpr int64_t kSector = 512;
int64_t OnDisk(int64_t bytes) { return (bytes + kSector - 1) / kSector * kSector; }

// The largest first segment that fits on a disk of `capacity` bytes beside install.exe and
// install.cfg. install.cfg grows by its own check line (at most 40 bytes) and a Disk Check
// line (at most 30 bytes) a segment; the number of segments is bounded from the payload's
// size, as if it did not compress at all.
int64_t FirstSegmentRoom(int64_t capacity, int64_t segSize, int64_t stubSize, int64_t cfgSize, int64_t payload) {
    const int64_t segments = (payload + payload / 8 + 65536) / segSize + 2;
    const int64_t cfgBound = cfgSize + 2 + static_cast<int64_t>(std::strlen(segment::kSegCheckSection)) + 4 + 40 + 30 * segments;
    return (capacity - OnDisk(stubSize) - OnDisk(cfgBound)) / kSector * kSector;
}

// Nobody can hand the tool another disk: a segment missing or unusable ends the run with
// what is wrong with it. Pumping is where Ctrl-C is noticed.
class ToolDiskPrompts : public segment::TNoDiskPrompts {
public:
    void Pump() override { ThrowIfInterrupted(); }
};

struct MediaRun {
    ReaderMachine* machine = nullptr;
    std::string media;   // reader paths
    std::string target;  // every file lands here, flat, as the setup puts them
    std::string scratch;
    int32_t key = 0;
    segment::TSegChecks checks;
    // Filled by ExpandMedia.
    std::vector<std::string> created;
    int archives = 0;
    uint16_t segments = 0;
};

// Expands a medium's segment set. A failure of a segment names it; a failure to write
// names the file and the system's reason.
void ExpandMedia(MediaRun& run) {
    segment::TSegCompEZ reader;
    reader.SetSegBaseName(kSegBaseName);
    reader.SetSegDir(run.media);
    reader.SetSegTmpDir(run.scratch);
    reader.SetSegPopUp(false);
    reader.Key = run.key;
    reader.SegChecks = run.checks;
    reader.ExceptionOnFileError = true;  // a file that cannot be made is a failure, not a skip
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
    std::string current;
    // An event holds at most two pointers: the handler goes through one.
    const auto checkFile = [&](std::string& path) {
        ThrowIfInterrupted();
        const std::string name = LastComponent(path);
        if (name.empty() || name == "." || name == "..") {
            path.clear();
            return;
        }
        path = run.target + "\\" + name;
        current = path;
        run.created.push_back(path);
        bar.Show(total ? static_cast<int>(run.created.size() * 100 / static_cast<size_t>(total)) : 100,
                 Printable(name));
    };
    reader.OnCheckFile = [&checkFile](std::string& path, compress::TCProcessMode) { checkFile(path); };
    reader.OnShowProgress = [](int32_t&) { ThrowIfInterrupted(); };

    ToolDiskPrompts prompts;
    try {
        reader.ExpandSegmentSet(prompts);
    } catch (const EInterrupted&) {
        bar.Clear();
        throw;
    } catch (const Exception& e) {
        bar.Clear();
        // A file the tool writes (the payload's, a scratch file) names itself and the
        // system's reason; anything else is what is wrong with the segment being read.
        const sys::Failure& failure = e.Failure();
        const std::string what = e.what();
        if (!failure.path.empty() && compress::UpperAscii(failure.path).rfind(compress::UpperAscii(run.media), 0) != 0)
            throw Exception(run.machine->UserText(what.find(failure.path) == std::string::npos ? failure.Describe()
                                                  : what.find(failure.text) == std::string::npos
                                                      ? what + ": " + failure.text
                                                      : what));
        throw Exception(run.machine->UserText("segment " + std::to_string(run.segments) + " (" + segmentName + "): " + what));
    }
}

void RequireFolder(const std::string& dir, const char* what) {
    if (!IsFolder(dir)) throw EUsage(std::string(what) + " is not a folder: " + Printable(dir));
}

std::string Hex(uint32_t value) {
    char text[12];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

// The size and CRC-32 of a file the tool can read; false when it cannot be read whole.
bool MeasureFile(const std::string& path, segment::TSegCheck& check) {
    auto file = sys::Sys().OpenFile(path, sys::FileAccess::Read, sys::FileCreate::OpenExisting,
                                    sys::FileShare::DenyWrite);
    if (!file) return false;
    check = {};
    std::vector<uint8_t> buffer(1 << 16);
    for (;;) {
        uint32_t done = 0;
        if (!file->Read(buffer.data(), static_cast<uint32_t>(buffer.size()), done)) return false;
        if (done == 0) return true;
        check.Size += done;
        check.Crc = segment::Crc32Update(check.Crc, buffer.data(), done);
    }
}

size_t SegmentCount(const segment::TSegChecks& checks) {
    return static_cast<size_t>(std::count_if(checks.begin(), checks.end(), [](const segment::TSegCheckEntry& e) {
        return compress::UpperAscii(e.Name) != compress::UpperAscii(kConfigCheckKey);
    }));
}

// Checks install.cfg itself, then every segment its "Disk Check" section names; each fault is printed, and
// any fault ends the command. Returns the section (empty for a medium without one).
segment::TSegChecks CheckSegments(const std::string& media) {
    const std::string cfg = InFolder(media, "install.cfg");
    if (!IsFile(cfg)) return {};
    const segment::TSegChecks checks = segment::ReadSegChecks(cfg);
    int faults = 0;
    const std::string cfgFault = ConfigFileFault(cfg);
    if (!cfgFault.empty()) throw Exception(Printable(cfgFault));
    for (const auto& [name, expected] : checks) {
        ThrowIfInterrupted();
        if (compress::UpperAscii(name) == compress::UpperAscii(kConfigCheckKey)) continue;
        const std::string path = InFolder(media, name);
        segment::TSegCheck found;
        std::string fault;
        if (!IsFile(path))
            fault = "missing";
        else if (!MeasureFile(path, found))
            fault = "cannot be read: " + sys::FailureText(path);
        else if (found.Size < expected.Size)
            fault = "short: " + std::to_string(found.Size) + " of " + std::to_string(expected.Size) + " bytes";
        else if (found.Size > expected.Size)
            fault = "too long: " + std::to_string(found.Size) + " bytes where " +
                    std::to_string(expected.Size) + " were written";
        else if (found.Crc != expected.Crc)
            fault = "damaged: its CRC-32 is " + Hex(found.Crc) + " where " + Hex(expected.Crc) + " was written";
        if (fault.empty()) continue;
        std::fprintf(stderr, "%s: %s\n", name.c_str(), fault.c_str());
        ++faults;
    }
    if (faults)
        throw Exception(std::to_string(faults) + " of " + std::to_string(SegmentCount(checks)) +
                        " segments missing or damaged");
    ThrowIfInterrupted();
    return checks;
}

// install.cfg as the builder wrote it, with a "Disk Check" section for the segments just
// written in place of any earlier one. The section comes first and holds install.cfg's own
// check, so that the setup can tell a cut or edited copy.
std::string ConfigWithChecks(const std::string& cfg, const std::vector<std::string>& segments) {
    std::string kept = TextWithoutDiskCheck(ReadToolFile(cfg));
    if (!kept.empty() && kept.back() != '\n') kept += "\r\n";
    std::string entries;
    for (const std::string& path : segments) {
        segment::TSegCheck check;
        if (!MeasureFile(path, check)) throw EReadError(sys::FailureText(path));
        entries += segment::SegFileName(kSegBaseName, "", static_cast<uint16_t>(&path - segments.data() + 1)) +
                   "=" + segment::SegCheckValue(check) + "\r\n";
    }
    return WithDiskCheck(entries, kept);
}

// The mark every segment of the medium carries: the same for the same install.cfg and payload,
// another for another product; never 0, which marks nothing.
uint16_t MediumMark(const std::string& cfg, const std::vector<segment::SegSourceFile>& files) {
    std::string identity = TextWithoutDiskCheck(ReadToolFile(cfg));
    for (const auto& f : files) identity += "\n" + f.StoredName + "=" + std::to_string(FileSize(f.Path));
    const uint32_t crc = segment::Crc32Update(0, reinterpret_cast<const uint8_t*>(identity.data()), identity.size());
    const auto mark = static_cast<uint16_t>(crc ^ (crc >> 16));
    return mark ? mark : 1;
}

}  // namespace

int CmdMedia(const Args& args) {
    const ParsedArgs a = ParseArgs(
        args, {"--cfg", "--from", "--out", "--stub", "--uninstaller", "--segsize", "--disk", "-m", "--key"},
        {"--allow-errors"});
    if (!a.positional.empty() || !a.Has("--cfg") || !a.Has("--from") || !a.Has("--out")) {
        throw EUsage("--cfg, --from and --out are needed, and no other arguments");
    }
    const std::string cfg = ToolPath(a.Get("--cfg"));
    const std::string from = ToolPath(a.Get("--from"));
    const std::string out = ToolPath(a.Get("--out"));
    const std::string stub = a.Has("--stub") ? ToolPath(a.Get("--stub")) : "";
    const std::string uninstaller = a.Has("--uninstaller") ? ToolPath(a.Get("--uninstaller")) : "";
    const int64_t disk = a.Has("--disk") ? ParseByteCount("--disk", a.Get("--disk")) : 0;
    int32_t segSize = a.Has("--segsize") ? ParseByteCount("--segsize", a.Get("--segsize"))
                      : disk              ? static_cast<int32_t>(disk / kSector * kSector)
                                          : segment::kDefaultSegSize;
    if (disk) segSize = static_cast<int32_t>(std::min<int64_t>(segSize, disk / kSector * kSector));
    segment::SegBuildOptions options;
    options.Method = ParseMethod(a.Get("-m", "lh5"));
    options.Key = a.Has("--key") ? ParseKey(a.Get("--key")) : 0;
    {
        compress::TCompress probe;
        if (!compress::TArchiveWriter::CanWrite(probe, options.Method))
            throw EUsage("this build cannot write method " + MethodOptionName(options.Method));
    }
    RequireRegularFile(cfg, a.Get("--cfg"));
    RequireFolder(from, "--from");
    if (!stub.empty()) RequireRegularFile(stub, a.Get("--stub"));
    if (!uninstaller.empty()) RequireRegularFile(uninstaller, a.Get("--uninstaller"));
    if (stub.empty())
        std::fprintf(stderr, "warning: no --stub: the medium gets no install.exe; copy one beside its install.cfg before use\n");
    if (segSize < segment::kMinSegSize)
        std::fprintf(stderr, "note: --segsize below %d; segments are %d bytes at most\n",
                     segment::kMinSegSize, segment::kMinSegSize);

    TSetupSettings settings;
    TScreenLook look;
    ReadSetupConfig(cfg, settings, look);
    if (const int errors = PrintConfigFindings(Printable(a.Get("--cfg")), CheckConfigText(ReadToolFile(cfg)));
        errors && !a.Has("--allow-errors"))
        throw Exception(std::to_string(errors) + (errors == 1 ? " error" : " errors") + " in " + Printable(a.Get("--cfg")) +
                        ": no medium is made; fix " + (errors == 1 ? "it" : "them") +
                        ", or give --allow-errors to make it as the file stands");
    segment::SegArchiveSource archive;
    std::string folderName = LastComponent(from.back() == '/' || from.back() == '\\'
                                               ? from.substr(0, from.size() - 1) : from);
    archive.Template = (folderName.empty() ? std::string("payload") : folderName) + "\\*.*";
    archive.Files = PayloadFiles(settings, from, uninstaller);

    int64_t payload = 0;
    for (const auto& f : archive.Files) payload += FileSize(f.Path);
    int32_t firstSegSize = 0;
    if (disk) {
        const int64_t room = FirstSegmentRoom(disk, std::max(segSize, segment::kMinSegSize),
                                              stub.empty() ? 0 : FileSize(stub), FileSize(cfg), payload);
        if (room < segment::kMinSegSize)
            throw Exception("install.exe and install.cfg leave no room for disk.001 on a disk of " +
                            std::to_string(disk) + " bytes");
        firstSegSize = static_cast<int32_t>(std::min<int64_t>(room, segSize));
    }

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
        segSize, firstSegSize);
    writer.MediumMark = MediumMark(cfg, archive.Files);
    try {
        segment::WriteSegmentSet(writer, {archive}, options);
    } catch (const EWriteError&) {
        RethrowNamingFile(writer.CurrentPath().empty() ? options.ScratchPath : writer.CurrentPath());
    }
    bar.Clear();

    std::unique_ptr<OutputFile> stubCopy;
    if (!stub.empty()) {
        stubCopy = std::make_unique<OutputFile>(InFolder(out, "install.exe"));
        stubCopy->Stream().CopyFrom(*TFileStream::OpenRead(stub), 0);
    }
    const std::vector<std::string> partials = writer.Finish();
    OutputFile cfgCopy(InFolder(out, "install.cfg"));
    std::string cfgText;
    int64_t firstDisk = 0;
    try {
        cfgText = ConfigWithChecks(cfg, partials);
        firstDisk = OnDisk(FileSize(partials[0])) + OnDisk(static_cast<int64_t>(cfgText.size())) +
                    (stub.empty() ? 0 : OnDisk(FileSize(stub)));
        if (disk && firstDisk > disk)
            throw Exception("disk 1 would be overfull: " + std::to_string(firstDisk) + " bytes");
    } catch (...) {
        for (const std::string& partial : partials) sys::Sys().DeleteFile(partial);
        throw;
    }
    cfgCopy.Stream().WriteBuffer(cfgText.data(), static_cast<int32_t>(cfgText.size()));
    for (size_t i = 0; i < partials.size(); ++i) ReplaceFile(partials[i], segments[i]);
    cfgCopy.Commit();
    if (stubCopy) stubCopy->Commit();
    // Segments left from an earlier, longer build would only confuse whoever copies disks.
    for (auto n = static_cast<uint32_t>(segments.size() + 1); n <= 0xFFFF; ++n) {
        const std::string stale = InFolder(out, segment::SegFileName(kSegBaseName, "", static_cast<uint16_t>(n)));
        if (!IsFile(stale)) break;
        sys::Sys().DeleteFile(stale);
    }

    int64_t written = 0;
    for (const std::string& s : segments) written += FileSize(s);
    std::printf("%zu files, %lld bytes, packed with %s into %zu segment%s of at most %d bytes (%lld bytes)\n",
                archive.Files.size(), static_cast<long long>(payload),
                MethodOptionName(options.Method).c_str(), segments.size(),
                segments.size() == 1 ? "" : "s", std::max(segSize, segment::kMinSegSize),
                static_cast<long long>(written));
    if (disk)
        std::printf("disk 1 of %lld bytes: %sinstall.cfg and disk.001 fill %lld; each further disk holds one segment\n",
                    static_cast<long long>(disk), stub.empty() ? "" : "install.exe, ", static_cast<long long>(firstDisk));
    if (settings.InstallDisks != 0 && static_cast<size_t>(settings.InstallDisks) != segments.size())
        std::fprintf(stderr, "warning: install.cfg says Install Disks=%d; the medium has %zu disk%s\n",
                     static_cast<int>(settings.InstallDisks), segments.size(), segments.size() == 1 ? "" : "s");
    if (segments.size() > 999)
        std::fprintf(stderr, "warning: more than 999 segments; the setup's disk prompts count to 999\n");
    return 0;
}

int CmdMediaTest(const Args& args) {
    const ParsedArgs a = ParseArgs(args, {"--key"});
    if (a.positional.size() != 1) throw EUsage("wrong arguments");
    const std::string media = ToolPath(a.positional[0]);
    RequireFolder(media, "MEDIA");
    InterruptGuard interrupts;
    // What install.cfg asks for must be in the payload.
    std::vector<std::string> wanted;
    const std::string cfg = InFolder(media, "install.cfg");
    if (IsFile(cfg)) {
        RequireRegularFile(cfg, cfg);
        TSetupSettings settings;
        TScreenLook look;
        ReadSetupConfig(cfg, settings, look);
        const TConfigEntries entries = ParseConfigEntries(settings);
        for (const auto* list : {&entries.Files, &entries.WorkStationFiles})
            for (const TFileEntry& file : *list)
                if (!file.Name().empty()) wanted.push_back(file.Name());
    } else {
        std::fprintf(stderr, "warning: %s has no install.cfg\n", Printable(a.positional[0]).c_str());
    }

    MediaRun run;
    run.checks = CheckSegments(media);
    ReaderMachine machine;
    run.machine = &machine;
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
        for (const std::string& l : lacking) list += (list.empty() ? "" : ", ") + Printable(l);
        throw Exception("the payload lacks files install.cfg names: " + list +
                        (compress::UpperAscii(list).find("UNINSTALLER.EXE") != std::string::npos
                             ? "; zovpack media --uninstaller supplies uninstaller.exe"
                             : ""));
    }
    std::printf("OK: %u segment%s%s, %d archive%s, %zu files, %lld bytes\n", run.segments,
                run.segments == 1 ? "" : "s", run.checks.empty() ? "" : " checked", run.archives,
                run.archives == 1 ? "" : "s", run.created.size(), static_cast<long long>(bytes));
    return 0;
}

namespace {

// The same folder, or `inner` lies below `outer`.
bool SameOrBelow(const std::string& inner, const std::string& outer) {
#ifdef _WIN32
    std::string a = compress::UpperAscii(WithoutTrailingBackslash(inner)) + "\\";
    std::string b = compress::UpperAscii(WithoutTrailingBackslash(outer)) + "\\";
#else
    std::error_code ec;
    std::string a = std::filesystem::weakly_canonical(inner, ec).string() + "/";
    std::string b = std::filesystem::weakly_canonical(outer, ec).string() + "/";
#endif
    return a.rfind(b, 0) == 0;
}

// Moves the files of a finished run from the staging folder into the target folder. What it
// replaces is kept until every file is in place; a failure on the way puts the folder back
// as it was.
void CommitStaged(const std::vector<std::string>& staged, const std::string& stagingDir,
                  const std::string& dir) {
    struct Move {
        std::string placed, kept;  // the new file's place; where the file it replaced waits
        bool movedIn = false;
    };
    std::vector<Move> done;
    const std::string keptDir = stagingDir + "-replaced";
    std::error_code ec;
    try {
        MakeFolder(keptDir);
        for (const std::string& from : staged) {
            ThrowIfInterrupted();
            const std::string name = LastComponent(from);
            done.push_back({InFolder(dir, name), "", false});
            Move& move = done.back();
            if (sys::Sys().GetFileAttributes(move.placed) != sys::kInvalidAttributes) {
                ReplaceFile(move.placed, InFolder(keptDir, name));
                move.kept = InFolder(keptDir, name);
            }
            ReplaceFile(from, move.placed);
            move.movedIn = true;
        }
    } catch (...) {
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            if (it->movedIn) DeleteFileForced(it->placed);
            if (!it->kept.empty()) ReplaceFile(it->kept, it->placed);
        }
        std::filesystem::remove_all(keptDir, ec);
        throw;
    }
    std::filesystem::remove_all(keptDir, ec);
}

}  // namespace

int CmdMediaExtract(const Args& args) {
    const ParsedArgs a = ParseArgs(args, {"-d", "--key"});
    if (a.positional.size() != 1 || !a.Has("-d"))
        throw EUsage("wrong arguments");
    const std::string media = ToolPath(a.positional[0]);
    const std::string dir = ToolPath(a.Get("-d"));
    RequireFolder(media, "MEDIA");
    if (SameOrBelow(media, dir))
        throw EUsage("will not expand into " + Printable(a.Get("-d")) +
                     (SameOrBelow(dir, media) ? ": it holds the medium, whose install.exe and install.cfg would be replaced"
                                              : ": the medium lies in it"));
    InterruptGuard interrupts;
    MediaRun run;
    run.checks = CheckSegments(media);
    const bool dirExisted = IsFolder(dir);
    MakeFolder(dir);

    // Everything is expanded into a staging folder inside the target folder (so that moving
    // into place is a rename), and moved into place only when the whole run has succeeded.
    const std::string staging = InFolder(dir, "." + ProcessTag());
    std::vector<std::string> staged;
    auto cleanUp = [&] {
        std::error_code ec;
        std::filesystem::remove_all(staging, ec);
        if (!dirExisted) std::filesystem::remove(dir, ec);  // only when still empty
    };
    try {
        MakeFolder(staging);
        {
            ReaderMachine machine;
            run.machine = &machine;
            run.media = machine.Path(media);
            run.target = machine.Path(staging);
            run.scratch = machine.NewScratchFolder();
            run.key = a.Has("--key") ? ParseKey(a.Get("--key")) : 0;
            ExpandMedia(run);
            // The setup copies its own two files beside the payload.
            for (const char* own : {"install.exe", "install.cfg"})
                if (IsFile(run.media + "\\" + own)) {
                    try {
                        CopyFileInto(run.media + "\\" + own, run.target);
                    } catch (const std::exception&) {
                        throw Exception(machine.UserText(sys::FailureText(run.target + "\\" + own)));
                    }
                }
        }
        std::vector<sys::FindEntry> entries;
        sys::Sys().FindFiles(InFolder(staging, "*.*"), true, entries);
        for (const sys::FindEntry& e : entries)
            if (!(e.attributes & sys::kAttrDirectory)) staged.push_back(InFolder(staging, e.name));
        CommitStaged(staged, staging, dir);
    } catch (...) {
        cleanUp();
        throw;
    }
    cleanUp();
    std::printf("%zu files into %s\n", staged.size(), Printable(a.Get("-d")).c_str());
    return 0;
}

}  // namespace zov::zovpack
