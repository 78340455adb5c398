#include "text/header_lines.h"

#include "text/ascii.h"

#include <algorithm>

namespace text {

std::optional<std::string> HeaderValue(std::string_view head, std::string_view name) {
    size_t start = 0;
    while (start < head.size()) {
        const size_t end = head.find('\n', start);
        std::string_view line =
            head.substr(start, end == std::string_view::npos ? head.npos : end - start);
        start = end == std::string_view::npos ? head.size() : end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.size() > name.size() && line[name.size()] == ':' &&
            EqualsNoCase(line.substr(0, name.size()), name)) {
            std::string_view value = line.substr(name.size() + 1);
            value.remove_prefix(std::min(value.size(), value.find_first_not_of(kSpaces)));
            return std::string(value);
        }
    }
    return std::nullopt;
}

} // namespace text
