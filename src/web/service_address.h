// What the web visit adds to the text layer's reading of an address: the scheme it
// puts in front of an address without one, and whether the connection is encrypted.
#pragma once

#include <string_view>

#include "text/text.h"
#include "text/url_parts.h"

namespace vorlane::web {

inline constexpr std::string_view kHttpScheme = "http://";
inline constexpr std::string_view kHttpsScheme = "https://";

// "http://" in front unless the address already begins with "http://" or "https://"
// (compared exactly, so "HTTP://x" gets the prefix too).
Text CompleteScheme(std::string_view url);

// The address asks for an encrypted connection: its scheme is exactly "https://",
// the same exact comparison CompleteScheme makes. A completed address begins with
// one of the two in lower case, so every other one is plain.
bool IsSecureAddress(const UrlSplit& address);

}  // namespace vorlane::web
