#include "text/gbk_text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <limits>

#include "text/gbk_scan.h"

namespace vorlane {
namespace {

using gbk::Byte;
using gbk::CharLength;
using gbk::Clamp;

constexpr unsigned char kFullWidthSpaceByte = 0xA1;

// Length of the space character at `i` (1 or 2), or 0 when there is none.
std::size_t SpaceLength(std::string_view s, std::size_t i) {
  if (s[i] == ' ') return 1;
  if (Byte(s, i) == kFullWidthSpaceByte && i + 1 < s.size() && Byte(s, i + 1) == kFullWidthSpaceByte)
    return 2;
  return 0;
}

Text MapAsciiLetters(std::string_view text, bool upper) {
  Text out(text);
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t len = CharLength(out, i);
    if (len == 1) {
      const char c = out[i];
      if (upper && c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - ('a' - 'A'));
      if (!upper && c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + ('a' - 'A'));
    }
    i += len;
  }
  return out;
}

// Full-width forms (GBK A3 A1..A3 FD, the full-width ASCII block, and the full-width
// space A1 A1) turned into their half-width counterparts, for reading numbers.
// A3 A4 is the full-width yuan sign, not '$', and stays.
Text ToHalfWidth(std::string_view text) {
  Text out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = CharLength(text, i);
    if (len == 2) {
      const unsigned char lead = Byte(text, i);
      const unsigned char trail = Byte(text, i + 1);
      if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFD && trail != 0xA4) {
        out += static_cast<char>(trail - 0x80);
      } else if (lead == 0xA1 && trail == 0xA1) {
        out += ' ';
      } else {
        out.append(text.substr(i, 2));
      }
    } else {
      out += text[i];
    }
    i += len;
  }
  return out;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

struct NumberSpan {
  bool negative = false;
  std::string_view digits;  // integer digits, fraction and exponent, without the sign
  std::size_t integerDigits = 0;
};

// The decimal number at the start of `s` (after blanks): sign, digits, an optional
// fraction and an optional exponent. Empty digits when there is no number.
NumberSpan ScanNumber(std::string_view s) {
  NumberSpan span;
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) span.negative = s[i++] == '-';
  const std::size_t begin = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  span.integerDigits = i - begin;
  std::size_t fractionDigits = 0;
  if (i < s.size() && s[i] == '.') {
    std::size_t j = i + 1;
    while (j < s.size() && IsDigit(s[j])) ++j;
    fractionDigits = j - i - 1;
    if (span.integerDigits + fractionDigits > 0) i = j;
  }
  if (span.integerDigits + fractionDigits == 0) return span;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    const std::size_t expBegin = j;
    while (j < s.size() && IsDigit(s[j])) ++j;
    if (j > expBegin) i = j;
  }
  span.digits = s.substr(begin, i - begin);
  return span;
}

// What strtod gives for a number a double cannot hold: infinity when its first
// significant digit lies left of the decimal point (after the exponent), else 0.
double OutOfRangeValue(std::string_view digits) {
  std::int64_t magnitude = 0;
  std::size_t i = 0;
  while (i < digits.size() && digits[i] == '0') ++i;
  std::size_t significant = 0;
  while (i < digits.size() && IsDigit(digits[i])) ++i, ++significant;
  if (significant > 0) {
    magnitude = static_cast<std::int64_t>(significant);
  } else if (i < digits.size() && digits[i] == '.') {
    ++i;
    while (i < digits.size() && digits[i] == '0') ++i, --magnitude;
  }
  const std::size_t e = digits.find_first_of("eE");
  if (e != std::string_view::npos) {
    std::size_t j = e + 1;
    const bool negative = digits[j] == '-';
    if (digits[j] == '+' || digits[j] == '-') ++j;
    std::int64_t exponent = 0;
    for (; j < digits.size() && exponent < 100000; ++j) exponent = exponent * 10 + (digits[j] - '0');
    magnitude += negative ? -exponent : exponent;
  }
  return magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

}  // namespace

int FindText(std::string_view text, std::string_view sought, int start, bool ignoreCase) {
  const std::size_t from = Clamp(std::int64_t{start} - 1, 0, INT_MAX);
  if (from >= text.size()) return -1;
  if (sought.empty()) return 1;
  const std::size_t hit = gbk::Find(text, sought, from, 0, ignoreCase);
  if (hit == std::string_view::npos || hit >= static_cast<std::size_t>(INT_MAX)) return -1;
  return static_cast<int>(hit + 1);
}

Text LeftText(std::string_view text, int n) {
  return Text(text.substr(0, Clamp(n, 0, INT_MAX)));
}

