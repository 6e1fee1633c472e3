// vorlane-cli report: for each title of a history file, the latest status, when
// that status began and the share of checks that found it indexed, as a table, CSV
// or JSON; with --html, the same as a page. Lines that are no record of a check are
// named on stderr and left out.
#pragma once

#include <vector>

#include "cli/command_context.h"
#include "cli/options.h"
#include "record/report_model.h"

namespace vorlane::cli {

int RunReportCommand(const CliOptions& options, CommandContext& context);

// The report's rows in `format`, as its output shows them.
Text FormatReport(const std::vector<record::TitleReport>& titles, Format format, Encoding encoding);

}  // namespace vorlane::cli
