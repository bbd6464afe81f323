#pragma once
// The product's entry in Windows' list of programs: the values of its uninstall registration,
// from what the install knows when it has installed the uninstaller.
#include <cstdint>
#include <string>

namespace zov {

struct TRegistrationFacts {
    std::string Title;
    std::string TargetDir;
    std::string Uninstaller;  // its path
    std::string Icon;         // the product's icon as "path" or "path,index"; "" for the uninstaller's
    std::string Publisher;
    std::string Version;
    std::string AboutUrl;
    uint64_t InstalledBytes = 0;  // what the product takes on its drives
    uint16_t DosDate = 0;         // the day of the install as a packed DOS date; 0 when unknown
};

// Where the values go.
class TRegistrationValues {
public:
    virtual ~TRegistrationValues() = default;
    virtual void Text(const char* name, const std::string& value) = 0;
    virtual void Number(const char* name, uint32_t value) = 0;
};

// Every value, in the order they are written; optional ones only when known.
void WriteRegistrationValues(const TRegistrationFacts& facts, TRegistrationValues& out);

}  // namespace zov
