// A main window without a window: it records what the checks show and answers what
// they read. Time, workers and the system are the fake scheduler's and the fake
// system port's (tests/support).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "check/main_view.h"

namespace vorlane::check::test {

class FakeMainView : public MainView {
 public:
  // --- MainView ---
  Text GetText(Control control) override;
  void SetText(Control control, const Text& text) override;
  void AppendText(Control control, const Text& text) override;
  bool IsChecked(Control control) override { return checked[control]; }
  void Focus(Control control) override { focused = control; }
  void ShowMessage(const Text& text, const Text& caption, unsigned style) override;
  void SetStatusText(int section, const Text& text) override;
  Text GetStatusText(int section) override { return status[section]; }
  void SetTimerPeriod(Timer timer, unsigned milliseconds) override { timerPeriods[timer] = milliseconds; }
  void SetListRowCount(int rows) override { listRows = rows; }
  void RedrawListRows(int first, int last) override;
  void EnsureListRowVisible(int row) override { visibleRows.push_back(row); }
  int SelectedListRow() override { return selectedRow; }
  ListColours ListOwnColours() override { return ownColours; }
  void PopupListMenu(const ListMenuState& state) override {
    ++menuPopups;
    menuState = state;
  }
  bool CopyTextToClipboard(const Text& text) override;
  std::optional<Text> ChooseFileToOpen() override;
  void ShowTrayBalloon(const Text& title, const Text& text, BalloonIcon icon) override {
    balloons.push_back(Balloon{title, text, icon});
  }
  std::optional<SaveChoice> ChooseFileToSave() override;

  std::map<Control, Text> texts;
  std::map<Control, bool> checked;
  std::optional<Control> focused;
  struct Message {
    Text text, caption;
    unsigned style;
  };
  std::vector<Message> messages;
  std::map<int, Text> status;
  std::vector<Text> statusHistory;  // every text of section 1, in order
  std::map<Timer, unsigned> timerPeriods;
  int listRows = 0;
  std::vector<std::pair<int, int>> redrawn;
  std::vector<int> visibleRows;
  int selectedRow = -1;
  ListColours ownColours{0x000000, 0xFFFFFF};
  int menuPopups = 0;
  struct Balloon {
    Text title, text;
    BalloonIcon icon;
  };
  std::vector<Balloon> balloons;
  ListMenuState menuState;        // as the menu last popped up
  std::optional<Text> clipboard;  // nothing: the clipboard is busy
  bool clipboardBusy = false;
  std::deque<std::optional<SaveChoice>> saveChoices;  // what the save dialog answers next
  std::deque<std::optional<Text>> fileChoices;        // what the open-file dialog answers next
  // Called after SetText, as the window reports a changed edit box.
  std::function<void(Control)> onTextChanged;
};

}  // namespace vorlane::check::test
