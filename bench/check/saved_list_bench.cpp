// Keeping the list between runs: the copy the window's thread makes, the bytes the
// saver's thread makes of it, the whole save to the disk, and reading the bytes
// back at start-up; 100,000 rows.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "check/background_saver.h"
#include "check/list_export.h"
#include "check/saved_list.h"
#include "text/gbk_file.h"
#include "text/text_file_encoding.h"

namespace vorlane::check {
namespace {

// 100,000 rows of about 60 bytes of GBK title each, every status, a tenth failed
// with a reason.
const ProductList& BenchList() {
  static const ProductList list = [] {
    const std::string word = "\xBA\xAB\xB0\xE6\xBF\xED\xCB\xC9\xC3\xAB\xD2\xC2\xC5\xAE";  // 韩版宽松毛衣女
    std::vector<ListRow> rows(100000);
    for (int i = 0; i < 100000; ++i) {
      ListRow& row = rows[static_cast<size_t>(i)];
      row.title = word + word + word + " " + std::to_string(i) + " " + word;
      row.status = i % 10 == 0 ? CheckStatus::kFailed
                   : i % 3     ? CheckStatus::kIndexed
                               : CheckStatus::kNotIndexed;
      row.count = row.status == CheckStatus::kIndexed ? "12" : "0";
      if (row.status == CheckStatus::kIndexed) row.time = PackCheckTime({2013, 11, 9, 8, 5, 7});
      if (row.status == CheckStatus::kFailed) row.failure = CheckFailure::kTimedOut;
      row.since = PackCheckTime({2013, 11, 9, 8, 5, 7});
    }
    ProductList made;
    made.Restore(std::move(rows));
    return made;
  }();
  return list;
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// The window thread's part of a save: the copy. The reference copies the titles
// alone, as a vector of strings: the least any copy of the rows can cost.
void BM_SnapshotList(benchmark::State& state) {
  const ProductList& list = BenchList();
  std::vector<Text> titles;
  for (int row = 0; row < list.count(); ++row) titles.push_back(list.record(row).title);
  double took = 0, reference = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    std::vector<ListRow> rows = list.Snapshot();
    benchmark::DoNotOptimize(rows.data());
    took += Seconds(start);
    state.SetIterationTime(Seconds(start));
    start = Clock::now();
    std::vector<Text> copy = titles;
    benchmark::DoNotOptimize(copy.data());
    reference += Seconds(start);
  }
  state.counters["ratio"] = reference > 0 ? took / reference : 0;
  state.counters["reference_ms"] = 1000 * reference / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SnapshotList)->UseManualTime()->Unit(benchmark::kMillisecond);

// The saver's thread's part before the disk: the file's bytes. The reference is
// the CSV export of the same rows, which does the same conversion to UTF-8.
void BM_EncodeSavedList(benchmark::State& state) {
  const ProductList& list = BenchList();
  const std::vector<ListRow> rows = list.Snapshot();
  double took = 0, reference = 0;
  size_t bytes = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    const Bytes saved = EncodeSavedList(rows);
    took += Seconds(start);
    state.SetIterationTime(Seconds(start));
    bytes = saved.size();
    start = Clock::now();
    benchmark::DoNotOptimize(ExportListBytes(list, ExportFormat::kCsvUtf8).size());
    reference += Seconds(start);
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["ratio"] = reference > 0 ? took / reference : 0;
  state.counters["reference_ms"] = 1000 * reference / static_cast<double>(state.iterations());
}
BENCHMARK(BM_EncodeSavedList)->UseManualTime()->Unit(benchmark::kMillisecond);

// Start-up's part: the rows from the file's bytes. The reference is converting the
// same bytes to GBK, which decoding does once.
void BM_DecodeSavedList(benchmark::State& state) {
  const Bytes saved = EncodeSavedList(BenchList().Snapshot());
  double took = 0, reference = 0;
  for (auto _ : state) {
    Bytes copy = saved;
    auto start = Clock::now();
    SavedListContents read = DecodeSavedList(std::move(copy));
    took += Seconds(start);
    state.SetIterationTime(Seconds(start));
    if (read.rows.size() != 100000) state.SkipWithError("not read back");
    copy = saved;
    start = Clock::now();
    benchmark::DoNotOptimize(TextFileToGbk(std::move(copy)).size());
    reference += Seconds(start);
  }
  state.counters["bytes"] = static_cast<double>(saved.size());
  state.counters["ratio"] = reference > 0 ? took / reference : 0;
  state.counters["reference_ms"] = 1000 * reference / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DecodeSavedList)->UseManualTime()->Unit(benchmark::kMillisecond);

// A whole save as the window makes it: the window thread copies the rows and hands
// them to the saver (its part, `window_ms`), the saver's thread encodes them and
// writes them in one step (WriteFileReplacing); the total runs until Flush returns.
// The reference is writing the same bytes into the same folder with one fwrite.
void BM_SaveListToDisk(benchmark::State& state) {
  const ProductList& list = BenchList();
  const NativePath target =
      PathFromGbk((std::filesystem::temp_directory_path() / "vorlane-bench-list.csv").string());
  const std::string reference =
      (std::filesystem::temp_directory_path() / "vorlane-bench-list.reference").string();
  const Bytes bytes = EncodeSavedList(list.Snapshot());
  bool failed = false;
  BackgroundSaver<std::vector<ListRow>> saver(
      [&target](const std::vector<ListRow>& rows) {
        return WriteFileReplacing(target, EncodeSavedList(rows));
      },
      [&failed] { failed = true; });
  double window = 0, total = 0, referenceSeconds = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    saver.Submit(list.Snapshot());
    window += Seconds(start);
    saver.Flush();
    total += Seconds(start);
    state.SetIterationTime(Seconds(start));
    start = Clock::now();
    UniqueFile file(OpenGbkFile(reference, "wb"));
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    FlushToDisk(file.get());
    file.reset();
    referenceSeconds += Seconds(start);
  }
  if (failed) state.SkipWithError("save failed");
  RemoveFileAt(target);
  std::remove(reference.c_str());
  const auto n = static_cast<double>(state.iterations());
  state.counters["bytes"] = static_cast<double>(bytes.size());
  state.counters["window_ms"] = 1000 * window / n;
  state.counters["ratio"] = referenceSeconds > 0 ? total / referenceSeconds : 0;
  state.counters["reference_ms"] = 1000 * referenceSeconds / n;
}
BENCHMARK(BM_SaveListToDisk)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorlane::check
