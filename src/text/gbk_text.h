// Text primitives over GBK. Searches step over double-byte characters whole, so a
// match never begins on the second byte of a character. Case folding touches the
// ASCII letters only. The space characters are 0x20 and the full-width A1 A1.
#pragma once

#include "text/text.h"

namespace vorlane {

// Position of the first occurrence at or after `start` (1 or less means 1), or -1.
int FindText(std::string_view text, std::string_view sought, int start = 1, bool ignoreCase = false);

Text LeftText(std::string_view text, int n);
Text RightText(std::string_view text, int n);
Text MidText(std::string_view text, int start, int n);
Text ReplaceRange(std::string_view text, int start, int n, std::string_view replacement = {});

// count < 0 means every occurrence.
Text ReplaceAll(std::string_view text, std::string_view sought, std::string_view replacement, int start = 1,
                int count = -1, bool caseSensitive = false);

Text TrimBoth(std::string_view text);
// `text` without the bytes of `set` at either end. The bytes must be below 0x40,
// which no double-byte character ends with.
std::string_view TrimBytes(std::string_view text, std::string_view set);
Text RemoveSpaces(std::string_view text);
Text ToUpper(std::string_view text);
Text ToLower(std::string_view text);

// 0 when equal; otherwise negative or positive like strcmp.
int CompareText(std::string_view a, std::string_view b, bool caseSensitive);
// Whether `text` begins with `prefix`, ASCII letters compared without case.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

// Full-width forms read as their half-width counterparts first.
double ToNumber(std::string_view text);
int ToInteger(std::string_view text);

}  // namespace vorlane
