// Two vorlane-cli processes appending to one history at once, as the window and a
// scheduled check may: every record lands whole, under one header.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <set>

#include "program_run.h"
#include "record/history_reader.h"
#include "support/search_site.h"
#include "support/shared_history.h"
#include "support/temp_folder.h"

namespace vorlane::cli::test {
namespace {

using namespace std::chrono_literals;

TEST(SharedHistoryTest, TwoProgramsCheckingAtOnceLeaveEveryRecordWholeUnderOneHeader) {
  vorlane::test::SearchSite site;
  vorlane::test::TempFolder folder{"vorlane-cli-shared-history"};
  const std::filesystem::path history = folder / "history.csv";
  constexpr int kEach = 200;
  std::vector<std::unique_ptr<ProgramRun>> runs;
  for (int program = 0; program < 2; ++program) {
    std::string titles;
    for (int i = 0; i < kEach; ++i)
      titles += "程序" + std::to_string(program) + " 第" + std::to_string(i) + "款\r\n";
    const std::filesystem::path file = folder / ("titles" + std::to_string(program) + ".txt");
    vorlane::test::WriteFileBytes(file, titles);
    runs.push_back(std::make_unique<ProgramRun>(
        std::vector<std::string>{"check", "--host", site.host(), "--pace", "0", "--jobs", "4", "--format",
                                 "csv", "--history", history.string(), "--file", file.string()},
        std::vector<std::string>{"LC_ALL=C.UTF-8"}));
    ASSERT_TRUE(runs.back()->started());
  }
  for (const std::unique_ptr<ProgramRun>& run : runs) {
    const ProgramResult result = run->Wait(90s);
    EXPECT_EQ(result.status, 1) << result.err;  // none of the titles is catalogued
    EXPECT_EQ(result.err, "");
  }

  const record::HistoryContents contents = vorlane::test::ReadSharedHistory(history);
  std::set<Text> titles;
  for (const record::TitleReport& title : contents.titles) {
    EXPECT_EQ(title.checks.size(), 1u);
    titles.insert(title.title);
  }
  EXPECT_EQ(titles.size(), 2u * kEach);
}

}  // namespace
}  // namespace vorlane::cli::test
