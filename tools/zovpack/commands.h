#pragma once
// One function per zovpack command; each gets the arguments after the command name and
// returns the exit code. Failures print the exception's message on stderr.
#include <string>
#include <vector>

namespace zov::zovpack {

using Args = std::vector<std::string>;

int CmdCfg(const Args& args);
int CmdList(const Args& args);
int CmdTest(const Args& args);
int CmdExtract(const Args& args);
int CmdCreate(const Args& args);
int CmdDecode(const Args& args);
int CmdEncode(const Args& args);
int CmdMedia(const Args& args);
int CmdMediaTest(const Args& args);
int CmdMediaExtract(const Args& args);

struct Command {
    const char* name;
    int (*run)(const Args&);
    const char* usage;
};

// Every command this build has, in the order `zovpack` lists them.
const std::vector<Command>& Commands();

// The whole tool on its arguments (the command first): "help", "--help" and "-h" print the
// usage and give 0; a usage error gives 2, any other failure 1, each with its message on
// stderr.
int RunZovpack(const Args& args);

}  // namespace zov::zovpack
