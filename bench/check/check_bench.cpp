// Importing a large titles file into the product list, and the per-cell colour
// lookup that drawing the list makes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "check/list_export.h"
#include "check/product_list.h"
#include "text/gbk_file.h"

namespace vorlane::check {
namespace {

// 100,000 lines of about 60 bytes of GBK each, CR LF separated: about 6 MB.
std::filesystem::path BenchTitlesPath() {
  static const std::filesystem::path path = [] {
    std::filesystem::path p = std::filesystem::temp_directory_path() / "vorlane-bench-titles.txt";
    std::string data;
    const std::string word = "\xBA\xAB\xB0\xE6\xBF\xED\xCB\xC9\xC3\xAB\xD2\xC2\xC5\xAE";  // 韩版宽松毛衣女
    for (int i = 0; i < 100000; ++i) {
      data += word + word + word + " " + std::to_string(i) + " " + word + "\r\n";
    }
    std::ofstream(p, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
    return p;
  }();
  return path;
}

void BM_ImportTitlesFile(benchmark::State& state) {
  const Text path = BenchTitlesPath().string();
  const auto bytes = static_cast<int64_t>(std::filesystem::file_size(BenchTitlesPath()));
  for (auto _ : state) {
    ProductList list;
    vorlane::check::TitlesFile file = ReadTitlesFile(path);
    list.Replace(std::move(file.lines));
    benchmark::DoNotOptimize(list.count());
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ImportTitlesFile)->Unit(benchmark::kMillisecond);

void BM_CellColourLookup(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const ListColours own{0x000000, 0xFFFFFF};
  CellColourTable table;
  for (int row = 0; row < entries; ++row) table.Set(row, 2, 0, row % 2 ? 0x00FF00 : 0x0000FF, own);
  int row = 0;
  for (auto _ : state) {
    // A painted screen asks for every cell of its rows; most cells have no entry.
    for (int column = 0; column < kColumns; ++column) benchmark::DoNotOptimize(table.Find(row, column));
    row = (row + 7919) % entries;
  }
  state.SetItemsProcessed(state.iterations() * kColumns);
}
BENCHMARK(BM_CellColourLookup)->Arg(1000)->Arg(100000);

// Exporting 100,000 rows (the titles above, every status, a tenth failed with a
// reason) through WriteListExport, timed against the reference of writing the
// same bytes to the same folder with one fwrite. The ratio is export over reference.
void BM_ExportList(benchmark::State& state) {
  const auto format = static_cast<ExportFormat>(state.range(0));
  ProductList list;
  list.Replace(ReadTitlesFile(BenchTitlesPath().string()).lines);
  for (int row = 0; row < list.count(); ++row) {
    const CheckStatus status = row % 10 == 0 ? CheckStatus::kFailed
                             : row % 3     ? CheckStatus::kIndexed
                                           : CheckStatus::kNotIndexed;
    list.SetStatus(row, status);
    list.SetCount(row, status == CheckStatus::kIndexed ? "12" : "0");
    if (status == CheckStatus::kIndexed) list.SetCheckTime(row, {2013, 11, 9, 8, 5, 7});
    if (status == CheckStatus::kFailed) list.check(row).failure = CheckFailure::kTimedOut;
  }
  const std::string target = (std::filesystem::temp_directory_path() / "vorlane-bench-export").string();
  const std::string reference = target + ".reference";
  const std::string bytes = ExportListBytes(list, format);
  using Clock = std::chrono::steady_clock;
  double exportSeconds = 0, referenceSeconds = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    if (!WriteListExport(list, target, format)) state.SkipWithError("export failed");
    const double took = std::chrono::duration<double>(Clock::now() - start).count();
    exportSeconds += took;
    state.SetIterationTime(took);
    start = Clock::now();
    UniqueFile file(OpenGbkFile(reference, "wb"));
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    file.reset();
    referenceSeconds += std::chrono::duration<double>(Clock::now() - start).count();
  }
  std::remove(target.c_str());
  std::remove(reference.c_str());
  state.counters["bytes"] = static_cast<double>(bytes.size());
  state.counters["ratio"] = referenceSeconds > 0 ? exportSeconds / referenceSeconds : 0;
  state.counters["reference_ms"] = 1000 * referenceSeconds / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ExportList)
    ->Arg(static_cast<int>(ExportFormat::kCsvUtf8))
    ->Arg(static_cast<int>(ExportFormat::kGbkText))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorlane::check

BENCHMARK_MAIN();
