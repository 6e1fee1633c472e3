// vorlane-cli check against the local search site: what it writes in each format,
// how it ends, the titles files it reads, the pace and the jobs on the fake clock,
// retries of failed checks, and titles that would break CSV or JSON.
#include <gtest/gtest.h>

#include <map>
#include <mutex>

#include "check/search_query.h"
#include "cli_test_support.h"
#include "strict_parsers.h"
#include "support/search_site.h"
#include "support/temp_folder.h"
#include "support/utf16_file.h"

namespace vorlane::cli::test {
namespace {

using vorlane::test::FakeScheduler;
using vorlane::test::LocalServer;
using vorlane::test::RecordedRequest;
using vorlane::test::Reply;
using vorlane::test::SearchSite;
using vorlane::test::SearchSiteOptions;
using vorlane::test::SiteMode;

using namespace std::chrono_literals;
using vorlane::test::FakeClock;
using vorlane::test::kFakeStart;

// The small catalogue of the format tests: two titles indexed (one count with
// blanks round it), one not, one whose page is no result page, one the site
// answers with 500.
const std::vector<std::string> kCatalogueArgs = {"韩版宽松毛衣女", "真皮男士钱包", "复古台灯", "蓝牙耳机",
                                                 "e500-x"};

constexpr std::string_view kTable =
    "序号  宝贝全称        收录状态                          宝贝个数  收录时间\n"
    "   1  韩版宽松毛衣女  已收录                            1         2013-11-9 8:05:07\n"
    "   2  真皮男士钱包    已收录                             1        2013-11-9 8:05:07\n"
    "   3  复古台灯        未收录                            0         2013-11-9 8:05:07\n"
    "   4  蓝牙耳机        查询失败（不是搜索结果页）                  2013-11-9 8:05:07\n"
    "   5  e500-x          查询失败（网站返回错误代码 500）            2013-11-9 8:05:07\n";

constexpr std::string_view kCsv =
    "number,title,status,count,time,reason\r\n"
    "1,韩版宽松毛衣女,indexed,1,2013-11-9 8:05:07,\r\n"
    "2,真皮男士钱包,indexed, 1 ,2013-11-9 8:05:07,\r\n"
    "3,复古台灯,not indexed,0,2013-11-9 8:05:07,\r\n"
    "4,蓝牙耳机,failed,,2013-11-9 8:05:07,page not recognised\r\n"
    "5,e500-x,failed,,2013-11-9 8:05:07,HTTP 500\r\n";

constexpr std::string_view kJson =
    "[\n"
    "{\"number\":1,\"title\":\"韩版宽松毛衣女\",\"status\":\"indexed\",\"count\":\"1\","
    "\"time\":\"2013-11-9 8:05:07\",\"reason\":\"\"},\n"
    "{\"number\":2,\"title\":\"真皮男士钱包\",\"status\":\"indexed\",\"count\":\" 1 \","
    "\"time\":\"2013-11-9 8:05:07\",\"reason\":\"\"},\n"
    "{\"number\":3,\"title\":\"复古台灯\",\"status\":\"not indexed\",\"count\":\"0\","
    "\"time\":\"2013-11-9 8:05:07\",\"reason\":\"\"},\n"
    "{\"number\":4,\"title\":\"蓝牙耳机\",\"status\":\"failed\",\"count\":\"\","
    "\"time\":\"2013-11-9 8:05:07\",\"reason\":\"page not recognised\"},\n"
    "{\"number\":5,\"title\":\"e500-x\",\"status\":\"failed\",\"count\":\"\","
    "\"time\":\"2013-11-9 8:05:07\",\"reason\":\"HTTP 500\"}\n"
    "]\n";

// The JSON of the GBK output: ASCII alone, every other character escaped.
constexpr std::string_view kJsonAsciiFirstRow =
    "{\"number\":1,\"title\":\"\\u97e9\\u7248\\u5bbd\\u677e\\u6bdb\\u8863\\u5973\",\"status\":\"indexed\","
    "\"count\":\"1\",\"time\":\"2013-11-9 8:05:07\",\"reason\":\"\"}";

SearchSiteOptions MixedFaults() {
  SearchSiteOptions options;
  options.mode = SiteMode::kMixedFaults;
  return options;
}

class CheckCommandTest : public ::testing::Test {
 protected:
  CliResult Check(std::vector<std::string> args) {
    args.insert(args.begin(), {"check", "--host", site.host()});
    return cli.Run(args);
  }

