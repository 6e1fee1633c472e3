// Text files as people save them: GBK ("ANSI" on a Chinese system), UTF-8 with or
// without a byte-order mark (Notepad's default today), or UTF-16 either way round
// (Notepad's "Unicode"). The program reads every one of them as GBK.
#pragma once

#include "text/text.h"

namespace vorlane {

enum class TextFileEncoding { kGbk, kUtf8, kUtf16Le, kUtf16Be };

// What `bytes` are written in. A byte-order mark decides; without one, text that is
// valid UTF-8 and holds at least one multi-byte character is UTF-8, and anything
// else is GBK (plain ASCII reads the same either way).
TextFileEncoding DetectTextFileEncoding(std::string_view bytes);

// Well-formed UTF-8 all through (no overlong forms, no surrogates, nothing past
// U+10FFFF); plain ASCII is.
bool IsUtf8(std::string_view bytes);

// A text file's bytes as GBK text, without a byte-order mark. The text ends before
// the first character of `endChars` (control characters), counted in the file's
// own units: a UTF-16 file ends at such a 16-bit unit, not at a zero byte inside a
// character.
// GBK text comes back byte for byte. Converted text has each character GBK lacks as
// one '?', on every system; a UTF-16 file's trailing odd byte is dropped.
Text TextFileToGbk(Bytes bytes, std::string_view endChars = {});

}  // namespace vorlane
