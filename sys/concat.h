#pragma once
// One string from its parts ("FAILED ini " + path + ": " + reason): one call and one result,
// where a chain of '+' makes a temporary string per step, each with its own clean-up when
// something throws.
#include <initializer_list>
#include <string>

namespace zov {

// A part of a text, a string or a literal, taken as its C string: a part ends at its first
// NUL (the parts are messages, paths, names and values, which hold none). One pointer per
// part, where a string_view would also measure each literal where the list is made.
class TTextPart {
public:
    TTextPart(const char* text) : text_(text) {}
    TTextPart(const std::string& text) : text_(text.c_str()) {}
    const char* Text() const { return text_; }

private:
    const char* text_;
};

std::string Concat(std::initializer_list<TTextPart> parts);

}  // namespace zov
