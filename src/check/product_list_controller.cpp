#include "check/product_list_controller.h"

#include "check/check_texts.h"
#include "check/single_check.h"

namespace vorlane::check {

bool ProductListController::ReadChosenFile(std::vector<Text>& lines) {
  std::optional<Text> path = context_.view.ChooseFileToOpen();
  if (!path) return false;
  TitlesFile file = ReadTitlesFile(*path);
  switch (file.error) {
    case TitlesFileError::kNone:
      lines = std::move(file.lines);
      return true;
    case TitlesFileError::kTooLarge:
      ShowNotice(context_.view, texts::kFileTooLarge + *path + texts::kFileLimitNote);
      return false;
    case TitlesFileError::kUnreadable:
      ShowNotice(context_.view, texts::kFileUnreadable + *path + texts::kListUnchanged);
      return false;
  }
  return false;
}

void ProductListController::ShowRows(int first) {
  MainView& view = context_.view;
  view.SetListRowCount(list_.count());
  if (list_.count() > first) {
    view.RedrawListRows(first, list_.count() - 1);
    view.EnsureListRowVisible(list_.count() - 1);
  }
}

void ProductListController::AppendTitlesFromFile() {
  std::vector<Text> lines;
  if (!ReadChosenFile(lines)) return;
  const int first = list_.count();
  list_.Append(std::move(lines));
  ShowRows(first);
}

void ProductListController::ReplaceTitlesFromFile() {
  std::vector<Text> lines;
  if (!ReadChosenFile(lines)) return;
  ++generation_;
  list_.Replace(std::move(lines));
  ShowRows(0);
}

void ProductListController::OnListRightClick() {
  MainView& view = context_.view;
  const int row = view.SelectedListRow();
  list_.ContextTitle = (row >= 0 && row < list_.count()) ? list_.cell(row, kColumnTitle) : Text();
  view.PopupListMenu();
}

void ProductListController::OnListItemPicked() {
  MainView& view = context_.view;
  const int row = view.SelectedListRow();
  if (row < 0 || row >= list_.count()) return;
  view.SetText(Control::编辑框_标题, list_.cell(row, kColumnTitle));
}

void ProductListController::OnClearTitleClicked() {
  MainView& view = context_.view;
  view.SetText(Control::编辑框_标题, {});
  view.DelayWithEvents(1000);
  view.Focus(Control::编辑框_标题);
}

void ProductListController::CheckRow(int row) {
  if (row < 1 || row > list_.count()) return;
  MainView& view = context_.view;
  Text url = BuildSearchUrl(context_.siteHost, list_.title(row));
  view.StartWorker(
      [this, &view, row, generation = generation_, fetch = context_.fetch, url = std::move(url)] {
        PageVerdict verdict = CheckTitleAt(fetch, url);
        view.PostToUi([this, row, generation, verdict = std::move(verdict)] {
          ApplyRowVerdict(row, generation, verdict);
        });
      });
}

void ProductListController::ApplyRowVerdict(int row, std::uint64_t generation, const PageVerdict& verdict) {
  if (generation != generation_ || row < 1 || row > list_.count()) return;
  const int index = row - 1;
  if (verdict.failed) {
    // Neither verdict: the count and the time keep what an earlier check found.
    ++list_.FailedCount;
    list_.SetCell(index, kColumnStatus, texts::kStatusFailed);
    SetCellColour(index, kColumnStatus, kColourBlack, kColourAmber, true);
  } else if (verdict.indexed) {
    list_.SetCell(index, kColumnStatus, texts::kStatusIndexed);
    list_.SetCell(index, kColumnCount, verdict.countText);
    SetCellColour(index, kColumnStatus, kColourBlack, kColourGreen, true);
    list_.SetCell(index, kColumnTime, FormatCheckTime(context_.view.LocalNow()));
  } else {
    ++list_.UnindexedCount;
    list_.SetCell(index, kColumnStatus, texts::kStatusNotIndexed);
    list_.SetCell(index, kColumnCount, "0");
    SetCellColour(index, kColumnStatus, kColourBlack, kColourRed, true);
  }
  context_.view.RedrawListRows(index, index);
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
