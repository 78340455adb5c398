#include "online/VelHttpConnect.h"

#include "online/VelHtmlScan.h"
#include "online/VelHttpException.h"
#include "online/VelHttpSession.h"
#include "platform/inet.h"
#include "platform/inet_url.h"
#include "text/ascii.h"
#include "text/header_lines.h"

#include <algorithm>

namespace {

// ReadString's buffer: a longer physical line arrives in pieces of 10229 bytes.
constexpr size_t kLineBufferSize = 10230;
constexpr int kMaxRedirects = 5;

constexpr uint32_t kFlagsHttp = platform::kInetFlagReload | platform::kInetFlagExistingConnect |
                                platform::kInetFlagNoAutoRedirect;
constexpr uint32_t kFlagsHttps = kFlagsHttp | platform::kInetFlagSecure;

const char kNoUrlText[] = "URLが指定されていません。";

const char kBrowserAgentLine[] =
    "User-Agent: "
    "Mozilla/4.0+(compatible;+MSIE+7.0;+Windows+NT+5.1;+.NET+CLR+2.0.50727;+InfoPath.2;+.NET+"
    "CLR+3.0.04506.648;+.NET+CLR+3.5.21022;+.NET+CLR+1.1.4322) \r\n";

bool IsRedirect(int nStatus) {
    return nStatus == 301 || nStatus == 302 || nStatus == 303;
}

// The target of a redirect: the value of the answer's Location header. The
// header is looked up by name on its own line, in any case, so a "Location: "
// inside some other header's value is never taken for it.
bool FindLocation(const std::string& strRaw, std::string& strLocation) {
    strLocation = text::HeaderValue(strRaw, "Location").value_or("");
    return !strLocation.empty();
}

bool ParseTarget(const std::string& strUrl, std::string& strServer, std::string& strObject,
                 uint16_t& nPort) {
    platform::ParsedUrl parsed;
    if (!platform::ParseUrl(strUrl, parsed)) {
        return false;
    }
    strServer = parsed.server;
    strObject = parsed.object;
    nPort = parsed.port;
    return true;
}

} // namespace

CVelHttpConnect::CVelHttpConnect() : m_pRun(std::make_unique<HtmlRun>()) {
    m_arEntityNames = {"&amp;",  "&nbsp;",  "&gt;",   "&lt;",   "&quot;",
                       "&copy;", "&plusmn", "&laquo", "&raquo", "&yen"};
    // The yen byte of the old code page means the yen sign.
    m_arEntityTexts = {"&", " ", ">", "<", "\"", "c", "±", "≪", "≫", "¥"};
    m_arSkipOpen = {"<SCRIPT", "<STYLE"};
    m_arSkipClose = {"</SCRIPT", "</STYLE"};
    m_arBreakTags = {"<BR", "</BR", "<BR/", "</TR"};
    m_arBreakTexts = {"\r\n", "\r\n", "\r\n", "\r\n"};
}

CVelHttpConnect::~CVelHttpConnect() = default;

void CVelHttpConnect::ClearExtraction() {
    m_strRefreshUrl.clear();
    m_nRefreshDelay = -1;
    m_strBaseHref.clear();
    m_arFrameUrls.clear();
    m_arFrameNames.clear();
    m_strTitle.clear();
    m_nCharset = 0;
    m_arForms.clear();
    m_nFormCount = 0;
}

std::string CVelHttpConnect::BuildHeaders(const std::string& strReferer,
                                          const std::string& strBody) const {
    std::string block = "Accept: text/*,*/* \r\n";
    if (!strReferer.empty()) {
        block += "Referer: " + strReferer + " \r\n";
    }
    block += "Accept-Language: " + m_strAcceptLanguage + " \r\n";
    if (!strBody.empty()) {
        block += "Content-Type: application/x-www-form-urlencoded \r\n";
    }
    block += m_bBrowserAgent ? kBrowserAgentLine : "User-Agent: VelConnect \r\n";
    block += "Connection: Keep-Alive \r\n";
    if (!strBody.empty()) {
        block += "Content-Length: " + std::to_string(strBody.size()) + "\r\n";
    }
    block += "\r\n";
    return block;
}

void CVelHttpConnect::SetFlagsFromScheme(const std::string& strUrl) {
    std::string upper = text::AsciiUpper(strUrl.substr(0, 6));
    if (upper.rfind("HTTPS:", 0) == 0) {
        m_dwRequestFlags = kFlagsHttps;
    } else if (upper.rfind("HTTP:", 0) == 0) {
        m_dwRequestFlags = kFlagsHttp;
    }
}

// Host, the port when it is not the scheme's own, and object: the address a
// relative link on the page is resolved against.
std::string CVelHttpConnect::HostAndObject(const std::string& strServer, uint16_t nPort,
                                           const std::string& strObject) const {
    bool secure = (m_dwRequestFlags & platform::kInetFlagSecure) != 0;
    uint16_t usual = secure ? 443 : 80;
    std::string address = strServer;
    if (nPort != usual) {
        address += ':';
        address += std::to_string(nPort);
    }
    return address + strObject;
}

