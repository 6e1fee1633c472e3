// A SHA-256 digest as the update info writes it: 64 lower-case hex digits.
#pragma once

#include <cstdint>
#include <string>

#include "config/update_values.h"

namespace vorlane::test {

inline std::string DigestHex(const config::Sha256Digest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (std::uint8_t byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

}  // namespace vorlane::test
