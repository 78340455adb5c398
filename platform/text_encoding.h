#pragma once
#include <string>
#include <string_view>

namespace platform {

// The score server speaks CP932 (the Windows flavour of Shift_JIS); the game
// keeps UTF-8. Neither direction ever fails: a character the other side has
// no code for, or a broken byte sequence, becomes "?", as the old ANSI
// conversions did.
std::string Cp932FromUtf8(std::string_view utf8);
std::string Utf8FromCp932(std::string_view cp932);

} // namespace platform
