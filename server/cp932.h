#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace scored {

// The game talks to us in CP932 (the Windows flavour of Shift_JIS); we keep
// and serve UTF-8. Both directions refuse rather than guess.
class Cp932 {
public:
    // Nothing when the bytes are not well-formed CP932.
    static std::optional<std::string> ToUtf8(std::string_view cp932);
    // Nothing when the text is not UTF-8 or holds a character CP932 lacks.
    static std::optional<std::string> FromUtf8(std::string_view utf8);
};

} // namespace scored
