// vorlane-cli monitor: the window's passes and countdown on the fake clock, the
// lines it prints, a status change between passes and the command it runs, and
// Ctrl+C.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "cli/interrupt_watch.h"
#include "cli_test_support.h"
#include "support/search_site.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

namespace vorlane::cli::test {
namespace {

using vorlane::test::LocalServer;
using vorlane::test::RecordedRequest;
using vorlane::test::Reply;

using namespace std::chrono_literals;
using vorlane::test::kFakeStart;

// A site whose answers the test turns round: before the flip "alpha" is found
// (count 3) and "beta" is not; after it, the other way round. It counts searches.
class FlippingSite {
 public:
  FlippingSite()
      : server_([this](const RecordedRequest& request) {
          const bool alpha = request.target == "/book/search/" + vorlane::test::PercentEncodeAll("alpha");
          {
            std::lock_guard lock(mutex_);
            ++searches_[alpha ? "alpha" : "beta"];
          }
          const bool found = alpha != flipped_.load();
          std::string page = vorlane::test::ResultPage(found ? "ab 1" : "not in the catalogue");
          if (found && !count.empty())
            page = "<html><body><span class=\"title fl\">找到" + count + "个“x”相关宝贝</span></body></html>";
          return Reply::Http(200, page, "Content-Type: text/html; charset=utf-8\r\n");
        }) {}

  void Flip() { flipped_ = true; }
  // As before the flip, with no searches counted.
  void Reset() {
    flipped_ = false;
    std::lock_guard lock(mutex_);
    searches_.clear();
  }
  int Searches(const std::string& title) {
    std::lock_guard lock(mutex_);
    return searches_[title];
  }
  std::string host() const { return server_.authority(); }
  // The count text (UTF-8) of a found page; "3" when empty. Set before the server
  // is asked.
  std::string count;

 private:
  std::atomic<bool> flipped_{false};
  std::mutex mutex_;
  std::map<std::string, int> searches_;
  LocalServer server_;
};

std::string Summary(int remaining) {
  return " 共2个宝贝->已收录: 1 个->未收录: 1 个  正在监测->距下次查询还有: " + std::to_string(remaining) +
         " Min\n";
}

// Commands for the system's shell.
#ifdef _WIN32
std::string RecordCommand(const std::string& file) {
  return "echo %VORLANE_TITLE%^|%VORLANE_OLD_STATUS%^|%VORLANE_NEW_STATUS%^|%VORLANE_COUNT%>>\"" + file +
         "\"";
}
const std::string kFailingCommand = "exit 3";
const std::string kHangingCommand = "for /l %i in (1,1,2000000000) do @rem";
#else
std::string RecordCommand(const std::string& file) {
  return "printf '%s|%s|%s|%s\\n' \"$VORLANE_TITLE\" \"$VORLANE_OLD_STATUS\" \"$VORLANE_NEW_STATUS\" "
         "\"$VORLANE_COUNT\" >> '" +
         file + "'";
}
const std::string kFailingCommand = "exit 3";
const std::string kHangingCommand = "sleep 30";  // each; see the bound below
#endif

class MonitorCommandTest : public ::testing::Test {
 protected:
  MonitorCommandTest() { vorlane::test::WriteFileBytes(titles, "alpha\r\nbeta\r\n"); }

  // Monitors alpha and beta every five minutes: the first pass at once, the flip
  // after two and a half minutes, the second pass after five, Ctrl+C after five and
  // a half.
  CliResult Monitor(std::vector<std::string> options) {
    site.Reset();
    const auto start = cli.scheduler.clock();
    cli.scheduler.At(start + 150s, [this] { site.Flip(); });
    cli.scheduler.At(start + 330s, [] { DeliverInterrupt(); });
    std::vector<std::string> args = {"monitor",       "--host",     site.host(), "--file",
                                     titles.string(), "--interval", "5"};
    args.insert(args.end(), options.begin(), options.end());
    return cli.Run(args);
  }

