#include "tools/zovpack/json_writer.h"

#include <cstdio>

namespace zov::zovpack {
namespace {

// Code page 1252's characters 0x80-0x9F; the other high bytes equal their code points.
const uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::string JsonString(const std::string& ansi) {
    std::string out = "\"";
    for (unsigned char c : ansi) {
        switch (c) {
            case '"': out += "\\\""; continue;
            case '\\': out += "\\\\"; continue;
            case '\n': out += "\\n"; continue;
            case '\r': out += "\\r"; continue;
            case '\t': out += "\\t"; continue;
            default: break;
        }
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
            continue;
        }
        const unsigned code = (c >= 0x80 && c < 0xA0) ? kCp1252High[c - 0x80] : c;
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", code);
        out += buf;
    }
    return out + "\"";
}

void JsonWriter::Key(const char* name) {
    if (!first_) out_ += ",";
    first_ = false;
    out_ += "\n" + std::string(static_cast<size_t>(depth_) * 2, ' ');
    if (name) out_ += JsonString(name) + ": ";
}

void JsonWriter::BeginObject(const char* name) {
    if (depth_ > 0) Key(name);
    out_ += "{";
    ++depth_;
    first_ = true;
}

void JsonWriter::EndObject() {
    --depth_;
    out_ += "\n" + std::string(static_cast<size_t>(depth_) * 2, ' ') + "}";
    first_ = false;
}

void JsonWriter::Member(const char* name, const std::string& value) {
    Key(name);
    out_ += JsonString(value);
}

void JsonWriter::Member(const char* name, int64_t value) {
    Key(name);
    out_ += std::to_string(value);
}

void JsonWriter::Member(const char* name, bool value) {
    Key(name);
    out_ += value ? "true" : "false";
}

void JsonWriter::Member(const char* name, const std::vector<std::string>& values) {
    Key(name);
    out_ += "[";
    for (size_t i = 0; i < values.size(); ++i) {
        out_ += i ? ",\n" : "\n";
        out_ += std::string(static_cast<size_t>(depth_ + 1) * 2, ' ') + JsonString(values[i]);
    }
    if (!values.empty()) out_ += "\n" + std::string(static_cast<size_t>(depth_) * 2, ' ');
    out_ += "]";
}

}  // namespace zov::zovpack
