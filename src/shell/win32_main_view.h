// The checks' view of the main window, over its real controls. Texts are GBK on
// this side and UTF-16 at every Win32 call.
#pragma once

#include <windows.h>

#include <functional>

#include "check/main_view.h"

namespace vorlane::shell {

class MainWindow;

class Win32MainView final : public check::MainView {
 public:
  explicit Win32MainView(MainWindow& window);

  Text GetText(check::Control control) override;
  void SetText(check::Control control, const Text& text) override;
  void AppendText(check::Control control, const Text& text) override;
  bool IsChecked(check::Control control) override;
  void Focus(check::Control control) override;

  void ShowMessage(const Text& text, const Text& caption, unsigned style) override;
  void SetStatusText(int section, const Text& text) override;
  Text GetStatusText(int section) override;
  void SetTimerPeriod(check::Timer timer, unsigned milliseconds) override;

  void SetListRowCount(int rows) override;
  void RedrawListRows(int first, int last) override;
  void EnsureListRowVisible(int row) override;
  int SelectedListRow() override;
  check::ListColours ListOwnColours() override;
  void PopupListMenu(const check::ListMenuState& state) override;
  bool CopyTextToClipboard(const Text& text) override;

  std::optional<Text> ChooseFileToOpen() override;
  void ShowTrayBalloon(const Text& title, const Text& text, check::BalloonIcon icon) override;
  std::optional<check::SaveChoice> ChooseFileToSave() override;

  // Where the open-file dialog's answer comes from instead of the user (the tests
  // and the import benchmark set this).
  using FileChooser = std::function<std::optional<Text>()>;
  void SetFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }
  // The same for the save dialog.
  using SaveChooser = std::function<std::optional<check::SaveChoice>()>;
  void SetSaveChooser(SaveChooser chooser) { saveChooser_ = std::move(chooser); }

 private:
  HWND Handle(check::Control control) const;

  MainWindow& window_;
  FileChooser fileChooser_;
  SaveChooser saveChooser_;
};

}  // namespace vorlane::shell
