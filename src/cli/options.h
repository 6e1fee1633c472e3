// The command line: a command, then options and titles in any order. Options take
// their value as the next argument or after '='; "--" ends the options.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/output_stream.h"
#include "cli/row_format.h"
#include "text/text.h"

namespace vorlane::cli {

enum class Command { kCheck, kMonitor, kReport, kHelp };

struct CliOptions {
  Command command = Command::kHelp;
  std::vector<Text> titles;  // GBK
  // Paths and the change command stay as the system gave them: bytes it will take
  // back (GBK on Windows, where the arguments arrive as UTF-16).
  std::optional<std::string> file;
  std::optional<std::string> history;
  std::optional<std::string> html;
  std::optional<std::string> config;
  std::optional<std::string> onChange;
  std::optional<Text> host;
  std::optional<Text> proxy;
  std::optional<Format> format;
  std::optional<Encoding> encoding;
  double paceSeconds = 1.0;
  int jobs = 1;
  int retries = 0;
  int intervalMinutes = 0;
  bool onlyUnindexed = false;
  double onChangeTimeoutSeconds = 30.0;
};

struct ParsedArguments {
  std::optional<CliOptions> options;
  Text error;  // GBK, one line, when options is empty
};

// `args` without the program's name; titles among them are written in
// `argumentEncoding`.
ParsedArguments ParseArguments(const std::vector<std::string>& args, Encoding argumentEncoding);

}  // namespace vorlane::cli
