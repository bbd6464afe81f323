// The command table and the conventions every command shares: help, exit codes, and how
// failures are reported.
#include <cstdio>
#include <exception>
#include <string>

#include "tools/zovpack/commands.h"
#include "tools/zovpack/tool_options.h"

namespace zov::zovpack {

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"cfg", CmdCfg, "cfg FILE                      print install.cfg as the setup reads it (JSON)"},
        {"list", CmdList, "list ARCHIVE                  list the entries of an archive"},
        {"test", CmdTest, "test ARCHIVE [--key K]        expand every entry in memory and check it"},
        {"extract", CmdExtract, "extract ARCHIVE [-d DIR] [--key K] [NAME...]  expand entries into DIR"},
        {"create", CmdCreate, "create ARCHIVE [-m none|rle|lzh|lh5] [--key K] FILE...  write an archive"},
        {"decode", CmdDecode, "decode -m METHOD --size N IN OUT  expand one raw codec stream"},
        {"encode", CmdEncode, "encode -m METHOD IN OUT       compress into one raw codec stream"},
        {"media", CmdMedia, "media --cfg install.cfg --from DIR --out MEDIA [--stub install.exe] [--uninstaller uninstaller.exe] [--segsize BYTES] [--disk BYTES] [-m lh5|lzh|rle|none] [--key K] [--allow-errors]  build a distribution medium"},
        {"media-test", CmdMediaTest, "media-test MEDIA [--key K]    expand a medium's segments in a scratch folder and check every file"},
        {"media-extract", CmdMediaExtract, "media-extract MEDIA -d DIR [--key K]  expand a medium flat into DIR, as the setup does"},
    };
    return commands;
}

namespace {

void PrintUsage(FILE* to) {
    std::fprintf(to, "usage: zovpack COMMAND ...   (zovpack help COMMAND, or COMMAND --help)\n");
    for (const Command& c : Commands()) std::fprintf(to, "  zovpack %s\n", c.usage);
}

const Command* Find(const std::string& name) {
    for (const Command& c : Commands())
        if (name == c.name) return &c;
    return nullptr;
}

bool AsksForHelp(const Args& args) {
    for (const std::string& a : args) {
        if (a == "--") return false;
        if (a == "--help" || a == "-h") return true;
    }
    return false;
}

}  // namespace

int RunZovpack(const Args& args) {
    if (args.empty()) {
        PrintUsage(stderr);
        return 2;
    }
    const std::string& name = args[0];
    if (name == "help" || name == "--help" || name == "-h") {
        const Command* c = args.size() > 1 ? Find(args[1]) : nullptr;
        if (args.size() > 1 && !c) {
            std::fprintf(stderr, "zovpack: unknown command '%s'\n", args[1].c_str());
            return 2;
        }
        if (c)
            std::printf("usage: zovpack %s\n", c->usage);
        else
            PrintUsage(stdout);
        return 0;
    }
    const Command* c = Find(name);
    if (!c) {
        std::fprintf(stderr, "zovpack: unknown command '%s'\n", name.c_str());
        PrintUsage(stderr);
        return 2;
    }
    const Args rest(args.begin() + 1, args.end());
    if (AsksForHelp(rest)) {
        std::printf("usage: zovpack %s\n", c->usage);
        return 0;
    }
    try {
        const int rc = c->run(rest);
        return rc == 0 ? 0 : rc == 2 ? 2 : 1;
    } catch (const EUsage& e) {
        std::fprintf(stderr, "zovpack %s: %s\nusage: zovpack %s\n", c->name, e.what(), c->usage);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zovpack %s: %s\n", c->name, e.what());
        return 1;
    }
}

}  // namespace zov::zovpack

