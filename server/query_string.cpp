#include "server/query_string.h"

namespace scored {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string Decode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+') {
            out += ' ';
            continue;
        }
        if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace

std::vector<QueryString::Field> QueryString::Parse(std::string_view query) {
    std::vector<Field> fields;
    while (!query.empty()) {
        size_t amp = query.find('&');
        std::string_view part = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        if (part.empty()) {
            continue;
        }
        size_t eq = part.find('=');
        std::string_view key = part.substr(0, eq);
        std::string_view value =
            eq == std::string_view::npos ? std::string_view() : part.substr(eq + 1);
        fields.emplace_back(Decode(key), Decode(value));
    }
    return fields;
}

std::string_view QueryString::Of(std::string_view target) {
    size_t q = target.find('?');
    return q == std::string_view::npos ? std::string_view() : target.substr(q + 1);
}

} // namespace scored
