// The HTML-to-text converter on any bytes: no crash, and a page cut into
// chunks anywhere reads exactly as the page in one piece, side results included.
#include "online/VelHttpConnect.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Result {
    std::string text;
    CVelHttpConnect http;
};

void Convert(Result& result, const std::vector<std::string>& chunks) {
    result.http.m_strUrl = "http://h/top/index.html";
    result.http.m_strFinalUrl = "http://h/dir/page.html";
    result.http.HtmlToText("", CVelHttpConnect::kHtmlReset, 0);
    for (const std::string& chunk : chunks) {
        result.text += result.http.HtmlToText(chunk, CVelHttpConnect::kHtmlConvert, 0);
    }
    result.text += result.http.HtmlToText("", CVelHttpConnect::kHtmlConvert, 1);
}

void Check(bool same) {
    if (!same) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    // The first two bytes choose where the page is cut; the rest is the page.
    uint32_t state = static_cast<uint32_t>(data[0]) << 8 | data[1];
    const std::string page(reinterpret_cast<const char*>(data + 2), size - 2);

    std::vector<std::string> pieces;
    size_t at = 0;
    while (at < page.size()) {
        state = state * 1103515245u + 12345u;
        size_t length = (state >> 16) % 17;
        pieces.push_back(page.substr(at, length));
        at += length;
    }

    Result whole;
    Convert(whole, {page});
    Result cut;
    Convert(cut, pieces);

    Check(whole.text == cut.text);
    const CVelHttpConnect& a = whole.http;
    const CVelHttpConnect& b = cut.http;
    Check(a.m_arLinks == b.m_arLinks && a.m_nLinkCount == b.m_nLinkCount);
    Check(a.m_arForms == b.m_arForms && a.m_nFormCount == b.m_nFormCount);
    Check(a.m_strTitle == b.m_strTitle && a.m_strBaseHref == b.m_strBaseHref);
    Check(a.m_arFrameUrls == b.m_arFrameUrls && a.m_arFrameNames == b.m_arFrameNames);
    Check(a.m_nRefreshDelay == b.m_nRefreshDelay && a.m_strRefreshUrl == b.m_strRefreshUrl);
    Check(a.m_nCharset == b.m_nCharset);
    return 0;
}