  FlippingSite site;
  CliHarness cli;
  vorlane::test::TempFolder folder{"vorlane-cli-monitor"};
  const std::filesystem::path titles = folder / "titles.txt";
};

TEST_F(MonitorCommandTest, PassesCountdownAndTheChangesBetweenThemAsLines) {
  const CliResult result = Monitor({});
  EXPECT_EQ(result.out, Native(" 正在查询宝贝收录情况...\n"
                               "2013-11-9 8:05:07  alpha：已收录，宝贝个数 3\n"
                               "2013-11-9 8:05:07  beta：未收录\n" +
                               Summary(5) + Summary(4) + Summary(3) + Summary(2) + Summary(1) + Summary(0) +
                               " 正在查询宝贝收录情况...\n"
                               "2013-11-9 8:05:07  【警报】宝贝不再收录：alpha：已收录 → 未收录\n"
                               "2013-11-9 8:05:07  状态变化：beta：未收录 → 已收录，宝贝个数 3\n" +
                               Summary(5) + " 已停止监测！\n"));
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 1);  // alpha stands not indexed
  EXPECT_EQ(site.Searches("alpha"), 2);
  EXPECT_EQ(site.Searches("beta"), 2);
}

TEST_F(MonitorCommandTest, OnlyUnindexedLeavesIndexedTitlesOutOfTheNextPass) {
  const CliResult result = Monitor({"--only-unindexed"});
  EXPECT_EQ(site.Searches("alpha"), 1);
  EXPECT_EQ(site.Searches("beta"), 2);
  EXPECT_NE(result.out.find("状态变化：beta：未收录 → 已收录"), std::string::npos);
  EXPECT_EQ(result.out.find("警报"), std::string::npos);
  EXPECT_EQ(result.status, 0);  // both stand indexed now
}

TEST_F(MonitorCommandTest, ChangeRunsTheCommandWithTheTitleStatusesAndCountInItsEnvironment) {
  const std::string record = (folder / "changes.txt").string();
  const CliResult result =
      Monitor({"--on-change", RecordCommand(record), "--history", (folder / "h.csv").string()});
  std::string written = vorlane::test::ReadFileBytes(record);
  std::erase(written, '\r');
  EXPECT_EQ(written,
            "alpha|indexed|not indexed|0\n"
            "beta|not indexed|indexed|3\n");
  // Each command's end follows the change that ran it.
  EXPECT_NE(result.out.find(Native("alpha：已收录 → 未收录\n"
                                   "2013-11-9 8:05:07  变化命令已结束，退出状态 0，宝贝：alpha\n")),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find(Native("变化命令已结束，退出状态 0，宝贝：beta\n")), std::string::npos);
  // Every check is in the history: two passes of two titles.
  const std::string history = vorlane::test::ReadFileBytes(folder / "h.csv");
  EXPECT_EQ(std::count(history.begin(), history.end(), '\n'), 5);
}

TEST_F(MonitorCommandTest, CommandThatFailsOrHangsIsReportedAndMonitoringGoesOn) {
  struct Case {
    std::string command;
    const char* timeout;  // seconds; the shell alone may take a second to start under Wine
    std::string ended;
  };
  const Case cases[] = {
      {kFailingCommand, "10", "变化命令已结束，退出状态 3"},
      {kHangingCommand, "0.3", "变化命令运行超过 0.3 秒，已终止"},
  };
  for (const Case& c : cases) {
    const auto started = std::chrono::steady_clock::now();
    const CliResult result = Monitor({"--on-change", c.command, "--on-change-timeout", c.timeout});
    EXPECT_NE(result.out.find(c.ended + "，宝贝：alpha"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(c.ended + "，宝贝：beta"), std::string::npos) << result.out;
    // The pass went on to its summary, and monitoring to its stop.
    EXPECT_NE(result.out.find(Native("宝贝：beta\n" + Summary(5) + " 已停止监测！")), std::string::npos);
    // Only a hang breaks this bound: two commands left to run take 60 s at least,
    // however loaded the machine.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(55));
  }
}

// Counts and titles a shell would run: VORLANE_COUNT holds the count's digits
// alone, and the forms the README shows for VORLANE_TITLE and VORLANE_COUNT_RAW
// (cmd's !VAR! under /v:on, sh's "$VAR") give their text as it is. Nothing of
// theirs runs.
TEST_F(MonitorCommandTest, HostileCountsAndTitlesReachTheCommandAsText) {
  // A title may name the test's folder; a count, whose digits are kept, names a
  // file in the current folder, which the command shares.
  const std::filesystem::path injected = folder / "INJECTED";
  const std::filesystem::path injectedHere = std::filesystem::current_path() / "INJECTED";
  std::filesystem::remove(injectedHere);
  const std::string digits = (folder / "digits.txt").string(), raw = (folder / "raw.txt").string();
  struct Case {
    std::string title;
    std::string count;  // UTF-8, as the site writes it
    std::string countDigits;
  };
#ifdef _WIN32
  const std::string inject = "echo INJECTED>\"" + injected.string() + "\"",
                    injectHere = "echo INJECTED>INJECTED";
  const Case cases[] = {
      {"t1", "1&" + injectHere + "&rem", "1"},
      {"a&" + inject + "&rem", "2|" + injectHere, "2"},
      // cmd writes the file in the system's code page, so the characters here are
      // ASCII. (Wine's cmd, unlike Windows', also expands a %VAR% inside a !VAR!'s
      // value, so none is here either; it runs nothing of it.)
      {"a|b<c>^!x!\"q\"", "3<4>)|" + injectHere, "34"},
  };
  // The README's forms.
  const std::string command = ">>\"" + digits + "\" echo %VORLANE_COUNT%& cmd /d /v:on /c ^>^>" + raw +
                              " echo !VORLANE_TITLE!#!VORLANE_COUNT_RAW!";
#else
  const std::string inject = "touch '" + injected.string() + "'", injectHere = "touch INJECTED";
  const Case cases[] = {
      {"t1", "1;" + injectHere, "1"},
      {"$(" + inject + ")", "`" + injectHere + "`5", "5"},
      {"'; " + inject + "; '", "$(" + injectHere + ")", ""},
      {"a\\b \"q\"", "１２ <b>", "12"},
  };
  const std::string command = "printf '%s\\n' \"$VORLANE_COUNT\" >> '" + digits +
                              "'; printf '%s|%s\\n' \"$VORLANE_TITLE\" \"$VORLANE_COUNT_RAW\" >> '" + raw +
                              "'";
#endif
  for (const Case& c : cases) {
    std::filesystem::remove(digits);
    std::filesystem::remove(raw);
    vorlane::test::WriteFileBytes(titles, "alpha\r\n" + c.title + "\r\n");
    site.count = c.count;
    const CliResult result = Monitor({"--on-change", command});
    EXPECT_NE(result.out.find("变化命令已结束，退出状态 0，宝贝：alpha"), std::string::npos) << result.out;
    std::string gotDigits = vorlane::test::ReadFileBytes(digits), gotRaw = vorlane::test::ReadFileBytes(raw);
    std::erase(gotDigits, '\r');
    std::erase(gotRaw, '\r');
    EXPECT_EQ(gotDigits, "0\n" + c.countDigits + "\n") << c.title;
#ifdef _WIN32
    const char* separator = "#";
#else
    const char* separator = "|";
#endif
    EXPECT_EQ(gotRaw, "alpha" + std::string(separator) + "0\n" + c.title + separator + c.count + "\n")
        << c.title;
    EXPECT_FALSE(std::filesystem::exists(injected)) << c.title;
    EXPECT_FALSE(std::filesystem::exists(injectedHere)) << c.title;
  }
}

#ifndef _WIN32
TEST_F(MonitorCommandTest, ChangeCommandGetsTheTitleInTheOutputEncoding) {
  vorlane::test::WriteFileBytes(titles, "alpha\r\n");
  for (const char* encoding : {"utf8", "gbk"}) {
    const std::string record = (folder / (std::string(encoding) + ".txt")).string();
    vorlane::test::WriteFileBytes(titles, "韩版alpha\r\n");
    // The flip site knows the title by its last word only: it is beta to it.
    Monitor({"--encoding", encoding, "--on-change", "printf '%s' \"$VORLANE_TITLE\" > '" + record + "'"});
    const std::string title = vorlane::test::ReadFileBytes(record);
    EXPECT_EQ(title, std::string(encoding) == "gbk" ? Gbk("韩版alpha") : "韩版alpha");
  }
}

// The rule the job object keeps on Windows: what a command leaves running in the
// background ends when the command does.
TEST_F(MonitorCommandTest, WhatACommandLeavesRunningEndsWithIt) {
  const std::filesystem::path pids = folder / "pids.txt";
  Monitor({"--on-change", "sleep 60 & echo $! >> '" + pids.string() + "'"});
  std::istringstream list(vorlane::test::ReadFileBytes(pids));
  int count = 0;
  for (std::string pid; list >> pid; ++count) {
    // Gone, or a zombie waiting for whoever adopted it.
    auto ended = [&pid] {
      const std::string stat = vorlane::test::ReadFileBytes("/proc/" + pid + "/stat");
      const size_t paren = stat.rfind(')');
      return paren == std::string::npos || stat.compare(paren, 3, ") Z") == 0;
    };
    vorlane::test::WaitUntil(ended, std::chrono::seconds(5));
    EXPECT_TRUE(ended()) << pid;
  }
  EXPECT_EQ(count, 2);
}

TEST_F(MonitorCommandTest, CtrlCStopsMonitoringThroughItsOwnHandlerAndGivesTheSignalBack) {
  // SIGINT raised in this process: without the monitor's handler it would end the
  // test program. The handler's thread posts the stop; the fake clock waits for it.
  cli.scheduler.At(kFakeStart + 200s, [this] {
    const int before = cli.scheduler.posts.load();
    std::raise(SIGINT);
    vorlane::test::WaitUntil([&] { return cli.scheduler.posts.load() != before; }, std::chrono::seconds(10),
                             std::chrono::milliseconds(1));
  });
  const CliResult result = Monitor({});
  EXPECT_EQ(result.out.substr(result.out.size() - std::string(Native(Summary(2) + " 已停止监测！\n")).size()),
            Native(Summary(2) + " 已停止监测！\n"));
  EXPECT_EQ(site.Searches("alpha"), 1);  // stopped before the second pass
  EXPECT_EQ(result.status, 1);
  struct sigaction now {};
  ::sigaction(SIGINT, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}
#endif

}  // namespace
}  // namespace vorlane::cli::test
