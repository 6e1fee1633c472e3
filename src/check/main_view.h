// The main window as the checking logic sees it. Handlers call these operations and
// never touch a control themselves, so the logic runs the same against the Win32
// window and against the fake window of the tests.
//
// Every operation is called on the window's thread, except PostToUi and
// StartWorker, which any thread may call.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "text/text.h"

namespace vorlane::check {

// Controls whose text or state the checks read or write.
enum class Control {
  编辑框_标题,        // the title to check (single and precise check)
  编辑框_显示,        // the single check's report
  标签_提示,          // hint label, normally "单个查询:"
  编辑框_检索间隔,    // monitoring interval in minutes
  标签_已查询次数,    // number of passes started
  单选框_查询全部,    // passes check every row
  单选框_只查未收录,  // passes check only rows not yet indexed
};

enum class Timer {
  时钟_监测间隔,  // the monitoring countdown, one tick a minute
};

// Windows COLORREF layout: red in bits 0-7, green 8-15, blue 16-23.
using Colour = std::uint32_t;

struct ListColours {
  Colour text = 0x000000;
  Colour background = 0xFFFFFF;
};

struct LocalDateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Message box styles and results, as Windows numbers them.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbIconExclamation = 0x30;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr unsigned kMbTaskModal = 0x2000;

class MainView {
 public:
  virtual ~MainView() = default;

  virtual Text GetText(Control control) = 0;
  virtual void SetText(Control control, const Text& text) = 0;
  // Caret to the end, scrolled into view, the text put in place of the empty
  // selection: earlier lines stay and the newest is visible.
  virtual void AppendText(Control control, const Text& text) = 0;
  virtual bool IsChecked(Control control) = 0;
  virtual void Focus(Control control) = 0;

  virtual void ShowMessage(const Text& text, const Text& caption, unsigned style) = 0;
  virtual void SetStatusText(int section, const Text& text) = 0;
  virtual void SetTimerPeriod(Timer timer, unsigned milliseconds) = 0;

  // The product list view shows the rows of the product list model; it is told how
  // many rows there are and which to draw again, and asks the model for cell texts
  // and colours while it paints.
  virtual void SetListRowCount(int rows) = 0;
  virtual void RedrawListRows(int first, int last) = 0;
  virtual void EnsureListRowVisible(int row) = 0;
  virtual int SelectedListRow() = 0;  // -1 when no row is selected
  virtual ListColours ListOwnColours() = 0;
  virtual void PopupListMenu() = 0;  // the list's context menu at the mouse pointer

  // The open-file dialog; nothing when the user cancels.
  virtual std::optional<Text> ChooseFileToOpen() = 0;
  // Opens an address with the system's default handler (the browser).
  virtual void OpenAddress(const Text& address) = 0;

  // Runs `task` later on the window's thread; callable from any thread.
  virtual void PostToUi(std::function<void()> task) = 0;
  // Runs `task` on a new worker thread that nobody waits for.
  virtual void StartWorker(std::function<void()> task) = 0;
  // Runs `task` on the window's thread after `microseconds`, without blocking anyone.
  virtual void RunLater(std::int64_t microseconds, std::function<void()> task) = 0;
  // Waits on the window's thread while its messages (clicks, timers, posted tasks)
  // go on being handled.
  virtual void DelayWithEvents(std::int64_t microseconds) = 0;
  // Handles the messages waiting now, then returns.
  virtual void ProcessPendingMessages() = 0;
  // The local date and time, for the check time of a row.
  virtual LocalDateTime LocalNow() = 0;
};

}  // namespace vorlane::check
