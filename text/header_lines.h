#pragma once
// Header lines as HTTP writes them ("Name: value", one to a line, CR LF or LF).

#include <optional>
#include <string>
#include <string_view>

namespace text {

// The value of the first line whose name is name, in any case, as it stands
// after the blanks that follow the colon; nullopt when there is none. Only a name at the start of
// its own line counts, so "Location:" inside another header's value never does.
std::optional<std::string> HeaderValue(std::string_view head, std::string_view name);

} // namespace text
