// Feeds arbitrary bytes as a history file to the report's reader and to the writer
// that appends to it. The first byte picks the size of the blocks the file is read
// in; the rest is the file. Whatever the file holds:
// - the reader gives the same titles, checks and skipped lines for any block size;
// - every title it gives has checks, and its summary follows from them;
// - the skipped lines are named in order, at most kSkippedShown of them;
// - what it read, written back as history rows, reads back the same, nothing skipped;
// - the writer leaves a file it refuses byte for byte as it was, and a check it
//   appends to a file it accepts is read back as that title's latest check.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <system_error>

#include "fuzz_check.h"
#include "record/check_record.h"
#include "record/history_file.h"
#include "record/history_reader.h"
#include "support/temp_folder.h"

namespace {

using namespace vorlane;
using namespace vorlane::record;

constexpr size_t kOneBlock = 1 << 16;

bool SameChecks(const std::vector<HistoryCheck>& a, const std::vector<HistoryCheck>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const HistoryCheck& x, const HistoryCheck& y) {
    return x.time == y.time && x.status == y.status;
  });
}

bool SameTitles(const HistoryContents& a, const HistoryContents& b) {
  return std::equal(a.titles.begin(), a.titles.end(), b.titles.begin(), b.titles.end(),
                    [](const TitleReport& x, const TitleReport& y) {
                      return x.title == y.title && x.latest == y.latest && x.lastChanged == y.lastChanged &&
                             x.indexedShare == y.indexedShare && SameChecks(x.checks, y.checks);
                    });
}

bool SameSkipped(const HistoryContents& a, const HistoryContents& b) {
  return a.skippedCount == b.skippedCount &&
         std::equal(
             a.skipped.begin(), a.skipped.end(), b.skipped.begin(), b.skipped.end(),
             [](const SkippedLine& x, const SkippedLine& y) { return x.line == y.line && x.why == y.why; });
}

void CheckSummary(const HistoryContents& contents, std::int64_t lines) {
  for (const TitleReport& t : contents.titles) {
    FUZZ_CHECK(!t.checks.empty());
    FUZZ_CHECK(t.latest == t.checks.back().status);
    FUZZ_CHECK(t.indexedShare >= 0.0 && t.indexedShare <= 1.0);
    const bool changedAtACheck = std::any_of(t.checks.begin(), t.checks.end(), [&](const HistoryCheck& c) {
      return c.time == t.lastChanged && c.status == t.latest;
    });
    FUZZ_CHECK(changedAtACheck);
  }
  FUZZ_CHECK(contents.skipped.size() == std::min<std::int64_t>(contents.skippedCount, kSkippedShown));
  std::int64_t previous = 0;
  for (const SkippedLine& s : contents.skipped) {
    FUZZ_CHECK(s.line > previous && s.line <= lines);
    FUZZ_CHECK(!s.why.empty());
    previous = s.line;
  }
}

// The checks read, as the writer would have written them.
std::string Rewritten(const HistoryContents& contents) {
  std::string file = std::string(kHistoryBom) + std::string(kHistoryHeader) + "\r\n";
  for (const TitleReport& t : contents.titles) {
    for (const HistoryCheck& c : t.checks) {
      CheckRecord record;
      record.title = t.title;
      record.status = c.status;
      record.time = c.time;
      record.count = c.status == check::CheckStatus::kFailed ? "" : "0";
      record.failure = check::CheckFailure::kTimedOut;
      file += HistoryRow(record);
    }
  }
  return file;
}

}  // namespace

// Each run writes its file several times: kept in memory where the system has a
// memory file system, the runs are not held up by a busy disk.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  std::error_code ec;
  if (std::getenv("TMPDIR") == nullptr && std::filesystem::is_directory("/dev/shm", ec))
    ::setenv("TMPDIR", "/dev/shm", 0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static vorlane::test::TempFolder folder("vorlane-history-fuzz");
  const std::filesystem::path path = folder / "history.csv";
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t block = 1 + data[0] % 64;
  vorlane::test::WriteFileBytes(path, bytes);

  // A block longer than the inputs (libFuzzer's -max_len is 4096 unless raised)
  // reads the file at once, as the default block does, without allocating 4 MiB a
  // run.
  const HistoryContents whole = ReadHistory(path.string(), kOneBlock);
  FUZZ_CHECK(!whole.unreadable);
  const HistoryContents pieces = ReadHistory(path.string(), block);
  FUZZ_CHECK(!pieces.unreadable);
  FUZZ_CHECK(SameTitles(whole, pieces));
  FUZZ_CHECK(SameSkipped(whole, pieces));
  CheckSummary(whole, static_cast<std::int64_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);

  // Titles that differ only in characters GBK lacks become one title in GBK; the
  // round trip holds where each stays apart.
  std::set<Text> distinct;
  for (const TitleReport& t : whole.titles) distinct.insert(t.title);
  if (distinct.size() == whole.titles.size()) {
    vorlane::test::WriteFileBytes(path, Rewritten(whole));
    const HistoryContents again = ReadHistory(path.string(), block);
    FUZZ_CHECK(again.skippedCount == 0);
    FUZZ_CHECK(SameTitles(whole, again));
    vorlane::test::WriteFileBytes(path, bytes);
  }

  CheckRecord record;
  record.title = "\xB8\xB4\xB9\xC5 \"lamp\",\r\n";  // 复古 in GBK, and what CSV must quote
  record.status = check::CheckStatus::kNotIndexed;
  record.count = "0";
  record.time = "2013-11-9 8:05:07";
  HistoryWriter writer;
  const HistoryWriter::Opened opened = writer.Open(path.string());
  if (opened != HistoryWriter::Opened::kOpened) {
    FUZZ_CHECK(opened == HistoryWriter::Opened::kNotOurs);
    FUZZ_CHECK(vorlane::test::ReadFileBytes(path) == bytes);
    return 0;
  }
  FUZZ_CHECK(writer.Append(record));
  writer = HistoryWriter();
  const std::string after = vorlane::test::ReadFileBytes(path);
  FUZZ_CHECK(after.starts_with(bytes));
  FUZZ_CHECK(after.ends_with(HistoryRow(record)));
  const HistoryContents appended = ReadHistory(path.string(), block);
  const auto it = std::find_if(appended.titles.begin(), appended.titles.end(),
                               [&](const TitleReport& t) { return t.title == record.title; });
  FUZZ_CHECK(it != appended.titles.end());
  FUZZ_CHECK(it->checks.back().time == record.time && it->checks.back().status == record.status);
  return 0;
}
