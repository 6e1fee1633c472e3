// The handlers of the product list: importing titles, the list's mouse events, the
// row check and the colours of its cells.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "check/check_context.h"
#include "check/product_list.h"
#include "port/worker_link.h"

namespace vorlane::check {

// Status cell colours of a row check's verdict (Windows COLORREF values).
inline constexpr Colour kColourBlack = 0x000000;
inline constexpr Colour kColourGreen = 0x00FF00;
inline constexpr Colour kColourRed = 0x0000FF;
inline constexpr Colour kColourAmber = 0x00C0FF;  // a failed check: neither verdict

// The status cell's background for a row that shows `status`; black for none.
Colour StatusColour(CheckStatus status);

// One row check's verdict as it lands in the list, on the window's thread.
struct RowVerdict {
  int index = 0;  // list row, from 0
  std::uint32_t pass = 0;
  CheckStatus before = CheckStatus::kNone;  // the row's status when the check began
  CheckStatus after = CheckStatus::kNone;   // kIndexed, kNotIndexed or kFailed
  Text count;                               // as the row shows it afterwards
  Text reason;                              // why the check failed; empty when it did not
  // The failure as the check found it, for a record of it (record/check_record.h).
  CheckFailure failure = CheckFailure::kNone;
  int httpStatus = 0;
};
using RowVerdictListener = std::function<void(const RowVerdict&)>;

// 查看收录报告, which the front end that keeps a history supplies: whether there is
// a history to report on now, and what choosing the entry does. Without it the
// entry stays greyed.
struct ReportEntry {
  std::function<bool()> available;
  std::function<void()> open;
};

// The status bar section that shows the selected row's tip (its failure reason, since
// when its status has held); monitoring writes its texts there too, and its next
// text replaces the tip.
inline constexpr int kRowReasonStatusSection = 1;

class ProductListController;

// A walk over the rows, one after the other, that stays on its way when rows are
// deleted while it lets messages through: a row deleted before it moves it back one,
// so that no row is skipped and none is visited twice.
class RowWalk {
 public:
  explicit RowWalk(ProductListController& rows);
  ~RowWalk();
  RowWalk(const RowWalk&) = delete;
  RowWalk& operator=(const RowWalk&) = delete;

  // The next row (from 0), or -1 past the rows the list had at the (re)start: rows
  // added while it walks are not its own.
  int Next();
  void Restart();

 private:
  friend class ProductListController;
  void OnRowRemoved(int row);
  ProductListController& rows_;
  int next_ = 0;
  int end_ = 0;
};

class ProductListController {
 public:
  ProductListController(CheckContext& context, ProductList& list);
  ~ProductListController();
  ProductListController(const ProductListController&) = delete;
  ProductListController& operator=(const ProductListController&) = delete;

  // 按钮_新增宝贝: adds the lines of a chosen file after the existing rows.
  void AppendTitlesFromFile();
  // 按钮_导入宝贝全称: replaces the list by the lines of a chosen file.
  void ReplaceTitlesFromFile();
  // Right click on the list: remembers the selected row's title, pops the menu.
  void OnListRightClick();
  // A row picked with the mouse: its title goes into the single check's box.
  void OnListItemPicked();
  // The list's selection changed: the selected row's tip (RowTip) shows in the status
  // bar too, since not every system shows a list's tooltips. Selecting a row without
  // one puts back the text the tip covered, unless another text has replaced the
  // tip meanwhile. A verdict for the selected row shows its new tip the same way.
  void OnListSelectionChanged();
  // 按钮_清空宝贝全称.
  void OnClearTitleClicked();

