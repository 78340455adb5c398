// The HTML-to-text converter of CVelHttpConnect: a page (or RSS feed) fed in
// chunks comes out as plain text with numbered link and form labels, while
// title, links, forms, frames, base address, refresh and character set are
// collected on the side.
//
// Every decision is taken at a "<" with the whole tag in view (an unfinished
// tag waits for the next chunk), and everything that spans tags lives in
// m_pRun, so the text reads the same wherever the chunks were cut.
#include "online/VelHtmlScan.h"
#include "online/VelHttpConnect.h"
#include "text/ascii.h"

#include <algorithm>
#include <cstring>

using namespace velhtml;

namespace {

const char kLinkLabel[] = "リンク";

const char* const kLoneTexts[] = {">", "<", "・", " "};

bool IsLoneText(const std::string& text) {
    for (const char* lone : kLoneTexts) {
        if (text == lone) {
            return true;
        }
    }
    return false;
}

// Also true for the first bytes of a lone text cut between two chunks.
bool MayBecomeLoneText(const std::string& text) {
    for (const char* lone : kLoneTexts) {
        if (std::string(lone).rfind(text, 0) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

void CVelHttpConnect::ResetRun(bool bKeepOptions) {
    std::vector<std::string> options = std::move(m_pRun->arOptions);
    *m_pRun = HtmlRun();
    if (bKeepOptions) {
        m_pRun->arOptions = std::move(options);
    }
}

std::string CVelHttpConnect::HtmlToText(const std::string& strChunk, int nMode, int bFinal) {
    if (nMode == kHtmlReset || nMode == kHtmlResetKeepOptions) {
        ResetRun(nMode == kHtmlResetKeepOptions);
        return std::string();
    }
    if (!bFinal) {
        return FilterLone(ConvertChunk(strChunk));
    }
    std::string out;
    if (m_pRun->bFormOpen) {
        Emit(out, CloseForm());
    }
    std::string held = std::move(m_pRun->strHeld);
    m_pRun->strHeld.clear();
    if (out.empty() && !m_pRun->bEmitted && IsLoneText(held)) {
        // The whole document was a lone blank or bracket: no text at all.
        return std::string();
    }
    return held + out;
}

// An output that is nothing but a blank, a bracket or a middle dot is noise
// left over between tags. It is held back rather than dropped: it goes out
// with the next text, or at the end when other text went before it, so only
// a document of nothing else converts to the empty text.
std::string CVelHttpConnect::FilterLone(const std::string& strOut) {
    if (strOut.empty()) {
        return strOut;
    }
    std::string joined = m_pRun->strHeld + strOut;
    if (MayBecomeLoneText(joined)) {
        m_pRun->strHeld = joined;
        return std::string();
    }
    m_pRun->strHeld.clear();
    m_pRun->bEmitted = true;
    return joined;
}

void CVelHttpConnect::Emit(std::string& strOut, const std::string& strText) const {
    // Inside an RSS channel only the items are text; the channel's own
    // description and links are not.
    if (m_pRun->bChannel && !m_pRun->bItem) {
        return;
    }
    strOut += strText;
}

void CVelHttpConnect::EmitText(std::string& strOut, const std::string& strText, size_t nPos,
                               size_t nCount) {
    HtmlRun& run = *m_pRun;
    if (run.bTitleOpen) {
        run.strTitle.append(strText, nPos, nCount);
    }
    if (run.bLinkOpen) {
        // An RSS link's text is the address: it goes out with its label.
        run.strLink.append(strText, nPos, nCount);
        return;
    }
    if (run.bChannel && !run.bItem) {
        return;
    }
    strOut.append(strText, nPos, nCount);
}

std::string CVelHttpConnect::ConvertChunk(const std::string& strChunk) {
    HtmlRun& run = *m_pRun;
    std::string text = run.strCarry + strChunk;
    run.strCarry.clear();
    size_t lastClose = text.rfind('>');
    size_t open = text.find('<', lastClose == std::string::npos ? 0 : lastClose + 1);
    if (open != std::string::npos) {
        run.strCarry = text.substr(open);
        text.resize(open);
    }
    std::string out;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        if (run.bFormOpen) {
            i = FormStep(text, i, out);
            continue;
        }
        if (text[i] != '<') {
            if (!run.strSkipUntil.empty()) {
                i = NextOf(text, i, '<');
            } else if (run.bInTag) {
                if (text[i] == '>' && --run.nDepth < 1) {
                    run.bInTag = false;
                    run.nDepth = 0;
                }
                ++i;
            } else {
                size_t next = NextOf(text, i, '<');
                EmitText(out, text, i, next - i);
                i = next;
            }
            continue;
        }
        if (StartsWithNoCase(text, i, "<>")) {
            Emit(out, "<>");
            i += 2;
            continue;
        }
        if (StartsWithNoCase(text, i, "<BR>")) {
            Emit(out, "\r\n");
            i += 4;
            continue;
        }
        if (!run.strSkipUntil.empty()) {
            if (StartsWithNoCase(text, i, run.strSkipUntil)) {
                i += run.strSkipUntil.size();
                run.strSkipUntil.clear();
                // "</SCRIPT" holds no ">": the rest of that tag reads as text,
                // except for the namespace tags that ask to drop it.
                run.bInTag = run.bSkipThenTag;
                run.nDepth = run.bSkipThenTag ? 1 : 0;
                run.bSkipThenTag = false;
            } else {
                ++i;
            }
            continue;
        }
        if (StartsWithNoCase(text, i, "<SELECT ") || StartsWithNoCase(text, i, "<SELECT>")) {
            run.strSkipUntil = "</SELECT>";
        } else if (StartsWithNoCase(text, i, "<DESCRIPTION>")) {
            run.strSkipUntil = "</DESCRIPTION>";
        } else if (StartsWithNoCase(text, i, "<CHANNEL ") ||
                   StartsWithNoCase(text, i, "<CHANNEL>")) {
            run.bChannel = true;
        }
        if (run.strSkipUntil.empty()) {
            for (size_t k = 0; k < m_arSkipOpen.size(); ++k) {
                if (StartsWithNoCase(text, i, m_arSkipOpen[k])) {
                    run.strSkipUntil = m_arSkipClose[k];
                    break;
                }
            }
        }
        if (run.bInTag) {
            ++run.nDepth;
            ++i;
            continue;
        }
        i = OnTagStart(text, i, out);
    }
    return out;
}

std::string CVelHttpConnect::LinkBase() const {
    return m_strBaseHref.empty() ? m_strFinalUrl : m_strBaseHref;
}

void CVelHttpConnect::RecordLink(const std::string& strHref, std::string& strOut) {
    if (strHref.empty()) {
        return;
    }
    m_arLinks.push_back(CombineUrl(LinkBase(), strHref));
    Emit(strOut, "\r\n" + std::string(kLinkLabel) + std::to_string(m_nLinkCount) + ":");
    ++m_nLinkCount;
}

// A tag begins at nPos (outside any tag). Returns where the walk goes on.
size_t CVelHttpConnect::OnTagStart(const std::string& strText, size_t nPos, std::string& strOut) {
    HtmlRun& run = *m_pRun;
    const std::string tag = TagAt(strText, nPos);
    const std::string name = TagName(tag);

    if (StartsWithNoCase(tag, 0, "<TITLE>")) {
        run.bTitleOpen = true;
        run.strTitle.clear();
    } else if (StartsWithNoCase(tag, 0, "</TITLE")) {
        if (run.bTitleOpen && !run.bItem && m_strTitle.empty()) {
            m_strTitle = text::Trim(run.strTitle, kHtmlBlanks);
        }
        run.bTitleOpen = false;
        run.strTitle.clear();
    }
    if (name == "FORM") {
        // The form handler reads on from here up to the closing tag.
        run.bFormOpen = true;
        run.strForm.clear();
        return nPos;
    }
    if (name == "BASE") {
        m_strBaseHref = AttributeValue(tag, "HREF");
    }
    if (name == "FRAME") {
        std::string src = AttributeValue(tag, "SRC");
        if (!src.empty()) {
            std::string url = CombineUrl(m_strUrl, src);
            if (std::find(m_arFrameUrls.begin(), m_arFrameUrls.end(), url) == m_arFrameUrls.end()) {
                m_arFrameUrls.push_back(url);
                m_arFrameNames.push_back(AttributeValue(tag, "NAME"));
            }
        }
    }
    if (StartsWithNoCase(tag, 0, "<LINK>")) {
        run.bLinkOpen = true;
        run.strLink.clear();
    } else if (StartsWithNoCase(tag, 0, "</LINK") && run.bLinkOpen) {
        run.bLinkOpen = false;
        RecordLink(text::Trim(run.strLink, kHtmlBlanks), strOut);
        Emit(strOut, text::Trim(run.strLink, kHtmlBlanks));
        run.strLink.clear();
    }
    bool selfClosing = tag.size() >= 2 && tag.compare(tag.size() - 2, 2, "/>") == 0;
    if (!selfClosing && name.rfind("DC:", 0) == 0) {
        run.strSkipUntil = "</DC:";
        run.bSkipThenTag = true;
    } else if (!selfClosing && name.rfind("SYN:", 0) == 0) {
        run.strSkipUntil = "</SYN:";
        run.bSkipThenTag = true;
    }
    if (name == "A") {
        RecordLink(AttributeValue(tag, "HREF"), strOut);
    }
    if (name == "META") {
        OnMeta(tag);
    }
    if (StartsWithNoCase(tag, 0, "<ITEM")) {
        run.bItem = true;
        Emit(strOut, "\r\n");
    } else if (StartsWithNoCase(tag, 0, "</ITEM")) {
        Emit(strOut, "\r\n");
        run.bItem = false;
    }
    for (size_t k = 0; k < m_arBreakTags.size(); ++k) {
        if (StartsWithNoCase(tag, 0, m_arBreakTags[k])) {
            Emit(strOut, m_arBreakTexts[k]);
            break;
        }
    }
    if (name == "IMG") {
        std::string alt = AttributeValue(tag, "ALT");
        if (!alt.empty()) {
            Emit(strOut, "(" + alt + ")");
        }
    }
    run.bInTag = true;
    run.nDepth = 1;
    return nPos + 1;
}

void CVelHttpConnect::OnMeta(const std::string& strTag) {
    const std::string upper = text::AsciiUpper(strTag);
    if (upper.find("CHARSET=") != std::string::npos) {
        if (upper.find("UTF-8") != std::string::npos) {
            m_nCharset = 2;
        } else if (upper.find("SHIFT_JIS") != std::string::npos) {
            m_nCharset = 1;
        }
    }
    if (upper.find("REFRESH") == std::string::npos) {
        return;
    }
    size_t content = upper.find("CONTENT=");
    if (content == std::string::npos) {
        return;
    }
    size_t at = strTag.find_first_not_of(" \t\"'", content + 8);
    int delay = 0;
    bool digits = false;
    while (at != std::string::npos && at < strTag.size() && strTag[at] >= '0' &&
           strTag[at] <= '9' && delay < 100000000) {
        delay = delay * 10 + (strTag[at] - '0');
        digits = true;
        ++at;
    }
    if (digits) {
        m_nRefreshDelay = delay;
    }
    // "URL=" may have blanks around its "=".
    size_t begin = std::string::npos;
    for (size_t url = upper.find("URL", content); url != std::string::npos;
         url = upper.find("URL", url + 3)) {
        size_t equals = upper.find_first_not_of(" \t", url + 3);
        if (equals != std::string::npos && upper[equals] == '=') {
            begin = equals + 1;
            break;
        }
    }
    if (begin == std::string::npos) {
        return;
    }
    size_t end = strTag.find_first_of("\">", begin);
    std::string target =
        strTag.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    std::string compact;
    for (char c : target) {
        if (c != ' ' && c != '\t' && c != '\'') {
            compact += c;
        }
    }
    m_strRefreshUrl = compact;
}
