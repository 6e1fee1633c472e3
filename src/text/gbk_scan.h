// Character stepping over GBK bytes: the text primitives use it, and so does any
// code that cuts GBK text at characters itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vorlane::gbk {

inline unsigned char Byte(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

inline bool IsLead(unsigned char b) {
  return b >= 0x80;
}

// Byte length of the character at `i`: 2 for a lead byte with a byte after it, else 1.
// A lead byte at the very end stands alone.
inline std::size_t CharLength(std::string_view s, std::size_t i) {
  return IsLead(Byte(s, i)) && i + 1 < s.size() ? 2 : 1;
}

inline unsigned char FoldAscii(unsigned char b) {
  return b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b;
}
inline bool IsAsciiLetter(unsigned char b) {
  return (b | 0x20) >= 'a' && (b | 0x20) <= 'z';
}

// Whether index `i` begins a character, given `known` <= i that does. Every byte
// below 0x80 ends a character (it is a character or a trail byte), so only the run
// of lead-range bytes right before `i` matters: `i` begins a character when that run
// has even length. The scan stops at `known`, which keeps repeated calls with a
// rising `known` linear.
inline bool IsCharStart(std::string_view s, std::size_t known, std::size_t i) {
  std::size_t j = i;
  while (j > known && IsLead(Byte(s, j - 1))) --j;
  return (i - j) % 2 == 0;
}

// Index of the first occurrence of `sought` (not empty) at or after `from` that
// begins a character, or npos. `known` <= from is an index known to begin one.
// With `ignoreCase`, ASCII letters are folded byte by byte while comparing.
std::size_t Find(std::string_view text, std::string_view sought, std::size_t from, std::size_t known,
                 bool ignoreCase);

// Clamps a 1-based position or a count given as int into [lo, hi] without overflow.
inline std::size_t Clamp(std::int64_t v, std::int64_t lo, std::int64_t hi) {
  return static_cast<std::size_t>(v < lo ? lo : (v > hi ? hi : v));
}

}  // namespace vorlane::gbk
