// The main window as the checking logic sees it: only what the window shows and
// what the user answers. Handlers call these operations and never touch a control
// themselves, so the logic runs the same against the Win32 window and against the
// fake window of the tests. Threads, time and the system are the scheduler's and the
// system port's (win/).
//
// Every operation is called on the window's thread.
#pragma once

#include <cstdint>
#include <optional>

#include "port/scheduler.h"
#include "text/text.h"
#include "web/message_box.h"

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

using port::LocalDateTime;

enum class BalloonIcon { kInfo, kWarning };

// The entries of the list's context menu, in their order.
enum class ListMenuEntry {
  精准核对,
  重新查询,
  复制宝贝全称,
  删除宝贝,
  重查失败的宝贝,
  导出列表,
  查看收录报告
};
inline constexpr int kListMenuEntries = 7;

// Which entries can be chosen when the menu pops up; the others are greyed.
struct ListMenuState {
  bool enabled[kListMenuEntries] = {};
  bool Enabled(ListMenuEntry entry) const { return enabled[static_cast<int>(entry)]; }
  void Enable(ListMenuEntry entry, bool on) { enabled[static_cast<int>(entry)] = on; }
};

// The file types the save dialog offers: CSV first and chosen by default.
enum class ExportFormat { kCsvUtf8, kGbkText };

struct SaveChoice {
  Text path;
  ExportFormat format = ExportFormat::kCsvUtf8;
};

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
  virtual Text GetStatusText(int section) = 0;
  virtual void SetTimerPeriod(Timer timer, unsigned milliseconds) = 0;

  // The product list view shows the rows of the product list model; it is told how
  // many rows there are and which to draw again, and asks the model for cell texts
  // and colours while it paints.
  virtual void SetListRowCount(int rows) = 0;
  virtual void RedrawListRows(int first, int last) = 0;
  virtual void EnsureListRowVisible(int row) = 0;
  virtual int SelectedListRow() = 0;  // -1 when no row is selected
  virtual ListColours ListOwnColours() = 0;
  // The list's context menu at the mouse pointer, its entries greyed or not by
  // `state`; the entry chosen comes back as a command.
  virtual void PopupListMenu(const ListMenuState& state) = 0;
  // Puts the text on the clipboard as text; false when the clipboard is busy.
  virtual bool CopyTextToClipboard(const Text& text) = 0;

  // The open-file dialog; nothing when the user cancels.
  virtual std::optional<Text> ChooseFileToOpen() = 0;

  // A balloon from the notification-area icon; nothing where there is no icon.
  virtual void ShowTrayBalloon(const Text& title, const Text& text, BalloonIcon icon) = 0;
  // The save-as dialog with its file types; nothing when the user cancels.
  virtual std::optional<SaveChoice> ChooseFileToSave() = 0;
};

}  // namespace vorlane::check
