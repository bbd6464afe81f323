// The Linux `install` and `uninstall` on arbitrary install.cfg and uninstall.cfg texts: no
// file or folder around the emulated machine's folder is ever created, changed or deleted,
// whatever the texts name (shares, "..", "/:\", host paths, links the machine holds that
// lead out, names too long). Input: the install.cfg text; after a zero byte, an
// uninstall.cfg text that replaces the one the install wrote before the uninstall runs.
// A first line "/D=..." of the install.cfg text is also given as the destination switch.
// Inside the machine, files of the system, of the user and of another registered product
// stand beside the install: the system's and the other product's never go, whatever the
// record says; the user's go only when the record the uninstall read names them.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "install/setup_entry.h"
#include "install/silent_setup.h"
#include "segment/seg_writer.h"
#include "segment/set_builder.h"
#include "sys/emu/emulated_system.h"
#include "sys/paths.h"
#include "ui/dialogs.h"
#include "uninstall/uninstall_program.h"

namespace {

namespace fs = std::filesystem;
using zov::sys::emu::EmulatedSystem;

// The sandbox holds the machine and, around it, files a run must leave alone.
const fs::path kSandbox = fs::temp_directory_path() / ("zov-machine-fuzz-" + std::to_string(::getpid()));
const fs::path kMachine = kSandbox / "deep" / "machine";
const fs::path kMedium = kSandbox / "medium";  // the medium's files, copied to A:\ for each run

// The names the example medium and the hostile seeds use, each with a little content.
const char* const kPayload[] = {"notes.exe", "notes.hlp",      "readme.txt",   "license.txt", "welcome.tnt",
                                "tidectl.dll", "uninstaller.exe", "tidewatr.bmp", "spelling.dic", "a.txt"};

struct Entry {
    uintmax_t size;
    fs::file_time_type time;
    bool operator==(const Entry& o) const { return size == o.size && time == o.time; }
};

// Every entry of the sandbox outside the machine's folder: path, and a file's size and time.
std::map<std::string, Entry> Around() {
    std::map<std::string, Entry> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(kSandbox, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->path() == kMachine) {
            it.disable_recursion_pending();
            continue;
        }
        std::error_code e2;
        const auto st = fs::symlink_status(it->path(), e2);
        Entry entry{fs::is_regular_file(st) ? fs::file_size(it->path(), e2) : 0, {}};
        // A folder's own time changes with its entries, which are compared one by one.
        if (fs::is_regular_file(st)) entry.time = fs::last_write_time(it->path(), e2);
        out[it->path().string()] = entry;
    }
    return out;
}

