// The second half of a download: the answer to the request, read from wherever it
// comes (the connection in the program, a script in the fuzzer), checked and written
// into savePath + ".tmp", which is renamed into place when it is complete.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "update/download_progress.h"

namespace vorlane::update {

class ResponseSource {
 public:
  virtual ~ResponseSource() = default;
  // The next bytes; false, with `block` empty, at the end, on silence or on an error.
  virtual bool Receive(std::string& block) = 0;
  // Lets the server go: nothing more is read.
  virtual void Close() = 0;
};

// The size of the partial file a download to `savePath` would resume; nothing when
// there is none.
std::optional<std::uint64_t> PartialFileSize(const std::string& savePath);

// Reads the answer to a request for the file (a resume from `resumeFrom` bytes when
// given). A DownloadFile result code: kDownloadOk, kDownloadIncomplete or
// kDownloadBadStatus.
std::int32_t ReceiveDownload(ResponseSource& source, const std::string& savePath,
                             std::optional<std::uint64_t> resumeFrom, ByteCounter& totalBytes,
                             ByteCounter& receivedBytes);

}  // namespace vorlane::update
