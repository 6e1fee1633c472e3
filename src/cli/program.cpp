#include "cli/program.h"

#include <cstdlib>

#include "cli/cli.h"
#include "cli/console_scheduler.h"
#include "cli/standard_streams.h"

namespace vorlane::cli {

int RunProgram(const std::vector<std::string>& args, Encoding argumentEncoding, const Text& programFolder) {
  ConsoleScheduler scheduler;
  std::unique_ptr<OutputStream> out = StandardOutput();
  std::unique_ptr<OutputStream> err = StandardError();
  CliEnvironment environment{scheduler, *out, *err, TerminalEncoding(), argumentEncoding, programFolder, {}};
  const int status = RunCli(args, environment);
  scheduler.Close();
  // A check given up at its deadline may still wait for the site on a worker that
  // nobody joins; the process then ends without tearing down what that worker uses.
  // Everything written has gone out already: the streams keep no buffer, and the
  // history file was closed.
  if (scheduler.runningWorkers() > 0) std::_Exit(status);
  return status;
}

}  // namespace vorlane::cli
