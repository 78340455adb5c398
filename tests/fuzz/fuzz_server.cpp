// What the score server does with bytes from the network, on any bytes: the
// request head reader, the query parser and submission check, the CP932
// conversion and the page escaping. No crash, and each keeps its promise.
#include "duel/replay.h"
#include "server/cp932.h"
#include "server/http_request.h"
#include "server/query_string.h"
#include "server/score_pages.h"
#include "server/submission.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool kept) {
    if (!kept) {
        std::abort();
    }
}

// A head read as it arrives, in pieces, ends as the head read at once.
void CheckHead(const std::string& bytes) {
    scored::HttpLimits limits;
    limits.requestLine = 64;
    limits.headers = 256;
    size_t scannedWhole = 0;
    auto whole = scored::RequestHead::Parse(bytes, scannedWhole, limits);
    size_t scanned = 0;
    scored::RequestHead::Result piecewise;
    for (size_t end = 1; end <= bytes.size(); end += 1 + end / 7) {
        piecewise =
            scored::RequestHead::Parse(std::string_view(bytes).substr(0, end), scanned, limits);
        if (piecewise.outcome != scored::RequestHead::Outcome::NeedMore) {
            break;
        }
    }
    if (piecewise.outcome == scored::RequestHead::Outcome::NeedMore) {
        piecewise = scored::RequestHead::Parse(bytes, scanned, limits);
    }
    Check(whole.outcome == piecewise.outcome && whole.status == piecewise.status);
    if (whole.outcome == scored::RequestHead::Outcome::Complete) {
        Check(whole.headLength <= bytes.size() && whole.headLength == piecewise.headLength);
        Check(whole.request.target == piecewise.request.target);
        Check(whole.headLength <= limits.requestLine + limits.headers + 2);
        Check(whole.request.contentLength <= limits.body);
    }
    if (whole.outcome == scored::RequestHead::Outcome::Refused) {
        int s = whole.status;
        Check(s == 400 || s == 411 || s == 413 || s == 414 || s == 431);
    }
}

void CheckSubmission(const std::string& query) {
    size_t parts = 1;
    for (char c : query) {
        parts += c == '&';
    }
    Check(scored::QueryString::Parse(query).size() <= parts);
    auto checked = scored::Submission::FromQuery(query);
    if (auto* s = std::get_if<scored::Submission>(&checked)) {
        Check(s->level >= 1 && s->level <= 3 && s->score >= 0 && s->score <= 9999);
        // Whatever is stored can be sent back to the game, and its replay played.
        Check(scored::Cp932::FromUtf8(s->name).has_value());
        Check(duel::Replay::Parse(s->replay).has_value());
    } else {
        Check(!std::get<scored::Refusal>(checked).reason.empty());
    }
}

void CheckText(const std::string& bytes) {
    if (auto utf8 = scored::Cp932::ToUtf8(bytes)) {
        Check(scored::Cp932::FromUtf8(*utf8).has_value());
    }
    // Nothing a player typed may open a tag, an attribute or a stray entity.
    std::string escaped = scored::ScorePages::EscapeHtml(bytes);
    for (size_t i = 0; i < escaped.size(); ++i) {
        char c = escaped[i];
        Check(c != '<' && c != '>' && c != '"' && c != '\'');
        if (c == '&') {
            size_t end = escaped.find(';', i);
            Check(end != std::string::npos && end - i <= 5);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckHead(bytes);
    CheckSubmission(bytes);
    CheckText(bytes);
    return 0;
}