  SearchSite site{MixedFaults()};
  CliHarness cli;
  vorlane::test::TempFolder folder{"vorlane-cli-check"};
};

TEST_F(CheckCommandTest, EachFormatByteForByte) {
  struct Case {
    const char* name;
    std::vector<std::string> options;
    std::string expected;
  };
  const Case cases[] = {
      {"table", {}, Native(kTable)},
      {"table in GBK", {"--encoding", "gbk"}, Gbk(Native(kTable))},
      {"csv", {"--format", "csv"}, std::string(kCsv)},
      {"csv in GBK", {"--format", "csv", "--encoding", "gbk"}, Gbk(kCsv)},
      {"json", {"--format", "json"}, Native(kJson)},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.options;
    args.insert(args.end(), kCatalogueArgs.begin(), kCatalogueArgs.end());
    const CliResult result = Check(args);
    EXPECT_EQ(result.out, c.expected) << c.name;
    EXPECT_EQ(result.err, "") << c.name;
    EXPECT_EQ(result.status, 2) << c.name;
  }
}

TEST_F(CheckCommandTest, JsonInGbkOutputIsAsciiAndReadsBackAsTheTitles) {
  std::vector<std::string> args = {"--format", "json", "--encoding", "gbk"};
  args.insert(args.end(), kCatalogueArgs.begin(), kCatalogueArgs.end());
  const CliResult result = Check(args);
  for (char c : result.out) ASSERT_LT(static_cast<unsigned char>(c), 0x80u);
  EXPECT_NE(result.out.find(kJsonAsciiFirstRow), std::string::npos) << result.out;
  const auto rows = JsonReader(result.out).Array();
  ASSERT_TRUE(rows.has_value()) << result.out;
  ASSERT_EQ(rows->size(), kCatalogueArgs.size());
  for (size_t i = 0; i < rows->size(); ++i) EXPECT_EQ((*rows)[i].at("title"), kCatalogueArgs[i]);
}

TEST_F(CheckCommandTest, ExitStatusSaysWhetherAllAreIndexedSomeAreNotOrSomeFailed) {
  struct Case {
    std::vector<std::string> titles;
    int status;
  };
  const Case cases[] = {
      {{"韩版宽松毛衣女", "ab 1"}, 0},
      {{"韩版宽松毛衣女", "复古台灯"}, 1},
      {{"韩版宽松毛衣女", "复古台灯", "e500-x"}, 2},
      {{"nomarker-x"}, 2},
      {{"reset-x", "韩版宽松毛衣女"}, 2},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--pace", "0"};
    args.insert(args.end(), c.titles.begin(), c.titles.end());
    EXPECT_EQ(Check(args).status, c.status) << ::testing::PrintToString(c.titles);
  }
}

TEST_F(CheckCommandTest, UsageErrorsExitWith64AndOneLineThenTheUsage) {
  const std::string usage =
      "用法：vorlane-cli check|monitor|report [选项]，详见 vorlane-cli --help" + Native("\n");
  const std::string history = (folder / "h.csv").string();
  struct Case {
    std::vector<std::string> args;
    std::string reason;
  };
  const Case cases[] = {
      {{}, "缺少命令：check、monitor 或 report"},
      {{"--pace", "1"}, "缺少命令：check、monitor 或 report"},
      {{"frobnicate"}, "未知命令：frobnicate"},
      {{"check"}, "没有要查询的宝贝全称：请给出标题或 --file"},
      {{"check", "--nope", "x"}, "未知选项：--nope"},
      {{"check", "x", "--pace"}, "选项缺少值：--pace"},
      {{"check", "--pace", "-1", "x"}, "选项的值无效：--pace -1"},
      {{"check", "--pace=fast", "x"}, "选项的值无效：--pace fast"},
      {{"check", "--format", "xml", "x"}, "选项的值无效：--format xml"},
      {{"check", "--encoding", "latin1", "x"}, "选项的值无效：--encoding latin1"},
      {{"check", "--jobs", "4", "x"}, "--jobs 大于 1 时 --pace 必须为 0"},
      {{"check", "--jobs", "0", "--pace", "0", "x"}, "选项的值无效：--jobs 0"},
      {{"check", "--interval", "10", "x"}, "这个命令不用这个选项：--interval"},
      {{"monitor", "--file", "t.txt"}, "monitor 需要 --file 和 --interval"},
      {{"monitor", "--file", "t.txt", "--interval", "4"}, "--interval 必须在 5 到 600 分钟之间"},
      {{"monitor", "--file", "t.txt", "--interval", "10", "--pace", "2"}, "这个命令不用这个选项：--pace"},
      {{"monitor", "--file", "t.txt", "--interval", "10", "extra"}, "多余的参数：extra"},
      {{"report"}, "report 需要 --history"},
      {{"report", "--history", history, "--only-unindexed=yes"}, "这个命令不用这个选项：--only-unindexed"},
  };
  for (const Case& c : cases) {
    const CliResult result = cli.Run(c.args);
    EXPECT_EQ(result.status, 64) << ::testing::PrintToString(c.args);
    EXPECT_EQ(result.err, "vorlane-cli: " + c.reason + Native("\n") + usage)
        << ::testing::PrintToString(c.args);
    EXPECT_EQ(result.out, "");
  }
  EXPECT_EQ(site.requests().size(), 0u);
}

TEST_F(CheckCommandTest, HelpShowsTheCommandsOptionsAndExamples) {
  const CliResult result = cli.Run({"check", "--help"});
  EXPECT_EQ(result.status, 0);
  for (const char* part : {"vorlane-cli check", "vorlane-cli monitor", "vorlane-cli report",
                           "--on-change-timeout", "VORLANE_NEW_STATUS", "示例："}) {
    EXPECT_NE(result.out.find(part), std::string::npos) << part;
  }
}

TEST_F(CheckCommandTest, TitlesFilesInEveryEncodingGiveTheSameRows) {
  const std::u16string titles = u"韩版宽松毛衣女\r\n复古台灯\r\nab 1\r\n";
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"GBK", Gbk("韩版宽松毛衣女\r\n复古台灯\r\nab 1\r\n")},
      {"UTF-8", "韩版宽松毛衣女\r\n复古台灯\r\nab 1\r\n"},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF韩版宽松毛衣女\r\n复古台灯\r\nab 1"},
      {"UTF-16 little-endian", vorlane::test::Utf16File(titles, false)},
      {"UTF-16 big-endian", vorlane::test::Utf16File(titles, true)},
      {"UTF-8 with line feeds alone", "韩版宽松毛衣女\n复古台灯\nab 1\n"},
  };
  const std::string expected =
      "number,title,status,count,time,reason\r\n"
      "1,韩版宽松毛衣女,indexed,1,2013-11-9 8:05:07,\r\n"
      "2,复古台灯,not indexed,0,2013-11-9 8:05:07,\r\n"
      "3,ab 1,indexed,3,2013-11-9 8:05:07,\r\n";
  for (const Case& c : cases) {
    const auto path = folder / "titles.txt";
    vorlane::test::WriteFileBytes(path, c.bytes);
    const CliResult result = Check({"--format", "csv", "--pace", "0", "--file", path.string()});
    EXPECT_EQ(result.out, expected) << c.name;
    EXPECT_EQ(result.status, 1) << c.name;
  }
}

