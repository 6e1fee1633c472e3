// The update flow's view of the Win32 update window and of the system. Texts are
// GBK on this side and UTF-16 at every Win32 call.
#pragma once

#include <windows.h>

#include <functional>

#include "shell/detached_workers.h"
#include "shell/ui_task.h"
#include "update/update_view.h"

namespace vorlane::update {

class UpdateWindow;

// Stand-ins for what would end or leave the test program: message boxes, the
// browser, starting programs and ending the process. Each is used when set.
struct UpdateSinks {
  std::function<void(const Text& text, const Text& caption, unsigned style)> message;
  std::function<void(const Text& address)> address;
  std::function<bool(const Text& path, bool waitUntilReady)> startProgram;
  // Called instead of ending the program; the update window closes afterwards.
  std::function<void()> endProgram;
};

class Win32UpdateView final : public UpdateView {
 public:
  Win32UpdateView(UpdateWindow& window, shell::UiTaskChannel& tasks, UpdateSinks sinks);

  void SetLabel(Label label, const Text& text) override;
  void ShowLabel(Label label, bool visible) override;
  void SetProgress(int percent) override;
  void ShowPicture(Picture picture) override;
  void SetTimerPeriod(Timer timer, unsigned milliseconds) override;
  void CloseUpdateWindow() override;

  void ShowMessage(const Text& text, const Text& caption, unsigned style) override;
  void OpenAddress(const Text& address) override;
  bool StartProgram(const Text& path, bool waitUntilReady) override;
  void EndProgram() override;

  Text CurrentDirectory() override;
  bool FileExists(const Text& path) override;
  void RemoveFile(const Text& path) override;
  void ExtractArchive(const Text& archive, const Text& folder, const UnzipLimits& limits) override;

  void PostToUi(std::function<void()> task) override;
  void StartWorker(std::function<void()> task) override;

  // Worker threads started here that have not finished yet.
  int runningWorkers() const { return workers_.running(); }

 private:
  UpdateWindow& window_;
  shell::UiTaskChannel& tasks_;
  UpdateSinks sinks_;
  shell::DetachedWorkers workers_;
};

}  // namespace vorlane::update
