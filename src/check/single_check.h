// The single check of one typed title and the precise check in the browser.
#pragma once

#include <cstdint>
#include <memory>

#include "check/check_context.h"
#include "port/system_port.h"
#include "port/worker_link.h"

namespace vorlane::check {

// Shows `text` in the hint label and puts its caption "单个查询:" back ten seconds
// later; the caller does not wait.
void ShowTimedTip(CheckContext& context, const Text& text);

// The notice box of the checks: caption "提示", exclamation icon, OK, task-modal.
void ShowNotice(MainView& view, const Text& text);

// Opens an address the user asked for in the browser. One that is not a web
// address is refused (port::SystemPort::OpenAddress), and the user told so.
void OpenChosenAddress(port::SystemPort& system, MainView& view, const Text& address);

// A verdict of the single check as it is shown: the title checked and what the check
// came to (a check without an answer by its deadline as a time-out).
using SingleVerdictListener = std::function<void(const Text& title, const PageVerdict& verdict)>;

class SingleCheck {
 public:
  explicit SingleCheck(CheckContext& context);
  ~SingleCheck();
  SingleCheck(const SingleCheck&) = delete;
  SingleCheck& operator=(const SingleCheck&) = delete;

  // 按钮_查询: empties the report and checks the title on a worker thread. Only the
  // latest click's check writes to the report: a slower earlier one is dropped, and
  // a check still without an answer at its deadline is reported failed.
  void OnQueryClicked();
  // 按钮_精准查询: opens the title's search page in the browser.
  void OnPreciseClicked();
  // The list menu's "精准核对", with the title stored at the right click.
  void OnContextPreciseChosen(const Text& contextTitle);

  void OpenPreciseCheck(const Text& title);

  // Told every verdict the report shows, once, on the window's thread.
  void SetVerdictListener(SingleVerdictListener listener) { verdictListener_ = std::move(listener); }

 private:
  // Appends `line` when check `ticket` is still the one the report belongs to and
  // has not given its verdict; a line with a verdict ends the check.
  void Report(std::uint64_t ticket, const Text& line, const PageVerdict* verdict);

  CheckContext& context_;
  std::shared_ptr<port::WorkerLink<SingleCheck>> link_;  // the workers' way back
  std::uint64_t latest_ = 0;                             // the ticket of the latest click's check
  bool answered_ = true;                                 // that check has written its verdict
  Text title_;                                           // the title that check checks
  SingleVerdictListener verdictListener_;
};

// The single check's worker: builds the search address of the title, visits it and
// hands its report lines to `report` in order: the querying line without a verdict,
// then the verdict's line with it.
void CheckSingleTitle(const PageFetcher& fetch, const Text& host, const Text& title,
                      const std::function<void(const Text& line, const PageVerdict* verdict)>& report);

// The report line of one verdict, as the single check appends it.
Text SingleCheckReport(const PageVerdict& verdict);

}  // namespace vorlane::check