TEST_F(CheckCommandTest, TitlesFileThatCannotBeUsedIsRefusedBeforeAnyCheck) {
  const auto empty = folder / "empty.txt";
  vorlane::test::WriteFileBytes(empty, "");
  const auto large = folder / "large.txt";
  vorlane::test::WriteFileBytes(large, std::string(32 * 1024 * 1024 + 1, 'a'));
  const auto many = folder / "many.txt";
  std::string lines;
  for (int i = 0; i < 500001; ++i) lines += "a\r\n";
  vorlane::test::WriteFileBytes(many, lines);
  struct Case {
    std::string path;
    std::string reason;
  };
  const Case cases[] = {
      {(folder / "missing.txt").string(), "标题文件读取失败："},
      {empty.string(), "标题文件里没有宝贝全称："},
      {large.string(), "标题文件超过 32MB："},
      {many.string(), "标题文件超过 500000 行："},
  };
  for (const Case& c : cases) {
    const CliResult result = Check({"--file", c.path});
    EXPECT_EQ(result.status, 64) << c.path;
    EXPECT_EQ(result.err, "vorlane-cli: " + c.reason + c.path + Native("\n"));
  }
  EXPECT_EQ(site.requests().size(), 0u);
}

TEST_F(CheckCommandTest, TitlesThatWouldBreakCsvOrJsonReadBackWhole) {
  const std::vector<std::string> titles = {"a,b",         "say \"hi\"",   "tab\there", "cr\rhere", "bell\x07",
                                           "back\\slash", "中文\"引号\"", "\x1b[2J",   "del\x7f"};
  std::vector<std::string> args = {"--pace", "0"};
  args.insert(args.end(), titles.begin(), titles.end());
  for (const char* encoding : {"utf8", "gbk"}) {
    args.insert(args.end(), {"--format", "csv", "--encoding", encoding});
    const CliResult csv = Check(args);
    const std::string text = std::string(encoding) == "gbk" ? GbkToUtf8(csv.out) : csv.out;
    const auto records = ParseCsv(text);
    ASSERT_TRUE(records.has_value()) << text;
    ASSERT_EQ(records->size(), titles.size() + 1);
    for (size_t i = 0; i < titles.size(); ++i) EXPECT_EQ((*records)[i + 1][1], titles[i]) << encoding;

    args.insert(args.end(), {"--format", "json"});
    const CliResult json = Check(args);
    const auto objects = JsonReader(json.out).Array();
    ASSERT_TRUE(objects.has_value()) << json.out;
    ASSERT_EQ(objects->size(), titles.size());
    for (size_t i = 0; i < titles.size(); ++i) EXPECT_EQ((*objects)[i].at("title"), titles[i]) << encoding;
  }
  // The table shows what a terminal must not be given as '?'.
  const CliResult table = Check({"--pace", "0", "\x1b[2J"});
  EXPECT_EQ(table.out.find('\x1b'), std::string::npos);
  EXPECT_NE(table.out.find("?[2J"), std::string::npos);
}

