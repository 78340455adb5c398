#pragma once
// One HTTP or HTTPS exchange, read as text lines, and the HTML-to-text
// converter that goes with it.
//
//   CVelHttpConnect http;
//   int result = http.Request(url, "", "");   // empty body: GET
//   for (const std::string& line : http.m_arLines) ...   // each ends in "\r\n"
//
// The request source is VelHttpConnect.cpp, the converter VelHttpConnectHtml.cpp,
// its form handling VelHttpConnectForm.cpp.

#include "platform/inet.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CVelHttpConnect {
public:
    // Results of Request.
    static constexpr int kResultDone = 0;        // the exchange ran to its end, whatever the status
    static constexpr int kResultNoUrl = 1;       // the URL was empty
    static constexpr int kResultInetFailure = 2; // the internet client failed

    // Converter modes.
    static constexpr int kHtmlConvert = 0;
    static constexpr int kHtmlReset = 1;
    static constexpr int kHtmlResetKeepOptions = 2;

    CVelHttpConnect();
    virtual ~CVelHttpConnect();
    CVelHttpConnect(const CVelHttpConnect&) = delete;
    CVelHttpConnect& operator=(const CVelHttpConnect&) = delete;

    // A GET, or a form POST when the body is not empty. Leaves the answer body
    // in m_arLines, the address really fetched in m_strFinalUrl and, on a
    // failure, a text in m_strError. Returns one of the results above, or the
    // HTTP status of a redirect that named no target.
    int Request(std::string strUrl, std::string strBody, std::string strReferer);

    // Converts one chunk of an HTML page or RSS feed (mode kHtmlConvert), or
    // resets the converter (kHtmlReset, kHtmlResetKeepOptions). A document is
    // fed in chunks and ended by one call with bFinal set; the texts returned
    // read as the whole document would, wherever the chunks were cut.
    std::string HtmlToText(const std::string& strChunk, int nMode, int bFinal);

    // A relative address resolved against a base.
    std::string CombineUrl(const std::string& strBase, const std::string& strRelative) const;

    std::string m_strHeaders;
    // The language answers are asked in: "ja", or "en" in the English edition.
    std::string m_strAcceptLanguage = "ja";
    std::string m_strError;
    int32_t m_bBrowserAgent = 0;
    std::string m_strRefreshUrl;
    std::string m_strBaseHref;
    std::string m_strFragment;
    std::vector<std::string> m_arFrameUrls;
    std::vector<std::string> m_arFrameNames;
    int32_t m_nRefreshDelay = -1;
    std::string m_strAgent;
    uint32_t m_dwRequestFlags = 0x20200000u;
    std::vector<std::string> m_arLines;
    std::vector<std::string> m_arEntityNames;
    std::vector<std::string> m_arEntityTexts;
    std::vector<std::string> m_arSkipOpen;
    std::vector<std::string> m_arSkipClose;
    std::vector<std::string> m_arBreakTags;
    std::vector<std::string> m_arBreakTexts;
    std::string m_strTitle;
    std::string m_strUrl;
    std::string m_strFinalUrl;
    std::vector<std::string> m_arLinks;
    int32_t m_nLinkCount = 0;
    int32_t m_nCharset = 0;
    std::vector<std::string> m_arForms;
    int32_t m_nFormCount = 0;
    // For a request run off the game's thread: how to cancel it and how to ask
    // for a password there.
    platform::InetHooks m_hooks;

    // The most of an answer m_arLines keeps, counting each line's own
    // bookkeeping too: a server cannot make the game hold more than this.
    static constexpr size_t kMaxKeptBytes = 1024 * 1024;

private:
    // Where the converter stands between two chunks.
    struct HtmlRun {
        std::string strCarry;      // an unfinished tag held back from the previous chunk
        std::string strSkipUntil;  // input is dropped up to this closing tag
        bool bSkipThenTag = false; // the rest of that closing tag is dropped too
        bool bInTag = false;
        int nDepth = 0;
        bool bFormOpen = false;
        std::string strForm;   // the open form's source so far
        bool bChannel = false; // RSS
        bool bItem = false;
        bool bTitleOpen = false;
        std::string strTitle;
        bool bLinkOpen = false; // RSS <LINK>
        std::string strLink;
        std::vector<std::string> arOptions; // the selection list being read
        std::string strHeld;                // a lone blank or bracket kept back (see FilterLone)
        bool bEmitted = false;              // some text has gone out since the reset
    };

    struct FormFields;

    void ClearExtraction();
    std::string BuildHeaders(const std::string& strReferer, const std::string& strBody) const;
    void SetFlagsFromScheme(const std::string& strUrl);
    std::string HostAndObject(const std::string& strServer, uint16_t nPort,
                              const std::string& strObject) const;
    void ReadLines(platform::InetRequest& file);

    void ResetRun(bool bKeepOptions);
    std::string ConvertChunk(const std::string& strChunk);
    std::string FilterLone(const std::string& strOut);
    void Emit(std::string& strOut, const std::string& strText) const;
    void EmitText(std::string& strOut, const std::string& strText, size_t nPos, size_t nCount);
    size_t OnTagStart(const std::string& strText, size_t nPos, std::string& strOut);
    void OnMeta(const std::string& strTag);
    void RecordLink(const std::string& strHref, std::string& strOut);
    std::string LinkBase() const;

    size_t FormStep(const std::string& strText, size_t nPos, std::string& strOut);
    std::string CloseForm();
    std::string DecodeEntities(const std::string& strText) const;

    std::unique_ptr<HtmlRun> m_pRun;
};
