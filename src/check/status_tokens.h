// The words that name a verdict in the files the program writes for programs (the
// history, the saved list, the CLI's CSV and JSON): "indexed", "not indexed",
// "failed"; and the reason of a failure: "connection", "time-out", "HTTP 503",
// "page not recognised", "certificate", "page undecodable", "page too large".
// Written and read here only.
#pragma once

#include <optional>
#include <string_view>

#include "check/check_status.h"
#include "check/search_query.h"
#include "text/text.h"

namespace vorlane::check {

// The token of a verdict; "failed" for a status that is none.
std::string_view StatusToken(CheckStatus status);
// The verdict a token names; nothing for any other text.
std::optional<CheckStatus> ParseStatusToken(std::string_view token);

// The reason of a failed check; empty for kNone.
Text ReasonToken(CheckFailure failure, int httpStatus);

struct ParsedReason {
  CheckFailure failure = CheckFailure::kNone;
  int httpStatus = 0;
};
// The failure a reason token names, as near as the token tells it ("certificate"
// reads back as an untrusted certificate, "connection" as no answer); nothing for
// any other text. "HTTP " takes three digits.
std::optional<ParsedReason> ParseReasonToken(std::string_view token);

}  // namespace vorlane::check
