// The HTML-to-text converter on any bytes: no crash, no hang, and a page cut
// into chunks anywhere reads as the page in one piece, side results included.
#include "online/VelHttpConnect.h"

#include <cstdlib>

namespace {

std::string Convert(CVelHttpConnect& http, const std::vector<std::string>& chunks) {
    http.m_strUrl = http.m_strFinalUrl = "http://h/dir/page.html";
    std::string text = http.HtmlToText("", CVelHttpConnect::kHtmlReset, 0);
    for (const std::string& chunk : chunks) {
        text += http.HtmlToText(chunk, CVelHttpConnect::kHtmlConvert, 0);
    }
    return text + http.HtmlToText("", CVelHttpConnect::kHtmlConvert, 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    // The first byte chooses where the page is cut; the rest is the page.
    uint32_t state = data[0];
    const std::string page(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<std::string> pieces;
    for (size_t at = 0; at < page.size();) {
        state = state * 1103515245u + 12345u;
        size_t length = (state >> 16) % 17;
        pieces.push_back(page.substr(at, length));
        at += length;
    }
    CVelHttpConnect a, b;
    bool same = Convert(a, {page}) == Convert(b, pieces) && a.m_arLinks == b.m_arLinks &&
                a.m_arForms == b.m_arForms && a.m_strTitle == b.m_strTitle &&
                a.m_strBaseHref == b.m_strBaseHref && a.m_arFrameUrls == b.m_arFrameUrls &&
                a.m_arFrameNames == b.m_arFrameNames && a.m_nRefreshDelay == b.m_nRefreshDelay &&
                a.m_strRefreshUrl == b.m_strRefreshUrl && a.m_nCharset == b.m_nCharset;
    if (!same) {
        std::abort();
    }
    return 0;
}
