#include "tools/zovpack/tool_options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace zov::zovpack {

using compress::TCompressionMethod;

namespace {
const std::pair<const char*, TCompressionMethod> kMethodNames[] = {
    {"none", compress::coNone}, {"rle", compress::coRLE}, {"lzh", compress::coLZH},
    {"lh5", compress::coLZH5}};

// Decimal, or hexadecimal after "0x": a leading zero does not make a number octal.
long long ParseInteger(const std::string& text, const char* what) {
    const size_t digits = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    const bool hex = text.size() > digits + 1 && text[digits] == '0' &&
                     (text[digits + 1] == 'x' || text[digits + 1] == 'X');
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, hex ? 16 : 10);
    if (text.size() <= digits || !std::isxdigit(static_cast<unsigned char>(text[digits])) ||
        *end != '\0' || errno == ERANGE)
        throw EUsage(std::string("not a number for ") + what + ": '" + text + "'");
    return v;
}
}  // namespace

std::string ParsedArgs::Get(const std::string& name, const std::string& fallback) const {
    for (const auto& [key, value] : options)
        if (key == name) return value;
    return fallback;
}

bool ParsedArgs::Has(const std::string& name) const {
    return std::any_of(options.begin(), options.end(), [&](const auto& o) { return o.first == name; });
}

ParsedArgs ParseArgs(const std::vector<std::string>& args,
                     const std::vector<std::string>& optionsWithValue, const std::vector<std::string>& flags) {
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsEnded && a == "--") {
            optionsEnded = true;  // what follows is names, even when it starts with "-"
        } else if (!optionsEnded && std::find(flags.begin(), flags.end(), a) != flags.end()) {
            parsed.options.emplace_back(a, "");
        } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
            if (std::find(optionsWithValue.begin(), optionsWithValue.end(), a) == optionsWithValue.end())
                throw EUsage("unknown option " + a);
            if (i + 1 >= args.size()) throw EUsage("option " + a + " needs a value");
            parsed.options.emplace_back(a, args[++i]);
        } else {
            parsed.positional.push_back(a);
        }
    }
    return parsed;
}

TCompressionMethod ParseMethod(const std::string& name) {
    for (const auto& [text, method] : kMethodNames)
        if (name == text) return method;
    throw EUsage("unknown method '" + name + "' (none, rle, lzh or lh5)");
}

std::string MethodOptionName(TCompressionMethod method) {
    for (const auto& [text, m] : kMethodNames)
        if (m == method) return text;
    return std::to_string(method);
}

int32_t ParseKey(const std::string& text) {
    const long long v = ParseInteger(text, "--key");
    if (v < INT32_MIN || v > static_cast<long long>(UINT32_MAX))
        throw EUsage("key out of range: " + text);
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

int32_t ParseSize(const std::string& text) {
    const long long v = ParseInteger(text, "--size");
    if (v < 0 || v > INT32_MAX) throw EUsage("size out of range: " + text);
    return static_cast<int32_t>(v);
}

}  // namespace zov::zovpack
