// The history file: written by check and monitor across runs, refused when it is
// not one, and read back by report, which names the lines it leaves out.
#include <gtest/gtest.h>

#include <atomic>
#include <map>

#include "cli/interrupt_watch.h"
#include "cli_test_support.h"
#include "record/history_reader.h"
#include "record/report_html.h"
#include "strict_parsers.h"
#include "support/search_site.h"
#include "support/temp_folder.h"

namespace vorlane::cli::test {
namespace {

using vorlane::test::LocalServer;
using vorlane::test::RecordedRequest;
using vorlane::test::Reply;

constexpr std::string_view kBom = "\xEF\xBB\xBF";
using namespace std::chrono_literals;
using vorlane::test::kFakeStart;

// A site that answers each title as the test's script says for the run at hand:
// 'F' found (count 3), 'N' not found, 'E' 500.
class ScriptedSite {
 public:
  explicit ScriptedSite(std::map<std::string, std::string> script)
      : script_(std::move(script)), server_([this](const RecordedRequest& request) {
          for (const auto& [title, answers] : script_) {
            if (request.target != "/book/search/" + vorlane::test::PercentEncodeAll(title)) continue;
            const char answer = answers[static_cast<size_t>(run.load())];
            if (answer == 'E') return Reply::Http(500, "oops", {}, "Internal Server Error");
            return Reply::Http(200, vorlane::test::ResultPage(answer == 'F' ? "ab 1" : "-"));
          }
          return Reply::Http(404, "unknown");
        }) {}

  std::string host() const { return server_.authority(); }
  std::atomic<int> run{0};

