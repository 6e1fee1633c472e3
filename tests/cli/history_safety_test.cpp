// The history and the report's page against names that are not what they seem: a
// FIFO, a device, a folder, a link that points nowhere, the history itself as the
// page, a file that fills up. Nothing hangs, nothing but a history is written into,
// no write that failed passes for one that worked.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <map>
#include <regex>

#include "cli_test_support.h"
#include "program_run.h"
#include "record/history_file.h"
#include "support/search_site.h"
#include "support/temp_folder.h"

namespace vorlane::cli::test {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view kHeader = "\xEF\xBB\xBFtime,title,status,count,reason\r\n";
constexpr std::string_view kRow = "2013-11-9 8:05:07,ab 1,indexed,3,\r\n";

class HistorySafetyTest : public ::testing::Test {
 protected:
  vorlane::test::SearchSite site;
  vorlane::test::TempFolder folder{"vorlane-cli-history-safety"};
  const std::filesystem::path history = folder / "history.csv";
  CliHarness cli;
};

TEST_F(HistorySafetyTest, PageNamingTheHistoryIsRefusedAndTheHistoryKept) {
  const std::string kept = std::string(kHeader) + std::string(kRow);
  std::filesystem::create_directory(folder / "sub");
  struct Case {
    std::filesystem::path history;
    std::string html;
  };
  std::vector<Case> cases = {
      {history, history.string()},
      {history, (folder / "sub" / ".." / "history.csv").string()},
      // The page's temporary file, cleared before the page is written.
      {folder / "page.html.tmp", (folder / "page.html").string()},
  };
#ifndef _WIN32
  cases.push_back({history, (folder / "hard.csv").string()});
  cases.push_back({history, (folder / "link.html").string()});
#endif
  vorlane::test::WriteFileBytes(history, kept);
#ifndef _WIN32
  std::filesystem::create_hard_link(history, folder / "hard.csv");
  std::filesystem::create_symlink(history, folder / "link.html");
#endif
  for (const Case& c : cases) {
    vorlane::test::WriteFileBytes(c.history, kept);
    const CliResult result = cli.Run({"report", "--history", c.history.string(), "--html", c.html});
    EXPECT_EQ(result.status, 64) << c.html;
    EXPECT_EQ(result.out, "") << c.html;
    EXPECT_EQ(result.err, "vorlane-cli: HTML 报告不能写到历史文件上：" + c.html + Native("\n"));
    EXPECT_EQ(vorlane::test::ReadFileBytes(c.history), kept) << c.html;
  }
}

TEST_F(HistorySafetyTest, PageReplacesWhatItsNameHeldInOneStep) {
  vorlane::test::WriteFileBytes(history, std::string(kHeader) + std::string(kRow));
  const auto page = folder / "page.html";
  std::filesystem::create_directory(folder / "folder.html");
  struct Case {
    std::string name;
    std::function<void()> plant;
    int status;
  };
  const std::filesystem::path elsewhere = folder / "elsewhere.txt";
  const Case cases[] = {
      {"old page", [&] { vorlane::test::WriteFileBytes(page, "old"); }, 0},
      {"stale temporary file", [&] { vorlane::test::WriteFileBytes(folder / "page.html.tmp", "junk"); }, 0},
#ifndef _WIN32
      {"FIFO", [&] { ASSERT_EQ(::mkfifo(page.c_str(), 0600), 0); }, 0},
      {"link to another file",
       [&] {
         vorlane::test::WriteFileBytes(elsewhere, "mine");
         std::filesystem::create_symlink(elsewhere, page);
       },
       0},
#endif
  };
  for (const Case& c : cases) {
    std::filesystem::remove(page);
    std::filesystem::remove(folder / "page.html.tmp");
    c.plant();
    // A separate process: a page written into a FIFO would wait for a reader.
    ProgramRun run({"report", "--history", history.string(), "--html", page.string()});
    const ProgramResult result = run.Wait(20s);
    EXPECT_EQ(result.status, c.status) << c.name << ": " << result.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(page))) << c.name;
    EXPECT_NE(vorlane::test::ReadFileBytes(page).find("<html"), std::string::npos) << c.name;
    EXPECT_FALSE(std::filesystem::exists(folder / "page.html.tmp")) << c.name;
  }
#ifndef _WIN32
  EXPECT_EQ(vorlane::test::ReadFileBytes(elsewhere), "mine");
#endif
  const CliResult folderPage =
      cli.Run({"report", "--history", history.string(), "--html", (folder / "folder.html").string()});
  EXPECT_EQ(folderPage.status, 2);
  EXPECT_EQ(folderPage.err,
            "vorlane-cli: HTML 报告无法写入：" + (folder / "folder.html").string() + Native("\n"));
}

