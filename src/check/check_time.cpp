#include "check/check_time.h"

#include <cstdio>

namespace vorlane::check {

Text FormatCheckTime(const port::LocalDateTime& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d-%d-%d %d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return buf;
}

namespace {

// Reads `min` to `max` digits at `at` into `value`.
bool Digits(std::string_view s, size_t& at, size_t min, size_t max, int& value) {
  value = 0;
  size_t n = 0;
  while (at < s.size() && n < max && s[at] >= '0' && s[at] <= '9') {
    value = value * 10 + (s[at] - '0');
    ++at;
    ++n;
  }
  return n >= min;
}

bool Literal(std::string_view s, size_t& at, char c) {
  if (at >= s.size() || s[at] != c) return false;
  ++at;
  return true;
}

}  // namespace

std::optional<port::LocalDateTime> ParseCheckTime(std::string_view s) {
  port::LocalDateTime t;
  size_t at = 0;
  const bool read = Digits(s, at, 4, 4, t.year) && Literal(s, at, '-') && Digits(s, at, 1, 2, t.month) &&
                    Literal(s, at, '-') && Digits(s, at, 1, 2, t.day) && Literal(s, at, ' ') &&
                    Digits(s, at, 1, 2, t.hour) && Literal(s, at, ':') && Digits(s, at, 2, 2, t.minute) &&
                    Literal(s, at, ':') && Digits(s, at, 2, 2, t.second) && at == s.size();
  if (!read || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
      t.second > 60)
    return std::nullopt;
  return t;
}

}  // namespace vorlane::check
