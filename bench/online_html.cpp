// The HTML-to-text converter on a 1 MB page, whole and in 4 KiB chunks.
#include "online/VelHttpConnect.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string MakePage(size_t size) {
    const std::string block =
        "<tr><td><p class=\"entry\">今日の対戦結果 &amp; ranking <b>No.1</b> 名人</p>"
        "<a href=\"/game/result.asp?id=42&amp;page=3\">詳しく見る</a> "
        "<img src=\"/img/star.png\" alt=\"星\"><br>\n"
        "<script type=\"text/javascript\">if (a < b) { show('<b>x</b>'); }</script>"
        "<form action=\"/send\" method=\"post\">名前 <input type=text name=name value=\"&#65;\">"
        "<select name=aria><option>Japan<option>Chad</select><input type=submit value=送信></form>"
        "Plain text that simply runs on for a while, as most of a page does.</td></tr>\n";
    std::string page = "<html><head><title>Score table</title>"
                       "<meta charset=\"utf-8\"></head><body><table>\n";
    while (page.size() < size) {
        page += block;
    }
    return page + "</table></body></html>\n";
}

void BM_HtmlToText(benchmark::State& state) {
    const std::string page = MakePage(1000 * 1000);
    const size_t chunk = static_cast<size_t>(state.range(0));
    for (auto _ : state) {
        CVelHttpConnect http;
        http.m_strFinalUrl = "http://score.example/game/";
        http.HtmlToText("", CVelHttpConnect::kHtmlReset, 0);
        size_t produced = 0;
        for (size_t at = 0; at < page.size(); at += chunk) {
            produced +=
                http.HtmlToText(page.substr(at, chunk), CVelHttpConnect::kHtmlConvert, 0).size();
        }
        produced += http.HtmlToText("", CVelHttpConnect::kHtmlConvert, 1).size();
        benchmark::DoNotOptimize(produced);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_HtmlToText)->Arg(4096)->Arg(1000 * 1000)->Unit(benchmark::kMillisecond);

} // namespace
