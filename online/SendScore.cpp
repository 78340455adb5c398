// The main window's score submission: one request to the score server and
// the message its answer carries.
#include "online/VelHttpConnect.h"
#include "platform/text_encoding.h"
#include "resources/score_protocol.h"
#include "shell/KirikazeJDlg.h"
#include "text/ascii.h"

#include <string_view>
#include <vector>

namespace {

namespace sp = resources::score_protocol;

// The server reads CP932, percent-encoded: then no "&", "=", "#", "%", "+"
// or blank in a name can split or cut the query, and every byte arrives.
std::string QueryValue(const std::string& utf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : platform::Cp932FromUtf8(utf8)) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                           byte == '_' || byte == '~';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
    for (size_t pos = text.find(what); pos != std::string::npos;
         pos = text.find(what, pos + with.size())) {
        text.replace(pos, what.size(), with);
    }
}

// A marker counts only after at least one character on its line.
bool HasMarker(const std::string& line, const char* marker) {
    const size_t pos = line.find(marker);
    return pos != std::string::npos && pos > 0;
}

// The lines between the markers, trimmed, "<P>" made a line break.
std::string ReadAnswer(const std::vector<std::string>& lines) {
    std::string text;
    bool inside = false;
    for (const std::string& raw : lines) {
        // The answer is CP932; markers and tags are ASCII in both.
        std::string line = platform::Utf8FromCp932(raw);
        if (HasMarker(line, sp::kDataStart)) {
            inside = true;
            continue;
        }
        if (HasMarker(line, sp::kDataEnd)) {
            break;
        }
        if (!inside) {
            continue;
        }
        line = text::Trim(line);
        ReplaceAll(line, sp::kLineBreak, "\n");
        if (!line.empty()) {
            text += line + "\r\n";
        }
    }
    return text.empty() ? sp::kNoAnswer : text;
}

} // namespace

std::string CKirikazeJDlg::SendScore(int nLevel, int nScore) {
    const std::string url = m_reg.m_strServer + sp::kSubmitPath + sp::kArea +
                            QueryValue(m_reg.m_strArea) + sp::kName + QueryValue(m_reg.m_strName) +
                            sp::kMode + sp::kLevel + std::to_string(nLevel) + sp::kScore +
                            std::to_string(nScore);
    CVelHttpConnect http;
    // Whatever went wrong, no message between the markers means "Err".
    http.Request(url, "", "");
    return ReadAnswer(http.m_arLines);
}
