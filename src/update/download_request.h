// The HTTP text the downloader writes and the parts of a response head it reads.
// Byte-level ASCII throughout. The path goes into the request line with spaces and
// control bytes escaped; a host with such bytes makes no target at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlane::update {

struct DownloadTarget {
  std::string host;         // what the socket connects to
  std::uint16_t port = 80;  // 80 (443 for https) unless the address names one
  bool secure = false;      // the address begins with "https://": the HTTP service fetches it
  std::string hostValue;    // the Host header: host, or host + ":" + port
  std::string path;         // the address without "http://" + hostValue + "/"
  // False without a host, with a port that is not 1 to 65535, or with a space or a
  // control byte anywhere in host or port (it would end up in the Host line).
  bool valid = false;
};

// The third "/"-separated piece of an address ("http:", "", authority, path...): the
// host, with ":" and port when given. Empty when the address has fewer pieces.
std::string_view AuthorityPiece(std::string_view url);

// Splits "http://" (or "https://") + host + optional ":" + port + "/" + path.
DownloadTarget SplitDownloadUrl(std::string_view url);

// The address a redirect's Location leads to from `from`: an absolute http or https
// address as it is, and one without scheme, host or both completed from `from`.
// Empty for any other scheme, and for a Location with a control byte or a blank.
std::string ResolveRedirect(std::string_view from, std::string_view location);

// The most redirects one download follows.
inline constexpr int kMaxDownloadRedirects = 5;

// The user agent of the download's requests through the HTTP service: the one
// its resume request names.
inline constexpr std::string_view kDownloadAgent = "Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)";

// The lines the download adds to the HTTP service's own (Host, User-Agent): the
// plain request's Accept and Accept-Language, or the resume request's Accept,
// Range, If-Range, Pragma and Cache-Control, as on the socket.
std::string ServiceRequestHeaders(std::optional<std::uint64_t> offset, std::string_view validator = {});

// The request for a file not yet begun.
std::string PlainRequest(const DownloadTarget& target);
// The request for the rest of a file of which `offset` bytes are already here. With
// a `validator` (one IsUsableValidator accepts), an If-Range line after the Range
// line asks for the rest only while the server's file is still the one that began
// the partial file, and for the whole file otherwise.
std::string ResumeRequest(const DownloadTarget& target, std::uint64_t offset,
                          std::string_view validator = {});

// The longest validator kept for a partial file.
inline constexpr std::size_t kMaxValidator = 1024;

// The validator of an answer that begins a file, to resume it later with If-Range:
// its strong ETag, else (no ETag at all) its Last-Modified. Empty when there is
// neither, when the ETag is weak (a weak tag may not go into If-Range, and with a
// tag present a date may not either), or when the value is not usable.
std::string ResumeValidator(std::string_view head);

// Whether `validator` can go into a request line as it is: 1 to kMaxValidator bytes,
// none of them a control byte (CR and LF could add lines).
bool IsUsableValidator(std::string_view validator);

enum class StatusCheck {
  kNeedMore,      // too few bytes to tell yet
  kAccepted,      // HTTP/1.1 2xx
  kRangeRefused,  // HTTP/1.1 416: the partial file does not fit the server's file
  kRedirect,      // HTTP/1.1 301, 302, 303, 307 or 308: the file is elsewhere
  kRejected,      // anything else
};
// Judges the status line from the first bytes of a response.
StatusCheck CheckStatus(std::string_view received);

// The Content-Length of a header block: present, digits only, at most 2^31 - 1, and
// the same in every Content-Length line. Nothing otherwise.
std::optional<std::int32_t> ContentLength(std::string_view head);

// True for a 206 answer, the one that carries the rest of a partial file.
bool IsPartialContent(std::string_view head);

// Whether a 206 head's Content-Range is "bytes offset-(offset + length - 1)/(offset +
// length)": the answer carries exactly the rest of the file of which `offset` bytes
// are here, to its end. False when the line is missing, malformed or says otherwise.
bool ContinuesPartialFile(std::string_view head, std::uint64_t offset, std::int32_t length);

// Whether the body comes in a transfer coding other than "identity" (chunked, say):
// its framing would be saved as if it were the file.
bool HasTransferCoding(std::string_view head);

}  // namespace vorlane::update
