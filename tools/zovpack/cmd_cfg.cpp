#include <cstdio>

#include "install/setup_config.h"
#include "sys/system.h"
#include "tools/zovpack/cfg_report.h"
#include "tools/zovpack/commands.h"
#include "tools/zovpack/host_paths.h"
#include "tools/zovpack/json_writer.h"
#include "tools/zovpack/cfg_lint.h"
#include "tools/zovpack/tool_files.h"
#include "tools/zovpack/tool_options.h"

namespace zov::zovpack {
namespace {

void WriteHeader(JsonWriter& json, const char* name, const THeaderLook& h) {
    json.BeginObject(name);
    json.Member("Text", h.Text);
    json.Member("FontName", h.FontName);
    json.Member("FontSize", int64_t{h.FontSize});
    json.Member("FontColor", int64_t{h.FontColor});
    json.Member("ShadowColor", int64_t{h.ShadowColor});
    json.EndObject();
}

}  // namespace

std::string SettingsJson(const TSetupSettings& s, const TScreenLook& look) {
    JsonWriter json;
    json.BeginObject();
    json.Member("InstallDisks", int64_t{s.InstallDisks});
    json.Member("SourceDir", s.SourceDir);
    json.Member("TempDir", s.TempDir);
    json.Member("WindowsRoot", s.WindowsRoot);
    json.Member("LaunchCommand", s.LaunchCommand);
    json.Member("BitmapFile", s.BitmapFile);
    json.Member("StartDir", s.StartDir);
    json.Member("Directories", s.Directories);
    json.Member("Files", s.Files);
    json.Member("Shortcuts", s.Shortcuts);
    json.Member("IniEntries", s.IniEntries);
    json.Member("WorkStationFiles", s.WorkStationFiles);
    json.Member("AutoexecLines", s.AutoexecLines);
    json.Member("ProgramFolder", s.ProgramFolder);
    json.Member("InstallDir", s.InstallDir);
    json.Member("AddToProgramFiles", s.AddToProgramFiles);
    json.Member("WorkStationPrompt", s.WorkStationPrompt);
    json.Member("AlignCenter", s.AlignCenter);
    json.Member("AlignRight", s.AlignRight);
    json.Member("AlignLeft", s.AlignLeft);
    json.Member("ShowWarningScreen", s.ShowWarningScreen);
    json.Member("ShowReboot", s.ShowReboot);
    json.Member("Publisher", s.Publisher);
    json.Member("Version", s.Version);
    json.Member("AboutUrl", s.AboutUrl);
    json.Member("ProductIcon", s.ProductIcon);
    json.Member("DitherFrom", int64_t{look.DitherFrom});
    json.Member("DitherTo", int64_t{look.DitherTo});
    WriteHeader(json, "Header", look.Header);
    WriteHeader(json, "Header2", look.Header2);
    json.EndObject();
    return json.Text() + "\n";
}

int CmdCfg(const Args& args) {
    const ParsedArgs p = ParseArgs(args, {});
    if (p.positional.size() != 1) throw EUsage("wrong arguments");
    const std::string path = ToolPath(p.positional[0]);
    RequireRegularFile(path, p.positional[0]);
    const std::vector<TCfgFinding> findings = CheckConfigText(ReadToolFile(path));
    TSetupSettings settings;
    TScreenLook look;
    ReadSetupConfig(path, settings, look);
    std::fputs(SettingsJson(settings, look).c_str(), stdout);
    std::fflush(stdout);
    return PrintConfigFindings(Printable(p.positional[0]), findings) ? 1 : 0;
}

}  // namespace zov::zovpack