TEST_F(CheckCommandTest, ProgressShowsOnATerminalForLongListsOnly) {
  std::vector<std::string> twelve = {"--pace", "0"};
  for (int i = 0; i < 12; ++i) twelve.push_back("ab 1");
  struct Case {
    bool terminal;
    std::vector<std::string> args;
    bool progress;
  };
  const Case cases[] = {
      {true, twelve, true},
      {false, twelve, false},                          // stderr piped
      {true, {"--pace", "0", "ab 1", "ab 1"}, false},  // over before it would help
  };
  for (const Case& c : cases) {
    cli.err.terminal = c.terminal;
    const CliResult result = Check(c.args);
    if (!c.progress) {
      EXPECT_EQ(result.err, "");
      continue;
    }
    EXPECT_NE(result.err.find("\r已查询 0/12"), std::string::npos);
    EXPECT_NE(result.err.find("\r已查询 12/12"), std::string::npos);
    // Gone from the screen by the end, all twelve columns of it.
    EXPECT_TRUE(result.err.ends_with("\r" + std::string(12, ' ') + "\r"));
    // Nothing of it on stdout, whose lines may end in CR LF.
    for (size_t cr = result.out.find('\r'); cr != std::string::npos; cr = result.out.find('\r', cr + 1))
      EXPECT_EQ(result.out.compare(cr, 2, "\r\n"), 0) << cr;
    EXPECT_EQ(result.out.find("已查询"), std::string::npos);
  }
}

