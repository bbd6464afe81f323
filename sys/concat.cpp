#include "sys/concat.h"

namespace zov {

std::string Concat(std::initializer_list<TTextPart> parts) {
    std::string text;
    for (const TTextPart part : parts) text += part.Text();
    return text;
}

}  // namespace zov
