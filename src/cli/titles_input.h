// The titles a command checks: those of the command line, then the lines of the
// titles file, read by the product list's own reader with its limits.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/output_stream.h"
#include "text/text.h"

namespace vorlane::cli {

struct TitlesRead {
  std::vector<Text> titles;  // GBK
  Text error;                // one line, GBK; empty when the titles were read
};

// `pathEncoding` is how the file's name reads, for the messages. The file's lines
// are also split at a line feed standing alone: a file written on Linux has no
// CR LF at all, and a title never holds a line break.
TitlesRead ReadTitles(std::vector<Text> given, const std::optional<std::string>& file, Encoding pathEncoding);

}  // namespace vorlane::cli
