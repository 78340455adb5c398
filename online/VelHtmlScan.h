#pragma once
// Small text scanners the HTTP code and its HTML converter share. Case is
// folded for ASCII letters only, so multibyte characters pass untouched.

#include <string>

namespace velhtml {

// Blanks as HTML has them.
inline constexpr char kHtmlBlanks[] = " \t\r\n\f";
// Whether text holds token at pos, ASCII letters in any case.
bool StartsWithNoCase(const std::string& text, size_t pos, const std::string& token);
// Position of the first token at or after pos, any case; npos when none.
size_t FindNoCase(const std::string& text, const std::string& token, size_t pos);
// Position of the next c at or after pos, or the text's size.
size_t NextOf(const std::string& text, size_t pos, char c);
// The tag that begins at pos: up to and including the next ">", or to the end.
std::string TagAt(const std::string& text, size_t pos);
// The tag's name in upper case ("A", "/FORM", "DC:CREATOR").
std::string TagName(const std::string& tag);
// The value of an attribute of the tag: quoted values run to their closing
// quote, others end at a blank or ">". Empty when the tag has none.
std::string AttributeValue(const std::string& tag, const std::string& name);
// Whether the tag carries the attribute at all (CHECKED, SELECTED).
bool HasAttribute(const std::string& tag, const std::string& name);

} // namespace velhtml
