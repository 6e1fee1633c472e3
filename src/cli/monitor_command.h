// vorlane-cli monitor: the window's automatic monitoring on a console. The
// window's own Monitor, ProductListController and ProductList run as they are,
// against a console view and the console scheduler: a pass at once, then one every
// N minutes, until Ctrl+C stops it through Monitor::StopMonitoring.
#pragma once

#include "cli/command_context.h"
#include "cli/options.h"

namespace vorlane::cli {

int RunMonitorCommand(const CliOptions& options, CommandContext& context);

}  // namespace vorlane::cli
