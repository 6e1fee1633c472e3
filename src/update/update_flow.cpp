#include "update/update_flow.h"

#include <utility>

#include "config/version.h"
#include "update/download_file.h"
#include "update/package_check.h"
#include "update/update_texts.h"
#include "update/update_unzip.h"

namespace vorlane::update {

Downloader ProgramDownloader() {
  return
      [](const Text& url, const Text& savePath, const config::AnnouncedPackage& package, ByteCounter& total,
         ByteCounter& received) { return DownloadFile(url, savePath, total, received, package); };
}

Unpacker ProgramUnpacker() {
  return [](const Text& archive, const Text& folder, const config::UnzipLimits& limits) {
    return ExtractArchive(archive, folder, limits);
  };
}

PackageCheck ProgramPackageCheck() {
  return [](const Text& path, const config::AnnouncedPackage& package) {
    return package.sha256.has_value() && HasAnnouncedDigest(path, package);
  };
}

void RemoveUpdateLeftovers(port::SystemPort& system) {
  const Text folder = system.UpdateFolder();
  if (folder.empty()) return;
  system.RemoveFolder(JoinPath(folder, kUnpackedFolderName));
  const Text package = JoinPath(folder, SplitPackageAddress(config::kPackagePath).fileName);
  if (system.FileExists(package)) system.RemoveFile(package);
}

UpdateFlow::UpdateFlow(UpdateServices services, ByteCounter& total, ByteCounter& received)
    : view_(services.view),
      scheduler_(services.scheduler),
      system_(services.system),
      download_(services.download ? std::move(services.download) : ProgramDownloader()),
      unpack_(services.unpack ? std::move(services.unpack) : ProgramUnpacker()),
      check_(services.check ? std::move(services.check) : ProgramPackageCheck()),
      total_(total),
      received_(received),
      link_(port::WorkerLink<UpdateFlow>::Make(*this, services.scheduler)) {}

UpdateFlow::~UpdateFlow() {
  link_->Cut();
}

void UpdateFlow::OnWindowCreated(const config::UpdateValues& values) {
  if (state_ != State::kWaiting) return;
  if (!config::IsNewerVersion(values.latestVersion)) {
    state_ = State::kClosed;
    view_.CloseUpdateWindow();
    return;
  }
  pageAddress_ = values.pageAddress;
  // Only a package whose digest a signed update info gave can ever be unpacked and
  // run: without one there is nothing worth fetching, and the user decides on the
  // page.
  if (!values.package.sha256) {
    Decline(texts::kUnverifiedUpdate);
    return;
  }
  // The update works in a folder of its own, never in the current directory (which
  // may be Downloads, or System32 for a program run as administrator).
  folder_ = system_.UpdateFolder();
  if (folder_.empty() || !system_.PrepareFolder(folder_)) {
    Decline(texts::kFolderUnusable + folder_ + texts::kFolderUnusableTail);
    return;
  }
  packageAddress_ = values.packageAddress;
  package_ = values.package;
  unzipLimits_ = values.unzipLimits;
  StartUpdate();
}

void UpdateFlow::StartUpdate() {
  const PackageParts parts = SplitPackageAddress(packageAddress_);
  savePath_ = JoinPath(folder_, parts.fileName);

  view_.SetTimerPeriod(Timer::时钟1, 1000);
  view_.SetTimerPeriod(Timer::时钟2, 100);
  view_.ShowPicture(Picture::kBanner);
  view_.ShowLabel(Label::标签8, false);
  counters_ = {};
  view_.SetProgress(0);
  total_ = 0;
  received_ = 0;
  downloadResult_.reset();
  state_ = State::kDownloading;

  // The worker gets its own copies of everything it uses but the counters, which
  // live as long as the program.
  scheduler_.StartWorker([link = link_, download = download_, url = packageAddress_, savePath = savePath_,
                          package = package_, parts, &total = total_, &received = received_] {
    const Text saveTo = SaveToText(savePath, parts.fileName);
    const Text source = SourceText(parts);
    link->Post([saveTo, source](UpdateFlow& flow) {
      flow.view_.SetLabel(Label::标签7, saveTo);
      flow.view_.SetLabel(Label::标签2, source);
    });
    const std::int32_t result = download(url, savePath, package, total, received);
    link->Post([result](UpdateFlow& flow) { flow.OnDownloadEnded(result); });
  });
}

void UpdateFlow::OnDownloadEnded(std::int32_t result) {
  if (state_ != State::kDownloading) return;
  downloadResult_ = result;
  if (result == kDownloadOk) return;  // the next tick completes the update
  view_.ShowMessage(texts::kDownloadFailed, texts::kInformation, kMbIconExclamation | kMbTaskModal);
  if (!pageAddress_.empty()) system_.OpenAddress(pageAddress_);
  End();
}

void UpdateFlow::OnSecondTick() {
  if (state_ != State::kDownloading) return;
  const SecondTexts t = AdvanceSecond(counters_, total_.load(), received_.load());
  view_.SetLabel(Label::标签10, t.fileSize);
  view_.SetLabel(Label::标签11, t.received);
  view_.SetLabel(Label::标签1, t.speed);
  view_.SetLabel(Label::标签3, t.average);
  view_.SetLabel(Label::标签9, t.timeLeft);
}

void UpdateFlow::OnTenthTick() {
  if (state_ != State::kDownloading) return;
  const std::int32_t received = received_.load();
  // The counters can read 100% a moment before the downloader has checked and
  // renamed the file: only its own result says the package is in place.
  const bool complete = downloadResult_ == kDownloadOk;
  const int percent = complete ? 100 : DownloadPercent(total_.load(), received);
  view_.SetLabel(Label::标签4, CompletedText(percent));
  view_.SetProgress(percent);
  if (complete) Complete(received);
}

void UpdateFlow::Complete(std::int32_t received) {
  view_.SetLabel(Label::标签11, FinishedText(received, counters_.SecondsElapsed));
  view_.ShowPicture(Picture::kCompletionIcon);
  view_.ShowLabel(Label::标签8, true);
  view_.SetTimerPeriod(Timer::时钟1, 0);
  view_.SetTimerPeriod(Timer::时钟2, 0);
  state_ = State::kCompleted;
  if (!system_.FileExists(savePath_)) return;

  // Checked here once more, whatever fetched it: only the package the signed info
  // named is unpacked.
  if (!check_(savePath_, package_)) {
    system_.RemoveFile(savePath_);
    view_.ShowMessage(texts::kDownloadFailed, texts::kInformation, kMbIconExclamation | kMbTaskModal);
    if (!pageAddress_.empty()) system_.OpenAddress(pageAddress_);
    End();
    return;
  }
  // Into a folder emptied first, so that only what this package holds can run.
  const Text unpacked = JoinPath(folder_, kUnpackedFolderName);
  system_.RemoveFolder(unpacked);
  const UnzipReport report = unpack_(savePath_, unpacked, unzipLimits_);
  system_.RemoveFile(savePath_);
  // Whatever the unpacking and the installer do, the user is sent to the page.
  if (report.Wrote(config::kInstallerName)) {
    system_.StartProgram(JoinPath(unpacked, config::kInstallerName), true);
  }
  if (!pageAddress_.empty()) system_.OpenAddress(pageAddress_);
  view_.ShowMessage(texts::kAutomaticUpdateFailed, texts::kNotice, kMbIconExclamation);
  End();
}

void UpdateFlow::Decline(const Text& message) {
  state_ = State::kDeclined;
  view_.ShowMessage(message, texts::kNotice, kMbIconExclamation);
  if (!pageAddress_.empty()) system_.OpenAddress(pageAddress_);
  view_.CloseUpdateWindow();
}

void UpdateFlow::OnCloseRequested() {
  if (tookOver()) {
    End();
  } else {
    state_ = State::kClosed;
    view_.CloseUpdateWindow();
  }
}

void UpdateFlow::End() {
  if (state_ == State::kEnded) return;
  state_ = State::kEnded;
  view_.EndProgram();
}

}  // namespace vorlane::update
