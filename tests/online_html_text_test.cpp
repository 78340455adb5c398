// What the HTTP client's converter makes of a page, fed in chunks as a
// download arrives: the text a reader is given.
#include "online/VelHttpConnect.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

TEST(HtmlText, PagesReadAsTheirText) {
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"<html><body><p>Hello <b>world</b><></p></body></html>"}, "Hello world<>"},
        {{"一<br>二<BR/>三<br />四<table><tr><td>五</td></tr><tr><td>六</td></TR></table>"},
         "一\r\n二\r\n三\r\n四五\r\n六\r\n"},
        {{"x<script>if (a < b) go();</script>y"}, "x>y"},
        {{"x<STYLE type=text/css>p { }</Style>y"}, "x>y"},
        {{"x<!-- <b>note</b> -->y"}, "xy"},
        {{"a<select name=l><option>1<option>2</select>b"}, "ab"},
        {{"<p>\x83\x5c\x95\x5c</p>"}, "\x83\x5c\x95\x5c"},
        {{"<p>剣の決闘</p>"}, "剣の決闘"},
        {{"<a href=\"s.html\">順位</a><a href=\"\">空</a><a href=t>表</a>"},
         "\r\nリンク0:順位空\r\nリンク1:表"},
        {{"<img src=i.png alt=\"剣\">"}, "(剣)"},
        {{"<form>a&nbsp;b&yen;&#65;&lt;&quot;</form>x"}, "\r\nフォーム0:a b¥;A<\"x"},
        {{"one<b", "r>two<", "/p>three"}, "one\r\ntwothree"},
        {{"text<b"}, "text"},
        {{"a<script>never closed"}, "a"},
        {{"<p> </p>"}, ""},
    };
    for (const auto& [chunks, want] : rows) {
        SCOPED_TRACE(chunks.front());
        CVelHttpConnect http;
        std::string text;
        for (const std::string& chunk : chunks) {
            text += http.HtmlToText(chunk, CVelHttpConnect::kHtmlConvert, 0);
        }
        EXPECT_EQ(text + http.HtmlToText("", CVelHttpConnect::kHtmlConvert, 1), want);
    }
}
