// The process's own stdout and stderr, and the encoding its terminal reads: on
// Windows the console's output code page (936 is GBK, anything else UTF-8), on
// Linux the locale's character set (UTF-8 unless it is a GB one).
#pragma once

#include <memory>

#include "cli/output_stream.h"

namespace vorlane::cli {

std::unique_ptr<OutputStream> StandardOutput();
std::unique_ptr<OutputStream> StandardError();
Encoding TerminalEncoding();

}  // namespace vorlane::cli
