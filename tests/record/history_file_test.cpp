// The history as the window and vorlane-cli share it: two writers appending to
// one file at once, two starting a missing file at once, and a file another
// program holds shut to writers.
#include "record/history_file.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <string>
#include <thread>
#include <vector>

#include "record/history_reader.h"
#include "support/temp_folder.h"

namespace vorlane::record {
namespace {

constexpr std::string_view kHead = "\xEF\xBB\xBFtime,title,status,count,reason\r\n";

size_t Occurrences(const std::string& haystack, std::string_view needle) {
  size_t n = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++n;
  return n;
}

CheckRecord RecordNumber(int writer, int i) {
  CheckRecord record;
  // Titles of every length and a quoted one, so that records differ in size.
  record.title = "w" + std::to_string(writer) + "," + std::string(static_cast<size_t>(i % 37), 'x') + "\"" +
                 std::to_string(i);
  record.time = "2013-11-9 8:05:07";
  switch (i % 3) {
    case 0:
      record.status = check::CheckStatus::kIndexed;
      record.count = std::to_string(i);
      break;
    case 1:
      record.status = check::CheckStatus::kNotIndexed;
      record.count = "0";
      break;
    default:
      record.status = check::CheckStatus::kFailed;
      record.failure = check::CheckFailure::kHttpStatus;
      record.httpStatus = 503;
      break;
  }
  return record;
}

int64_t ChecksIn(const HistoryContents& contents) {
  int64_t checks = 0;
  for (const TitleReport& title : contents.titles) checks += static_cast<int64_t>(title.checks.size());
  return checks;
}

class HistoryFileTest : public ::testing::Test {
 protected:
  vorlane::test::TempFolder folder{"vorlane-history-file"};
  const std::string history = (folder / "history.csv").string();
};

TEST_F(HistoryFileTest, TwoWritersAppendingInTurnLeaveEveryRecordWhole) {
  HistoryWriter first, second;
  ASSERT_EQ(first.Open(history), HistoryWriter::Opened::kOpened);
  ASSERT_EQ(second.Open(history), HistoryWriter::Opened::kOpened);
  constexpr int kEach = 300;
  std::string expectedTail;
  for (int i = 0; i < kEach; ++i) {
    ASSERT_TRUE(first.Append(RecordNumber(1, i)));
    ASSERT_TRUE(second.Append(RecordNumber(2, i)));
    expectedTail += HistoryRow(RecordNumber(1, i)) + HistoryRow(RecordNumber(2, i));
  }
  // Neither writes over the other: each record lands at the end as it goes out.
  EXPECT_EQ(vorlane::test::ReadFileBytes(folder / "history.csv"), std::string(kHead) + expectedTail);
  const HistoryContents contents = ReadHistory(history);
  EXPECT_EQ(contents.skippedCount, 0);
  EXPECT_EQ(ChecksIn(contents), 2 * kEach);
}

TEST_F(HistoryFileTest, TwoThreadsAppendingAtOnceLeaveEveryLineARecord) {
  constexpr int kEach = 2000;
  std::vector<std::thread> writers;
  for (int w = 0; w < 2; ++w) {
    writers.emplace_back([this, w] {
      HistoryWriter writer;
      if (writer.Open(history) != HistoryWriter::Opened::kOpened) return;
      for (int i = 0; i < kEach; ++i) writer.Append(RecordNumber(w, i));
    });
  }
  for (std::thread& writer : writers) writer.join();
  const std::string bytes = vorlane::test::ReadFileBytes(folder / "history.csv");
  EXPECT_EQ(Occurrences(bytes, kHead), 1u);
  EXPECT_TRUE(bytes.starts_with(kHead));
  const HistoryContents contents = ReadHistory(history);
  EXPECT_EQ(contents.skippedCount, 0);
  EXPECT_EQ(ChecksIn(contents), 2 * kEach);
}

// A missing file is made with its header in one step: whoever comes second finds
// it there, and no start gets a second header.
TEST_F(HistoryFileTest, TwoWritersStartingAMissingFileAtOnceWriteOneHeader) {
  for (int round = 0; round < 20; ++round) {
    const std::string name = (folder / ("h" + std::to_string(round) + ".csv")).string();
    std::vector<std::thread> writers;
    for (int w = 0; w < 2; ++w) {
      writers.emplace_back([&name, w] {
        HistoryWriter writer;
        if (writer.Open(name) == HistoryWriter::Opened::kOpened) writer.Append(RecordNumber(w, 0));
      });
    }
    for (std::thread& writer : writers) writer.join();
    const std::string bytes = vorlane::test::ReadFileBytes(name);
    EXPECT_TRUE(bytes.starts_with(kHead)) << round;
    EXPECT_EQ(Occurrences(bytes, kHead), 1u) << round;
    EXPECT_EQ(ChecksIn(ReadHistory(name)), 2) << round;
  }
  // Nothing is left beside them but the histories themselves.
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
    files += entry.is_regular_file();
  EXPECT_EQ(files, 20u);
}

TEST_F(HistoryFileTest, EmptyFileGetsTheHeaderAndOtherFilesAreNotOurs) {
  vorlane::test::WriteFileBytes(folder / "history.csv", "");
  HistoryWriter writer;
  ASSERT_EQ(writer.Open(history), HistoryWriter::Opened::kOpened);
  ASSERT_TRUE(writer.Append(RecordNumber(1, 1)));
  EXPECT_EQ(vorlane::test::ReadFileBytes(folder / "history.csv"),
            std::string(kHead) + HistoryRow(RecordNumber(1, 1)));

  vorlane::test::WriteFileBytes(folder / "other.csv", "a,b\r\n");
  HistoryWriter other;
  EXPECT_EQ(other.Open((folder / "other.csv").string()), HistoryWriter::Opened::kNotOurs);
  EXPECT_EQ(vorlane::test::ReadFileBytes(folder / "other.csv"), "a,b\r\n");
  std::filesystem::create_directory(folder / "dir.csv");
  EXPECT_NE(other.Open((folder / "dir.csv").string()), HistoryWriter::Opened::kOpened);
  EXPECT_FALSE(other.isOpen());
}

#ifdef _WIN32
// A spreadsheet that opened the history shuts writers out: the history cannot be
// opened, and is left as it was.
TEST_F(HistoryFileTest, FileAnotherProgramHoldsShutToWritersIsUnopenable) {
  const std::string kept = std::string(kHead) + HistoryRow(RecordNumber(1, 1));
  vorlane::test::WriteFileBytes(folder / "history.csv", kept);
  const std::wstring name = (folder / "history.csv").wstring();
  HANDLE held = ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  HistoryWriter writer;
  EXPECT_EQ(writer.Open(history), HistoryWriter::Opened::kUnopenable);
  ::CloseHandle(held);
  EXPECT_EQ(vorlane::test::ReadFileBytes(folder / "history.csv"), kept);
  // Once it lets go, the history opens again.
  EXPECT_EQ(writer.Open(history), HistoryWriter::Opened::kOpened);
}
#endif

}  // namespace
}  // namespace vorlane::record
