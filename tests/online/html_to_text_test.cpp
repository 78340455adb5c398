// The HTML-to-text converter: what text a page gives, and what it collects
// on the side, however the page is cut into chunks.
#include "online/VelHttpConnect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

std::string Convert(CVelHttpConnect& http, const Strings& chunks) {
    http.HtmlToText("", CVelHttpConnect::kHtmlReset, 0);
    std::string text;
    for (const std::string& chunk : chunks) {
        text += http.HtmlToText(chunk, CVelHttpConnect::kHtmlConvert, 0);
    }
    return text + http.HtmlToText("", CVelHttpConnect::kHtmlConvert, 1);
}

std::string Convert(const std::string& page,
                    const std::string& finalUrl = "http://h/dir/page.html") {
    CVelHttpConnect http;
    http.m_strFinalUrl = finalUrl;
    return Convert(http, {page});
}

TEST(HtmlToText, PageText) {
    struct Case {
        const char* name;
        std::string page;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"plain text passes", "Hello, 世界", "Hello, 世界"},
        {"tags vanish", "<p class=x>one</p><div>two</div>", "onetwo"},
        {"nested brackets stay inside the tag", "a<!-- <b> c -->d", "ad"},
        {"empty brackets are text", "a<>b", "a<>b"},
        {"line breaks", "a<BR>b<br/>c</tr>d<Br clear=all>e</br>f", "a\r\nb\r\nc\r\nd\r\ne\r\nf"},
        {"script dropped, its closing bracket kept", "a<ScRiPt>if (x<y) w('<b>');</SCRIPT>b",
         "a>b"},
        {"style dropped", "a<style>p{}</style >b", "a >b"},
        {"selection list outside a form says nothing", "x<select name=s><option>1</select>y", "xy"},
        {"RSS descriptions dropped", "a<description>long</description>b", "ab"},
        {"namespace tags dropped whole", "a<dc:creator>me</dc:creator>b<syn:x>1</syn:x>c", "abc"},
        {"self-closing namespace tag drops nothing", "a<dc:x/>b", "ab"},
        {"image gives its alternative text", "a<img src=cat.png alt=\"a cat\">b<img src=x>",
         "a(a cat)b"},
        {"entities stay outside forms", "a&amp;b&#65;", "a&amp;b&#65;"},
        {"a lone blank is no text", " ", ""},
        {"a lone closing bracket is no text", ">", ""},
        {"a lone opening bracket is no text", "<", ""},
        {"a lone middle dot is no text", "<b>・</b>", ""},
        {"two blanks are text", "  ", "  "},
        {"a tag never closed says nothing", "text<b class=", "text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Convert(c.page), c.text);
    }
}

