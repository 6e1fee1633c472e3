// The download of an https:// package: the same request lines, resume, If-Range,
// checks and result codes as on the socket, through the HTTP service (WinINet /
// libcurl), which makes the encrypted connection and checks the certificate.
#pragma once

#include <cstdint>
#include <string>

#include "config/update_values.h"
#include "update/download_progress.h"
#include "update/download_request.h"
#include "update/download_response.h"

namespace vorlane::update {

// One request for `target` (secure) and its answer. A connection that cannot be
// made, a certificate the system does not accept and a request that gets no answer
// are kDownloadConnectFailed; a redirect comes back in the end, not followed.
ReceiveEnd ServiceExchange(const DownloadTarget& target, const std::string& savePath,
                           const config::AnnouncedPackage& package, ByteCounter& totalBytes,
                           ByteCounter& receivedBytes);

}  // namespace vorlane::update
