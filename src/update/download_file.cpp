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

}  // namespace

std::int32_t DownloadFile(net::TcpSocket& socket, std::string_view url, const std::string& savePath,
                          ByteCounter& totalBytes, ByteCounter& receivedBytes,
                          std::chrono::milliseconds wait) {
  // Whatever way the transfer ends, the connection ends with it.
  struct CloseAtEnd {
    net::TcpSocket& socket;
    ~CloseAtEnd() { socket.close(); }
  } closeAtEnd{socket};

  const DownloadTarget target = SplitDownloadUrl(url);
  if (!socket.create(false)) return kDownloadNoSocket;
  if (!socket.bind(0, {}, false)) return kDownloadBindFailed;
  if (!target.valid || !socket.connect(target.host, target.port)) return kDownloadConnectFailed;

  const std::optional<std::uint64_t> resumeFrom = PartialFileSize(savePath);
  if (!socket.sendAll(resumeFrom ? ResumeRequest(target, *resumeFrom) : PlainRequest(target)))
    return kDownloadSendFailed;
  SocketSource source(socket, wait);
  return ReceiveDownload(source, savePath, resumeFrom, totalBytes, receivedBytes);
}

std::int32_t DownloadFile(std::string_view url, const std::string& savePath, ByteCounter& totalBytes,
                          ByteCounter& receivedBytes) {
  return DownloadFile(net::ProgramSocket(), url, savePath, totalBytes, receivedBytes, net::kDefaultWait);
}

}  // namespace vorlane::update
