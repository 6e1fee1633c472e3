// Where a visit connects: the scheme and the port, beside the host and path that the
// URL helpers give.
#pragma once

#include <string_view>

#include "text/text.h"

namespace vorlane::web {

inline constexpr std::string_view kHttpScheme = "http://";
inline constexpr std::string_view kHttpsScheme = "https://";
inline constexpr int kDefaultHttpsPort = 443;

// "http://" in front unless the address already begins with "http://" or "https://"
// (compared exactly, so "HTTP://x" gets the prefix too).
Text CompleteScheme(std::string_view url);

// The address asks for an encrypted connection.
bool IsSecureAddress(std::string_view url);

// The port to connect to. Plain addresses: UrlPort's reading, where 0 lets the
// service pick its default. Secure addresses: the port after the host, 443 when
// none is named.
int ServicePort(std::string_view url);

// The path as the request line carries it: spaces and control bytes escaped as %XX,
// so that no address can break the line or start a header of its own with a CR LF.
Text RequestPath(std::string_view path);

}  // namespace vorlane::web
