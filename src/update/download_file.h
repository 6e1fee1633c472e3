// Downloads one file into savePath + ".tmp", resuming a temporary file left by an
// interrupted run when it can be trusted (download_response.h), and renames it into
// place when it is complete and, when the update info announced them, of the
// package's size and SHA-256. A plain http:// address goes over HTTP/1.1 on a raw
// TCP connection; an https:// one through the HTTP service (download_service.h),
// with the same requests, checks and results. Redirects (301, 302, 303, 307, 308)
// are followed, at most kMaxDownloadRedirects of them, never from https to http.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/update_values.h"
#include "net/tcp_socket.h"
#include "update/download_progress.h"

namespace vorlane::update {

inline constexpr std::int32_t kDownloadOk = 0;
inline constexpr std::int32_t kDownloadNoSocket = 1;
inline constexpr std::int32_t kDownloadBindFailed = 2;
inline constexpr std::int32_t kDownloadConnectFailed = 3;
inline constexpr std::int32_t kDownloadSendFailed = 4;
// The transfer ended without a complete file. The temporary file has been deleted,
// unless the server stopped part-way and the next attempt can trust what it holds.
inline constexpr std::int32_t kDownloadIncomplete = 5;
// No usable HTTP/1.1 2xx answer: another status, a response head beyond
// kMaxResponseHead, a body in a transfer coding (chunked), a 206 to a request for
// the whole file, or a 206 whose Content-Range does not continue the partial file
// (which is then deleted); or not the announced package: another size, or twice
// another SHA-256 (deleted); or a redirect that is not followed (a sixth one, one
// from https to http, one to another kind of address). A file already at the save
// path is never touched.
inline constexpr std::int32_t kDownloadBadStatus = 6;

inline constexpr std::size_t kMaxResponseHead = 64 * 1024;
// Body bytes are written to the file in batches of at least this many.
inline constexpr std::size_t kWriteBatch = 20480;

// `url` is "http://" or "https://" + host + optional ":" + port + "/" + path;
// `savePath` is GBK. A certificate the system does not accept is result 3.
// Blocks until the transfer ends; a silence of `wait` ends it. The socket is
// closed when the transfer ends, on every path. A complete file whose SHA-256 is
// not the announced one is deleted and downloaded once more from the start.
std::int32_t DownloadFile(net::TcpSocket& socket, std::string_view url, const std::string& savePath,
                          ByteCounter& totalBytes, ByteCounter& receivedBytes,
                          std::chrono::milliseconds wait = net::kDefaultWait,
                          const config::AnnouncedPackage& package = {});

// The program's download, on its one socket.
std::int32_t DownloadFile(std::string_view url, const std::string& savePath, ByteCounter& totalBytes,
                          ByteCounter& receivedBytes, const config::AnnouncedPackage& package = {});

}  // namespace vorlane::update
