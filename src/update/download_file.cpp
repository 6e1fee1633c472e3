#include "update/download_file.h"

#include <optional>

#include "net/net_globals.h"
#include "update/download_request.h"
#include "update/download_response.h"

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

}  // namespace

std::int32_t DownloadFile(net::TcpSocket& socket, std::string_view url, const std::string& savePath,
                          ByteCounter& totalBytes, ByteCounter& receivedBytes, std::chrono::milliseconds wait,
                          const config::AnnouncedPackage& package) {
  const DownloadTarget target = SplitDownloadUrl(url);
  ReceiveEnd end = Exchange(socket, target, savePath, package, totalBytes, receivedBytes, wait);
  // The file it made is gone, with no partial file left: this time from the start.
  if (end.notThePackage) end = Exchange(socket, target, savePath, package, totalBytes, receivedBytes, wait);
  return end.result;
}

std::int32_t DownloadFile(std::string_view url, const std::string& savePath, ByteCounter& totalBytes,
                          ByteCounter& receivedBytes, const config::AnnouncedPackage& package) {
  return DownloadFile(net::ProgramSocket(), url, savePath, totalBytes, receivedBytes, net::kDefaultWait,
                      package);
}

}  // namespace vorlane::update
