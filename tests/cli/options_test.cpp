// The command line as the parser reads it: each option's accepted and refused
// values, which command takes it, and the usage errors' reasons.
#include "cli/options.h"

#include <gtest/gtest.h>

#include "cli/cli_texts.h"

namespace vorlane::cli {
namespace {

ParsedArguments Parse(std::vector<std::string> args) {
  return ParseArguments(args, Encoding::kUtf8);
}

TEST(OptionsTest, EachOptionTakesItsValuesAndRefusesOthers) {
  struct Case {
    std::vector<std::string> args;
    bool accepted;
  };
  const Case cases[] = {
      {{"check", "t", "--format", "table"}, true},
      {{"check", "t", "--format=csv"}, true},
      {{"check", "t", "--format", "json"}, true},
      {{"check", "t", "--format", "xml"}, false},
      {{"check", "t", "--encoding", "utf-8"}, true},
      {{"check", "t", "--encoding", "gbk"}, true},
      {{"check", "t", "--encoding", "latin1"}, false},
      {{"check", "t", "--pace", "0.5"}, true},
      {{"check", "t", "--pace", "-1"}, false},
      {{"check", "t", "--pace", "86401"}, false},
      {{"check", "t", "--pace", "inf"}, false},
      {{"check", "t", "--pace", "1s"}, false},
      {{"check", "t", "--pace", "0", "--jobs", "64"}, true},
      {{"check", "t", "--pace", "0", "--jobs", "65"}, false},
      {{"check", "t", "--pace", "0", "--jobs", "0"}, false},
      {{"check", "t", "--retries", "100"}, true},
      {{"check", "t", "--retries", "101"}, false},
      {{"check", "t", "--retries", "2.5"}, false},
      {{"monitor", "--file", "f", "--interval", "5", "--on-change-timeout", "0.3"}, true},
      {{"monitor", "--file", "f", "--interval", "5", "--on-change-timeout", "0"}, false},
      {{"monitor", "--file", "f", "--interval", "five"}, false},
      {{"monitor", "--file", "f", "--interval", "4"}, false},
      {{"monitor", "--file", "f", "--interval", "600", "--only-unindexed"}, true},
      {{"monitor", "--file", "f", "--interval", "5", "--only-unindexed=1"}, false},
      {{"report", "--history", "h", "--html", "p.html"}, true},
      {{"report", "--history", "h", "--pace", "1"}, false},  // not an option of report
      {{"check", "t", "--html", "p.html"}, false},
      {{"check", "t", "--format"}, false},  // no value
  };
  for (const Case& c : cases) {
    const ParsedArguments parsed = Parse(c.args);
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    EXPECT_EQ(parsed.options.has_value(), c.accepted) << line << " -> " << parsed.error;
    EXPECT_EQ(parsed.error.empty(), c.accepted) << line;
  }
}

TEST(OptionsTest, ValuesLandInTheirFields) {
  const ParsedArguments parsed =
      Parse({"check",      "--pace=0", "--jobs", "8",           "--retries", "3",      "--format", "json",
             "--encoding", "gbk",      "--host", "127.0.0.1:9", "--proxy",   "p:3128", "--config", "c.ini",
             "--history",  "h.csv",    "--file", "t.txt",       "one",       "--",     "--two"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  const CliOptions& o = *parsed.options;
  EXPECT_EQ(o.command, Command::kCheck);
  EXPECT_EQ(o.paceSeconds, 0);
  EXPECT_EQ(o.jobs, 8);
  EXPECT_EQ(o.retries, 3);
  EXPECT_EQ(o.format, Format::kJson);
  EXPECT_EQ(o.encoding, Encoding::kGbk);
  EXPECT_EQ(o.host, "127.0.0.1:9");
  EXPECT_EQ(o.proxy, "p:3128");
  EXPECT_EQ(o.config, "c.ini");
  EXPECT_EQ(o.history, "h.csv");
  EXPECT_EQ(o.file, "t.txt");
  EXPECT_EQ(o.titles, (std::vector<Text>{"one", "--two"}));

  const ParsedArguments monitor =
      Parse({"monitor", "--file", "t.txt", "--interval", "7", "--only-unindexed", "--on-change", "cmd x"});
  ASSERT_TRUE(monitor.options) << monitor.error;
  EXPECT_EQ(monitor.options->intervalMinutes, 7);
  EXPECT_TRUE(monitor.options->onlyUnindexed);
  EXPECT_EQ(monitor.options->onChange, "cmd x");
}

TEST(OptionsTest, UsageErrorsNameTheirReason) {
  EXPECT_EQ(Parse({"check", "--bogus"}).error, Text(texts::kUnknownOption) + "--bogus");
  EXPECT_EQ(Parse({"report", "--history", "h", "--jobs", "2"}).error, Text(texts::kNotForCommand) + "--jobs");
  EXPECT_EQ(Parse({"check", "t", "--pace", "0", "--format"}).error, Text(texts::kMissingValue) + "--format");
  EXPECT_EQ(Parse({"check", "t", "--jobs", "2"}).error, Text(texts::kJobsNeedNoPace));
  EXPECT_EQ(Parse({"monitor", "--file", "f"}).error, Text(texts::kMonitorNeeds));
  EXPECT_EQ(Parse({"frobnicate"}).error, Text(texts::kUnknownCommand) + "frobnicate");
  EXPECT_TRUE(Parse({"check", "--help"}).options);
}

}  // namespace
}  // namespace vorlane::cli
