// What a check came to, and where a row stands: one status for the list's cell,
// the pass's count, the history, the saved list and the report.
#pragma once

#include <cstdint>

namespace vorlane::check {

enum class CheckStatus : std::uint8_t {
  kNone,      // never checked (the cell is empty)
  kQuerying,  // a check is on its way, or a pass counts the row and awaits it
  kIndexed,
  kNotIndexed,
  kFailed,
};

// A verdict: one of the three a finished check comes to.
constexpr bool IsVerdict(CheckStatus status) {
  return status == CheckStatus::kIndexed || status == CheckStatus::kNotIndexed ||
         status == CheckStatus::kFailed;
}

}  // namespace vorlane::check
