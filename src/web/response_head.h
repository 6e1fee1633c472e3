// Reading the header block of an HTTP response: lines ending in CR LF (a bare LF
// is accepted too), the status line first.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vorlane::web {

// The values of every header line named `name` (ASCII case ignored), blanks
// around them trimmed, in header order. The status line is not a header.
std::vector<std::string_view> HeaderValues(std::string_view head, std::string_view name);

// The body is sent in chunks ("Transfer-Encoding: chunked", any case).
bool IsChunked(std::string_view head);

// The body length the head announces: Content-Length made of digits only, the
// same in every such line, and not over `limit`. Nothing when the head names no
// length, names one it cannot mean, or sends the body in chunks (where a length
// must be ignored).
std::optional<std::uint64_t> AnnouncedLength(std::string_view head,
                                             std::uint64_t limit = UINT64_C(0xFFFFFFFFFFFF));

// The value of the Accept-Encoding line a visit sends: the codings both services
// decode.
inline constexpr std::string_view kDecodedCodings = "gzip, deflate";

// The body is in a content coding other than "identity".
bool HasContentCoding(std::string_view head);

// Every content coding the head names is one both services decode (gzip, deflate)
// or "identity"; true when it names none. ("x-gzip" is not: WinINet leaves it
// coded.)
bool HasOnlyDecodedCodings(std::string_view head);

}  // namespace vorlane::web
