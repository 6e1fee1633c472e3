// The process around RunCli: the console scheduler, the standard streams, the
// terminal's encoding. Each system's entry (program_main_posix.cpp,
// program_main_win.cpp) only turns its arguments and its own folder into these.
#pragma once

#include <string>
#include <vector>

#include "cli/output_stream.h"
#include "text/text.h"

namespace vorlane::cli {

int RunProgram(const std::vector<std::string>& args, Encoding argumentEncoding, const Text& programFolder);

}  // namespace vorlane::cli
