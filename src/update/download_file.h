// Downloads one file over plain HTTP/1.1 on a raw TCP connection into
// savePath + ".tmp", resuming a temporary file left by an interrupted run, and
// renames it into place when it is complete.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/tcp_socket.h"
#include "update/download_progress.h"

namespace vorlane::update {

inline constexpr std::int32_t kDownloadOk = 0;
inline constexpr std::int32_t kDownloadNoSocket = 1;
inline constexpr std::int32_t kDownloadBindFailed = 2;
inline constexpr std::int32_t kDownloadConnectFailed = 3;
inline constexpr std::int32_t kDownloadSendFailed = 4;
// The transfer ended without a complete file; the temporary file has been deleted.
inline constexpr std::int32_t kDownloadIncomplete = 5;
// No usable HTTP/1.1 2xx answer: another status, a response head beyond
// kMaxResponseHead, a body in a transfer coding (chunked), a 206 to a request for
// the whole file, or a 206 whose Content-Range does not continue the partial file
// (which is then deleted). A file already at the save path is never touched.
inline constexpr std::int32_t kDownloadBadStatus = 6;

inline constexpr std::size_t kMaxResponseHead = 64 * 1024;
// Body bytes are written to the file in batches of at least this many.
inline constexpr std::size_t kWriteBatch = 20480;

// `url` is "http://" + host + optional ":" + port + "/" + path; `savePath` is GBK.
// Blocks until the transfer ends; a silence of `wait` ends it. The socket is
// closed when the transfer ends, on every path.
std::int32_t DownloadFile(net::TcpSocket& socket, std::string_view url, const std::string& savePath,
                          ByteCounter& totalBytes, ByteCounter& receivedBytes,
                          std::chrono::milliseconds wait = net::kDefaultWait);

// The program's download, on its one socket.
std::int32_t DownloadFile(std::string_view url, const std::string& savePath, ByteCounter& totalBytes,
                          ByteCounter& receivedBytes);

}  // namespace vorlane::update
