// Traditional Chinese characters and their simplified forms, as GBK codes (lead
// byte << 8 | trail byte), sorted by the traditional code. Internal.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorlane {

struct SimplifiedPair {
  std::uint16_t traditional;
  std::uint16_t simplified;
};

extern const SimplifiedPair kSimplifiedChinese[];
extern const std::size_t kSimplifiedChineseCount;

}  // namespace vorlane
