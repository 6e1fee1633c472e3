// Reading a history of a million checks for the report: the file read in blocks,
// each record parsed and added to its title's checks, and the statuses summed up.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "record/history_reader.h"

namespace vorlane::record {
namespace {

// 1,000,000 records over 1,000 titles of Chinese text, a tenth of them failed: about
// 75 MB, as a year of hourly checks of a hundred titles would make.
std::filesystem::path BenchHistoryPath() {
  static const std::filesystem::path path = [] {
    std::filesystem::path p = std::filesystem::temp_directory_path() / "vorlane-bench-history.csv";
    std::string data = "\xEF\xBB\xBFtime,title,status,count,reason\r\n";
    data.reserve(80'000'000);
    for (int i = 0; i < 1'000'000; ++i) {
      const int title = i % 1000;
      const int hour = i / 1000 % 24;
      data +=
          "2013-11-9 " + std::to_string(hour) + ":05:07,韩版宽松毛衣女 第" + std::to_string(title) + "款,";
      switch (i % 10) {
        case 0:
          data += "failed,,time-out\r\n";
          break;
        case 1:
        case 2:
          data += "not indexed,0,\r\n";
          break;
        default:
          data += "indexed,12,\r\n";
          break;
      }
    }
    std::ofstream(p, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
    return p;
  }();
  return path;
}

void BM_ReadHistory(benchmark::State& state) {
  const std::string path = BenchHistoryPath().string();
  const auto bytes = static_cast<int64_t>(std::filesystem::file_size(BenchHistoryPath()));
  for (auto _ : state) {
    HistoryContents contents = ReadHistory(path);
    benchmark::DoNotOptimize(contents.titles.data());
    if (contents.titles.size() != 1000 || contents.skippedCount != 0) state.SkipWithError("history misread");
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.SetItemsProcessed(state.iterations() * 1'000'000);
}
BENCHMARK(BM_ReadHistory)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vorlane::record

BENCHMARK_MAIN();
