#include "server/cp932.h"

#include <cerrno>
#include <iconv.h>

namespace scored {
namespace {

std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string out;
    // Four output bytes per input byte covers the worst case either way.
    out.resize(in.size() * 4 + 4);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    size_t done = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    // Flush any shift state so a truncated final character is caught too.
    bool ok = done != static_cast<size_t>(-1) &&
              iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<size_t>(-1) &&
              srcLeft == 0;
    iconv_close(cd);
    if (!ok) {
        return std::nullopt;
    }
    out.resize(out.size() - dstLeft);
    return out;
}

} // namespace

std::optional<std::string> Cp932::ToUtf8(std::string_view cp932) {
    return Convert("UTF-8", "CP932", cp932);
}

std::optional<std::string> Cp932::FromUtf8(std::string_view utf8) {
    return Convert("CP932", "UTF-8", utf8);
}

} // namespace scored
