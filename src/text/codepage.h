// Conversions between the program's GBK and the other code pages it meets.
#pragma once

#include "text/text.h"

namespace vorlane {

// The system's ANSI code page on Windows. Elsewhere there is none, and it means
// the program's own GBK.
constexpr unsigned kCodePageAnsi = 0;
constexpr unsigned kCodePageGbk = 936;
constexpr unsigned kCodePageBig5 = 950;
constexpr unsigned kCodePageUtf8 = 65001;

// Every conversion reads its input up to the first NUL. Invalid input never stops
// it: bad sequences become replacement characters (U+FFFD from UTF-8, '?' from
// the double-byte code pages) and characters the target lacks its default
// character, as Windows does with flags 0.

// UTF-16LE code units of `text` read in `codePage`, with a terminating zero unit.
Bytes ToUtf16(std::string_view text, unsigned codePage = kCodePageUtf8);

// UTF-16LE bytes (up to a zero unit, if any) written in `codePage`; characters the
// code page cannot hold become its default character.
Text FromUtf16(std::string_view utf16le, unsigned codePage = kCodePageAnsi);

Text GbkToUtf8(std::string_view gbk);
Text Utf8ToGbk(std::string_view utf8);

// Stops at the first character that has no GBK form.
Text Big5ToGbk(std::string_view big5);

// Traditional characters mapped to simplified ones, character by character; keeps
// the byte length. Uses the system's mapping where it has one (Windows), else a
// table built from OpenCC's character data.
Text ToSimplifiedChinese(std::string_view gbk);

// For the Win32 boundary: GBK <-> UTF-16 as wchar_t / char16_t strings.
std::u16string GbkToUtf16String(std::string_view gbk);
Text Utf16StringToGbk(std::u16string_view wide);

}  // namespace vorlane
