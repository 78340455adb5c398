// Forms in the HTML-to-text converter of CVelHttpConnect. A form is read
// whole, from "<FORM" to "</FORM", then comes out at once: its label
// "フォーム" n ":" and what a reader needs of it (texts, fields as
// "[value]", choices of a list as "[a/b/c]"), while m_arForms keeps how to
// send it: method and address on the first line, the fields' values,
// form-encoded, on the second.
#include "online/VelHtmlScan.h"
#include "online/VelHttpConnect.h"
#include "text/ascii.h"

#include <utility>

using namespace velhtml;

namespace {

const char kFormLabel[] = "フォーム";

std::string FormEncode(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_' || c == '.' || c == '*';
        if (plain) {
            out += static_cast<char>(c);
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

void AppendUtf8(std::string& out, unsigned long code) {
    // NUL, surrogates and numbers beyond Unicode are no characters.
    if (code == 0 || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
        code = 0xFFFD;
    }
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// "&#65;" or "&#x41;" between begin and the ";" at end; false when it is no
// number.
bool ParseNumericReference(const std::string& text, size_t begin, size_t end, unsigned long& code) {
    size_t i = begin + 2;
    int base = 10;
    if (i < end && (text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    }
    if (i >= end) {
        return false;
    }
    code = 0;
    for (; i < end; ++i) {
        char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            return false;
        }
        code = code * static_cast<unsigned long>(base) + static_cast<unsigned long>(digit);
    }
    return true;
}

// The end of the element that starts after a tag: just past its closing tag.
size_t SkipPast(const std::string& source, size_t pos, const std::string& closing) {
    size_t close = FindNoCase(source, closing, pos);
    if (close == std::string::npos) {
        return source.size();
    }
    size_t gt = source.find('>', close);
    return gt == std::string::npos ? source.size() : gt + 1;
}

} // namespace

struct CVelHttpConnect::FormFields {
    std::vector<std::pair<std::string, std::string>> values;

    void Add(const std::string& name, const std::string& value) {
        if (!name.empty()) {
            values.emplace_back(name, value);
        }
    }
};

// The open form takes the text from nPos up to its closing tag, across as
// many chunks as it spans. Returns where the walk goes on.
size_t CVelHttpConnect::FormStep(const std::string& strText, size_t nPos, std::string& strOut) {
    HtmlRun& run = *m_pRun;
    size_t close = FindNoCase(strText, "</FORM", nPos);
    if (close == std::string::npos) {
        run.strForm.append(strText, nPos, std::string::npos);
        return strText.size();
    }
    run.strForm.append(strText, nPos, close - nPos);
    size_t gt = strText.find('>', close);
    Emit(strOut, CloseForm());
    run.bInTag = false;
    run.nDepth = 0;
    return gt == std::string::npos ? strText.size() : gt + 1;
}

std::string CVelHttpConnect::CloseForm() {
    HtmlRun& run = *m_pRun;
    const std::string source = std::move(run.strForm);
    run.strForm.clear();
    run.bFormOpen = false;

    const std::string openTag = TagAt(source, 0);
    std::string method = text::AsciiUpper(AttributeValue(openTag, "METHOD"));
    if (method.empty()) {
        method = "GET";
    }
    std::string action = DecodeEntities(AttributeValue(openTag, "ACTION"));
    action = action.empty() ? LinkBase() : CombineUrl(LinkBase(), action);

    std::string text;
    FormFields fields;
    size_t i = openTag.size();
    while (i < source.size()) {
        if (source[i] != '<') {
            size_t next = NextOf(source, i, '<');
            text.append(source, i, next - i);
            i = next;
            continue;
        }
        const std::string tag = TagAt(source, i);
        const std::string name = TagName(tag);
        i += tag.size();
        if (name == "INPUT") {
            std::string type = text::AsciiUpper(AttributeValue(tag, "TYPE"));
            std::string value = AttributeValue(tag, "VALUE");
            std::string field = AttributeValue(tag, "NAME");
            if (type == "HIDDEN") {
                fields.Add(field, value);
            } else if (type == "SUBMIT" || type == "BUTTON" || type == "RESET" || type == "IMAGE") {
                text += "[" + (value.empty() ? type : value) + "]";
            } else if (type == "CHECKBOX" || type == "RADIO") {
                bool checked = HasAttribute(tag, "CHECKED");
                text += checked ? "[x]" : "[ ]";
                if (checked) {
                    fields.Add(field, value.empty() ? "on" : value);
                }
            } else {
                text += "[" + value + "]";
                fields.Add(field, value);
            }
        } else if (name == "SELECT") {
            std::string field = AttributeValue(tag, "NAME");
            size_t end = FindNoCase(source, "</SELECT", i);
            std::string list =
                source.substr(i, end == std::string::npos ? std::string::npos : end - i);
            run.arOptions.clear();
            std::string chosen;
            bool first = true;
            bool selected = false;
            for (size_t at = FindNoCase(list, "<OPTION", 0); at != std::string::npos;
                 at = FindNoCase(list, "<OPTION", at + 1)) {
                std::string optionTag = TagAt(list, at);
                size_t textStart = at + optionTag.size();
                std::string label = text::Trim(
                    list.substr(textStart, NextOf(list, textStart, '<') - textStart), kHtmlBlanks);
                std::string value =
                    HasAttribute(optionTag, "VALUE") ? AttributeValue(optionTag, "VALUE") : label;
                run.arOptions.push_back(label);
                // The first option is sent unless another one is marked.
                bool marked = !selected && HasAttribute(optionTag, "SELECTED");
                if (first || marked) {
                    chosen = value;
                }
                first = false;
                selected = selected || marked;
            }
            std::string shown;
            for (const std::string& option : run.arOptions) {
                shown += (shown.empty() ? "" : "/") + option;
            }
            text += "[" + shown + "]";
            fields.Add(field, chosen);
            i = SkipPast(source, i, "</SELECT");
        } else if (name == "TEXTAREA") {
            size_t end = FindNoCase(source, "</TEXTAREA", i);
            std::string content =
                source.substr(i, end == std::string::npos ? std::string::npos : end - i);
            text += "[" + content + "]";
            fields.Add(AttributeValue(tag, "NAME"), content);
            i = SkipPast(source, i, "</TEXTAREA");
        } else if (name == "SCRIPT" || name == "STYLE") {
            i = SkipPast(source, i, "</" + name);
        } else if (name == "TR" || name == "P" || name == "BR" || name == "/TR") {
            text += "\r\n";
        }
    }

    std::string entry = method + " " + action + "\r\n";
    for (size_t k = 0; k < fields.values.size(); ++k) {
        if (k > 0) {
            entry += '&';
        }
        entry += FormEncode(DecodeEntities(fields.values[k].first));
        entry += '=';
        entry += FormEncode(DecodeEntities(fields.values[k].second));
    }
    m_arForms.push_back(entry);
    std::string label = "\r\n" + std::string(kFormLabel) + std::to_string(m_nFormCount) + ":";
    ++m_nFormCount;
    return label + DecodeEntities(text);
}

// One pass from left to right, so a decoded "&" never starts another
// reference ("&amp;lt;" reads "&lt;"). A numeric reference counts when it is
// shorter than 10 characters; once an "&#" has no ";" after it, no numeric
// reference is decoded any more.
std::string CVelHttpConnect::DecodeEntities(const std::string& strText) const {
    std::string out;
    out.reserve(strText.size());
    bool numeric = true;
    size_t i = 0;
    while (i < strText.size()) {
        size_t amp = NextOf(strText, i, '&');
        out.append(strText, i, amp - i);
        i = amp;
        if (i >= strText.size()) {
            break;
        }
        bool named = false;
        for (size_t k = 0; k < m_arEntityNames.size(); ++k) {
            if (strText.compare(i, m_arEntityNames[k].size(), m_arEntityNames[k]) == 0) {
                out += m_arEntityTexts[k];
                i += m_arEntityNames[k].size();
                named = true;
                break;
            }
        }
        if (named) {
            continue;
        }
        if (numeric && strText.compare(i, 2, "&#") == 0) {
            size_t semi = strText.find(';', i + 2);
            unsigned long code = 0;
            if (semi == std::string::npos) {
                numeric = false;
            } else if (semi + 1 - i < 10 && ParseNumericReference(strText, i, semi, code)) {
                AppendUtf8(out, code);
                i = semi + 1;
                continue;
            }
        }
        out += '&';
        ++i;
    }
    return out;
}
