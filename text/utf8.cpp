#include "text/utf8.h"

#include <algorithm>

namespace text {

namespace {
bool IsTrail(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
} // namespace

size_t NextChar(const std::string& text, size_t pos) {
    if (pos >= text.size()) {
        return text.size();
    }
    ++pos;
    while (pos < text.size() && IsTrail(text[pos])) {
        ++pos;
    }
    return pos;
}

size_t PrevChar(const std::string& text, size_t pos) {
    if (pos == 0) {
        return 0;
    }
    --pos;
    while (pos > 0 && IsTrail(text[pos])) {
        --pos;
    }
    return pos;
}

size_t CountChars(const std::string& text) {
    return static_cast<size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return !IsTrail(c); }));
}

} // namespace text
