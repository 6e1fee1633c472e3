// The single check of one typed title and the precise check in the browser.
#pragma once

#include "check/check_context.h"

namespace vorlane::check {

// Shows `text` in the hint label and puts its caption "单个查询:" back ten seconds
// later; the caller does not wait.
void ShowTimedTip(MainView& view, const Text& text);

// The notice box of the checks: caption "提示", exclamation icon, OK, task-modal.
void ShowNotice(MainView& view, const Text& text);

class SingleCheck {
 public:
  explicit SingleCheck(CheckContext& context) : context_(context) {}

  // 按钮_查询: empties the report and checks the title on a worker thread.
  void OnQueryClicked();
  // 按钮_精准查询: opens the title's search page in the browser.
  void OnPreciseClicked();
  // The list menu's "精准核对", with the title stored at the right click.
  void OnContextPreciseChosen(const Text& contextTitle);

  void OpenPreciseCheck(const Text& title);

 private:
  CheckContext& context_;
};

// The single check's worker: visits the search address of the title and hands its
// report lines to the window's thread, in order.
void CheckSingleTitle(MainView& view, const PageFetcher& fetch, const Text& url);

// The report line of one verdict, as the single check appends it.
Text SingleCheckReport(const PageVerdict& verdict);

}  // namespace vorlane::check