void CVelHttpConnect::ReadLines(platform::InetRequest& file) {
    m_arLines.clear();
    std::string strLine;
    std::string strPending;
    size_t kept = 0;
    while (file.ReadString(strLine, kLineBufferSize)) {
        if (kept + strPending.size() >= kMaxKeptBytes) {
            // What was read stays, as after any failure mid-answer.
            throw platform::InetException("The answer is larger than " +
                                          std::to_string(kMaxKeptBytes) + " bytes kept");
        }
        // A line that ends inside a tag waits for the line that closes it.
        size_t lastOpen = strLine.rfind('<');
        size_t lastClose = strLine.rfind('>');
        if (lastOpen != std::string::npos &&
            (lastClose == std::string::npos || lastOpen > lastClose)) {
            strPending += strLine;
            continue;
        }
        m_arLines.push_back(strPending + strLine + "\r\n");
        kept += m_arLines.back().size() + sizeof(std::string);
        strPending.clear();
    }
    if (!strPending.empty()) {
        m_arLines.push_back(strPending + "\r\n");
    }
}

int CVelHttpConnect::Request(std::string strUrl, std::string strBody, std::string strReferer) {
    strUrl.erase(
        std::remove_if(strUrl.begin(), strUrl.end(), [](char c) { return c == '\r' || c == '\n'; }),
        strUrl.end());
    m_strUrl = strUrl;
    m_strError.clear();
    m_strFragment.clear();
    m_strFinalUrl.clear();
    // Lines of an earlier answer must never pass for this one's.
    m_arLines.clear();
    ClearExtraction();

    size_t hash = strUrl.find('#');
    if (hash != std::string::npos && hash > 0) {
        m_strFragment = strUrl.substr(hash + 1);
        strUrl.resize(hash);
    }
    HtmlToText(std::string(), kHtmlReset, 0);

    if (strUrl.empty()) {
        m_strError = kNoUrlText;
        return kResultNoUrl;
    }

    int nResult = kResultDone;
    std::string strServer;
    std::string strObject;
    uint16_t nPort = 80;
    try {
        CVelHttpSession session(m_strAgent, m_hooks);
        SetFlagsFromScheme(strUrl);
        // An address that cannot be split leaves the server empty, and
        // connecting to no server fails like any other connection.
        ParseTarget(strUrl, strServer, strObject, nPort);
        m_strHeaders = BuildHeaders(strReferer, strBody);

        auto pConnection = std::make_unique<platform::InetConnection>(session, strServer, nPort);
        platform::InetVerb verb =
            strBody.empty() ? platform::InetVerb::Get : platform::InetVerb::Post;
        auto pFile = pConnection->OpenRequest(verb, strObject, m_dwRequestFlags);
        pFile->AddRequestHeaders(m_strHeaders);
        pFile->SendRequest(strBody);
        m_strFinalUrl = HostAndObject(strServer, nPort, strObject);
        int nStatus = pFile->StatusCode();

        if (nStatus == 401) {
            // Asked once; the request goes again whatever the answer, and
            // carries its body again, or a POST would wait for it forever.
            pFile->PromptForCredentials();
            pFile->SendRequest(strBody);
            nStatus = pFile->StatusCode();
        }

        for (int nRedirects = 0; IsRedirect(nStatus) && nRedirects < kMaxRedirects; ++nRedirects) {
            std::string strLocation;
            if (!FindLocation(pFile->RawHeaders(), strLocation)) {
                // A redirect that names no target cannot be followed, and its
                // own body is no answer: the request ends with an error.
                throw CVelHttpException(static_cast<uint32_t>(nStatus));
            }
            pFile.reset();
            pConnection.reset();
            SetFlagsFromScheme(strLocation);
            if (strLocation[0] == '/') {
                strObject = strLocation;
            } else if (!ParseTarget(strLocation, strServer, strObject, nPort)) {
                strServer.clear();
                strObject = strLocation;
            }
            // The redirected request is a GET: it carries no body, so it must
            // not announce one either.
            m_strHeaders = BuildHeaders(strReferer, std::string());
            pConnection = std::make_unique<platform::InetConnection>(session, strServer, nPort);
            pFile = pConnection->OpenRequest(platform::InetVerb::Get, strObject, m_dwRequestFlags);
            pFile->AddRequestHeaders(m_strHeaders);
            pFile->SendRequest();
            m_strFinalUrl = HostAndObject(strServer, nPort, strObject);
            nStatus = pFile->StatusCode();
        }

        ReadLines(*pFile);
    } catch (const platform::InetException& e) {
        if (m_strFinalUrl.empty()) {
            m_strFinalUrl = HostAndObject(strServer, nPort, strObject);
        }
        m_strError = m_strFinalUrl + "\r\n" + e.ErrorMessage();
        nResult = kResultInetFailure;
    } catch (const CVelHttpException& e) {
        if (m_strFinalUrl.empty()) {
            m_strFinalUrl = HostAndObject(strServer, nPort, strObject);
        }
        m_strError =
            m_strFinalUrl + " \r\n エラー " + std::to_string(static_cast<int32_t>(e.m_dwError));
        nResult = static_cast<int32_t>(e.m_dwError);
    }

    if (!m_strFinalUrl.empty() && (strUrl[0] == 'H' || strUrl[0] == 'h')) {
        bool secure = (m_dwRequestFlags & platform::kInetFlagSecure) != 0;
        m_strFinalUrl.insert(0, secure ? "https://" : "http://");
    }
    return nResult;
}

std::string CVelHttpConnect::CombineUrl(const std::string& strBase,
                                        const std::string& strRelative) const {
    return platform::CombineUrl(strBase, strRelative);
}
