#pragma once

#include "text/text.h"

namespace vorlane {

// The text between the first `startMarker` (searched from `start`) and the next
// `endMarker` after it; empty when either is missing. "#引号" inside a marker
// stands for a double quote.
Text TextBetween(std::string_view source, std::string_view startMarker, std::string_view endMarker,
                 int start = 1, bool caseSensitive = false);

}  // namespace vorlane
