// The built program as a process of its own: Chinese titles in its arguments
// (UTF-16 on Windows, the locale's bytes on Linux), its table and CSV in the
// encoding asked for; on Windows, the same written to a console; on Linux, Ctrl+C
// sent to a running monitor.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <thread>

#include "cli_test_support.h"
#include "program_run.h"
#include "support/search_site.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

namespace vorlane::cli::test {
namespace {

using namespace std::chrono_literals;

class ProgramTest : public ::testing::Test {
 protected:
  vorlane::test::SearchSite site;
  // Linux reads the arguments by the locale; a C locale is taken as UTF-8.
  const std::vector<std::string> environment = {"LC_ALL=C.UTF-8"};
};

// The real clock's times. They stand in the last column, so that the width of one
// moves no other.
std::string WithoutTimes(const std::string& text) {
  static const std::regex time(R"(\d{4}-\d{1,2}-\d{1,2} \d{1,2}:\d{2}:\d{2})");
  return std::regex_replace(text, time, "<time>");
}

TEST_F(ProgramTest, TableAndCsvOfChineseTitlesInTheEncodingAskedFor) {
  struct Case {
    std::vector<std::string> options;
    std::string expected;  // UTF-8; the times as <time>
    bool gbk;
  };
  const Case cases[] = {
      {{"--encoding", "utf8"},
       Native("序号  宝贝全称        收录状态  宝贝个数  收录时间\n"
              "   1  韩版宽松毛衣女  已收录    1         <time>\n"
              "   2  复古台灯        未收录    0         <time>\n"),
       false},
      {{"--encoding", "gbk", "--format", "csv"},
       "number,title,status,count,time,reason\r\n"
       "1,韩版宽松毛衣女,indexed,1,<time>,\r\n"
       "2,复古台灯,not indexed,0,<time>,\r\n",
       true},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"check", "--host", site.host(), "--pace", "0"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), {"韩版宽松毛衣女", "复古台灯"});
    ProgramRun run(args, environment);
    ASSERT_TRUE(run.started());
    const ProgramResult result = run.Wait(60s);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "");
    const std::string out = c.gbk ? GbkToUtf8(result.out) : result.out;
    if (c.gbk) {
      EXPECT_EQ(Utf8ToGbk(out), result.out);  // GBK bytes, not UTF-8 ones
    }
    EXPECT_EQ(WithoutTimes(out), c.expected);
  }
}

TEST_F(ProgramTest, UsageErrorEndsWith64) {
  ProgramRun run({"check", "--bogus"}, environment);
  const ProgramResult result = run.Wait(60s);
  EXPECT_EQ(result.status, 64);
  EXPECT_NE(result.err.find("--bogus"), std::string::npos);
}

#ifdef _WIN32
TEST_F(ProgramTest, TableAndCsvOfChineseTitlesReachAConsoleAsTheirCharacters) {
  ConsoleBuffer console;
  ASSERT_TRUE(console.ready()) << console.failure();
  struct Case {
    std::vector<std::string> options;
    std::vector<std::string> expected;  // the lines, runs of blanks as one; the times as <time>
  };
  const std::vector<std::string> table = {"序号 宝贝全称 收录状态 宝贝个数 收录时间",
                                          "1 韩版宽松毛衣女 已收录 1 <time>", "2 复古台灯 未收录 0 <time>"};
  const std::vector<std::string> csv = {"number,title,status,count,time,reason",
                                        "1,韩版宽松毛衣女,indexed,1,<time>,",
                                        "2,复古台灯,not indexed,0,<time>,"};
  // The console takes characters, whatever encoding is asked for: written as bytes,
  // one of UTF-8 and GBK would read back as other characters, since the console's
  // code page cannot be both.
  const Case cases[] = {
      {{"--encoding", "utf8"}, table},
      {{"--encoding", "gbk"}, table},
      {{"--format", "csv", "--encoding", "utf8"}, csv},
      {{"--format", "csv", "--encoding", "gbk"}, csv},
  };
  for (const Case& c : cases) {
    console.Clear();
    std::vector<std::string> args = {"check", "--host", site.host(), "--pace", "0"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), {"韩版宽松毛衣女", "复古台灯"});
    ProgramRun run(args, {}, console.handle());
    ASSERT_TRUE(run.started());
    const ProgramResult result = run.Wait(60s);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "");
    std::vector<std::string> lines;
    for (const std::string& line : console.Lines()) lines.push_back(WithoutTimes(line));
    EXPECT_EQ(lines, c.expected) << ::testing::PrintToString(c.options);
  }
}
#else
TEST_F(ProgramTest, CtrlCEndsAMonitorWithTheStopTextAndItsStatus) {
  vorlane::test::TempFolder folder("vorlane-cli-program-titles");
  vorlane::test::WriteFileBytes(folder / "titles.txt", "复古台灯\r\n");
  ProgramRun run(
      {"monitor", "--host", site.host(), "--file", (folder / "titles.txt").string(), "--interval", "5"},
      environment);
  ASSERT_TRUE(run.started());
  // The first pass over (its one row takes the window's second), the countdown runs.
  vorlane::test::WaitUntil([&] { return run.OutSoFar().find("Min") != std::string::npos; }, 60s, 20ms);
  run.Interrupt();
  const ProgramResult result = run.Wait(60s);
  EXPECT_EQ(result.status, 1);  // the title is not indexed
  EXPECT_TRUE(result.out.ends_with(" 已停止监测！\n")) << result.out;
  EXPECT_EQ(result.err, "");
}
#endif

}  // namespace
}  // namespace vorlane::cli::test
