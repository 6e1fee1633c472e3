// Reads the cookies a response sets out of its raw header block, so that the visit
// can hand them to the service's cookie store itself.
#pragma once

#include <string_view>
#include <vector>

#include "text/text.h"

namespace vorlane::web {

inline constexpr std::string_view kSetCookieMarker = "Set-Cookie: ";

struct CapturedCookie {
  Text name;
  Text data;  // the value with its attributes (path, expires, ...) as the server wrote them
};

// Every header line that begins with "Set-Cookie: " (ASCII case ignored), in header
// order. The name ends at the first "="; a line without one gives an empty name and
// its whole text as data. Lines end at LF, with a CR before it removed.
std::vector<CapturedCookie> CaptureCookies(std::string_view headers);

}  // namespace vorlane::web
