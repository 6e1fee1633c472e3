#include "update/update_numbers.h"

#include <cmath>
#include <limits>
#include <string>

namespace vorlane::update {
namespace {

constexpr int kSignificantDigits = 6;

// The exact decimal digits of a finite value >= 0 below 2^53 that is a multiple of
// 2^-52 or coarser (every single-precision size in KB is): the integer part's
// digits and the fraction's, which end because the binary fraction does. Each
// step times ten stays exact in double precision for such values.
void ExactDigits(double value, std::string& whole, std::string& fraction) {
  const double integral = std::floor(value);
  whole = std::to_string(static_cast<std::uint64_t>(integral));
  fraction.clear();
  double rest = value - integral;
  while (rest > 0) {
    rest *= 10;
    const double digit = std::floor(rest);
    fraction += static_cast<char>('0' + static_cast<int>(digit));
    rest -= digit;
  }
}

// Rounds the digit string `digits` (no point) half up at `keep` digits, zeroing
// the rest; a carry out of the first digit prepends a '1'. True when it did.
bool RoundDigits(std::string& digits, size_t keep) {
  if (keep >= digits.size()) return false;
  const bool up = digits[keep] >= '5';
  for (size_t i = keep; i < digits.size(); ++i) digits[i] = '0';
  if (!up) return false;
  for (size_t i = keep; i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
  return true;
}

Text SignificantText(float single) {
  const double value = std::fabs(static_cast<double>(single));
  if (value == 0 || !std::isfinite(value)) return "0";
  std::string whole, fraction;
  ExactDigits(value, whole, fraction);
  if (whole == "0") whole.clear();
  std::string digits = whole + fraction;
  size_t pointAt = whole.size();
  const size_t first = digits.find_first_not_of('0');
  if (RoundDigits(digits, first + kSignificantDigits)) ++pointAt;

  Text text = single < 0 ? "-" : "";
  text += pointAt == 0 ? std::string("0") : digits.substr(0, pointAt);
  std::string decimals = digits.substr(pointAt);
  decimals.erase(decimals.find_last_not_of('0') + 1);
  if (!decimals.empty()) text += "." + decimals;
  return text;
}

}  // namespace

Text KbText(std::int32_t bytes) {
  return SignificantText(static_cast<float>(static_cast<double>(bytes) / 1024.0));
}

double FloorWhole(double value) {
  const double whole = std::trunc(value);
  if (std::fabs(value - whole) > 0.999999999999) return whole + (value < 0 ? -1.0 : 1.0);
  return std::floor(value);
}

double TruncateWhole(double value) {
  return std::trunc(value);
}

Text WholeText(double whole) {
  constexpr double kLimit = 9.0e18;
  if (!std::isfinite(whole) || std::fabs(whole) > kLimit) return "0";
  return std::to_string(static_cast<std::int64_t>(whole));
}

}  // namespace vorlane::update
