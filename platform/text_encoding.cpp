#include "platform/text_encoding.h"

#include <cerrno>
#include <iconv.h>

namespace platform {

namespace {

// How many bytes to pass over for one character the target cannot write:
// the lead byte and whatever belongs to it.
size_t Utf8Skip(const char* p, size_t left) {
    size_t n = 1;
    while (n < left && n < 4 && (static_cast<unsigned char>(p[n]) & 0xC0) == 0x80) {
        ++n;
    }
    return n;
}

size_t Cp932Skip(const char* p, size_t left) {
    const auto lead = static_cast<unsigned char>(*p);
    const bool doubleByte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    return doubleByte && left >= 2 ? 2 : 1;
}

std::string Convert(const char* to, const char* from, std::string_view in,
                    size_t (*skipOf)(const char*, size_t)) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::string(in.size(), '?');
    }
    std::string out;
    char buffer[256];
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    while (left > 0) {
        char* dst = buffer;
        size_t room = sizeof buffer;
        const size_t done = iconv(cd, &src, &left, &dst, &room);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (done != static_cast<size_t>(-1) || errno == E2BIG) {
            continue;
        }
        // EILSEQ or a cut-off character at the end: one character is lost.
        out += '?';
        const size_t skip = skipOf(src, left);
        src += skip;
        left -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = buffer;
    size_t room = sizeof buffer;
    iconv(cd, nullptr, nullptr, &dst, &room);
    out.append(buffer, static_cast<size_t>(dst - buffer));
    iconv_close(cd);
    return out;
}

} // namespace

std::string Cp932FromUtf8(std::string_view utf8) {
    return Convert("CP932", "UTF-8", utf8, Utf8Skip);
}

std::string Utf8FromCp932(std::string_view cp932) {
    return Convert("UTF-8", "CP932", cp932, Cp932Skip);
}

} // namespace platform
