// The system's code-page conversion, behind one seam: MultiByteToWideChar and
// WideCharToMultiByte on Windows, iconv elsewhere. Both follow the Windows rules
// with flags 0: invalid input never stops a conversion but becomes a replacement
// character (U+FFFD from UTF-8, '?' from the double-byte code pages), and a
// character the target cannot hold becomes the default character. Internal.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlane::codepage {

// UTF-16 code units of `bytes` read in `codePage`.
std::u16string Decode(unsigned codePage, std::string_view bytes);

// `units` written in `codePage`. Unmappable characters become `defaultChar`, or the
// code page's own default ('?') when none is given; it is ignored for UTF-8.
std::string Encode(unsigned codePage, std::u16string_view units, std::optional<char> defaultChar);

// `units` written in `codePage`, each character it lacks as one '?' and never as a
// look-alike: with flags 0 Windows writes some of them as similar characters ("best
// fit", such as U+00A5 as a full-width yen sign), which iconv never does.
std::string EncodeExact(unsigned codePage, std::u16string_view units);

// Encode(to, Decode(from, bytes), defaultChar), in one pass where the platform can.
std::string Transcode(unsigned from, unsigned to, std::string_view bytes, std::optional<char> defaultChar);

// The system's traditional-to-simplified mapping of GBK text (locale 0x0804), or
// nothing when the system has none.
std::optional<std::string> SystemSimplifiedChinese(std::string_view gbk);

}  // namespace vorlane::codepage
