// vorlane-cli check: one row per title (number, title, status, count, time) as a
// table, CSV or JSON, each check appended to the history when one is named.
#pragma once

#include "cli/command_context.h"
#include "cli/options.h"

namespace vorlane::cli {

int RunCheckCommand(const CliOptions& options, CommandContext& context);

}  // namespace vorlane::cli
