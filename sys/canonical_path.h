#pragma once
// The one full form of a Windows path. Every check that protects a place compares paths in
// this form, so that "C:\WINDOWS\..\WINDOWS", "c:/windows/." and "C:\WINDOWS. " are one place.
#include <string>

namespace zov {

enum class TPathKind {
    Invalid,  // empty, relative without a base, a drive that is no letter, a malformed share
    Drive,    // "C:\dir\name"
    Unc,      // "\\server\share\dir"
    Device,   // a device of the system: "\\.\...", or a name such as CON, NUL, COM1, LPT1
};

struct TCanonicalPath {
    TPathKind Kind = TPathKind::Invalid;
    // Drive: "C:\a\b" with an upper-case letter ("C:\" for the root); Unc: "\\server\share\a".
    // Empty for Invalid and Device.
    std::string Path;
    bool Ok() const { return Kind == TPathKind::Drive || Kind == TPathKind::Unc; }
};

// Turns `path` into its full form: "/" is a separator, runs of separators count once, "." and
// ".." are resolved (".." stops at the drive root or the share), trailing dots and spaces of
// every name are dropped (a name of dots and spaces alone vanishes), "\\?\X:\" and
// "\\?\UNC\server\share" lose their prefix. A relative path ("dir", "\dir", "C:dir") is made
// full against `base` only when a base is given, as Windows would against that current
// directory; without one it is Invalid. A colon is taken in the last name only (a stream of
// the file, "f.txt:s"). The case of the letters is kept.
TCanonicalPath CanonicalPath(const std::string& path, const std::string& base = std::string());

// The full form's text, or "" when the path has none (see above).
std::string CanonicalText(const std::string& path, const std::string& base = std::string());

// True when the name (the last part of a path) is a reserved device name: CON, PRN, AUX, NUL,
// COM1-COM9, LPT1-LPT9, also with an extension or trailing dots and spaces ("nul.txt").
bool IsDeviceName(const std::string& name);

// True for "X:\..." and "\\server\share...": a path that needs no base.
bool IsFullPath(const std::string& path);

// Paths compared as Windows compares names: both made full (without a base), then without
// regard to ASCII case. A path with no full form is neither the same as nor below anything.
bool SamePath(const std::string& a, const std::string& b);
// True when `path` lies strictly below `dir`.
bool PathIsBelow(const std::string& path, const std::string& dir);
// SamePath or PathIsBelow.
bool PathIsAtOrBelow(const std::string& path, const std::string& dir);

}  // namespace zov