  // The list menu's entries after 精准核对 (that one is the single check's): what
  // can be chosen now, and what choosing does.
  ListMenuState MenuState() const;
  void OnListMenu(ListMenuEntry entry);
  // 重新查询: the selected row now, counted in the pass that counts it.
  void RecheckSelectedRow();
  // 复制宝贝全称: the selected row's title to the clipboard.
  void CopySelectedTitle();
  // 删除宝贝: the selected row goes; the rows below move up and are renumbered.
  void DeleteSelectedRow();
  // 重查失败的宝贝: every row that shows 查询失败, one second apart like a pass.
  void RecheckFailedRows();
  // 导出列表...: every row into the file the user names.
  void ExportList();
  void SetReportEntry(ReportEntry entry) { reportEntry_ = std::move(entry); }

  enum class RowStart { kStarted, kStillRunning, kNoSuchRow };
  // Checks title `row` (from 1) on a worker thread for pass `pass`; the row shows
  // "正在查询" until the verdict lands in list row row-1 on the window's thread. A
  // check without a verdict by the deadline is marked failed, and its late verdict
  // is dropped. A row whose previous check is still running is not checked again:
  // that check now counts for `pass`.
  RowStart CheckRow(int row, std::uint32_t pass);
  // A row that pass `pass` leaves out because it stands indexed counts as indexed.
  void CountAsIndexed(int row, std::uint32_t pass);
  // The status cell's tooltip: since when the row's status has held ("已收录，自
  // 2026-12-9 8:05:07 起"), and for a failed row why its latest check failed, with
  // the time after it. Empty for a row never checked or being checked.
  Text RowTip(int row) const;

  void SetCellColour(int row, int column, Colour text, Colour background, bool backgroundGiven);
  // The colours a cell is drawn in.
  ListColours CellColours(int row, int column);

  ProductList& list() { return list_; }

  // Puts back a kept list in place of the rows: numbered from 1, statuses, counts,
  // times and reasons as they were, the status cells coloured as their verdicts
  // colour them. Checks still under way for the old rows are dropped. Not a change
  // of the list: the hook below is not called.
  void RestoreRows(std::vector<ListRow> rows);

  // Called after each change the user would want kept: rows imported, added or
  // deleted, a verdict written into a row. One hook; a later one replaces it.
  void SetListChangedHook(std::function<void()> hook) { listChanged_ = std::move(hook); }

  // Every verdict written into a row is told to each listener, in the order they
  // were added. The number given back takes the listener off again.
  int AddVerdictListener(RowVerdictListener listener);
  void RemoveVerdictListener(int id);

 private:
  void OnRowChecked(int row, std::uint64_t generation, std::uint32_t serial, const PageVerdict& verdict);
  void OnRowDeadline(int row, std::uint64_t generation, std::uint32_t serial);
  // Writes a verdict into row `index` (from 0).
  void ApplyRowVerdict(int index, const PageVerdict& verdict);
  void ListChanged();
  // Reads the file the user chooses; `room` is how many rows the list may still take.
  bool ReadChosenFile(std::size_t room, std::vector<Text>& lines);
  void ShowRows(int first);
  // The row a check started in row `row` (from 1) has moved to after deletions; 0
  // when it was deleted.
  int RowOfCheck(int row, std::uint32_t serial) const;
  friend class RowWalk;

  CheckContext& context_;
  ProductList& list_;
  std::shared_ptr<port::WorkerLink<ProductListController>> link_;  // the row checks' way back
  // Changes when the rows are replaced, so verdicts of checks started before
  // an import are not written into rows that now hold other titles.
  std::uint64_t generation_ = 0;
  std::uint32_t lastSerial_ = 0;  // of the latest row check started
  std::vector<std::pair<int, RowVerdictListener>> verdictListeners_;
  int lastListenerId_ = 0;
  Text shownReason_;               // the row tip put in the status bar; empty when none is
  Text coveredStatus_;             // the status text it replaced
  std::vector<RowWalk*> walks_;    // the walks over the rows now under way
  bool recheckingFailed_ = false;  // 重查失败的宝贝 is walking the rows
  ReportEntry reportEntry_;
  std::function<void()> listChanged_;
};

}  // namespace vorlane::check
