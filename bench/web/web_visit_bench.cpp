// Wall time of one fetch as the checks make it: the visit with result encoding 1,
// then the search for the markers. Beside it, the curl command line fetching the
// same page, one process per request, as a shell loop would run it.
//
//   web_visit_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
//
// Under scripts/tls-stack.sh, the same two over HTTPS against the script's nginx:
// its result page (gzip-coded, with a length) for one check, beside `curl -s` of
// the same address.
#include <benchmark/benchmark.h>

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <memory>
#include <string>

#include "search_site.h"
#include "text/gbk_text.h"
#include "text/text_between.h"
#include "web/web_visit.h"

#ifdef _WIN32
#include <winsock2.h>
#endif

namespace {

using vorlane::Text;

constexpr size_t kPageFiller = 200 * 1024;
// 没有找到你要搜索的, and the count markers title fl">找到 ... 个“
constexpr std::string_view kNotFound =
    "\xC3\xBB\xD3\xD0\xD5\xD2\xB5\xBD\xC4\xE3\xD2\xAA\xCB\xD1\xCB\xF7\xB5\xC4";
constexpr std::string_view kCountStart = "title fl\">\xD5\xD2\xB5\xBD";
constexpr std::string_view kCountEnd = "\xB8\xF6\xA1\xB0";

// A fresh site per run, so that the server's finished connection threads are
// joined between runs.
std::unique_ptr<vorlane::test::SearchSite> StartSite() {
  return std::make_unique<vorlane::test::SearchSite>(
      vorlane::test::SearchSiteOptions{.fillerBytes = kPageFiller});
}

void BM_VisitAndReadMarkers(benchmark::State& state) {
  auto site = StartSite();
  const std::string url = site->SearchUrl(vorlane::test::kDressUtf8);
  size_t bytes = 0;
  for (auto _ : state) {
    Text address = url;
    Text page = vorlane::BytesToText(
        vorlane::网页_访问(address, vorlane::kVisitGet, "", nullptr, "", "", vorlane::kBodyFromUtf8));
    bool indexed = vorlane::FindText(page, kNotFound) == -1;
    Text count = vorlane::TextBetween(page, kCountStart, kCountEnd);
    if (!indexed || count != "12") state.SkipWithError("wrong page");
    bytes += page.size();
    benchmark::DoNotOptimize(count);
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_VisitAndReadMarkers)->Iterations(100)->UseRealTime()->Unit(benchmark::kMillisecond);

// The TLS stack's search address for one title.
std::string HttpsSearchUrl() {
  return "https://localhost:" + std::string(std::getenv("VORLANE_TLS_GOOD")) +
         "/book/search/%E6%AF%9B%E8%A1%A3";
}

void BM_VisitHttps(benchmark::State& state) {
  const std::string url = HttpsSearchUrl();
  for (auto _ : state) {
    Text address = url;
    Text page = vorlane::BytesToText(
        vorlane::网页_访问(address, vorlane::kVisitGet, "", nullptr, "", "", vorlane::kBodyFromUtf8));
    Text count = vorlane::TextBetween(page, kCountStart, kCountEnd);
    if (vorlane::FindText(page, kNotFound) != -1 || count != "7") state.SkipWithError("wrong page");
    benchmark::DoNotOptimize(count);
  }
}

#ifndef _WIN32
// `curl -s url` with its output to /dev/null, once per iteration.
void RunCurl(benchmark::State& state, std::string url) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  char curl[] = "curl";
  char silent[] = "-s";
  char* argv[] = {curl, silent, url.data(), nullptr};
  for (auto _ : state) {
    pid_t child = 0;
    if (posix_spawnp(&child, "curl", &actions, nullptr, argv, environ) != 0) {
      state.SkipWithError("curl not found");
      break;
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("curl failed");
  }
  posix_spawn_file_actions_destroy(&actions);
}

void BM_CurlCommandLine(benchmark::State& state) {
  auto site = StartSite();
  RunCurl(state, site->SearchUrl(vorlane::test::kDressUtf8));
}
BENCHMARK(BM_CurlCommandLine)->Iterations(100)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_CurlHttps(benchmark::State& state) {
  RunCurl(state, HttpsSearchUrl());
}
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  WSADATA data;
  ::WSAStartup(MAKEWORD(2, 2), &data);
#endif
  if (std::getenv("VORLANE_TLS_GOOD")) {
    benchmark::RegisterBenchmark("BM_VisitHttps", BM_VisitHttps)
        ->Iterations(100)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
#ifndef _WIN32
    benchmark::RegisterBenchmark("BM_CurlHttps", BM_CurlHttps)
        ->Iterations(100)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
#endif
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
