#include "install/wizard/registration.h"

#include "sys/concat.h"
#include "sys/decimal.h"

namespace zov {
namespace {

// YYYYMMDD, as Windows' list of programs reads InstallDate.
std::string DateText(uint16_t dosDate) {
    const int year = 1980 + (dosDate >> 9), month = (dosDate >> 5) & 15, day = dosDate & 31;
    return Concat({DecimalText(year), month < 10 ? "0" : "", DecimalText(month), day < 10 ? "0" : "", DecimalText(day)});
}

}  // namespace

std::vector<TRegistrationValue> RegistrationValues(const TRegistrationFacts& f) {
    // The program path is quoted: unquoted, Windows would try "C:\Program.exe" first.
    const std::string quoted = Concat({"\"", f.Uninstaller, "\""});
    std::vector<TRegistrationValue> values = {
        {"DisplayName", f.Title},
        {"UninstallString", Concat({quoted, " ", f.Title})},
        {"QuietUninstallString", Concat({quoted, " /S ", f.Title})},
        {"DisplayIcon", f.Icon.empty() ? f.Uninstaller : f.Icon},
        {"InstallLocation", f.TargetDir},
    };
    const std::pair<const char*, const std::string*> optional[] = {
        {"Publisher", &f.Publisher}, {"DisplayVersion", &f.Version}, {"URLInfoAbout", &f.AboutUrl}};
    for (const auto& [name, text] : optional)
        if (!text->empty()) values.push_back({name, *text});
    if (f.DosDate) values.push_back({"InstallDate", DateText(f.DosDate)});
    values.push_back({"EstimatedSize", "", true, static_cast<uint32_t>((f.InstalledBytes + 1023) / 1024)});
    // Windows' list of programs offers neither a change nor a repair for this product.
    values.push_back({"NoModify", "", true, 1});
    values.push_back({"NoRepair", "", true, 1});
    return values;
}

}  // namespace zov
