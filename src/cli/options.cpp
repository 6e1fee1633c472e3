#include "cli/options.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "check/monitor.h"
#include "cli/cli_texts.h"

namespace vorlane::cli {
namespace {

// Which commands take an option.
enum : unsigned { kCheckOnly = 1, kMonitorOnly = 2, kReportOnly = 4 };

struct OptionRule {
  std::string_view name;
  bool takesValue;
  unsigned commands;
};

constexpr OptionRule kOptions[] = {
    {"--file", true, kCheckOnly | kMonitorOnly},
    {"--history", true, kCheckOnly | kMonitorOnly | kReportOnly},
    {"--html", true, kReportOnly},
    {"--format", true, kCheckOnly | kReportOnly},
    {"--encoding", true, kCheckOnly | kMonitorOnly | kReportOnly},
    {"--host", true, kCheckOnly | kMonitorOnly},
    {"--proxy", true, kCheckOnly | kMonitorOnly},
    {"--pace", true, kCheckOnly},
    {"--jobs", true, kCheckOnly},
    {"--retries", true, kCheckOnly},
    {"--config", true, kCheckOnly | kMonitorOnly},
    {"--interval", true, kMonitorOnly},
    {"--only-unindexed", false, kMonitorOnly},
    {"--on-change", true, kMonitorOnly},
    {"--on-change-timeout", true, kMonitorOnly},
};

constexpr double kMaxSeconds = 86400;
constexpr int kMaxJobs = 64;
constexpr int kMaxRetries = 100;

const OptionRule* FindOption(std::string_view name) {
  for (const OptionRule& rule : kOptions) {
    if (rule.name == name) return &rule;
  }
  return nullptr;
}

unsigned CommandBit(Command command) {
  switch (command) {
    case Command::kCheck:
      return kCheckOnly;
    case Command::kMonitor:
      return kMonitorOnly;
    case Command::kReport:
      return kReportOnly;
    case Command::kHelp:
      break;
  }
  return 0;
}

std::optional<double> Number(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> Whole(std::string_view text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return std::nullopt;
  return value;
}

class Parser {
 public:
  explicit Parser(Encoding argumentEncoding) : encoding_(argumentEncoding) {}

  ParsedArguments Parse(const std::vector<std::string>& args);

 private:
  // Takes one option's value; false when it is not one the option takes.
  bool Take(std::string_view name, const std::string& value);
  ParsedArguments Fail(const char* reason, std::string_view argument = {}) const {
    return ParsedArguments{std::nullopt, reason + DecodeText(argument, encoding_)};
  }
  ParsedArguments Check() const;

  Encoding encoding_;
  CliOptions options_;
  bool intervalGiven_ = false;
};

bool Parser::Take(std::string_view name, const std::string& value) {
  CliOptions& o = options_;
  if (name == "--file") {
    o.file = value;
  } else if (name == "--history") {
    o.history = value;
  } else if (name == "--html") {
    o.html = value;
  } else if (name == "--config") {
    o.config = value;
  } else if (name == "--on-change") {
    o.onChange = value;
  } else if (name == "--host") {
    o.host = DecodeText(value, encoding_);
  } else if (name == "--proxy") {
    o.proxy = DecodeText(value, encoding_);
  } else if (name == "--format") {
    if (value == "table") {
      o.format = Format::kTable;
    } else if (value == "csv") {
      o.format = Format::kCsv;
    } else if (value == "json") {
      o.format = Format::kJson;
    } else {
      return false;
    }
  } else if (name == "--encoding") {
    if (value == "utf8" || value == "utf-8") {
      o.encoding = Encoding::kUtf8;
    } else if (value == "gbk") {
      o.encoding = Encoding::kGbk;
    } else {
      return false;
    }
  } else if (name == "--pace") {
    const std::optional<double> seconds = Number(value);
    if (!seconds || *seconds < 0 || *seconds > kMaxSeconds) return false;
    o.paceSeconds = *seconds;
  } else if (name == "--on-change-timeout") {
    const std::optional<double> seconds = Number(value);
    if (!seconds || *seconds <= 0 || *seconds > kMaxSeconds) return false;
    o.onChangeTimeoutSeconds = *seconds;
  } else if (name == "--jobs") {
    const std::optional<int> jobs = Whole(value, 1, kMaxJobs);
    if (!jobs) return false;
    o.jobs = *jobs;
  } else if (name == "--retries") {
    const std::optional<int> retries = Whole(value, 0, kMaxRetries);
    if (!retries) return false;
    o.retries = *retries;
  } else if (name == "--interval") {
    // The range has a message of its own; anything that is no number has not.
    const std::optional<int> minutes = Whole(value, 0, 1 << 30);
    if (!minutes) return false;
    o.intervalMinutes = *minutes;
    intervalGiven_ = true;
  }
  return true;
}

ParsedArguments Parser::Check() const {
  const CliOptions& o = options_;
  switch (o.command) {
    case Command::kCheck:
      if (o.titles.empty() && !o.file) return Fail(texts::kNoTitles);
      if (o.jobs > 1 && o.paceSeconds != 0) return Fail(texts::kJobsNeedNoPace);
      break;
    case Command::kMonitor:
      if (!o.file || !intervalGiven_) return Fail(texts::kMonitorNeeds);
      if (o.intervalMinutes < check::kMinIntervalMinutes || o.intervalMinutes > check::kMaxIntervalMinutes)
        return Fail(texts::kIntervalRange);
      break;
    case Command::kReport:
      if (!o.history) return Fail(texts::kReportNeeds);
      break;
    case Command::kHelp:
      break;
  }
  return ParsedArguments{o, {}};
}

ParsedArguments Parser::Parse(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") return ParsedArguments{CliOptions{}, {}};
  }
  if (args.empty() || args[0].starts_with("-")) return Fail(texts::kNoCommand);
  if (args[0] == "check") {
    options_.command = Command::kCheck;
  } else if (args[0] == "monitor") {
    options_.command = Command::kMonitor;
  } else if (args[0] == "report") {
    options_.command = Command::kReport;
  } else {
    return Fail(texts::kUnknownCommand, args[0]);
  }
  bool optionsEnded = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || !arg.starts_with("--")) {
      if (options_.command != Command::kCheck) return Fail(texts::kUnexpectedArgument, arg);
      options_.titles.push_back(DecodeText(arg, encoding_));
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const OptionRule* rule = FindOption(name);
    if (rule == nullptr) return Fail(texts::kUnknownOption, name);
    if ((rule->commands & CommandBit(options_.command)) == 0) return Fail(texts::kNotForCommand, name);
    if (!rule->takesValue) {
      if (equals != std::string::npos) return Fail(texts::kBadValue, arg);
      options_.onlyUnindexed = true;
      continue;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return Fail(texts::kMissingValue, name);
    }
    if (!Take(name, value)) return Fail(texts::kBadValue, name + " " + value);
  }
  return Check();
}

}  // namespace

ParsedArguments ParseArguments(const std::vector<std::string>& args, Encoding argumentEncoding) {
  return Parser(argumentEncoding).Parse(args);
}

}  // namespace vorlane::cli
