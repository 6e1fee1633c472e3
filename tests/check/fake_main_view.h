// A main window without a window: it records what the checks show, answers what
// they read, and runs time on a fake clock so that one-second waits and ten-second
// tips cost nothing. Tests schedule their own clicks on that clock.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "check/main_view.h"
#include "support/posted_tasks.h"

namespace vorlane::check::test {

class FakeMainView : public MainView {
 public:
  // How StartWorker runs its task: at once on the caller's thread, when the test
  // says so, or on a real thread.
  enum class Workers { kInline, kDeferred, kThreads };

  ~FakeMainView() override { JoinWorkers(); }

  // --- MainView ---
  Text GetText(Control control) override;
  void SetText(Control control, const Text& text) override;
  void AppendText(Control control, const Text& text) override;
  bool IsChecked(Control control) override { return checked[control]; }
  void Focus(Control control) override { focused = control; }
  void ShowMessage(const Text& text, const Text& caption, unsigned style) override;
  void SetStatusText(int section, const Text& text) override;
  void SetTimerPeriod(Timer timer, unsigned milliseconds) override { timerPeriods[timer] = milliseconds; }
  void SetListRowCount(int rows) override { listRows = rows; }
  void RedrawListRows(int first, int last) override;
  void EnsureListRowVisible(int row) override { visibleRows.push_back(row); }
  int SelectedListRow() override { return selectedRow; }
  ListColours ListOwnColours() override { return ownColours; }
  void PopupListMenu() override { ++menuPopups; }
  std::optional<Text> ChooseFileToOpen() override;
  void OpenAddress(const Text& address) override { openedAddresses.push_back(address); }
  void PostToUi(std::function<void()> task) override;
  void StartWorker(std::function<void()> task) override;
  void RunLater(std::int64_t microseconds, std::function<void()> task) override;
  void DelayWithEvents(std::int64_t microseconds) override;
  void ProcessPendingMessages() override;
  LocalDateTime LocalNow() override { return now; }

  // --- test controls ---
  // Runs `action` when the fake clock reaches `atMicros` (inside a wait, or in
  // AdvanceTime), as a click at that moment would.
  void At(std::int64_t atMicros, std::function<void()> action);
  // Moves the clock forward, running what falls due and what was posted.
  void AdvanceTime(std::int64_t microseconds);
  // Runs posted tasks (and, in deferred mode, nothing else) until none are left.
  void DrainPosted();
  // Deferred mode: runs the workers started so far, in order.
  void RunDeferredWorkers();
  // Threads mode: waits for every worker thread, then drains what they posted.
  void JoinWorkers();
  // Threads mode: workers whose task has not returned yet.
  int runningWorkers() const { return running_.load(); }

  std::int64_t clockMicros() const { return clock_; }

  Workers workers = Workers::kInline;
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
  std::deque<std::optional<Text>> fileChoices;  // what the open-file dialog answers next
  std::vector<Text> openedAddresses;
  LocalDateTime now{2013, 11, 9, 8, 5, 7};
  // Called after SetText, as the window reports a changed edit box.
  std::function<void(Control)> onTextChanged;
  // Every wait, in order: a skipped row waits for nothing.
  std::vector<std::int64_t> delays;

 private:
  void RunDue(std::int64_t until);

  std::mutex mutex_;
  vorlane::test::PostedTasks posted_;
  std::vector<std::function<void()>> deferred_;
  std::vector<std::thread> threads_;
  std::atomic<int> running_{0};
  std::multimap<std::int64_t, std::function<void()>> scheduled_;
  std::int64_t clock_ = 0;
};

}  // namespace vorlane::check::test
