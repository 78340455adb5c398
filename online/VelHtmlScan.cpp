#include "online/VelHtmlScan.h"

#include "text/ascii.h"

#include <cstring>

namespace velhtml {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool IsNameChar(char c) {
    return !IsBlank(c) && c != '>' && c != '/' && c != '=' && c != '<' && c != '"' && c != '\'';
}

// Where the attribute's name stands in the tag (after the tag name, preceded
// by a blank or a quote, followed by a blank, "=", "/" or the end), or npos.
size_t FindAttribute(const std::string& tag, const std::string& name) {
    size_t pos = 1;
    while ((pos = FindNoCase(tag, name, pos)) != std::string::npos) {
        char before = tag[pos - 1];
        size_t after = pos + name.size();
        bool startOk = IsBlank(before) || before == '"' || before == '\'';
        bool endOk = after >= tag.size() || !IsNameChar(tag[after]);
        if (startOk && endOk) {
            return pos;
        }
        pos = after;
    }
    return std::string::npos;
}

} // namespace

bool StartsWithNoCase(const std::string& text, size_t pos, const std::string& token) {
    if (pos > text.size() || text.size() - pos < token.size()) {
        return false;
    }
    for (size_t k = 0; k < token.size(); ++k) {
        if (text::AsciiUpper(text[pos + k]) != text::AsciiUpper(token[k])) {
            return false;
        }
    }
    return true;
}

size_t FindNoCase(const std::string& text, const std::string& token, size_t pos) {
    if (token.empty()) {
        return pos <= text.size() ? pos : std::string::npos;
    }
    const char first = text::AsciiUpper(token[0]);
    const char firstLower = text::AsciiLower(first);
    for (size_t i = pos; i + token.size() <= text.size(); ++i) {
        if ((text[i] == first || text[i] == firstLower) && StartsWithNoCase(text, i, token)) {
            return i;
        }
    }
    return std::string::npos;
}

size_t NextOf(const std::string& text, size_t pos, char c) {
    if (pos >= text.size()) {
        return text.size();
    }
    const void* found = std::memchr(text.data() + pos, c, text.size() - pos);
    return found ? static_cast<size_t>(static_cast<const char*>(found) - text.data()) : text.size();
}

std::string TagAt(const std::string& text, size_t pos) {
    size_t close = text.find('>', pos);
    return text.substr(pos, close == std::string::npos ? std::string::npos : close + 1 - pos);
}

std::string TagName(const std::string& tag) {
    size_t i = 1;
    std::string name;
    if (i < tag.size() && tag[i] == '/') {
        name.push_back('/');
        ++i;
    }
    while (i < tag.size() && IsNameChar(tag[i])) {
        name += text::AsciiUpper(tag[i]);
        ++i;
    }
    return name;
}

std::string AttributeValue(const std::string& tag, const std::string& name) {
    size_t at = FindAttribute(tag, name);
    while (at != std::string::npos) {
        size_t i = at + name.size();
        while (i < tag.size() && IsBlank(tag[i])) {
            ++i;
        }
        if (i < tag.size() && tag[i] == '=') {
            ++i;
            while (i < tag.size() && IsBlank(tag[i])) {
                ++i;
            }
            if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
                size_t close = tag.find(tag[i], i + 1);
                size_t end = close == std::string::npos ? tag.size() : close;
                if (close == std::string::npos && end > i + 1 && tag[end - 1] == '>') {
                    --end;
                }
                return tag.substr(i + 1, end - i - 1);
            }
            size_t end = i;
            while (end < tag.size() && !IsBlank(tag[end]) && tag[end] != '>') {
                ++end;
            }
            return tag.substr(i, end - i);
        }
        // A bare attribute of that name; a later one may still carry a value.
        size_t next = FindAttribute(tag.substr(i), name);
        at = next == std::string::npos ? std::string::npos : i + next;
    }
    return std::string();
}

bool HasAttribute(const std::string& tag, const std::string& name) {
    return FindAttribute(tag, name) != std::string::npos;
}

} // namespace velhtml