// Starts of checks on the fake clock: the fetch runs inside the worker, at once.
class PacedCheckTest : public CheckCommandTest {
 protected:
  PacedCheckTest() {
    cli.fetch = [this](const Text& url) {
      starts.push_back(cli.scheduler.clock() - kFakeStart);
      return check::FetchResultPage(url);
    };
  }
  std::vector<std::chrono::microseconds> starts;  // since the fake clock's start
};

TEST_F(PacedCheckTest, StartsArePaceApartOnTheSchedulersClock) {
  struct Case {
    std::vector<std::string> options;
    std::vector<std::chrono::microseconds> starts;
  };
  const Case cases[] = {
      {{}, {0s, 1s, 2s}},  // the window's one second
      {{"--pace", "2.5"}, {0s, 2500ms, 5s}},
      {{"--pace", "0"}, {0s, 0s, 0s}},
  };
  for (const Case& c : cases) {
    starts.clear();
    FakeScheduler& clock = cli.scheduler;
    const std::chrono::microseconds begin = clock.clock() - kFakeStart;
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"ab 1", "复古台灯", "韩版宽松毛衣女"});
    EXPECT_EQ(Check(args).status, 1);
    for (std::chrono::microseconds& start : starts) start -= begin;
    EXPECT_EQ(starts, c.starts) << ::testing::PrintToString(c.options);
  }
}

TEST_F(PacedCheckTest, CheckWithoutAnAnswerByTheDeadlineFailsAsTimedOutAndItsLateAnswerIsDropped) {
  // Workers wait until the test runs them: the first one long after its deadline,
  // which [network] check_deadline sets to five seconds.
  cli.scheduler.workers = FakeScheduler::Workers::kDeferred;
  const auto ini = folder / "vorlane.ini";
  vorlane::test::WriteFileBytes(ini, "[site]\nhost = " + site.host() + "\n[network]\ncheck_deadline = 5\n");
  for (int s = 6; s <= 12; ++s)
    cli.scheduler.At(kFakeStart + std::chrono::seconds(s), [this] { cli.scheduler.RunDeferredWorkers(); });
  const CliResult result = cli.Run(
      {"check", "--config", ini.string(), "--format", "csv", "--pace", "0", "韩版宽松毛衣女", "ab 1"});
  EXPECT_EQ(result.out,
            "number,title,status,count,time,reason\r\n"
            "1,韩版宽松毛衣女,failed,,2013-11-9 8:05:07,time-out\r\n"
            "2,ab 1,indexed,3,2013-11-9 8:05:07,\r\n");
  EXPECT_EQ(starts, (std::vector<std::chrono::microseconds>{6s, 6s}));
  EXPECT_EQ(result.status, 2);
}

