#include "update/download_file.h"

#include <optional>

#include "net/net_globals.h"
#include "update/download_request.h"
#include "update/download_response.h"
#include "update/download_service.h"

namespace vorlane::update {
namespace {

// The answer, read from the program's connection with its wait.
class SocketSource final : public ResponseSource {
 public:
  SocketSource(net::TcpSocket& socket, std::chrono::milliseconds wait) : socket_(socket), wait_(wait) {}
  bool Receive(std::string& block) override { return socket_.receive(block, wait_); }
  void Close() override { socket_.close(); }

 private:
  net::TcpSocket& socket_;
  std::chrono::milliseconds wait_;
};

// One request and its answer, on a connection of its own.
ReceiveEnd Exchange(net::TcpSocket& socket, const DownloadTarget& target, const std::string& savePath,
                    const config::AnnouncedPackage& package, ByteCounter& totalBytes,
                    ByteCounter& receivedBytes, std::chrono::milliseconds wait) {
  // Whatever way the transfer ends, the connection ends with it.
  struct CloseAtEnd {
    net::TcpSocket& socket;
    ~CloseAtEnd() { socket.close(); }
  } closeAtEnd{socket};

  if (!socket.create(false)) return {kDownloadNoSocket};
  if (!socket.bind(0, {}, false)) return {kDownloadBindFailed};
  if (!target.valid || !socket.connect(target.host, target.port)) return {kDownloadConnectFailed};

  const ResumePoint from = PlanResume(savePath, package);
  if (!socket.sendAll(from.offset ? ResumeRequest(target, *from.offset, from.validator)
                                  : PlainRequest(target)))
    return {kDownloadSendFailed};
  SocketSource source(socket, wait);
  return ReceiveDownload(source, savePath, from, package, totalBytes, receivedBytes);
}

// One address: an https:// one through the HTTP service, any other on the socket.
ReceiveEnd FetchFrom(net::TcpSocket& socket, const DownloadTarget& target, const std::string& savePath,
                     const config::AnnouncedPackage& package, ByteCounter& totalBytes,
                     ByteCounter& receivedBytes, std::chrono::milliseconds wait) {
  if (target.secure) return ServiceExchange(target, savePath, package, totalBytes, receivedBytes);
  return Exchange(socket, target, savePath, package, totalBytes, receivedBytes, wait);
}

}  // namespace

std::int32_t DownloadFile(net::TcpSocket& socket, std::string_view url, const std::string& savePath,
                          ByteCounter& totalBytes, ByteCounter& receivedBytes, std::chrono::milliseconds wait,
                          const config::AnnouncedPackage& package) {
  std::string address(url);
  for (int redirects = 0;; ++redirects) {
    const DownloadTarget target = SplitDownloadUrl(address);
    ReceiveEnd end = FetchFrom(socket, target, savePath, package, totalBytes, receivedBytes, wait);
    // The file it made is gone, with no partial file left: this time from the start.
    if (end.notThePackage)
      end = FetchFrom(socket, target, savePath, package, totalBytes, receivedBytes, wait);
    if (end.redirect.empty()) return end.result;
    const std::string next = ResolveRedirect(address, end.redirect);
    // A package that came over HTTPS never continues over plain HTTP, where anyone
    // on the way could answer for it; and a loop ends.
    const bool downgrade = target.secure && !next.starts_with("https://");
    if (next.empty() || downgrade || redirects == kMaxDownloadRedirects) return kDownloadBadStatus;
    address = next;
  }
}

std::int32_t DownloadFile(std::string_view url, const std::string& savePath, ByteCounter& totalBytes,
                          ByteCounter& receivedBytes, const config::AnnouncedPackage& package) {
  return DownloadFile(net::ProgramSocket(), url, savePath, totalBytes, receivedBytes, net::kDefaultWait,
                      package);
}

}  // namespace vorlane::update
