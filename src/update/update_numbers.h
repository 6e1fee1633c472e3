// How the progress texts write their numbers: sizes in KB as single-precision
// values, everything else as whole numbers.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace vorlane::update {

// bytes / 1024 as a single-precision value with at most 6 significant digits,
// rounded half up, never in exponent form; trailing zeros and a trailing point
// are dropped: 1536 gives "1.5", 1024000 gives "1000".
Text KbText(std::int32_t bytes);

// Rounds toward minus infinity, except that a value within 1e-12 of the next
// whole number away from zero counts as that number: the progress texts must not
// lose a unit to a quotient such as 2.9999999999999.
double FloorWhole(double value);

// Drops the fraction.
double TruncateWhole(double value);

// A whole number in decimal.
Text WholeText(double whole);

}  // namespace vorlane::update
