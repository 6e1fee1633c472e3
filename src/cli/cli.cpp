#include "cli/cli.h"

#include "cli/check_command.h"
#include "cli/cli_settings.h"
#include "cli/cli_texts.h"
#include "cli/command_context.h"
#include "cli/monitor_command.h"
#include "cli/options.h"
#include "cli/report_command.h"
#include "text/gbk_text.h"

namespace vorlane::cli {
namespace {

// Each line of the help ends as the system's lines do.
Text Help() {
  return ReplaceAll(texts::kHelp, "\n", kNewline);
}

check::PageFetcher WebFetcher(const std::optional<Text>& proxy) {
  if (!proxy || RemoveSpaces(*proxy).empty()) return check::FetchResultPage;
  return [proxy = *proxy](const Text& url) { return check::FetchResultPageThrough(url, proxy); };
}

}  // namespace

void ReportError(OutputStream& err, const Text& reason) {
  err.Write("vorlane-cli: " + reason + Text(kNewline));
}

int RunCli(const std::vector<std::string>& args, CliEnvironment& environment) {
  environment.out.SetEncoding(environment.terminalEncoding);
  environment.err.SetEncoding(environment.terminalEncoding);
  ParsedArguments parsed = ParseArguments(args, environment.argumentEncoding);
  if (!parsed.options) {
    ReportError(environment.err, parsed.error);
    environment.err.Write(texts::kUsageLine + Text(kNewline));
    return kExitUsage;
  }
  const CliOptions& options = *parsed.options;
  if (options.encoding) {
    environment.out.SetEncoding(*options.encoding);
    environment.err.SetEncoding(*options.encoding);
  }
  if (options.command == Command::kHelp) {
    environment.out.Write(Help());
    return 0;
  }

  std::optional<config::AppConfig> config = LoadConfiguration(environment.programFolder, options.config);
  if (!config) {
    ReportError(environment.err, texts::kConfigUnreadable + DecodeText(*options.config, environment.argumentEncoding));
    return kExitUsage;
  }
  SiteSettings site = SiteSettingsFrom(*config);
  if (options.host) site.host = *options.host;
  web::SetServiceTimeouts(site.timeouts);

  CommandContext context{environment.scheduler,
                         environment.out,
                         environment.err,
                         environment.argumentEncoding,
                         site,
                         environment.fetch ? environment.fetch : WebFetcher(options.proxy)};
  switch (options.command) {
    case Command::kCheck:
      return RunCheckCommand(options, context);
    case Command::kMonitor:
      return RunMonitorCommand(options, context);
    case Command::kReport:
      return RunReportCommand(options, context);
    case Command::kHelp:
      break;
  }
  return 0;
}

}  // namespace vorlane::cli
