// The second half of a download: the answer to the request, read from wherever it
// comes (the connection in the program, a script in the fuzzer), checked and written
// into savePath + ".tmp", which is renamed into place when it is complete. Beside the
// partial file, savePath + ".tmp.validator" keeps the validator (ETag or
// Last-Modified) of the answer that began it; the two are deleted and renamed away
// together.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "config/update_values.h"
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

// Where a download begins.
struct ResumePoint {
  std::optional<std::uint64_t> offset;  // the partial file's size, when it is resumed
  std::string validator;                // sent with it as If-Range; empty for none
};

// How one answer ended.
struct ReceiveEnd {
  std::int32_t result;  // a DownloadFile result code: kDownloadOk, kDownloadIncomplete or kDownloadBadStatus
  // The file came whole but its SHA-256 is not the announced one; it has been
  // deleted, and a fresh download may set things right.
  bool notThePackage = false;
  // The server answered with a redirect to this Location (as sent); the result is
  // then kDownloadBadStatus unless the caller follows it. Nothing was written.
  std::string redirect{};
};

// The size of the partial file a download to `savePath` would resume; nothing when
// there is none.
std::optional<std::uint64_t> PartialFileSize(const std::string& savePath);

// The file that keeps the partial file's validator.
std::string ValidatorPath(const std::string& savePath);

// Deletes the partial file and its validator.
void DiscardPartialFile(const std::string& savePath);

// Where a download to `savePath` begins. A partial file is resumed only when what it
// holds can be trusted: its validator is kept (sent as If-Range, so a changed file
// comes whole), or the announced SHA-256 will check the result. Otherwise, and when
// it is not smaller than the announced size, it is deleted and the download starts
// afresh.
ResumePoint PlanResume(const std::string& savePath, const config::AnnouncedPackage& package);

// Reads the answer to a request for the file, a resume from `from` when it has an
// offset. The answer must be of the announced size, and the complete file have the
// announced SHA-256, when they were given. A transfer that stops part-way leaves
// the partial file for the next attempt when that one can trust it (a validator
// kept, or a SHA-256 announced); any other failure deletes it.
ReceiveEnd ReceiveDownload(ResponseSource& source, const std::string& savePath, const ResumePoint& from,
                           const config::AnnouncedPackage& package, ByteCounter& totalBytes,
                           ByteCounter& receivedBytes);

}  // namespace vorlane::update
