// The checks' view of the main window, over its real controls. Texts are GBK on
// this side and UTF-16 at every Win32 call.
#pragma once

#include <windows.h>

#include "check/main_view.h"
#include "shell/detached_workers.h"
#include "shell/ui_task.h"

namespace vorlane::shell {

class MainWindow;

class Win32MainView final : public check::MainView {
 public:
  Win32MainView(MainWindow& window, UiTaskChannel& tasks);

  Text GetText(check::Control control) override;
  void SetText(check::Control control, const Text& text) override;
  void AppendText(check::Control control, const Text& text) override;
  bool IsChecked(check::Control control) override;
  void Focus(check::Control control) override;

  void ShowMessage(const Text& text, const Text& caption, unsigned style) override;
  void SetStatusText(int section, const Text& text) override;
  void SetTimerPeriod(check::Timer timer, unsigned milliseconds) override;

  void SetListRowCount(int rows) override;
  void RedrawListRows(int first, int last) override;
  void EnsureListRowVisible(int row) override;
  int SelectedListRow() override;
  check::ListColours ListOwnColours() override;
  void PopupListMenu() override;

  std::optional<Text> ChooseFileToOpen() override;
  void OpenAddress(const Text& address) override;

  void PostToUi(std::function<void()> task) override;
  void StartWorker(std::function<void()> task) override;
  void RunLater(std::int64_t microseconds, std::function<void()> task) override;
  void DelayWithEvents(std::int64_t microseconds) override;
  void ProcessPendingMessages() override;
  check::LocalDateTime LocalNow() override;

  // Where message boxes, opened addresses and the file dialog go instead of the
  // screen, the browser and the user (the tests set these).
  using MessageSink = std::function<void(const Text& text, const Text& caption, unsigned style)>;
  using AddressSink = std::function<void(const Text& address)>;
  using FileChooser = std::function<std::optional<Text>()>;
  void SetMessageSink(MessageSink sink) { messageSink_ = std::move(sink); }
  void SetAddressSink(AddressSink sink) { addressSink_ = std::move(sink); }
  void SetFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }

  // Worker threads started by StartWorker that have not finished yet.
  int runningWorkers() const { return workers_.running(); }

 private:
  HWND Handle(check::Control control) const;
  bool OnWindowThread() const;

  MainWindow& window_;
  UiTaskChannel& tasks_;
  MessageSink messageSink_;
  AddressSink addressSink_;
  FileChooser fileChooser_;
  DetachedWorkers workers_;
};

}  // namespace vorlane::shell
