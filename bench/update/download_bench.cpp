// Downloads a 256 MiB file from a local server with DownloadFile and with
// `curl -s -o`, for a throughput comparison. The server generates the body as it
// sends it, so the process's peak memory shows only what the download itself holds.
// Run with --benchmark_enable_random_interleaving=true so the two alternate.
//
// Under scripts/tls-stack.sh with VORLANE_TLS_BIG_MIB set, the same two over HTTPS
// from the script's nginx (a file of that many MiB): the downloader through the
// HTTP service (libcurl) beside `curl -s -o`.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/fault_server.h"
#include "update/download_file.h"

namespace {

namespace fs = std::filesystem;
using vorlane::test::FaultServer;

constexpr std::uint64_t kFileSize = 256ull << 20;

FaultServer& Server() {
  static FaultServer server([] {
    vorlane::test::FaultPlan plan;
    plan.generatedSize = kFileSize;
    return plan;
  }());
  return server;
}

const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path p = fs::temp_directory_path() / "vorlane-download-bench";
    fs::create_directories(p);
    return p;
  }();
  return folder;
}

// Peak resident memory of this process so far, in KiB.
long PeakRssKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

// The file is the server's: its size and a few bytes spread over it.
bool IsTheServedFile(const fs::path& p) {
  std::error_code ec;
  if (fs::file_size(p, ec) != kFileSize || ec) return false;
  std::ifstream in(p, std::ios::binary);
  for (std::uint64_t at : {std::uint64_t{0}, kFileSize / 3, kFileSize / 2 + 12345, kFileSize - 1}) {
    char c = 0;
    in.seekg(static_cast<std::streamoff>(at));
    if (!in.get(c) || c != vorlane::test::GeneratedByte(at)) return false;
  }
  return true;
}

void RemoveQuietly(const fs::path& p) {
  std::error_code ec;
  fs::remove(p, ec);
}

void BM_DownloadFile(benchmark::State& state) {
  const fs::path target = Folder() / "ours.bin";
  const std::string url = Server().Url("big.bin");
  vorlane::net::TcpSocket socket;
  const long peak_before = PeakRssKiB();
  for (auto _ : state) {
    state.PauseTiming();
    RemoveQuietly(target);
    state.ResumeTiming();
    vorlane::update::ByteCounter total{0}, received{0};
    std::int32_t result = vorlane::update::DownloadFile(socket, url, target.string(), total, received);
    state.PauseTiming();
    if (result != vorlane::update::kDownloadOk || !IsTheServedFile(target))
      state.SkipWithError(("download failed with " + std::to_string(result)).c_str());
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
  state.counters["peak_rss_growth_KiB"] = static_cast<double>(PeakRssKiB() - peak_before);
  RemoveQuietly(target);
}

void BM_CurlDownload(benchmark::State& state) {
  const fs::path target = Folder() / "curl.bin";
  const std::string command = "curl -s -o '" + target.string() + "' " + Server().Url("big.bin");
  for (auto _ : state) {
    state.PauseTiming();
    RemoveQuietly(target);
    state.ResumeTiming();
    int status = std::system(command.c_str());
    state.PauseTiming();
    if (status != 0 || !IsTheServedFile(target)) state.SkipWithError("curl failed");
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
  RemoveQuietly(target);
}

BENCHMARK(BM_DownloadFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(9);
BENCHMARK(BM_CurlDownload)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(9);

// --- Over HTTPS, from the TLS stack's nginx -------------------------------------------

std::string HttpsUrl() {
  return "https://localhost:" + std::string(std::getenv("VORLANE_TLS_GOOD")) + "/pkg/big.bin";
}

std::uint64_t HttpsFileSize() {
  return std::strtoull(std::getenv("VORLANE_TLS_BIG_MIB"), nullptr, 10) << 20;
}

bool HasSize(const fs::path& p, std::uint64_t size) {
  std::error_code ec;
  return fs::file_size(p, ec) == size && !ec;
}

void BM_DownloadFileHttps(benchmark::State& state) {
  const fs::path target = Folder() / "ours-https.bin";
  const std::string url = HttpsUrl();
  const long peak_before = PeakRssKiB();
  for (auto _ : state) {
    state.PauseTiming();
    RemoveQuietly(target);
    state.ResumeTiming();
    vorlane::update::ByteCounter total{0}, received{0};
    std::int32_t result = vorlane::update::DownloadFile(url, target.string(), total, received);
    state.PauseTiming();
    if (result != vorlane::update::kDownloadOk || !HasSize(target, HttpsFileSize()))
      state.SkipWithError(("download failed with " + std::to_string(result)).c_str());
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * HttpsFileSize()));
  state.counters["peak_rss_growth_KiB"] = static_cast<double>(PeakRssKiB() - peak_before);
  RemoveQuietly(target);
}

void BM_CurlDownloadHttps(benchmark::State& state) {
  const fs::path target = Folder() / "curl-https.bin";
  const std::string command = "curl -s -o '" + target.string() + "' " + HttpsUrl();
  for (auto _ : state) {
    state.PauseTiming();
    RemoveQuietly(target);
    state.ResumeTiming();
    int status = std::system(command.c_str());
    state.PauseTiming();
    if (status != 0 || !HasSize(target, HttpsFileSize())) state.SkipWithError("curl failed");
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * HttpsFileSize()));
  RemoveQuietly(target);
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("VORLANE_TLS_GOOD") && std::getenv("VORLANE_TLS_BIG_MIB")) {
    for (auto* bench : {benchmark::RegisterBenchmark("BM_DownloadFileHttps", BM_DownloadFileHttps),
                        benchmark::RegisterBenchmark("BM_CurlDownloadHttps", BM_CurlDownloadHttps)})
      bench->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(9);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
