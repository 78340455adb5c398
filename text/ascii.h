#pragma once
// Case and blanks in the ASCII range only. Our texts are UTF-8 (and the
// server's CP932): every byte of a multibyte character is 0x80 or above, so
// none is ever split or changed, whatever the locale says.

#include <string>
#include <string_view>

namespace text {

// Blanks as the game's files and protocols write them.
inline constexpr std::string_view kBlanks = " \t\r\n\v\f";
// Spaces and tabs only: a line's own ends are not blanks inside it.
inline constexpr std::string_view kSpaces = " \t";

std::string Trim(std::string_view text, std::string_view blanks = kBlanks);

char AsciiUpper(char c);
char AsciiLower(char c);
std::string AsciiUpper(std::string text);
std::string AsciiLower(std::string text);
// Equal but for the case of ASCII letters.
bool EqualsNoCase(std::string_view a, std::string_view b);

} // namespace text