TEST(HtmlToText, LinksAreLabelledAndCollected) {
    struct Case {
        const char* name;
        std::string page;
        std::string text;
        Strings links;
        std::string base;
    };
    const std::vector<Case> cases = {
        {"relative to the page",
         "see <a href=\"next.html\">Next</a> end",
         "see \r\nリンク0:Next end",
         {"http://h/dir/next.html"},
         ""},
        {"several, in order",
         "<A HREF=/a>A</A><a class=x href='b c.html'>B</a>",
         "\r\nリンク0:A\r\nリンク1:B",
         {"http://h/a", "http://h/dir/b%20c.html"},
         ""},
        {"against the base address",
         "<base href=\"http://b/x/\"><a href=y>Y</a>",
         "\r\nリンク0:Y",
         {"http://b/x/y"},
         "http://b/x/"},
        {"empty address: no label, no link", "<a href=\"\">z</a><a name=top>t</a>", "zt", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CVelHttpConnect http;
        http.m_strFinalUrl = "http://h/dir/page.html";
        EXPECT_EQ(Convert(http, {c.page}), c.text);
        EXPECT_EQ(http.m_arLinks, c.links);
        EXPECT_EQ(http.m_nLinkCount, static_cast<int>(c.links.size()));
        EXPECT_EQ(http.m_strBaseHref, c.base);
    }
}

TEST(HtmlToText, LinkNumbersRunOnAcrossResetsFormNumbersDoNot) {
    CVelHttpConnect http;
    http.m_strFinalUrl = "http://h/";
    const std::string page = "<a href=a>a</a><form>f</form>";
    EXPECT_EQ(Convert(http, {page}), "\r\nリンク0:a\r\nフォーム0:f");
    EXPECT_EQ(http.HtmlToText("", CVelHttpConnect::kHtmlReset, 0), "");
    EXPECT_EQ(http.m_arLinks.size(), 1u) << "a reset leaves what was collected";
    EXPECT_EQ(http.m_arEntityNames.size(), 10u);
    EXPECT_EQ(http.m_arBreakTags.size(), 4u);
    http.m_nFormCount = 0; // as a new request does
    EXPECT_EQ(Convert(http, {page}), "\r\nリンク1:a\r\nフォーム0:f");
    EXPECT_EQ(http.m_arLinks, (Strings{"http://h/a", "http://h/a"}));
}

TEST(HtmlToText, PageFactsAreCollected) {
    CVelHttpConnect http;
    http.m_strUrl = "http://h/top/index.html";
    http.m_strFinalUrl = http.m_strUrl;
    const std::string page =
        "<html><head><title> First </title><title>Second</title>"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
        "<meta http-equiv=\"Refresh\" content=\"5; URL = http://h/new page.html\"></head>"
        "<frameset><frame src=\"a.html\" name=\"left\"><frame src=\"a.html\" name=\"dup\">"
        "<FRAME SRC=b.html NAME=right></frameset></html>";
    EXPECT_EQ(Convert(http, {page}), " First Second");
    EXPECT_EQ(http.m_strTitle, "First") << "the first title stays";
    EXPECT_EQ(http.m_nCharset, 1);
    EXPECT_EQ(http.m_nRefreshDelay, 5);
    EXPECT_EQ(http.m_strRefreshUrl, "http://h/newpage.html");
    EXPECT_EQ(http.m_arFrameUrls, (Strings{"http://h/top/a.html", "http://h/top/b.html"}));
    EXPECT_EQ(http.m_arFrameNames, (Strings{"left", "right"}));

    struct Charset {
        std::string meta;
        int value;
    };
    for (const Charset& c :
         std::vector<Charset>{{"<meta charset=\"utf-8\">", 2},
                              {"<META CONTENT='text/html; CHARSET=SHIFT_JIS'>", 1},
                              {"<meta charset=euc-jp>", 0},
                              {"<meta name=x content=utf-8>", 0}}) {
        SCOPED_TRACE(c.meta);
        CVelHttpConnect fresh;
        Convert(fresh, {c.meta});
        EXPECT_EQ(fresh.m_nCharset, c.value);
        EXPECT_EQ(fresh.m_nRefreshDelay, -1);
    }
}

TEST(HtmlToText, FormsComeOutWholeWithTheirFields) {
    CVelHttpConnect http;
    http.m_strFinalUrl = "http://h/dir/page.html";
    const std::string page =
        "before<form action=\"/send?x=1&amp;y=2\" method=post>名前 <input type=text name=name "
        "value=\"A&amp;B\"><input type=hidden name=h value=\"&#65;&yen\"><p>地域 <select "
        "name=aria><option value=1>Japan<option selected>Chad</select><input type=checkbox "
        "name=c checked><input type=radio name=r value=no><textarea name=t>x&lt;y</textarea>"
        "<input type=\"submit\" value=\"送信\"></form>after";
    EXPECT_EQ(Convert(http, {page}),
              "before\r\nフォーム0:名前 [A&B]\r\n地域 [Japan/Chad][x][ ][x<y][送信]after");
    EXPECT_EQ(http.m_arForms,
              Strings{"POST http://h/send?x=1&y=2\r\nname=A%26B&h=A%C2%A5&aria=Chad&c=on&t=x%3Cy"});
    EXPECT_EQ(http.m_nFormCount, 1);
}

TEST(HtmlToText, FormEntitiesDecode) {
    struct Case {
        std::string in;
        std::string out;
    };
    const std::vector<Case> cases = {
        {"a&nbsp;b", "a b"},
        {"&yen;100", "¥;100"},
        {"&plusmn&laquo&raquo&copy;&quot;&gt;&lt;", "±≪≫c\"><"},
        {"&#65;&#x42;", "AB"},
        {"&#12354;&#128512;", "あ😀"},
        {"&#200;", "È"},
        {"&#0;&#xD800;", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"&amp;lt; is not &lt;", "&lt; is not <"},
        {"&#1234567890;", "&#1234567890;"},
        {"&#123456;&#1234567;", "\xF0\x9E\x89\x80&#1234567;"},
        {"&#abc;&#;", "&#abc;&#;"},
        {"&#66;x&#67 and &amp; after", "Bx&#67 and & after"},
        {"&#67 &#66;", "&#67 B"},
        {"&#9 &yen &#65;", "&#9 ¥ A"},
        {"&#9 &yen", "&#9 ¥"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        CVelHttpConnect http;
        EXPECT_EQ(Convert(http, {"<form>" + c.in + "</form>"}), "\r\nフォーム0:" + c.out);
    }
}

TEST(HtmlToText, RssFeedGivesItsItems) {
    CVelHttpConnect http;
    const std::string feed =
        "<?xml version=\"1.0\"?><rss><channel><title>Feed</title><link>http://h/</link>"
        "<description>About</description>chatter<item><title>News 1</title>"
        "<link> http://h/1 </link><description>long</description><dc:creator>me</dc:creator>"
        "</item>between<item><title>News 2</title></item></channel></rss>";
    EXPECT_EQ(Convert(http, {feed}), "\r\nNews 1\r\nリンク1:http://h/1\r\n\r\nNews 2\r\n");
    EXPECT_EQ(http.m_strTitle, "Feed");
    EXPECT_EQ(http.m_arLinks, (Strings{"http://h/", "http://h/1"}));
}

TEST(HtmlToText, ChunksReadLikeTheWholePage) {
    const std::string page =
        "<html><head><title>T</title><script>if(a<b)x();</script></head><body>Text "
        "&amp; more<br><a href=\"l.html\">link</a> <img alt=pic src=p> <select><option>o</select>"
        "<form action=f>in <input name=n value=\"&#65;\"><p>x</form>tail >"
        "<description>d</description><dc:a>z</dc:a> end</body></html>";
    CVelHttpConnect whole;
    whole.m_strFinalUrl = "http://h/";
    const std::string expected = Convert(whole, {page});
    ASSERT_EQ(expected,
              "T>Text &amp; more\r\n\r\nリンク0:link (pic) \r\nフォーム0:in [A]\r\nxtail > end");

    // The classic edge: the text before an unfinished tag comes out at once.
    CVelHttpConnect first;
    first.HtmlToText("", CVelHttpConnect::kHtmlReset, 0);
    EXPECT_EQ(first.HtmlToText("abc<b", CVelHttpConnect::kHtmlConvert, 0), "abc");
    EXPECT_EQ(first.HtmlToText("r>def", CVelHttpConnect::kHtmlConvert, 0), "\r\ndef");

    for (size_t cut = 0; cut <= page.size(); ++cut) {
        CVelHttpConnect http;
        http.m_strFinalUrl = "http://h/";
        ASSERT_EQ(Convert(http, {page.substr(0, cut), page.substr(cut)}), expected)
            << "cut at " << cut;
        ASSERT_EQ(http.m_arLinks, whole.m_arLinks);
        ASSERT_EQ(http.m_arForms, whole.m_arForms);
        ASSERT_EQ(http.m_strTitle, whole.m_strTitle);
    }
    Strings bytes;
    for (char c : page) {
        bytes.emplace_back(1, c);
    }
    CVelHttpConnect byByte;
    byByte.m_strFinalUrl = "http://h/";
    EXPECT_EQ(Convert(byByte, bytes), expected);

    // Lone pieces between chunks are held, not lost.
    CVelHttpConnect lone;
    EXPECT_EQ(Convert(lone, {"a", " ", "b", ">"}), "a b>");
}

TEST(HtmlToText, FinalCallClosesAnOpenForm) {
    CVelHttpConnect http;
    http.m_strFinalUrl = "http://h/p";
    http.HtmlToText("", CVelHttpConnect::kHtmlReset, 0);
    EXPECT_EQ(
        http.HtmlToText("x<form>abc <input name=q value=1>", CVelHttpConnect::kHtmlConvert, 0),
        "x");
    EXPECT_EQ(http.HtmlToText("ignored", CVelHttpConnect::kHtmlConvert, 1),
              "\r\nフォーム0:abc [1]");
    EXPECT_EQ(http.m_arForms, Strings{"GET http://h/p\r\nq=1"});
    EXPECT_EQ(http.HtmlToText("", CVelHttpConnect::kHtmlConvert, 1), "") << "closed once only";
}

} // namespace
