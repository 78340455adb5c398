#pragma once
// Steps through UTF-8 text a whole character at a time, so no edit, cut or
// line break ever lands inside a multibyte character.

#include <cstddef>
#include <string>

namespace text {

// Where the character after the one at pos starts (the text's end at most).
size_t NextChar(const std::string& text, size_t pos);
// Where the character before pos starts (0 at the least).
size_t PrevChar(const std::string& text, size_t pos);
// How many characters the text holds.
size_t CountChars(const std::string& text);

} // namespace text