 private:
  const std::map<std::string, std::string> script_;
  LocalServer server_;
};

class HistoryTest : public ::testing::Test {
 protected:
  vorlane::test::TempFolder folder{"vorlane-cli-history"};
  const std::filesystem::path history = folder / "history.csv";
  CliHarness cli;
};

TEST_F(HistoryTest, ChecksOfSeveralRunsAreReportedByTitle) {
  ScriptedSite site({{"韩版宽松毛衣女", "FFN"}, {"ab 1", "EFF"}, {"复古台灯", "EEE"}});
  const std::vector<std::string> titles = {"韩版宽松毛衣女", "ab 1", "复古台灯"};
  const port::LocalDateTime times[] = {
      {2013, 11, 9, 8, 5, 7}, {2013, 11, 9, 9, 0, 0}, {2013, 11, 9, 10, 0, 0}};
  // Two runs of check, then a pass of monitor: each adds its checks.
  for (int run = 0; run < 2; ++run) {
    site.run = run;
    cli.scheduler.now = times[run];
    std::vector<std::string> args = {"check", "--host", site.host(), "--history", history.string()};
    args.insert(args.end(), titles.begin(), titles.end());
    EXPECT_EQ(cli.Run(args).status, 2);
  }
  site.run = 2;
  cli.scheduler.now = times[2];
  vorlane::test::WriteFileBytes(folder / "titles.txt", "韩版宽松毛衣女\r\nab 1\r\n复古台灯\r\n");
  cli.scheduler.At(cli.scheduler.clock() + 10s, [] { DeliverInterrupt(); });
  EXPECT_EQ(cli.Run({"monitor", "--host", site.host(), "--history", history.string(), "--file",
                     (folder / "titles.txt").string(), "--interval", "5"})
                .status,
            2);

  EXPECT_EQ(vorlane::test::ReadFileBytes(history), std::string(kBom) +
                                                       "time,title,status,count,reason\r\n"
                                                       "2013-11-9 8:05:07,韩版宽松毛衣女,indexed,3,\r\n"
                                                       "2013-11-9 8:05:07,ab 1,failed,,HTTP 500\r\n"
                                                       "2013-11-9 8:05:07,复古台灯,failed,,HTTP 500\r\n"
                                                       "2013-11-9 9:00:00,韩版宽松毛衣女,indexed,3,\r\n"
                                                       "2013-11-9 9:00:00,ab 1,indexed,3,\r\n"
                                                       "2013-11-9 9:00:00,复古台灯,failed,,HTTP 500\r\n"
                                                       "2013-11-9 10:00:00,韩版宽松毛衣女,not indexed,0,\r\n"
                                                       "2013-11-9 10:00:00,ab 1,indexed,3,\r\n"
                                                       "2013-11-9 10:00:00,复古台灯,failed,,HTTP 500\r\n");

  struct Case {
    const char* format;
    std::string expected;
  };
  const Case cases[] = {
      {"table", Native("宝贝全称        最新状态  状态开始于          收录比例  查询次数\n"
                       "韩版宽松毛衣女  未收录    2013-11-9 10:00:00     66.7%         3\n"
                       "ab 1            已收录    2013-11-9 9:00:00      66.7%         3\n"
                       "复古台灯        查询失败  2013-11-9 8:05:07       0.0%         3\n")},
      {"csv",
       "title,latest,since,indexed_share,checks\r\n"
       "韩版宽松毛衣女,not indexed,2013-11-9 10:00:00,0.6667,3\r\n"
       "ab 1,indexed,2013-11-9 9:00:00,0.6667,3\r\n"
       "复古台灯,failed,2013-11-9 8:05:07,0.0000,3\r\n"},
      {"json",
       Native("[\n"
              "{\"title\":\"韩版宽松毛衣女\",\"latest\":\"not indexed\",\"since\":\"2013-11-9 10:00:00\","
              "\"indexed_share\":0.6667,\"checks\":3},\n"
              "{\"title\":\"ab 1\",\"latest\":\"indexed\",\"since\":\"2013-11-9 9:00:00\","
              "\"indexed_share\":0.6667,\"checks\":3},\n"
              "{\"title\":\"复古台灯\",\"latest\":\"failed\",\"since\":\"2013-11-9 8:05:07\","
              "\"indexed_share\":0.0000,\"checks\":3}\n"
              "]\n")},
  };
  for (const Case& c : cases) {
    const CliResult report = cli.Run({"report", "--history", history.string(), "--format", c.format});
    EXPECT_EQ(report.out, c.expected) << c.format;
    EXPECT_EQ(report.err, "");
    EXPECT_EQ(report.status, 2);  // a title whose latest check failed
  }
}

TEST_F(HistoryTest, FileThatIsNotAHistoryIsNeverWrittenInto) {
  ScriptedSite site(std::map<std::string, std::string>{{"ab 1", "F"}});
  const std::string header = std::string(kBom) + "time,title,status,count,reason";
  const std::string starts[] = {
      "hello\r\n",
      "time,title,status,count,reason\r\n",  // no byte-order mark
      std::string(kBom) + "time,title,status,count\r\n",
      std::string(kBom) + "time,title,status,count,reason,extra\r\n",
      header,  // the header line never ended
      std::string("\x00\x01\x02\xFF", 4),
  };
  for (const std::string& start : starts) {
    vorlane::test::WriteFileBytes(history, start);
    for (const char* command : {"check", "monitor"}) {
      vorlane::test::WriteFileBytes(folder / "titles.txt", "ab 1\r\n");
      const CliResult result = cli.Run({command, "--host", site.host(), "--history", history.string(),
                                        "--file", (folder / "titles.txt").string(),
                                        std::string(command) == "monitor" ? "--interval" : "--pace",
                                        std::string(command) == "monitor" ? "5" : "0"});
      EXPECT_EQ(result.status, 64) << command << " " << ::testing::PrintToString(start);
      EXPECT_EQ(result.err,
                "vorlane-cli: 不是 vorlane-cli 的历史文件，不会写入：" + history.string() + Native("\n"));
      EXPECT_EQ(vorlane::test::ReadFileBytes(history), start);
    }
  }
}

TEST_F(HistoryTest, NewEmptyOrCutShortHistoryIsWrittenWhole) {
  ScriptedSite site(std::map<std::string, std::string>{{"ab 1", "F"}});
  const std::string header = std::string(kBom) + "time,title,status,count,reason\r\n";
  const std::string row = "2013-11-9 8:05:07,ab 1,indexed,3,\r\n";
  struct Case {
    std::optional<std::string> before;  // none: no file
    std::string after;
  };
  const Case cases[] = {
      {std::nullopt, header + row},
      {"", header + row},
      {header, header + row},
      // A run cut short mid-record: its line stays apart, for the report to skip.
      {header + "2013-11-9 8:0", header + "2013-11-9 8:0\r\n" + row},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(history);
    if (c.before) vorlane::test::WriteFileBytes(history, *c.before);
    EXPECT_EQ(cli.Run({"check", "--host", site.host(), "--history", history.string(), "ab 1"}).status, 0);
    EXPECT_EQ(vorlane::test::ReadFileBytes(history), c.after);
  }
}

// A history with every kind of line that is no record of a check, between records
// that are; the title of line 8 holds a line break, so its record has two lines.
const std::string kDamaged = std::string(kBom) +
                             "time,title,status,count,reason\r\n"                     // 1
                             "2013-11-9 8:05:07,ab 1,indexed,3,\r\n"                  // 2
                             "garbage\r\n"                                            // 3 columns
                             "2013-11-9 8:05:07,ab 1,maybe,3,\r\n"                    // 4 status
                             "2013-11-9 8:05:07,ab 1,failed,,\r\n"                    // 5 reason
                             "2013-11-9 8:05:07,ab 1,indexed,3,connection\r\n"        // 6 reason
                             "yesterday,ab 1,indexed,3,\r\n"                          // 7 time
                             "2013-11-9 8:05:08,\"two\r\nlines\",not indexed,0,\r\n"  // 8-9
                             "2013-11-9 8:05:09,\xC0\xFF,indexed,3,\r\n"              // 10 bytes
                             "2013-11-9 8:05:09,ab\"1,indexed,3,\r\n"                 // 11 quotes
                             "2013-11-9 8:05:10,\"ab 1\",failed,,HTTP 503\r\n"        // 12
                             "2013-11-9 8:05:11,\"ab 1,indexed,3,\r\n"                // 13 quote never closed
                             "2013-11-9 8:05:12,ab 1,indexed,3,\r\n"                  // 14
                             "2013-11-9 8:05:13,ab 1,not indexed,0,";                 // 15 cut short

const char* const kDamagedSkipped =
    "vorlane-cli: 跳过历史文件第 3 行：列数不对\n"
    "vorlane-cli: 跳过历史文件第 4 行：收录状态无法识别\n"
    "vorlane-cli: 跳过历史文件第 5 行：失败原因无法识别\n"
    "vorlane-cli: 跳过历史文件第 6 行：失败原因无法识别\n"
    "vorlane-cli: 跳过历史文件第 7 行：时间无法识别\n"
    "vorlane-cli: 跳过历史文件第 10 行：含有无法识别的字节\n"
    "vorlane-cli: 跳过历史文件第 11 行：引号不对\n"
    "vorlane-cli: 跳过历史文件第 13 行：引号不对\n"
    "vorlane-cli: 跳过历史文件第 15 行：最后一行不完整\n";

TEST_F(HistoryTest, ReportSaysWhichLinesItSkippedAndReadsTheRest) {
  vorlane::test::WriteFileBytes(history, kDamaged);
  const CliResult result = cli.Run({"report", "--history", history.string(), "--format", "csv"});
  EXPECT_EQ(result.err, Native(kDamagedSkipped));
  EXPECT_EQ(result.out,
            "title,latest,since,indexed_share,checks\r\n"
            "ab 1,indexed,2013-11-9 8:05:12,0.6667,3\r\n"
            "\"two\r\nlines\",not indexed,2013-11-9 8:05:08,0.0000,1\r\n");
  EXPECT_EQ(result.status, 1);

  // Whatever the size of the blocks it is read in, the same.
  for (size_t block : {1, 2, 3, 7, 64, 4096}) {
    const record::HistoryContents contents = record::ReadHistory(history.string(), block);
    ASSERT_EQ(contents.titles.size(), 2u) << block;
    EXPECT_EQ(contents.titles[0].checks.size(), 3u) << block;
    EXPECT_EQ(contents.titles[1].title, "two\r\nlines");
    ASSERT_EQ(contents.skipped.size(), 9u) << block;
    EXPECT_EQ(contents.skipped[5].line, 10) << block;
    EXPECT_EQ(contents.skipped[8].line, 15) << block;
  }
}

TEST_F(HistoryTest, ReportOfAFileThatIsNoHistoryNamesTheFirstLinesAndCountsTheRest) {
  std::string binary;
  for (int i = 0; i < 30; ++i) binary += std::string("\x00\x89PNG\x1A,,,,\r\n", 12);
  struct Case {
    std::string bytes;
    std::string err;
  };
  std::string named;
  for (int line = 1; line <= 20; ++line) {
    named += "vorlane-cli: 跳过历史文件第 " + std::to_string(line) + " 行：" +
             (line == 1 ? "不是历史文件的表头" : "时间无法识别") + "\n";
  }
  const Case cases[] = {
      {binary, named + "vorlane-cli: 另有 10 行被跳过\n"},
      // No byte-order mark: the header is skipped, the records are read.
      {"time,title,status,count,reason\r\n2013-11-9 8:05:07,ab 1,indexed,3,\r\n",
       "vorlane-cli: 跳过历史文件第 1 行：不是历史文件的表头\n"},
  };
  for (const Case& c : cases) {
    vorlane::test::WriteFileBytes(history, c.bytes);
    const CliResult result = cli.Run({"report", "--history", history.string(), "--format", "csv"});
    EXPECT_EQ(result.err, Native(c.err));
  }
  EXPECT_EQ(cli.Run({"report", "--history", history.string(), "--format", "csv"}).out,
            "title,latest,since,indexed_share,checks\r\nab 1,indexed,2013-11-9 8:05:07,1.0000,1\r\n");
  const CliResult missing = cli.Run({"report", "--history", (folder / "none.csv").string()});
  EXPECT_EQ(missing.status, 64);
  EXPECT_EQ(missing.err, "vorlane-cli: 历史文件读取失败：" + (folder / "none.csv").string() + Native("\n"));
}

TEST_F(HistoryTest, TitlesThatWouldBreakCsvOrJsonComeBackWholeThroughTheHistoryAndTheReport) {
  ScriptedSite site(std::map<std::string, std::string>{{"a,b", "F"}});
  const std::vector<std::string> titles = {"a,b",      "say \"hi\"",  "tab\there",    "cr\rhere", "lf\nhere",
                                           "bell\x07", "back\\slash", "中文\"引号\"", "\x1b[2J",  "del\x7f"};
  std::vector<std::string> args = {"check", "--host",    site.host(),     "--pace",
                                   "0",     "--history", history.string()};
  args.insert(args.end(), titles.begin(), titles.end());
  EXPECT_EQ(cli.Run(args).status, 2);  // the site knows the first title only

  for (const char* encoding : {"utf8", "gbk"}) {
    const CliResult csv =
        cli.Run({"report", "--history", history.string(), "--format", "csv", "--encoding", encoding});
    EXPECT_EQ(csv.err, "") << encoding;
    EXPECT_EQ(csv.status, 2) << encoding;
    const std::string text = std::string(encoding) == "gbk" ? GbkToUtf8(csv.out) : csv.out;
    const auto records = ParseCsv(text);
    ASSERT_TRUE(records.has_value()) << text;
    ASSERT_EQ(records->size(), titles.size() + 1) << encoding;
    for (size_t i = 0; i < titles.size(); ++i) {
      EXPECT_EQ((*records)[i + 1][0], titles[i]) << encoding;
      EXPECT_EQ((*records)[i + 1][1], i == 0 ? "indexed" : "failed") << encoding;
    }

    const CliResult json =
        cli.Run({"report", "--history", history.string(), "--format", "json", "--encoding", encoding});
    const auto objects = JsonReader(json.out).Array();
    ASSERT_TRUE(objects.has_value()) << json.out;
    ASSERT_EQ(objects->size(), titles.size()) << encoding;
    for (size_t i = 0; i < titles.size(); ++i) {
      EXPECT_EQ((*objects)[i].at("title"), titles[i]) << encoding;
      EXPECT_EQ((*objects)[i].at("checks"), "1") << encoding;
    }
  }
}

// Titles and counts that a spreadsheet would run as formulas: each CSV the front
// end writes (check, the history, report) has them as text, and the report reads
// back the titles that were checked.
TEST_F(HistoryTest, FormulaTitlesAndCountsAreTextInEveryCsvAndReadBackAsChecked) {
  const std::map<std::string, std::string> counts = {
      {"=HYPERLINK(\"http://x\",\"y\")", "=1+1"},
      {"+cmd", "-5"},
      {"-2", "@x"},
      {"@SUM(A1)", "+3"},
      {"'=already", "'1"},
      {"'plain", "7"},
  };
  LocalServer server([&counts](const RecordedRequest& request) {
    for (const auto& [title, count] : counts) {
      if (request.target != "/book/search/" + vorlane::test::PercentEncodeAll(title)) continue;
      return Reply::Http(
          200, "<html><body><span class=\"title fl\">找到" + count + "个“x”相关宝贝</span></body></html>",
          "Content-Type: text/html; charset=utf-8\r\n");
    }
    return Reply::Http(404, "unknown");
  });
  // The form a spreadsheet shows as text.
  auto guarded = [](const std::string& field) {
    const size_t at = field.find_first_not_of('\'');
    return at != std::string::npos && std::string_view("=+-@").find(field[at]) != std::string_view::npos
               ? "'" + field
               : field;
  };
  std::vector<std::string> args = {"check",    "--host", server.authority(), "--pace",        "0",
                                   "--format", "csv",    "--history",        history.string()};
  for (const auto& [title, count] : counts) args.push_back(title);
  const CliResult check = cli.Run(args);
  ASSERT_EQ(check.status, 0) << check.err;
  const auto rows = ParseCsv(check.out);
  ASSERT_TRUE(rows.has_value()) << check.out;
  ASSERT_EQ(rows->size(), counts.size() + 1);
  const auto stored = ParseCsv(vorlane::test::ReadFileBytes(history).substr(kBom.size()));
  ASSERT_TRUE(stored.has_value());
  ASSERT_EQ(stored->size(), counts.size() + 1);
  size_t i = 1;
  for (const auto& [title, count] : counts) {
    EXPECT_EQ((*rows)[i][1], guarded(title));
    EXPECT_EQ((*rows)[i][3], guarded(count));
    EXPECT_EQ((*stored)[i][1], guarded(title));
    EXPECT_EQ((*stored)[i][3], guarded(count));
    ++i;
  }

  const CliResult csv = cli.Run({"report", "--history", history.string(), "--format", "csv"});
  const auto report = ParseCsv(csv.out);
  ASSERT_TRUE(report.has_value()) << csv.out;
  const CliResult json = cli.Run({"report", "--history", history.string(), "--format", "json"});
  const auto objects = JsonReader(json.out).Array();
  ASSERT_TRUE(objects.has_value()) << json.out;
  ASSERT_EQ(objects->size(), counts.size());
  ASSERT_EQ(report->size(), counts.size() + 1);
  EXPECT_EQ(csv.err, "");
  i = 0;
  for (const auto& [title, count] : counts) {
    EXPECT_EQ((*objects)[i].at("title"), title);
    EXPECT_EQ((*report)[i + 1][0], guarded(title));
    ++i;
  }
}

TEST_F(HistoryTest, HtmlReportIsThePageOfTheHistorysTitles) {
  vorlane::test::WriteFileBytes(history, kDamaged);
  const auto page = folder / "report.html";
  const CliResult result = cli.Run({"report", "--history", history.string(), "--html", page.string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(vorlane::test::ReadFileBytes(page),
            record::RenderReportHtml(record::ReadHistory(history.string()).titles, std::string(kTime)));
  const CliResult unwritable =
      cli.Run({"report", "--history", history.string(), "--html", (folder / "no" / "such.html").string()});
  EXPECT_EQ(unwritable.status, 2);
  EXPECT_TRUE(unwritable.err.ends_with("vorlane-cli: HTML 报告无法写入：" +
                                       (folder / "no" / "such.html").string() + Native("\n")))
      << unwritable.err;
}

}  // namespace
}  // namespace vorlane::cli::test
