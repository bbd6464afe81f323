// zovpack: the install-builder's tool. It reads install.cfg as the setup does, makes and
// checks archives, raw codec streams and distribution media.
#include <cstdio>
#include <exception>
#include <string>

#include "tools/zovpack/commands.h"
#include "tools/zovpack/host_paths.h"

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
        {"media", CmdMedia, "media --cfg install.cfg --from DIR --out MEDIA [--stub install.exe] [--uninstaller uninstaller.exe] [--segsize BYTES] [-m lh5|lzh|rle|none] [--key K]  build a distribution medium"},
        {"media-test", CmdMediaTest, "media-test MEDIA [--key K]    expand a medium's segments in a scratch folder and check every file"},
        {"media-extract", CmdMediaExtract, "media-extract MEDIA -d DIR [--key K]  expand a medium flat into DIR, as the setup does"},
    };
    return commands;
}

}  // namespace zov::zovpack

int main(int argc, char** argv) {
    using namespace zov::zovpack;
    InstallToolSystem();
    if (argc < 2) {
        std::fprintf(stderr, "usage: zovpack COMMAND ...\n");
        for (const Command& c : Commands()) std::fprintf(stderr, "  zovpack %s\n", c.usage);
        return 2;
    }
    const std::string name = argv[1];
    Args args(argv + 2, argv + argc);
    for (const Command& c : Commands()) {
        if (name != c.name) continue;
        try {
            return c.run(args);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "zovpack %s: %s\n", c.name, e.what());
            return 1;
        }
    }
    std::fprintf(stderr, "zovpack: unknown command '%s'\n", name.c_str());
    return 2;
}
