#include "install/wizard/registration.h"

#include "sys/concat.h"
#include "sys/decimal.h"

namespace zov {

void WriteRegistrationValues(const TRegistrationFacts& f, TRegistrationValues& out) {
    // The program path is quoted: unquoted, Windows would try "C:\Program.exe" first.
    const std::string quoted = Concat({"\"", f.Uninstaller, "\" "});
    out.Text("DisplayName", f.Title);
    out.Text("UninstallString", quoted + f.Title);
    out.Text("QuietUninstallString", Concat({quoted, "/S ", f.Title}));
    out.Text("DisplayIcon", f.Icon.empty() ? f.Uninstaller : f.Icon);
    out.Text("InstallLocation", f.TargetDir);
    if (!f.Publisher.empty()) out.Text("Publisher", f.Publisher);
    if (!f.Version.empty()) out.Text("DisplayVersion", f.Version);
    // The address is the product's page, and its support information too.
    if (!f.AboutUrl.empty()) {
        out.Text("URLInfoAbout", f.AboutUrl);
        out.Text("HelpLink", f.AboutUrl);
    }
    // YYYYMMDD, as Windows' list of programs reads it: year * 10000 + month * 100 + day.
    if (f.DosDate)
        out.Text("InstallDate", DecimalText((1980 + (f.DosDate >> 9)) * 10000 + ((f.DosDate >> 5) & 15) * 100 + (f.DosDate & 31)));
    out.Number("EstimatedSize", static_cast<uint32_t>((f.InstalledBytes + 1023) / 1024));
    // Windows' list of programs offers neither a change nor a repair for this product.
    out.Number("NoModify", 1);
    out.Number("NoRepair", 1);
}

}  // namespace zov
