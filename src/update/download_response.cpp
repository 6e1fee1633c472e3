#include "update/download_response.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "net/tcp_socket.h"
#include "text/gbk_file.h"
#include "update/download_file.h"
#include "update/download_request.h"
#include "update/package_check.h"
#include "web/response_head.h"

namespace vorlane::update {
namespace {

bool WriteAll(std::FILE* file, std::string_view bytes) {
  return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

// Flushes and closes; false when anything written was lost.
bool Close(UniqueFile& file) {
  return std::fclose(file.release()) == 0;
}

enum class HeadRead { kComplete, kRedirect, kRejected, kRangeRefused, kEnded };

// Receives until the response head is complete. `head` keeps every byte received,
// the first body bytes included.
HeadRead ReadResponseHead(ResponseSource& source, std::string& head, size_t& headSize) {
  std::string block;
  for (;;) {
    if (!source.Receive(block)) return HeadRead::kEnded;
    const size_t searchFrom = head.size() >= 3 ? head.size() - 3 : 0;
    head += block;
    const StatusCheck status = CheckStatus(head);
    switch (status) {
      case StatusCheck::kRejected:
        return HeadRead::kRejected;
      case StatusCheck::kRangeRefused:
        return HeadRead::kRangeRefused;
      case StatusCheck::kNeedMore:
        continue;
      case StatusCheck::kAccepted:
      case StatusCheck::kRedirect:
        break;
    }
    size_t end = head.find("\r\n\r\n", searchFrom);
    if (end != std::string::npos) {
      headSize = end + 4;
      if (headSize > kMaxResponseHead) return HeadRead::kRejected;
      return status == StatusCheck::kRedirect ? HeadRead::kRedirect : HeadRead::kComplete;
    }
    if (head.size() > kMaxResponseHead) return HeadRead::kRejected;
  }
}

// Reads the validator kept beside the partial file; empty when there is none that
// could go into a request.
std::string ReadValidator(const std::string& savePath) {
  UniqueFile file = OpenGbkFile(ValidatorPath(savePath), "rb");
  if (!file) return {};
  std::string validator(kMaxValidator + 1, '\0');
  validator.resize(std::fread(validator.data(), 1, validator.size(), file.get()));
  return IsUsableValidator(validator) ? validator : std::string();
}

bool WriteValidator(const std::string& savePath, std::string_view validator) {
  UniqueFile file(OpenSoleWriter(PathFromGbk(ValidatorPath(savePath)), true));
  return file && WriteAll(file.get(), validator) && Close(file);
}

// Ends a transfer that left no usable file.
ReceiveEnd Failed(const std::string& savePath, std::int32_t result) {
  DiscardPartialFile(savePath);
  return {result};
}

// The answer's head, or how the transfer ended before its body.
struct HeadOutcome {
  std::optional<ReceiveEnd> end;
  std::string head;  // every byte received, the first body bytes included
  size_t headSize = 0;
};

HeadOutcome ReceiveHead(ResponseSource& source, const std::string& savePath, const ResumePoint& from,
                        bool resumable) {
  HeadOutcome answer;
  switch (ReadResponseHead(source, answer.head, answer.headSize)) {
    case HeadRead::kComplete:
      break;
    case HeadRead::kRejected:
      answer.end = ReceiveEnd{kDownloadBadStatus};
      break;
    case HeadRead::kRedirect: {
      // The file is elsewhere; whatever partial file there is stays for the next hop.
      source.Close();
      const std::vector<std::string_view> locations =
          web::HeaderValues(std::string_view(answer.head).substr(0, answer.headSize), "Location");
      answer.end = locations.size() != 1
                       ? ReceiveEnd{kDownloadBadStatus}
                       : ReceiveEnd{kDownloadBadStatus, false, std::string(locations.front())};
      break;
    }
    case HeadRead::kRangeRefused:
      // The partial file does not fit the server's file: asking again would be
      // refused again, so it goes and the next attempt starts afresh.
      if (from.offset) DiscardPartialFile(savePath);
      answer.end = ReceiveEnd{kDownloadBadStatus};
      break;
    case HeadRead::kEnded:
      // Nothing was added to a partial file; it stays when it could be resumed.
      answer.end =
          from.offset && resumable ? ReceiveEnd{kDownloadIncomplete} : Failed(savePath, kDownloadIncomplete);
      break;
  }
  return answer;
}

// Where the body goes in the file, as the head says.
struct BodyPlan {
  bool partial = false;     // a 206 that continues the partial file
  std::int64_t start = 0;   // the file offset of the body's first byte
  std::int32_t length = 0;  // the body's announced length
  std::int32_t total = 0;   // the whole file's size
};

// The plan for the body, or how the transfer ends because the head cannot be
// taken.
std::variant<BodyPlan, ReceiveEnd> PlanBody(std::string_view headBlock, size_t firstPartSize,
                                            const std::string& savePath, const ResumePoint& from,
                                            const config::AnnouncedPackage& package) {
  // Chunk framing would be saved as if it were the file. A partial file stays: it
  // is not what was wrong.
  if (HasTransferCoding(headBlock)) return ReceiveEnd{kDownloadBadStatus};
  BodyPlan plan;
  plan.partial = IsPartialContent(headBlock);
  // Part of a file that was asked for whole is not the file.
  if (plan.partial && !from.offset) return ReceiveEnd{kDownloadBadStatus};
  // A full answer to a resume request replaces the partial file instead of being
  // appended to it.
  plan.start = plan.partial ? static_cast<std::int64_t>(*from.offset) : 0;
  const std::optional<std::int32_t> length = ContentLength(headBlock);
  if (!length || plan.start + *length > std::numeric_limits<std::int32_t>::max())
    return Failed(savePath, kDownloadIncomplete);
  plan.length = *length;
  if (plan.partial && !ContinuesPartialFile(headBlock, *from.offset, *length)) {
    // The server's part does not continue the partial file (or does not say it
    // does): appending would make a file that is neither. The partial file goes,
    // so the next attempt asks for the whole file.
    return Failed(savePath, kDownloadBadStatus);
  }
  plan.total = static_cast<std::int32_t>(plan.start + *length);
  // The server's file is not the package on offer: nothing of it is worth keeping.
  if (package.size && *package.size != static_cast<std::uint64_t>(plan.total))
    return Failed(savePath, kDownloadBadStatus);
  if (firstPartSize > static_cast<std::uint64_t>(*length)) return Failed(savePath, kDownloadIncomplete);
  return plan;
}

// What the body's transfer came to.
struct BodyReceipt {
  bool written = false;       // every byte received went into the file, and it closed cleanly
  std::int32_t received = 0;  // the file's size the transfer reached
};

// Streams the body into the file after the bytes that came with the head, keeping
// the two counters; closes the file and lets the server go.
BodyReceipt ReceiveBody(ResponseSource& source, UniqueFile& file, std::string_view firstPart,
                        const BodyPlan& plan, ByteCounter& totalBytes, ByteCounter& receivedBytes) {
  // Writes go out in our own batches, not the C library's.
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  totalBytes = plan.total;
  BodyReceipt receipt;
  receipt.written = WriteAll(file.get(), firstPart);
  receipt.received = static_cast<std::int32_t>(plan.start + static_cast<std::int64_t>(firstPart.size()));
  receivedBytes = receipt.received;

  std::string pending;
  pending.reserve(kWriteBatch + net::kReceiveLimit);
  std::string block;
  while (receipt.written && receipt.received != plan.total && source.Receive(block)) {
    if (block.size() > static_cast<std::uint64_t>(plan.total - receipt.received)) {
      receipt.written = false;  // more than announced: the file would not be the server's
      break;
    }
    pending += block;
    if (pending.size() >= kWriteBatch) {
      receipt.written = WriteAll(file.get(), pending);
      pending.clear();
    }
    receipt.received += static_cast<std::int32_t>(block.size());
    receivedBytes = receipt.received;
  }
  source.Close();  // let the server go before the file is finished

  receipt.written = receipt.written && WriteAll(file.get(), pending);
  receipt.written = Close(file) && receipt.written;
  return receipt;
}

// Puts a complete file of the announced digest in place; keeps a partial one the
// next attempt can trust; deletes anything else.
ReceiveEnd FinishDownload(const std::string& savePath, const BodyReceipt& receipt, const BodyPlan& plan,
                          bool resumable, const config::AnnouncedPackage& package) {
  const NativePath tempFile = PathFromGbk(savePath + ".tmp");
  if (receipt.written && receipt.received == plan.total &&
      RegularFileSize(tempFile) == static_cast<std::uint64_t>(plan.total)) {
    if (!HasAnnouncedDigest(savePath + ".tmp", package)) {
      // Most likely a partial file of some other file was continued.
      DiscardPartialFile(savePath);
      return {kDownloadBadStatus, true};
    }
    if (ReplaceFileWith(tempFile, PathFromGbk(savePath))) {
      RemoveFileAt(PathFromGbk(ValidatorPath(savePath)));
      return {kDownloadOk};
    }
  }
  // The server stopped part-way: every byte written is the server's, and the next
  // attempt can go on from them when it can trust them.
  if (receipt.written && receipt.received != plan.total && resumable &&
      RegularFileSize(tempFile) == static_cast<std::uint64_t>(receipt.received))
    return {kDownloadIncomplete};
  return Failed(savePath, kDownloadIncomplete);
}

}  // namespace

std::optional<std::uint64_t> PartialFileSize(const std::string& savePath) {
  return RegularFileSize(PathFromGbk(savePath + ".tmp"));
}

std::string ValidatorPath(const std::string& savePath) {
  return savePath + ".tmp.validator";
}

void DiscardPartialFile(const std::string& savePath) {
  RemoveFileAt(PathFromGbk(savePath + ".tmp"));
  RemoveFileAt(PathFromGbk(ValidatorPath(savePath)));
}

ResumePoint PlanResume(const std::string& savePath, const config::AnnouncedPackage& package) {
  ResumePoint from{PartialFileSize(savePath), {}};
  if (!from.offset) return from;
  from.validator = ReadValidator(savePath);
  // Without either, bytes of some other file could be continued into a file that is
  // neither: a stock server answers any Range with the rest of whatever it has now.
  const bool trusted = !from.validator.empty() || package.sha256.has_value();
  const bool fits = !package.size || *from.offset < *package.size;
  if (!trusted || !fits) {
    DiscardPartialFile(savePath);
    return {};
  }
  return from;
}

ReceiveEnd ReceiveDownload(ResponseSource& source, const std::string& savePath, const ResumePoint& from,
                           const config::AnnouncedPackage& package, ByteCounter& totalBytes,
                           ByteCounter& receivedBytes) {
  // Whether a partial file this transfer leaves could be resumed soundly next time.
  bool resumable = package.sha256.has_value() || (from.offset && !from.validator.empty());
  HeadOutcome answer = ReceiveHead(source, savePath, from, resumable);
  if (answer.end) return *answer.end;

  const std::string_view headBlock = std::string_view(answer.head).substr(0, answer.headSize);
  const std::string_view firstPart = std::string_view(answer.head).substr(answer.headSize);
  const std::variant<BodyPlan, ReceiveEnd> planned =
      PlanBody(headBlock, firstPart.size(), savePath, from, package);
  if (const ReceiveEnd* end = std::get_if<ReceiveEnd>(&planned)) return *end;
  const BodyPlan& plan = std::get<BodyPlan>(planned);

  // A full answer begins the partial file anew, and its validator with it. The old
  // validator goes first: a partial file must never sit beside one that did not
  // begin it.
  if (!plan.partial) RemoveFileAt(PathFromGbk(ValidatorPath(savePath)));
  UniqueFile file(OpenSoleWriter(PathFromGbk(savePath + ".tmp"), !plan.partial));
  if (!file) return Failed(savePath, kDownloadIncomplete);
  if (!plan.partial) {
    const std::string validator = ResumeValidator(headBlock);
    const bool kept = !validator.empty() && WriteValidator(savePath, validator);
    resumable = package.sha256.has_value() || kept;
  }
  const BodyReceipt receipt = ReceiveBody(source, file, firstPart, plan, totalBytes, receivedBytes);
  return FinishDownload(savePath, receipt, plan, resumable, package);
}

}  // namespace vorlane::update
