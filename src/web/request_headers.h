// The request header block of a visit: the standard lines a browser of the site's
// era sends, then the lines that depend on the method.
#pragma once

#include <string_view>

#include "text/text.h"

namespace vorlane::web {

inline constexpr std::string_view kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
inline constexpr std::string_view kAcceptLine =
    "Accept: image/gif, image/bmp, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
inline constexpr std::string_view kLanguageLine = "Accept-Language: zh-cn\r\n";
// The codings the service decodes (response_head.h's kDecodedCodings).
inline constexpr std::string_view kEncodingLine = "Accept-Encoding: gzip, deflate\r\n";
inline constexpr std::string_view kFormTypeLine = "Content-Type: application/x-www-form-urlencoded\r\n";

// Appends the Accept, Referer (naming `url`, control bytes escaped as %XX),
// Accept-Language and Accept-Encoding lines that the block lacks. Each test looks at
// the block as it stands, ignoring ASCII case.
void AddStandardHeaders(Text& block, std::string_view url);

// POST with data: the form content type and the body's length. Either method: a
// Cookie line ending the block with a blank line when `cookies` is not empty.
void AddMethodHeaders(Text& block, bool post, std::string_view postData, std::string_view cookies);

}  // namespace vorlane::web
