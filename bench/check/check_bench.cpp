// Importing a large titles file into the product list, and the per-cell colour
// lookup that drawing the list makes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "check/product_list.h"

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

}  // namespace
}  // namespace vorlane::check

BENCHMARK_MAIN();
