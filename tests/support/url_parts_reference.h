// UrlHost, UrlPath and UrlPort as they were before SplitUrl, copied verbatim. They
// are the definition the split is held to, by the differential test and the text
// fuzzer; do not edit them.
#pragma once

#include <algorithm>
#include <climits>
#include <cmath>
#include <string_view>

#include "text/gbk_text.h"

namespace vorlane::reference {

// The text before the first `separator`, or all of it.
inline Text BeforeFirst(std::string_view text, std::string_view separator) {
  const int at = FindText(text, separator);
  return at < 0 ? Text(text) : LeftText(text, at - 1);
}

inline Text UrlHost(std::string_view url) {
  Text rest = ReplaceAll(url, "https://", "", 1, -1, true);
  rest = ReplaceAll(rest, "http://", "", 1, -1, true);
  return ToLower(BeforeFirst(ToLower(BeforeFirst(rest, "/")), ":"));
}

inline Text UrlPath(std::string_view url) {
  // The host is looked for after the scheme: a short host such as "t" would
  // otherwise be found inside "http://" and the path would begin at its "//".
  int from = 1;
  if (url.starts_with("https://")) {
    from = 9;
  } else if (url.starts_with("http://")) {
    from = 8;
  }
  const int hostAt = FindText(url, UrlHost(url), from, true);
  const int slash = FindText(url, "/", hostAt < 0 ? from : hostAt);
  if (slash < 0) return "/";
  return Text(url.substr(static_cast<std::size_t>(slash) - 1));
}

inline int UrlPort(std::string_view url) {
  Text authority;
  bool secure = false;
  if (StartsWithIgnoringCase(url, "http://")) {
    const int slash = FindText(url, "/", 8);
    authority = slash < 0 ? Text(url.substr(7)) : MidText(url, 8, slash - 8);
  } else if (StartsWithIgnoringCase(url, "https://")) {
    // Read like an http address, but without a port it is the https one.
    secure = true;
    const int slash = FindText(url, "/", 9);
    authority = slash < 0 ? Text(url.substr(8)) : MidText(url, 9, slash - 9);
  } else {
    authority = BeforeFirst(url, "/");
  }
  const int colon = FindText(authority, ":");
  if (colon < 0) return secure ? 443 : 80;
  const double port =
      std::trunc(ToNumber(std::string_view(authority).substr(static_cast<std::size_t>(colon))));
  // Out-of-range numbers saturate instead of overflowing; the connection then fails.
  return static_cast<int>(std::clamp(port, double{INT_MIN}, double{INT_MAX}));
}

}  // namespace vorlane::reference
