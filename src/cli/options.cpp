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

constexpr double kMaxSeconds = 86400;
constexpr int kMaxJobs = 64;
constexpr int kMaxRetries = 100;

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

// What an option's setter writes to.
struct OptionTarget {
  CliOptions& options;
  Encoding encoding;  // of the titles and names among the arguments
  bool& intervalGiven;
};

// Takes one option's value; false when it is not one the option takes.
using OptionSetter = bool (*)(OptionTarget& target, const std::string& value);

struct OptionRule {
  std::string_view name;
  bool takesValue;
  unsigned commands;
  OptionSetter set;
};

constexpr OptionRule kOptions[] = {
    {"--file", true, kCheckOnly | kMonitorOnly,
     [](OptionTarget& t, const std::string& v) { return t.options.file = v, true; }},
    {"--history", true, kCheckOnly | kMonitorOnly | kReportOnly,
     [](OptionTarget& t, const std::string& v) { return t.options.history = v, true; }},
    {"--html", true, kReportOnly,
     [](OptionTarget& t, const std::string& v) { return t.options.html = v, true; }},
    {"--format", true, kCheckOnly | kReportOnly,
     [](OptionTarget& t, const std::string& v) {
       if (v == "table") return t.options.format = Format::kTable, true;
       if (v == "csv") return t.options.format = Format::kCsv, true;
       if (v == "json") return t.options.format = Format::kJson, true;
       return false;
     }},
    {"--encoding", true, kCheckOnly | kMonitorOnly | kReportOnly,
     [](OptionTarget& t, const std::string& v) {
       if (v == "utf8" || v == "utf-8") return t.options.encoding = Encoding::kUtf8, true;
       if (v == "gbk") return t.options.encoding = Encoding::kGbk, true;
       return false;
     }},
    {"--host", true, kCheckOnly | kMonitorOnly,
     [](OptionTarget& t, const std::string& v) { return t.options.host = DecodeText(v, t.encoding), true; }},
    {"--proxy", true, kCheckOnly | kMonitorOnly,
     [](OptionTarget& t, const std::string& v) { return t.options.proxy = DecodeText(v, t.encoding), true; }},
    {"--pace", true, kCheckOnly,
     [](OptionTarget& t, const std::string& v) {
       const std::optional<double> seconds = Number(v);
       if (!seconds || *seconds < 0 || *seconds > kMaxSeconds) return false;
       return t.options.paceSeconds = *seconds, true;
     }},
    {"--jobs", true, kCheckOnly,
     [](OptionTarget& t, const std::string& v) {
       const std::optional<int> jobs = Whole(v, 1, kMaxJobs);
       return jobs && (t.options.jobs = *jobs, true);
     }},
    {"--retries", true, kCheckOnly,
     [](OptionTarget& t, const std::string& v) {
       const std::optional<int> retries = Whole(v, 0, kMaxRetries);
       return retries && (t.options.retries = *retries, true);
     }},
    {"--config", true, kCheckOnly | kMonitorOnly,
     [](OptionTarget& t, const std::string& v) { return t.options.config = v, true; }},
    {"--interval", true, kMonitorOnly,
     [](OptionTarget& t, const std::string& v) {
       // The range has a message of its own; anything that is no number has not.
       const std::optional<int> minutes = Whole(v, 0, 1 << 30);
       if (!minutes) return false;
       t.options.intervalMinutes = *minutes;
       return t.intervalGiven = true;
     }},
    {"--only-unindexed", false, kMonitorOnly,
     [](OptionTarget& t, const std::string&) { return t.options.onlyUnindexed = true; }},
    {"--on-change", true, kMonitorOnly,
     [](OptionTarget& t, const std::string& v) { return t.options.onChange = v, true; }},
    {"--on-change-timeout", true, kMonitorOnly,
     [](OptionTarget& t, const std::string& v) {
       const std::optional<double> seconds = Number(v);
       if (!seconds || *seconds <= 0 || *seconds > kMaxSeconds) return false;
       return t.options.onChangeTimeoutSeconds = *seconds, true;
     }},
};

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

class Parser {
 public:
  explicit Parser(Encoding argumentEncoding) : encoding_(argumentEncoding) {}

  ParsedArguments Parse(const std::vector<std::string>& args);

 private:
  ParsedArguments Fail(const char* reason, std::string_view argument = {}) const {
    return ParsedArguments{std::nullopt, reason + DecodeText(argument, encoding_)};
  }
  ParsedArguments Check() const;

  Encoding encoding_;
  CliOptions options_;
  bool intervalGiven_ = false;
};

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
  OptionTarget target{options_, encoding_, intervalGiven_};
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
      rule->set(target, {});
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
    if (!rule->set(target, value)) return Fail(texts::kBadValue, name + " " + value);
  }
  return Check();
}

}  // namespace

ParsedArguments ParseArguments(const std::vector<std::string>& args, Encoding argumentEncoding) {
  return Parser(argumentEncoding).Parse(args);
}

}  // namespace vorlane::cli