TEST_F(CheckCommandTest, JobsKeepThatManyChecksWaitingWhenThePaceIsZero) {
  // Workers wait until the test runs them, a millisecond apart: how many are
  // waiting each time is how many checks run at once.
  cli.scheduler.workers = FakeScheduler::Workers::kDeferred;
  std::vector<size_t> waiting;
  for (int ms = 1; ms <= 10; ++ms) {
    cli.scheduler.At(kFakeStart + std::chrono::milliseconds(ms), [&] {
      waiting.push_back(cli.scheduler.deferredWorkers());
      cli.scheduler.RunDeferredWorkers();
    });
  }
  const std::vector<std::string> titles = {"ab 1", "复古台灯", "韩版宽松毛衣女", "夏季连衣裙", "纯棉短袖T恤"};
  std::vector<std::string> args = {"--pace", "0", "--jobs", "3", "--format", "csv"};
  args.insert(args.end(), titles.begin(), titles.end());
  const CliResult result = Check(args);
  EXPECT_EQ(waiting, (std::vector<size_t>{3, 2, 0, 0, 0, 0, 0, 0, 0, 0}));
  const auto records = ParseCsv(result.out);
  ASSERT_TRUE(records.has_value());
  ASSERT_EQ(records->size(), titles.size() + 1);
  for (size_t i = 0; i < titles.size(); ++i) EXPECT_EQ((*records)[i + 1][1], titles[i]);
}

// A site that fails the first search for one title with 503 and answers every other
// as the catalogue does; it counts the searches for each title.
class FlakySite {
 public:
  FlakySite()
      : server_([this](const RecordedRequest& request) {
          std::lock_guard lock(mutex_);
          const int n = ++searches_[request.target];
          if (request.target == flaky_ && n == 1) return Reply::Http(503, "busy", {}, "Service Unavailable");
          return vorlane::test::SearchSiteHandler()(request);
        }) {}

  int Searches(std::string_view utf8Title) {
    std::lock_guard lock(mutex_);
    return searches_["/book/search/" + vorlane::test::PercentEncodeAll(utf8Title)];
  }
  std::string host() const { return server_.authority(); }

 private:
  const std::string flaky_ = "/book/search/" + vorlane::test::PercentEncodeAll("韩版宽松毛衣女");
  std::mutex mutex_;
  std::map<std::string, int> searches_;
  LocalServer server_;
};

TEST_F(PacedCheckTest, RetriesTryFailedChecksAgainAndOnlyThem) {
  struct Case {
    int retries;
    std::string row;
    int status;
    int searches;
  };
  const Case cases[] = {
      {0, "1,韩版宽松毛衣女,failed,,2013-11-9 8:05:07,HTTP 503\r\n", 2, 1},
      {1, "1,韩版宽松毛衣女,indexed,1,2013-11-9 8:05:07,\r\n", 1, 2},
      {3, "1,韩版宽松毛衣女,indexed,1,2013-11-9 8:05:07,\r\n", 1, 2},
  };
  for (const Case& c : cases) {
    FlakySite flaky;
    starts.clear();
    const std::chrono::microseconds begin = cli.scheduler.clock() - kFakeStart;
    const auto history = folder / ("history" + std::to_string(c.retries) + ".csv");
    const CliResult result =
        cli.Run({"check", "--host", flaky.host(), "--format", "csv", "--retries", std::to_string(c.retries),
                 "--history", history.string(), "韩版宽松毛衣女", "复古台灯"});
    EXPECT_EQ(result.out, "number,title,status,count,time,reason\r\n" + c.row +
                              "2,复古台灯,not indexed,0,2013-11-9 8:05:07,\r\n")
        << c.retries;
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(flaky.Searches("韩版宽松毛衣女"), c.searches);
    EXPECT_EQ(flaky.Searches("复古台灯"), 1);
    // A retry is a start like any other: paced, and before the next title.
    std::vector<std::chrono::microseconds> expected;
    for (int i = 0; i < c.searches + 1; ++i) expected.push_back(std::chrono::seconds(i));
    for (std::chrono::microseconds& start : starts) start -= begin;
    EXPECT_EQ(starts, expected);
    // Every check is in the history, the failed one too.
    const std::string written = vorlane::test::ReadFileBytes(history);
    EXPECT_NE(written.find("HTTP 503"), std::string::npos);
    EXPECT_EQ(ParseCsv(written.substr(3))->size(), static_cast<size_t>(c.searches + 2));
  }
}

}  // namespace
}  // namespace vorlane::cli::test
