// What every command of the front end works with: the scheduler, the two outputs,
// the site and how a page is fetched; and the exit statuses they end with.
#pragma once

#include "check/search_query.h"
#include "cli/cli_settings.h"
#include "cli/output_stream.h"
#include "port/scheduler.h"

namespace vorlane::cli {

inline constexpr int kExitAllIndexed = 0;
inline constexpr int kExitSomeNotIndexed = 1;  // and none failed
inline constexpr int kExitSomeFailed = 2;
inline constexpr int kExitWriteFailed = 2;  // a history or page that could not be written
inline constexpr int kExitUsage = 64;

inline int ExitStatusOf(bool anyFailed, bool anyNotIndexed) {
  if (anyFailed) return kExitSomeFailed;
  return anyNotIndexed ? kExitSomeNotIndexed : kExitAllIndexed;
}

struct CommandContext {
  port::Scheduler& scheduler;
  OutputStream& out;
  OutputStream& err;
  Encoding pathEncoding;  // how the paths and the command in the arguments read
  SiteSettings site;
  check::PageFetcher fetch;
};

// "vorlane-cli: <reason>" on a line of its own.
void ReportError(OutputStream& err, const Text& reason);

}  // namespace vorlane::cli