void Write(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

// The medium's segments, built once on a scratch machine.
void BuildMedium() {
    std::error_code ec;
    fs::create_directories(kSandbox / "outside" / "dir", ec);
    fs::create_directories(kSandbox / "deep", ec);
    Write(kSandbox / "outside" / "dir" / "keep.txt", "not the machine's");
    Write(kSandbox / "deep" / "beside.txt", "not the machine's either");
    EmulatedSystem builder(kSandbox / "builder");
    zov::sys::SetSystem(&builder);
    builder.CreateDirectory("C:\\payload");
    zov::segment::SegArchiveSource archive;
    archive.Template = "C:\\APP\\*.*";
    for (const char* name : kPayload) {
        Write(builder.ToHost(std::string("C:\\payload\\") + name), std::string("content of ") + name);
        archive.Files.push_back({std::string("C:\\payload\\") + name, name});
    }
    zov::segment::SegBuildOptions options;
    options.ScratchPath = "C:\\build.tmp";
    builder.CreateDirectory("C:\\medium");
    zov::segment::TSegmentFileWriter writer([](uint16_t n) { return "C:\\medium\\disk.00" + std::to_string(n); },
                                            100000);
    zov::segment::WriteSegmentSet(writer, {archive}, options);
    writer.Finish();
    zov::sys::SetSystem(nullptr);
    fs::copy(builder.ToHost("C:\\medium"), kMedium, ec);
    Write(kMedium / "install.exe", "MZ stub");
    fs::remove_all(kSandbox / "builder", ec);
}

class QuietProgress : public zov::TInstallProgress {
public:
    void Status(const std::string&) override {}
};

struct Setup {
    zov::ui::HeadlessDialogs dialogs;
    Setup() {
        if (!std::freopen("/dev/null", "w", stdout)) std::abort();
        BuildMedium();
        zov::ui::SetDialogs(&dialogs);
    }
    ~Setup() {
        zov::ui::SetDialogs(nullptr);
        std::error_code ec;
        fs::remove_all(kSandbox, ec);
    }
};

// A fresh machine with the medium in A:\ and links inside it that lead out of it.
void MakeMachine(const std::string& installCfg) {
    std::error_code ec;
    fs::remove_all(kMachine, ec);
    fs::create_directories(kMachine / "c" / "Program Files", ec);
    fs::copy(kMedium, kMachine / "a", ec);
    Write(kMachine / "a" / "install.cfg", installCfg);
    fs::create_directory_symlink(kSandbox / "outside", kMachine / "c" / "Program Files" / "Out", ec);
    fs::create_directory_symlink(kSandbox / "outside" / "dir", kMachine / "c" / "link", ec);
    fs::create_symlink(kSandbox / "outside" / "dir" / "keep.txt", kMachine / "c" / "keep.txt", ec);
    fs::create_symlink(kSandbox / "deep", kMachine / "c" / "up", ec);
}

// Files inside the machine that are not the install's; `always` ones must outlive any record.
struct Bystander {
    const char* path;  // below the machine's folder
    bool always;
};
const Bystander kBystanders[] = {
    {"c/WINDOWS/win.ini", true},        {"c/WINDOWS/SYSTEM/other.dll", true}, {"c/autoexec.bat", true},
    {"c/config.sys", true},             {"c/Other/other.exe", true},          {"c/Other/uninstall.cfg", true},
    {"c/Data/letter.doc", false},       {"c/Program Files/Tool/notes.txt", false},
};
const char* const kOtherProductKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other";

void PlantBystanders(EmulatedSystem& machine) {
    std::error_code ec;
    for (const Bystander& b : kBystanders) {
        fs::create_directories((kMachine / b.path).parent_path(), ec);
        Write(kMachine / b.path, std::string("[Bystander]\r\nname=") + b.path + "\r\n");
    }
    Write(kMachine / "c/Other/uninstall.cfg",
          "[Program]\r\nTitle=Other\r\n[Written Files]\r\nC:\\Other\\other.exe=new\r\n");
    machine.RegSetString(zov::sys::RegRoot::LocalMachine, kOtherProductKey, "DisplayName", "Other");
    machine.RegSetString(zov::sys::RegRoot::LocalMachine, kOtherProductKey, "UninstallString",
                         "\"C:\\Other\\uninstaller.exe\" Other");
    machine.RegSetString(zov::sys::RegRoot::LocalMachine, kOtherProductKey, "InstallLocation", "C:\\Other");
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// What the uninstall took that it had no right to: a bystander of the system or another
// product, or one of the user's that the record does not name; the other product's key.
void CheckBystanders(EmulatedSystem& machine, const std::string& records) {
    const std::string named = Upper(records);
    for (const Bystander& b : kBystanders) {
        if (fs::exists(kMachine / b.path)) continue;
        if (!b.always && named.find(Upper(fs::path(b.path).filename().string())) != std::string::npos) continue;
        std::fprintf(stderr, "the uninstall took a file that is not the product's: %s\n", b.path);
        std::abort();
    }
    if (!machine.RegKeyExists(zov::sys::RegRoot::LocalMachine, kOtherProductKey)) {
        std::fprintf(stderr, "the uninstall took another product's registration\n");
        std::abort();
    }
}

void InstallAndUninstall(const std::string& installCfg, const std::string& uninstallCfg, bool replaceRecord) {
    MakeMachine(installCfg);
    EmulatedSystem machine(kMachine);
    zov::sys::SetSystem(&machine);
    PlantBystanders(machine);
    std::vector<std::string> args = {"/S"};
    const std::string firstLine = installCfg.substr(0, installCfg.find_first_of("\r\n"));
    if (firstLine.rfind("/D=", 0) == 0) args.push_back(firstLine);
    // Without a registration, the log names the title and the first folder made.
    std::string loggedTitle = "Product", loggedDir;
    auto note = [&](const std::string& line) {
        if (line.rfind("setup ", 0) == 0) loggedTitle = line.substr(6, line.rfind(" from ") - 6);
        if (line.rfind("directory ", 0) == 0 && loggedDir.empty()) loggedDir = line.substr(10);
    };
    if (machine.SetCurrentDirectory("A:\\")) zov::RunSetupCommandLine(args, {}, note);
    machine.SetCurrentDirectory("C:\\");

    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    std::vector<std::string> titles, values;
    machine.RegEnumKey(zov::sys::RegRoot::LocalMachine, key, titles, values);
    std::erase(titles, std::string("Other"));  // the bystanders' product
    if (titles.empty()) titles.push_back(loggedTitle);
    for (const std::string& title : titles) {
        std::string dir = zov::RegisteredInstallDir(title);
        if (dir.empty()) dir = loggedDir.empty() ? "C:\\Program Files\\Product" : loggedDir;
        if (replaceRecord) {
            zov::ForceDirectories(dir);
            if (auto f = machine.OpenFile(zov::JoinPath(dir, "uninstall.cfg"), zov::sys::FileAccess::Write,
                                          zov::sys::FileCreate::CreateAlways, zov::sys::FileShare::DenyNone)) {
                uint32_t done = 0;
                f->Write(uninstallCfg.data(), static_cast<uint32_t>(uninstallCfg.size()), done);
            }
        }
        zov::TUninstallOptions options;
        options.Silent = true;
        options.Title = title;
        QuietProgress progress;
        // Every record the uninstall may read: the one in place, and what it took over.
        std::string records = replaceRecord ? uninstallCfg : std::string();
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(kMachine / "c", ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec))
            if (Upper(it->path().filename().string()) == "UNINSTALL.CFG" &&
                it->path() != kMachine / "c/Other/uninstall.cfg") {
                std::ifstream in(it->path(), std::ios::binary);
                records.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            }
        zov::TUnattendedPrompts prompts(nullptr);
        zov::RunUninstall(options, dir, "", progress, prompts);
        CheckBystanders(machine, records);
    }
    zov::sys::SetSystem(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Setup setup;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t cut = input.find('\0');
    const std::string installCfg = input.substr(0, cut);
    const std::string uninstallCfg = cut == std::string::npos ? std::string() : input.substr(cut + 1);

    const auto before = Around();
    try {
        InstallAndUninstall(installCfg, uninstallCfg, cut != std::string::npos);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "exception out of the setup or the uninstaller: %s\n", e.what());
        std::abort();
    }
    const auto after = Around();
    if (after != before) {
        for (const auto& [path, entry] : before)
            if (!after.count(path) || !(after.at(path) == entry))
                std::fprintf(stderr, "changed or deleted outside the machine: %s\n", path.c_str());
        for (const auto& [path, entry] : after)
            if (!before.count(path)) std::fprintf(stderr, "made outside the machine: %s\n", path.c_str());
        std::abort();
    }
    return 0;
}