Text RightText(std::string_view text, int n) {
  const std::size_t count = std::min(Clamp(n, 0, INT_MAX), text.size());
  return Text(text.substr(text.size() - count));
}

Text MidText(std::string_view text, int start, int n) {
  if (start < 1 || static_cast<std::size_t>(start) > text.size() || n <= 0) return {};
  return Text(text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(n)));
}

Text ReplaceRange(std::string_view text, int start, int n, std::string_view replacement) {
  // A start before the text counts as its first byte, one past its end appends.
  const std::size_t from = std::min(Clamp(std::int64_t{start} - 1, 0, INT_MAX), text.size());
  const std::size_t count = std::min(Clamp(n, 0, INT_MAX), text.size() - from);
  Text out;
  out.reserve(text.size() - count + replacement.size());
  out.append(text.substr(0, from)).append(replacement).append(text.substr(from + count));
  return out;
}

Text ReplaceAll(std::string_view text, std::string_view sought, std::string_view replacement, int start,
                int count, bool caseSensitive) {
  const std::size_t from = Clamp(std::int64_t{start} - 1, 0, INT_MAX);
  if (text.empty() || sought.empty() || from >= text.size() || count == 0) return Text(text);
  Text out(text.substr(0, from));
  std::size_t pos = from;
  std::size_t known = 0;
  for (std::int64_t done = 0; count < 0 || done < count; ++done) {
    const std::size_t hit = gbk::Find(text, sought, pos, known, !caseSensitive);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos)).append(replacement);
    // The scan goes on after the replaced text, which counts as a character boundary.
    pos = known = hit + sought.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::string_view TrimBytes(std::string_view text, std::string_view set) {
  const std::size_t first = text.find_first_not_of(set);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(set) - first + 1);
}

Text TrimBoth(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t len = SpaceLength(text, begin);
    if (len == 0) break;
    begin += len;
  }
  // Trailing spaces are found walking forward: from the end, A1 A1 might be the
  // second half of one character and the first half of the next.
  std::size_t end = begin;
  for (std::size_t i = begin; i < text.size();) {
    const std::size_t len = SpaceLength(text, i);
    if (len == 0) {
      i += CharLength(text, i);
      end = i;
    } else {
      i += len;
    }
  }
  return Text(text.substr(begin, end - begin));
}

Text RemoveSpaces(std::string_view text) {
  Text out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::size_t len = SpaceLength(text, i);
    if (len == 0) {
      len = CharLength(text, i);
      out.append(text.substr(i, len));
    }
    i += len;
  }
  return out;
}

Text ToUpper(std::string_view text) {
  return MapAsciiLetters(text, true);
}
Text ToLower(std::string_view text) {
  return MapAsciiLetters(text, false);
}

int CompareText(std::string_view a, std::string_view b, bool caseSensitive) {
  if (caseSensitive) {
    const int c = a.compare(b);  // char_traits<char> compares as unsigned char
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const std::size_t la = CharLength(a, i);
    const std::size_t lb = CharLength(b, j);
    // Single bytes fold; a double-byte character compares as a unit, lead byte first.
    unsigned char x = la == 1 ? gbk::FoldAscii(Byte(a, i)) : Byte(a, i);
    unsigned char y = lb == 1 ? gbk::FoldAscii(Byte(b, j)) : Byte(b, j);
    if (x == y && la == 2 && lb == 2) {
      x = Byte(a, i + 1);
      y = Byte(b, j + 1);
    } else if (x == y && la != lb) {
      // Same lead byte, one of them cut off at the end: the shorter one sorts first.
      return la < lb ? -1 : 1;
    }
    if (x != y) return x < y ? -1 : 1;
    i += la;
    j += lb;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && CompareText(text.substr(0, prefix.size()), prefix, false) == 0;
}

double ToNumber(std::string_view text) {
  const Text half = ToHalfWidth(text);
  const NumberSpan span = ScanNumber(half);
  if (span.digits.empty()) return 0.0;
  double value = 0.0;
  const auto [end, error] =
      std::from_chars(span.digits.data(), span.digits.data() + span.digits.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) value = OutOfRangeValue(span.digits);
  return span.negative ? -value : value;
}

int ToInteger(std::string_view text) {
  const Text half = ToHalfWidth(text);
  const NumberSpan span = ScanNumber(half);
  // Only the integer digits count; values beyond int saturate.
  std::int64_t value = 0;
  for (std::size_t i = 0; i < span.integerDigits; ++i) {
    value = value * 10 + (span.digits[i] - '0');
    if (value > std::int64_t{INT_MAX} + 1) break;
  }
  if (span.negative) value = -value;
  return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

}  // namespace vorlane
