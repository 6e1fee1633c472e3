#include "update/update_flow.h"

#include <utility>

#include "config/version.h"
#include "update/download_file.h"
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
    ExtractArchive(archive, folder, limits);
  };
}

UpdateFlow::UpdateFlow(UpdateServices services, ByteCounter& total, ByteCounter& received)
    : view_(services.view),
      scheduler_(services.scheduler),
      system_(services.system),
      download_(services.download ? std::move(services.download) : ProgramDownloader()),
      unpack_(services.unpack ? std::move(services.unpack) : ProgramUnpacker()),
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
  // An installer left by an earlier update is run again instead of fetching the
  // package once more. It is looked for where the package puts it.
  const Text installer = JoinPath(system_.CurrentDirectory(), config::kInstallerName);
  if (system_.FileExists(installer)) {
    state_ = State::kHandedOver;
    system_.StartProgram(installer, false);
    return;
  }
  packageAddress_ = values.packageAddress;
  package_ = values.package;
  unzipLimits_ = values.unzipLimits;
  StartUpdate();
}

void UpdateFlow::StartUpdate() {
  const PackageParts parts = SplitPackageAddress(packageAddress_);
  folder_ = system_.CurrentDirectory();
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

  // Whatever the unpacking and the installer do, the user is sent to the page.
  unpack_(savePath_, folder_, unzipLimits_);
  system_.RemoveFile(savePath_);
  system_.StartProgram(JoinPath(folder_, config::kInstallerName), true);
  if (!pageAddress_.empty()) system_.OpenAddress(pageAddress_);
  view_.ShowMessage(texts::kAutomaticUpdateFailed, texts::kNotice, kMbIconExclamation);
  End();
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
