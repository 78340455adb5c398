// The main window's score submission: one request to the score server and
// the message its answer carries.
#include "online/ScoreSending.h"
#include "platform/text_encoding.h"
#include "resources/score_protocol.h"
#include "shell/KirikazeJDlg.h"
#include "text/ascii.h"

#include <string_view>
#include <vector>

namespace {

namespace sp = resources::score_protocol;

// Shown in a box and read aloud in full: more than this helps nobody.
constexpr size_t kMaxMessageBytes = 64 * 1024;

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

// Control characters (NUL, ESC, BEL, ...) would reach the screen reader and
// the message box as they are; only line breaks belong in a message.
std::string WithoutControls(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\r' && c != '\n') || c == 0x7F) {
            continue;
        }
        // U+0080 ... U+009F, the second set of control codes.
        if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

// At most the limit, cut before a character, never inside one.
std::string Bounded(std::string text) {
    if (text.size() <= kMaxMessageBytes) {
        return text;
    }
    size_t cut = kMaxMessageBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    text.resize(cut);
    return text;
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
        line = text::Trim(WithoutControls(line));
        ReplaceAll(line, sp::kLineBreak, "\n");
        if (!line.empty()) {
            text += line + "\r\n";
        }
        if (text.size() > kMaxMessageBytes) {
            break;
        }
    }
    return text.empty() ? sp::kNoAnswer : Bounded(std::move(text));
}

} // namespace

std::string CKirikazeJDlg::SendScore(int nLevel, int nScore, const std::string& strReplay) {
    const std::string url = m_reg.m_strServer + sp::kSubmitPath + sp::kArea +
                            QueryValue(m_reg.m_strArea) + sp::kName + QueryValue(m_reg.m_strName) +
                            sp::kMode + sp::kLevel + std::to_string(nLevel) + sp::kScore +
                            std::to_string(nScore) + sp::kReplay + QueryValue(strReplay);
    // Sent off the game's thread: the game goes on while the server thinks.
    CScoreSending sending(url, Texts());
    if (!sending.Wait()) {
        return {};
    }
    // Whatever went wrong, no message between the markers means "Err".
    return ReadAnswer(sending.Lines());
}
