#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scored {

// The query part of a request target, split at "&" and "=" and percent-decoded
// into raw bytes; the bytes keep whatever character set the sender used.
class QueryString {
public:
    using Field = std::pair<std::string, std::string>;

    // "+" stands for a blank, as in any form-encoded query. A "%" that is not
    // followed by two hex digits is kept as it is: an older client that sent
    // its text unencoded loses nothing by it.
    static std::vector<Field> Parse(std::string_view query);

    // The query of a request target: what follows the first "?", or nothing.
    static std::string_view Of(std::string_view target);
};

} // namespace scored
