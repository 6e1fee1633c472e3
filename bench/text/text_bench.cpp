// Throughput of the page-reading paths on a 1 MiB GBK result page, beside the C
// library's memmem and a direct iconv call on the same input.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "text/codepage.h"
#include "text/gbk_text.h"
#include "text/text_between.h"
#include "text/url_encode.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace {

using namespace vorlane;

constexpr std::size_t kPageSize = 1 << 20;

// A result page in UTF-8: markup, product titles and prices, then the markers the
// checks look for near its end.
const std::string& PageUtf8() {
  static const std::string page = [] {
    const char* titles[] = {"新款女装连衣裙夏季雪纺碎花长裙显瘦气质",
                            "男士休闲裤宽松直筒运动长裤春秋款",
                            "儿童玩具益智积木拼装大颗粒 3-6 岁",
                            "苹果手机壳硅胶全包防摔软壳简约透明",
                            "家用电饭煲智能预约 4L 大容量多功能正品",
                            "纯棉四件套床上用品被套床单学生宿舍",
                            "美白保湿面膜补水收缩毛孔没有添加剂的温和配方",
                            "户外登山鞋男防水防滑耐磨徒步鞋"};
    std::string html = "<html><head><meta charset=\"utf-8\"><title>搜索结果</title></head><body>\n";
    for (unsigned i = 0; html.size() < kPageSize - 4096; ++i) {
      html += "<div class=\"item\"><a href=\"/item/" + std::to_string(100000 + i) + "\">";
      html += titles[i % 8];
      html += "</a><span class=\"price\">￥" + std::to_string(10 + i % 90) + ".00</span>";
      html += "<p>已售 " + std::to_string(i * 7 % 1000) + " 件，好评率 98%，店铺：优选好货旗舰店</p></div>\n";
    }
    html += "<div class=\"tip\">没有找到你要搜索的宝贝</div>";
    html += "<DIV CLASS=\"Result-Count\">共找到<b>1234</b>个宝贝</DIV>\n";
    html.resize(kPageSize, ' ');
    return html;
  }();
  return page;
}

const std::string& PageGbk() {
  static const std::string gbk = Utf8ToGbk(PageUtf8());
  return gbk;
}

// "没有找到你要搜索的" (not found what you searched for)
const std::string kNotFound = Utf8ToGbk("没有找到你要搜索的");
const std::string kCountStart = Utf8ToGbk("<div class=\"result-count\">共找到<b>");
const std::string kCountEnd = "</b>";

void BM_FindText_CaseSensitive(benchmark::State& state) {
  const std::string& page = PageGbk();
  for (auto _ : state) benchmark::DoNotOptimize(FindText(page, kNotFound, 1, false));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_FindText_CaseSensitive);

void BM_Memmem_SameMarker(benchmark::State& state) {
  const std::string& page = PageGbk();
  for (auto _ : state) {
#ifdef _WIN32
    benchmark::DoNotOptimize(page.find(kNotFound));
#else
    benchmark::DoNotOptimize(::memmem(page.data(), page.size(), kNotFound.data(), kNotFound.size()));
#endif
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Memmem_SameMarker);

void BM_FindText_IgnoreCase(benchmark::State& state) {
  const std::string& page = PageGbk();
  for (auto _ : state) benchmark::DoNotOptimize(FindText(page, kCountStart, 1, true));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_FindText_IgnoreCase);

void BM_TextBetween(benchmark::State& state) {
  const std::string& page = PageGbk();
  for (auto _ : state) benchmark::DoNotOptimize(TextBetween(page, kCountStart, kCountEnd));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_TextBetween);

void BM_Utf8ToGbk(benchmark::State& state) {
  const std::string& page = PageUtf8();
  for (auto _ : state) benchmark::DoNotOptimize(Utf8ToGbk(page));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Utf8ToGbk);

// Prices with the half-width yen sign, which GBK lacks: every one of them makes the
// conversion substitute a character and go on.
void BM_Utf8ToGbk_Unmappable(benchmark::State& state) {
  std::string page;
  while (page.size() < (1u << 20))
    page +=
        "<span>\xC2\xA5"
        "128.00</span> \xE5\xAE\x9D\xE8\xB4\x9D ";
  for (auto _ : state) benchmark::DoNotOptimize(Utf8ToGbk(page));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Utf8ToGbk_Unmappable);

#ifndef _WIN32
// One iconv call over the whole page into a buffer of sufficient size.
void BM_Iconv_Utf8ToCp936(benchmark::State& state) {
  const std::string& page = PageUtf8();
  std::string out(page.size() + 16, '\0');
  for (auto _ : state) {
    iconv_t cd = ::iconv_open("CP936", "UTF-8");
    char* in = const_cast<char*>(page.data());
    std::size_t inLeft = page.size();
    char* dst = out.data();
    std::size_t outLeft = out.size();
    benchmark::DoNotOptimize(::iconv(cd, &in, &inLeft, &dst, &outLeft));
    ::iconv_close(cd);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Iconv_Utf8ToCp936);
#endif

// A product title as the single check encodes it: one short conversion, so the
// fixed cost of setting up a conversion shows here.
void BM_UrlEncode_Title(benchmark::State& state) {
  const std::string title = Utf8ToGbk("新款女装连衣裙夏季雪纺碎花长裙");
  for (auto _ : state) benchmark::DoNotOptimize(UrlEncode(title));
}
BENCHMARK(BM_UrlEncode_Title);

}  // namespace

BENCHMARK_MAIN();
