#include "web/cookie_capture.h"

#include "text/gbk_text.h"

namespace vorlane::web {

std::vector<CapturedCookie> CaptureCookies(std::string_view headers) {
  std::vector<CapturedCookie> cookies;
  if (FindText(headers, kSetCookieMarker, 1, true) == -1) return cookies;

  while (!headers.empty()) {
    size_t end = headers.find('\n');
    std::string_view line = headers.substr(0, end);
    headers.remove_prefix(end == std::string_view::npos ? headers.size() : end + 1);
    if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);

    // Only a line that starts with the marker sets a cookie: a marker inside some
    // other header's value must not plant a cookie with a garbled name.
    if (line.size() < kSetCookieMarker.size() ||
        CompareText(line.substr(0, kSetCookieMarker.size()), kSetCookieMarker, false) != 0) {
      continue;
    }
    std::string_view rest = line.substr(kSetCookieMarker.size());
    int equals = FindText(rest, "=");
    if (equals == -1) {
      cookies.push_back({Text(), Text(rest)});
    } else {
      size_t at = static_cast<size_t>(equals - 1);
      cookies.push_back({Text(rest.substr(0, at)), Text(rest.substr(at + 1))});
    }
  }
  return cookies;
}

}  // namespace vorlane::web
