#include "tools/zovpack/tool_options.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace zov::zovpack {

using compress::TCompressionMethod;

namespace {
const std::pair<const char*, TCompressionMethod> kMethodNames[] = {
    {"none", compress::coNone}, {"rle", compress::coRLE}, {"lzh", compress::coLZH},
    {"lh5", compress::coLZH5}};

long long ParseInteger(const std::string& text, const char* what) {
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || errno == ERANGE)
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
                     const std::vector<std::string>& optionsWithValue) {
    ParsedArgs parsed;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 1 && a[0] == '-') {
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
