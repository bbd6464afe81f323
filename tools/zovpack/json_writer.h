#pragma once
// A small JSON writer. Strings are Windows ANSI (code page 1252) bytes; they come out as
// pure ASCII with \u escapes, so the output is the same on every platform.
#include <cstdint>
#include <string>
#include <vector>

namespace zov::zovpack {

class JsonWriter {
public:
    void BeginObject(const char* name = nullptr);
    void EndObject();
    void Member(const char* name, const std::string& value);
    void Member(const char* name, const char* value) { Member(name, std::string(value)); }
    void Member(const char* name, int64_t value);
    void Member(const char* name, bool value);
    void Member(const char* name, const std::vector<std::string>& values);
    const std::string& Text() const { return out_; }

private:
    void Key(const char* name);
    std::string out_;
    int depth_ = 0;
    bool first_ = true;
};

std::string JsonString(const std::string& ansi);

}  // namespace zov::zovpack
