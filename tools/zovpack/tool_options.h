#pragma once
// Option parsing shared by the archive and codec commands.
#include <cstdint>
#include <string>
#include <vector>

#include "compress/codec_runner.h"
#include "sys/exception.h"

namespace zov::zovpack {

// A command line that cannot be used; the message says why.
ZOV_EXCEPTION(EUsage);

// Splits the arguments into options (each given with its value; `flags` stand alone, with an
// empty value) and the rest, in order.
struct ParsedArgs {
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> positional;
    // The value of the option, or `fallback` when it was not given.
    std::string Get(const std::string& name, const std::string& fallback = "") const;
    bool Has(const std::string& name) const;
};
ParsedArgs ParseArgs(const std::vector<std::string>& args,
                     const std::vector<std::string>& optionsWithValue, const std::vector<std::string>& flags = {});

// "none", "rle", "lzh" or "lh5".
compress::TCompressionMethod ParseMethod(const std::string& name);
std::string MethodOptionName(compress::TCompressionMethod method);
// A 32-bit key, decimal (also negative) or hexadecimal with "0x".
int32_t ParseKey(const std::string& text);
// A size of 0 .. 2147483647 bytes.
int32_t ParseSize(const std::string& text);

}  // namespace zov::zovpack
