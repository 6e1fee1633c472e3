// The program's check time, "2013-11-9 8:05:07": the 收录时间 cell, the history,
// the saved list and the report all write and read it here.
#pragma once

#include <optional>
#include <string_view>

#include "port/scheduler.h"
#include "text/text.h"

namespace vorlane::check {

// No leading zeros but for minutes and seconds.
Text FormatCheckTime(const port::LocalDateTime& t);

// The time FormatCheckTime writes: a four-digit year, a month and a day of one or
// two digits, an hour of one or two, minutes and seconds of two, each in its
// range. Nothing for any other text.
std::optional<port::LocalDateTime> ParseCheckTime(std::string_view text);

}  // namespace vorlane::check