#ifndef _WIN32
// Names of things that are no history: check and report refuse them at once,
// change nothing and make nothing.
TEST_F(HistorySafetyTest, HistoryThatIsNoRegularFileIsRefusedWithoutWaitingOrMaking) {
  struct Case {
    std::string name;
    std::filesystem::path path;
    std::function<void()> plant;
    std::string checkError;
  };
  const std::string notOurs = "不是 vorlane-cli 的历史文件，不会写入：";
  const std::string unopenable = "历史文件无法打开：";
  const std::filesystem::path target = folder / "target.csv";
  const Case cases[] = {
      {"FIFO", folder / "fifo.csv", [&] { ASSERT_EQ(::mkfifo((folder / "fifo.csv").c_str(), 0600), 0); },
       notOurs},
      {"folder", folder / "dir.csv", [&] { std::filesystem::create_directory(folder / "dir.csv"); }, notOurs},
      {"device", "/dev/null", [] {}, notOurs},
      {"link that points nowhere", folder / "dangling.csv",
       [&] { std::filesystem::create_symlink(target, folder / "dangling.csv"); }, unopenable},
  };
  for (const Case& c : cases) {
    c.plant();
    for (const char* command : {"check", "report"}) {
      std::vector<std::string> args = {command, "--history", c.path.string()};
      if (std::string(command) == "check")
        args.insert(args.end(), {"--host", site.host(), "--pace", "0", "ab 1"});
      ProgramRun run(args);
      const ProgramResult result = run.Wait(20s);
      EXPECT_EQ(result.status, 64) << c.name << " " << command;
      const std::string error = std::string(command) == "check" ? c.checkError : "历史文件读取失败：";
      EXPECT_EQ(result.err, "vorlane-cli: " + error + c.path.string() + "\n") << c.name << " " << command;
    }
    EXPECT_FALSE(std::filesystem::exists(target)) << c.name;
  }
  EXPECT_TRUE(std::filesystem::is_fifo(folder / "fifo.csv"));
}

// The program under a file size limit, through the shell's ulimit (in blocks of
// 512 bytes): the write that crosses it goes out in part, and the program says so.
int CheckUnderFileSizeLimit(const std::string& host, const std::filesystem::path& history, int blocks,
                            const std::filesystem::path& err) {
  const std::string command = "timeout 20 sh -c 'ulimit -f " + std::to_string(blocks) +
                              "; exec \"$0\" \"$@\"' " + VORLANE_CLI_PATH + " check --host " + host +
                              " --pace 0 --history '" + history.string() +
                              "' 'ab 1' 'ab 1' 'ab 1' >/dev/null 2>'" + err.string() + "'";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Other programs may be appending to the same history, so a write that failed is
// never cut back: the part that went out stays a broken line of its own, which the
// next run ends before its first record and the report skips.
TEST_F(HistorySafetyTest, WriteThatFailsEndsWithStatus2AndIsNeverCutBack) {
  // Just under the limit of two blocks: the first record still fits, the second not.
  std::string before = std::string(kHeader);
  while (before.size() + 2 * kRow.size() < 1024 + kRow.size() / 2) before += std::string(kRow);
  vorlane::test::WriteFileBytes(history, before);
  const int status = CheckUnderFileSizeLimit(site.host(), history, 2, folder / "err.txt");
  EXPECT_EQ(status, 2);
  EXPECT_EQ(vorlane::test::ReadFileBytes(folder / "err.txt"),
            "vorlane-cli: 历史文件写入失败，之后的查询不再记入：" + history.string() + "\n");
  const std::string after = vorlane::test::ReadFileBytes(history);
  ASSERT_EQ(after.size(), 1024u);
  EXPECT_EQ(after.substr(0, before.size()), before);
  // The first record fitted whole; the one that crossed the limit went out in part.
  static const std::regex wholeThenPart(
      R"(\d{4}-\d{1,2}-\d{1,2} \d{1,2}:\d{2}:\d{2},ab 1,indexed,3,\r\n[^\r\n]+)");
  EXPECT_TRUE(std::regex_match(after.substr(before.size()), wholeThenPart))
      << ::testing::PrintToString(after.substr(before.size()));

  EXPECT_EQ(
      cli.Run({"check", "--host", site.host(), "--pace", "0", "--history", history.string(), "ab 1"}).status,
      0);
  const std::string next = vorlane::test::ReadFileBytes(history);
  ASSERT_GT(next.size(), after.size());
  static const std::regex lineThenRecord(
      R"(\r\n\d{4}-\d{1,2}-\d{1,2} \d{1,2}:\d{2}:\d{2},ab 1,indexed,3,\r\n)");
  EXPECT_TRUE(std::regex_match(next.substr(after.size()), lineThenRecord))
      << ::testing::PrintToString(next.substr(after.size()));
  const CliResult report = cli.Run({"report", "--history", history.string(), "--format", "csv"});
  EXPECT_NE(report.err.find("跳过历史文件第 "), std::string::npos) << report.err;
  EXPECT_NE(report.out.find("ab 1,indexed,"), std::string::npos) << report.out;
}

// The history's handle is the program's own: a change command does not get it.
TEST_F(HistorySafetyTest, HistoryHandleIsClosedOnExec) {
  record::HistoryWriter writer;
  ASSERT_EQ(writer.Open(history.string()), record::HistoryWriter::Opened::kOpened);
  const int flags = ::fcntl(::fileno(writer.file()), F_GETFD);
  EXPECT_NE(flags & FD_CLOEXEC, 0);
}
#else
TEST_F(HistorySafetyTest, HistoryHandleIsNotInherited) {
  record::HistoryWriter writer;
  ASSERT_EQ(writer.Open(history.string()), record::HistoryWriter::Opened::kOpened);
  DWORD flags = 0;
  ASSERT_TRUE(
      ::GetHandleInformation(reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(writer.file()))), &flags));
  EXPECT_EQ(flags & HANDLE_FLAG_INHERIT, 0u);
}
#endif

}  // namespace
}  // namespace vorlane::cli::test
