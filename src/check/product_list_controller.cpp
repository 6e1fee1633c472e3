#include "check/product_list_controller.h"

#include <algorithm>

#include "check/check_texts.h"
#include "check/list_export.h"
#include "check/single_check.h"

namespace vorlane::check {

RowWalk::RowWalk(ProductListController& rows) : rows_(rows) {
  rows_.walks_.push_back(this);
  Restart();
}

RowWalk::~RowWalk() {
  std::erase(rows_.walks_, this);
}

void RowWalk::Restart() {
  next_ = 0;
  end_ = rows_.list().count();
}

int RowWalk::Next() {
  if (next_ >= end_ || next_ >= rows_.list().count()) return -1;
  return next_++;
}

void RowWalk::OnRowRemoved(int row) {
  if (row < next_) --next_;
  if (row < end_) --end_;
}

ProductListController::ProductListController(CheckContext& context, ProductList& list)
    : context_(context),
      list_(list),
      link_(port::WorkerLink<ProductListController>::Make(*this, context.scheduler)) {}

ProductListController::~ProductListController() {
  link_->Cut();
}

bool ProductListController::ReadChosenFile(std::size_t room, std::vector<Text>& lines) {
  std::optional<Text> path = context_.view.ChooseFileToOpen();
  if (!path) return false;
  TitlesFile file = ReadTitlesFile(*path, room);
  switch (file.error) {
    case TitlesFileError::kNone:
      lines = std::move(file.lines);
      return true;
    case TitlesFileError::kTooLarge:
      ShowNotice(context_.view, texts::kFileTooLarge + *path + texts::kFileLimitBefore +
                                    TitlesFileLimitText() + texts::kFileLimitAfter);
      return false;
    case TitlesFileError::kTooManyLines:
      ShowNotice(context_.view, texts::kTooManyTitles + *path + texts::kRowLimitBefore +
                                    ProductRowLimitText() + texts::kRowLimitAfter);
      return false;
    case TitlesFileError::kUnreadable:
      ShowNotice(context_.view, texts::kFileUnreadable + *path + texts::kListUnchanged);
      return false;
  }
  return false;
}

void ProductListController::ShowRows(int first) {
  // The new count repaints the list, which draws only the rows in sight, on demand:
  // asking for the new rows one by one would cost a round trip per row.
  MainView& view = context_.view;
  view.SetListRowCount(list_.count());
  if (list_.count() > first) view.EnsureListRowVisible(list_.count() - 1);
}

void ProductListController::AppendTitlesFromFile() {
  std::vector<Text> lines;
  const int room = list_.count() < kMaxProductRows ? kMaxProductRows - list_.count() : 0;
  if (!ReadChosenFile(static_cast<std::size_t>(room), lines)) return;
  const int first = list_.count();
  list_.Append(std::move(lines));
  ShowRows(first);
  ListChanged();
}

void ProductListController::ReplaceTitlesFromFile() {
  std::vector<Text> lines;
  if (!ReadChosenFile(kMaxProductRows, lines)) return;
  ++generation_;
  list_.Replace(std::move(lines));
  ShowRows(0);
  ListChanged();
}

void ProductListController::OnListRightClick() {
  MainView& view = context_.view;
  const int row = view.SelectedListRow();
  list_.SetContextTitle(row >= 0 && row < list_.count() ? list_.record(row).title : Text());
  view.PopupListMenu(MenuState());
}

ListMenuState ProductListController::MenuState() const {
  ListMenuState state;
  const int row = context_.view.SelectedListRow();
  const bool selected = row >= 0 && row < list_.count();
  bool anyFailed = false;
  for (int i = 0; i < list_.count() && !anyFailed; ++i) anyFailed = list_.status(i) == CheckStatus::kFailed;
  state.Enable(ListMenuEntry::精准核对, true);
  state.Enable(ListMenuEntry::重新查询, selected && !list_.check(row).running);
  state.Enable(ListMenuEntry::复制宝贝全称, selected);
  state.Enable(ListMenuEntry::删除宝贝, selected);
  state.Enable(ListMenuEntry::重查失败的宝贝, anyFailed && !recheckingFailed_);
  state.Enable(ListMenuEntry::导出列表, list_.count() > 0);
  state.Enable(ListMenuEntry::查看收录报告,
               reportEntry_.available && reportEntry_.open && reportEntry_.available());
  return state;
}

void ProductListController::OnListMenu(ListMenuEntry entry) {
  switch (entry) {
    case ListMenuEntry::精准核对:
      return;
    case ListMenuEntry::重新查询:
      return RecheckSelectedRow();
    case ListMenuEntry::复制宝贝全称:
      return CopySelectedTitle();
    case ListMenuEntry::删除宝贝:
      return DeleteSelectedRow();
    case ListMenuEntry::重查失败的宝贝:
      return RecheckFailedRows();
    case ListMenuEntry::导出列表:
      return ExportList();
    case ListMenuEntry::查看收录报告:
      if (reportEntry_.open) reportEntry_.open();
      return;
  }
}

void ProductListController::RecheckSelectedRow() {
  const int row = context_.view.SelectedListRow();
  if (row < 0 || row >= list_.count()) return;
  CheckRow(row + 1, list_.check(row).pass);
}

void ProductListController::CopySelectedTitle() {
  MainView& view = context_.view;
  const int row = view.SelectedListRow();
  if (row < 0 || row >= list_.count()) return;
  if (!view.CopyTextToClipboard(list_.record(row).title)) ShowNotice(view, texts::kCopyFailed);
}

void ProductListController::DeleteSelectedRow() {
  MainView& view = context_.view;
  const int row = view.SelectedListRow();
  if (row < 0 || row >= list_.count()) return;
  // A check still running for the row finds it gone (RowOfCheck) and is dropped.
  list_.Remove(row);
  for (RowWalk* walk : walks_) walk->OnRowRemoved(row);
  // The new count repaints the rows below, numbered by their new places.
  view.SetListRowCount(list_.count());
  ListChanged();
}

void ProductListController::RecheckFailedRows() {
  if (recheckingFailed_) return;
  recheckingFailed_ = true;
  RowWalk walk(*this);
  for (int index = walk.Next(); index >= 0; index = walk.Next()) {
    if (list_.status(index) != CheckStatus::kFailed) continue;
    if (CheckRow(index + 1, list_.check(index).pass) != RowStart::kStarted) continue;
    context_.scheduler.DelayWithEvents(std::chrono::seconds(1));
    context_.scheduler.ProcessPendingMessages();
  }
  recheckingFailed_ = false;
}

void ProductListController::ExportList() {
  MainView& view = context_.view;
  if (list_.count() == 0) return;
  const std::optional<SaveChoice> choice = view.ChooseFileToSave();
  if (!choice) return;
  if (WriteListExport(list_, choice->path, choice->format)) {
    ShowNotice(view, texts::kExportDone + choice->path);
  } else {
    ShowNotice(view, texts::kExportFailed + choice->path + texts::kExportUnchanged);
  }
}

int ProductListController::RowOfCheck(int row, std::uint32_t serial) const {
  // Rows only move up, when rows above them are deleted; serials are never reused.
  for (int r = std::min(row, list_.count()); r >= 1; --r) {
    if (list_.check(r - 1).serial == serial) return r;
  }
  return 0;
}

void ProductListController::OnListItemPicked() {
  MainView& view = context_.view;
  const int row = view.SelectedListRow();
  if (row < 0 || row >= list_.count()) return;
  view.SetText(Control::编辑框_标题, list_.record(row).title);
}

void ProductListController::OnListSelectionChanged() {
  MainView& view = context_.view;
  const Text reason = RowTip(view.SelectedListRow());
  const Text shown = view.GetStatusText(kRowReasonStatusSection);
  const bool reasonShown = !shownReason_.empty() && shown == shownReason_;
  if (!reason.empty()) {
    if (!reasonShown) coveredStatus_ = shown;
    view.SetStatusText(kRowReasonStatusSection, reason);
    shownReason_ = reason;
    return;
  }
  if (reasonShown) view.SetStatusText(kRowReasonStatusSection, coveredStatus_);
  shownReason_.clear();
  coveredStatus_.clear();
}

void ProductListController::OnClearTitleClicked() {
  MainView& view = context_.view;
  view.SetText(Control::编辑框_标题, {});
  context_.scheduler.DelayWithEvents(std::chrono::milliseconds(1));
  view.Focus(Control::编辑框_标题);
}

ProductListController::RowStart ProductListController::CheckRow(int row, std::uint32_t pass) {
  if (row < 1 || row > list_.count()) return RowStart::kNoSuchRow;
  const int index = row - 1;
  RowCheck& check = list_.check(index);
  if (check.running) {
    // One worker per row at most, however long the site keeps it waiting.
    check.pass = pass;
    if (!check.expired) check.outcome = CheckStatus::kQuerying;
    return RowStart::kStillRunning;
  }
  // Everything the worker needs is taken now, the generation first: the list may be
  // replaced while this handler lets messages through.
  const std::uint64_t generation = generation_;
  const std::uint32_t serial = ++lastSerial_;
  // The failure stays until the verdict replaces it: a list saved meanwhile keeps
  // the row as it stood, reason and all.
  check = RowCheck{serial, pass,  CheckStatus::kQuerying, check.failure, check.httpStatus,
                   true,   false, list_.status(index)};
  list_.SetStatus(index, CheckStatus::kQuerying);
  context_.view.RedrawListRows(index, index);
  context_.scheduler.StartWorker([link = link_, row, generation, serial, fetch = context_.fetch,
                                  host = context_.siteHost, title = list_.title(row)] {
    PageVerdict verdict = CheckTitleAt(fetch, BuildSearchUrl(host, title));
    link->Post([row, generation, serial, verdict = std::move(verdict)](ProductListController& self) {
      self.OnRowChecked(row, generation, serial, verdict);
    });
  });
  link_->RunLater(context_.deadline, [row, generation, serial](ProductListController& self) {
    self.OnRowDeadline(row, generation, serial);
  });
  return RowStart::kStarted;
}

void ProductListController::CountAsIndexed(int row, std::uint32_t pass) {
  if (row < 1 || row > list_.count()) return;
  RowCheck& check = list_.check(row - 1);
  check.pass = pass;
  check.outcome = CheckStatus::kIndexed;
}

void ProductListController::OnRowChecked(int row, std::uint64_t generation, std::uint32_t serial,
                                         const PageVerdict& verdict) {
  if (generation != generation_) return;
  row = RowOfCheck(row, serial);
  if (row == 0) return;
  RowCheck& check = list_.check(row - 1);
  check.running = false;
  if (check.expired) return;  // already reported failed at its deadline
  ApplyRowVerdict(row - 1, verdict);
}

void ProductListController::OnRowDeadline(int row, std::uint64_t generation, std::uint32_t serial) {
  if (generation != generation_) return;
  row = RowOfCheck(row, serial);
  if (row == 0) return;
  RowCheck& check = list_.check(row - 1);
  if (!check.running || check.expired) return;
  check.expired = true;
  ApplyRowVerdict(row - 1, PageVerdict::Failed(CheckFailure::kTimedOut));
}

void ProductListController::ApplyRowVerdict(int index, const PageVerdict& verdict) {
  RowCheck& check = list_.check(index);
  check.failure = verdict.failure;
  check.httpStatus = static_cast<std::uint16_t>(verdict.httpStatus);
  const CheckStatus status = verdict.failed()  ? CheckStatus::kFailed
                             : verdict.indexed ? CheckStatus::kIndexed
                                               : CheckStatus::kNotIndexed;
  check.outcome = status;
  list_.SetStatus(index, status);
  // A failed check is neither verdict: the count and the time keep what an earlier
  // check found.
  if (status == CheckStatus::kIndexed) {
    list_.SetCount(index, verdict.countText);
    list_.SetCheckTime(index, context_.scheduler.LocalNow());
  } else if (status == CheckStatus::kNotIndexed) {
    list_.SetCount(index, "0");
  }
  // A failure ends a run of verdicts too: the cell shows something else from then
  // on, and "查询失败 since" must not name the time of an older verdict.
  if (check.before != status || list_.record(index).since.empty())
    list_.SetSince(index, context_.scheduler.LocalNow());
  SetCellColour(index, kColumnStatus, kColourBlack, StatusColour(status), true);
  context_.view.RedrawListRows(index, index);
  if (index == context_.view.SelectedListRow()) OnListSelectionChanged();
  ListChanged();
  if (verdictListeners_.empty()) return;
  const RowVerdict event{index,
                         check.pass,
                         check.before,
                         list_.status(index),
                         list_.record(index).count,
                         verdict.failed() ? FailureText(verdict) : Text(),
                         verdict.failure,
                         verdict.httpStatus};
  // A listener may add or remove listeners: walk a copy.
  const auto listeners = verdictListeners_;
  for (const auto& [id, listener] : listeners) listener(event);
}

Colour StatusColour(CheckStatus status) {
  switch (status) {
    case CheckStatus::kIndexed:
      return kColourGreen;
    case CheckStatus::kNotIndexed:
      return kColourRed;
    case CheckStatus::kFailed:
      return kColourAmber;
    case CheckStatus::kNone:
    case CheckStatus::kQuerying:
      break;
  }
  return kColourBlack;
}

void ProductListController::RestoreRows(std::vector<ListRow> rows) {
  ++generation_;
  list_.Restore(std::move(rows));
  // One pass over the rows, not a redraw per row: the new count repaints them all.
  const ListColours own = context_.view.ListOwnColours();
  for (int row = 0; row < list_.count(); ++row) {
    if (IsVerdict(list_.status(row)))
      list_.colours().Set(row, kColumnStatus, kColourBlack, StatusColour(list_.status(row)), own);
  }
  ShowRows(0);
}

void ProductListController::ListChanged() {
  if (listChanged_) listChanged_();
}

int ProductListController::AddVerdictListener(RowVerdictListener listener) {
  verdictListeners_.emplace_back(++lastListenerId_, std::move(listener));
  return lastListenerId_;
}

void ProductListController::RemoveVerdictListener(int id) {
  std::erase_if(verdictListeners_, [id](const auto& entry) { return entry.first == id; });
}

Text ProductListController::RowTip(int row) const {
  if (row < 0 || row >= list_.count()) return {};
  const ProductRecord& record = list_.record(row);
  const Text since = record.since.empty() ? Text() : FormatCheckTime(UnpackCheckTime(record.since));
  switch (record.status) {
    case CheckStatus::kFailed: {
      const Text reason = FailureText(PageVerdict::Failed(record.check.failure, record.check.httpStatus));
      return since.empty() ? reason : reason + texts::kSinceOpen + since + texts::kSinceClose;
    }
    case CheckStatus::kIndexed:
    case CheckStatus::kNotIndexed:
      return since.empty() ? Text()
                           : StatusCellText(record.status) + texts::kSinceLead + since + texts::kSinceTail;
    case CheckStatus::kNone:
    case CheckStatus::kQuerying:
      break;
  }
  return {};
}

void ProductListController::SetCellColour(int row, int column, Colour text, Colour background,
                                          bool backgroundGiven) {
  const ListColours own = context_.view.ListOwnColours();
  list_.colours().Set(row, column, text, backgroundGiven ? background : own.background, own);
  context_.view.RedrawListRows(row, row);
}

ListColours ProductListController::CellColours(int row, int column) {
  if (const CellColourTable::Entry* entry = list_.colours().Find(row, column)) {
    return ListColours{entry->text, entry->background};
  }
  return context_.view.ListOwnColours();
}

}  // namespace vorlane::check
