// The update: the decision when the update window has been created, the download
// on a worker thread, the two progress ticks, and the hand-over to the installer.
// Every member runs on the window's thread; the worker reaches the window only by
// posting to it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "config/update_values.h"
#include "port/scheduler.h"
#include "port/system_port.h"
#include "port/worker_link.h"
#include "update/download_progress.h"
#include "update/update_paths.h"
#include "update/update_progress.h"
#include "update/update_unzip.h"
#include "update/update_view.h"

namespace vorlane::update {

// Fetches `url` into `savePath`, checked against what the update info announced of
// the package, keeping the two counters; a DownloadFile result code.
using Downloader =
    std::function<std::int32_t(const Text& url, const Text& savePath, const config::AnnouncedPackage& package,
                               ByteCounter& total, ByteCounter& received)>;

// DownloadFile on the program's socket.
Downloader ProgramDownloader();

// Unpacks every entry of an archive into a folder, within the limits, and reports
// which files it wrote.
using Unpacker =
    std::function<UnzipReport(const Text& archive, const Text& folder, const config::UnzipLimits& limits)>;

// ExtractArchive.
Unpacker ProgramUnpacker();

// Whether the finished file is the package the signed update info named: its
// digest was announced and the file has it.
using PackageCheck = std::function<bool(const Text& path, const config::AnnouncedPackage& package)>;

// HasAnnouncedDigest, with a digest required.
PackageCheck ProgramPackageCheck();

// Inside the update folder: where the package is unpacked and its installer run.
inline constexpr char kUnpackedFolderName[] = "unpacked";

// What an earlier update left in the update folder: the unpacked files (their
// installer has had its turn) and a finished package never unpacked. A partial
// download and its validator stay, to be resumed. Run at every start.
void RemoveUpdateLeftovers(port::SystemPort& system);

// Where the flow meets the world: its window, the scheduler of that window's
// thread, the system, and how it downloads and unpacks.
struct UpdateServices {
  UpdateView& view;
  port::Scheduler& scheduler;
  port::SystemPort& system;
  Downloader download = {};  // ProgramDownloader when empty
  Unpacker unpack = {};      // ProgramUnpacker when empty
  PackageCheck check = {};   // ProgramPackageCheck when empty
};

class UpdateFlow {
 public:
  enum class State {
    kWaiting,      // the window is being made
    kClosed,       // no update due: the window closed itself
    kDeclined,     // no update that can run here: the user was told, the page opened, the window closed
    kDownloading,  // the worker is fetching the package
    kCompleted,    // the package is in, but the archive is gone
    kEnded,        // the program was told to end
  };

  // `total` and `received` are the counters the worker writes and the ticks read.
  explicit UpdateFlow(UpdateServices services, ByteCounter& total = TotalBytes,
                      ByteCounter& received = ReceivedBytes);
  ~UpdateFlow();
  UpdateFlow(const UpdateFlow&) = delete;
  UpdateFlow& operator=(const UpdateFlow&) = delete;

  // The window has been created; `values` are the configuration, read again now.
  void OnWindowCreated(const config::UpdateValues& values);
  void OnSecondTick();  // 时钟1
  void OnTenthTick();   // 时钟2
  // The window's close box. There is no way to cancel an update that has begun, and
  // the main window's panel stays locked once it has: the program ends.
  void OnCloseRequested();

  State state() const { return state_; }
  // Whether the update took over the program (the main window stays locked).
  bool tookOver() const {
    return state_ != State::kWaiting && state_ != State::kClosed && state_ != State::kDeclined;
  }
  const SecondCounters& counters() const { return counters_; }
  const Text& savePath() const { return savePath_; }

 private:
  void StartUpdate();
  void Decline(const Text& message);
  void OnDownloadEnded(std::int32_t result);
  void Complete(std::int32_t received);
  void End();

  UpdateView& view_;
  port::Scheduler& scheduler_;
  port::SystemPort& system_;
  Downloader download_;
  Unpacker unpack_;
  PackageCheck check_;
  ByteCounter& total_;
  ByteCounter& received_;
  std::shared_ptr<port::WorkerLink<UpdateFlow>> link_;  // the download worker's way back

  State state_ = State::kWaiting;
  Text pageAddress_;     // UpdatePageAddress
  Text packageAddress_;  // PackageAddress
  config::AnnouncedPackage package_;
  config::UnzipLimits unzipLimits_;
  Text folder_;  // the update folder: the package and its partial file
  Text savePath_;
  SecondCounters counters_;
  std::optional<std::int32_t> downloadResult_;  // what the worker reported
};

}  // namespace vorlane::update
