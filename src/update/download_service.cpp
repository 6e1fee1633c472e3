#include "update/download_service.h"

#include "net/tcp_socket.h"
#include "text/url_parts.h"
#include "update/download_file.h"
#include "web/http_service.h"

namespace vorlane::update {
namespace {

// The answer as the socket would have brought it: the head, ending in a blank line,
// with the first body bytes behind it, then the body in pieces.
class ServiceSource final : public ResponseSource {
 public:
  ServiceSource(web::HttpSession& session, std::string first) : session_(session), first_(std::move(first)) {}
  bool Receive(std::string& block) override {
    if (!first_.empty()) {
      block = std::move(first_);
      first_.clear();
      return true;
    }
    block.resize(net::kReceiveLimit);
    block.resize(session_.Read(block.data(), block.size()));
    return !block.empty();
  }
  void Close() override { session_.Close(); }

 private:
  web::HttpSession& session_;
  std::string first_;
};

// The service's header block, cut to end in exactly one blank line.
std::string HeadOf(web::HttpSession& session) {
  std::string head = session.RawHeaders();
  while (!head.empty() && (head.back() == '\r' || head.back() == '\n')) head.pop_back();
  return head + "\r\n\r\n";
}

}  // namespace

ReceiveEnd ServiceExchange(const DownloadTarget& target, const std::string& savePath,
                           const config::AnnouncedPackage& package, ByteCounter& totalBytes,
                           ByteCounter& receivedBytes) {
  web::HttpSession session;
  if (!session.Open(kDownloadAgent, {})) return {kDownloadNoSocket};
  if (!target.valid || !session.Connect(target.host, target.port)) return {kDownloadConnectFailed};
  if (!session.OpenRequest("GET", "/" + RequestPath(target.path), true, web::RequestKind::kFile))
    return {kDownloadConnectFailed};

  const ResumePoint from = PlanResume(savePath, package);
  session.Send(ServiceRequestHeaders(from.offset, from.validator), {});
  // The first read drives the exchange until the answer's head is in.
  std::string first(net::kReceiveLimit, '\0');
  first.resize(session.Read(first.data(), first.size()));
  if (session.StatusCode() == 0) return {kDownloadConnectFailed};

  ServiceSource source(session, HeadOf(session) + first);
  return ReceiveDownload(source, savePath, from, package, totalBytes, receivedBytes);
}

}  // namespace vorlane::update
