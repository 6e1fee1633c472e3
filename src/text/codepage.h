// Conversions between the program's GBK and the other code pages it meets.
#pragma once

#include "text/text.h"

namespace vorlane {

constexpr unsigned kCodePageAnsi = 0;
constexpr unsigned kCodePageGbk = 936;
constexpr unsigned kCodePageBig5 = 950;
constexpr unsigned kCodePageUtf8 = 65001;

// UTF-16LE code units of `text` read in `codePage`, with a terminating zero unit.
Bytes ToUtf16(std::string_view text, unsigned codePage = kCodePageUtf8);

// UTF-16LE bytes (up to a zero unit, if any) written in `codePage`; characters the
// code page cannot hold become its default character.
Text FromUtf16(std::string_view utf16le, unsigned codePage = kCodePageAnsi);

Text GbkToUtf8(std::string_view gbk);
Text Utf8ToGbk(std::string_view utf8);

// Stops at the first character that has no GBK form.
Text Big5ToGbk(std::string_view big5);

// Traditional characters mapped to simplified ones; keeps the byte length.
Text ToSimplifiedChinese(std::string_view gbk);

// For the Win32 boundary: GBK <-> UTF-16 as wchar_t / char16_t strings.
std::u16string GbkToUtf16String(std::string_view gbk);
Text Utf16StringToGbk(std::u16string_view wide);

}  // namespace vorlane
