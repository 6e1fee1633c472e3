// vorlane-cli: the second front end over the window's checks, for scripts and
// scheduled tasks. Everything but the process's own entry: the arguments, the
// configuration, and the three commands.
#pragma once

#include <string>
#include <vector>

#include "check/search_query.h"
#include "cli/output_stream.h"
#include "port/scheduler.h"

namespace vorlane::cli {

struct CliEnvironment {
  port::Scheduler& scheduler;
  OutputStream& out;
  OutputStream& err;
  Encoding terminalEncoding = Encoding::kUtf8;  // what --encoding is without one
  Encoding argumentEncoding = Encoding::kUtf8;  // what the arguments are written in
  Text programFolder;                           // a vorlane.ini there is read; empty: none is
  // How a result page is fetched; empty: through the web visit, by --proxy when given.
  check::PageFetcher fetch;
};

// `args` without the program's name. Gives the exit status: 0 every title
// indexed, 1 some not indexed (none failed), 2 some failed, 64 a usage error.
int RunCli(const std::vector<std::string>& args, CliEnvironment& environment);

}  // namespace vorlane::cli
