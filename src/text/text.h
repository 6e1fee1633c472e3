// The program's two string kinds. Everything the program shows or keeps is GBK:
// a byte of 0x80 or more starts a two-byte character. Lengths are byte counts and
// positions are 1-based byte positions.
#pragma once

#include <string>
#include <string_view>

namespace vorlane {

// GBK text without NUL bytes.
using Text = std::string;

// A byte sequence with its own length; may hold NUL bytes.
using Bytes = std::string;

// The bytes up to (not including) the first NUL, or all of them.
Text BytesToText(std::string_view bytes);

}  // namespace vorlane
