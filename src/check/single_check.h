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

 private:
  // Appends `line` when check `ticket` is still the one the report belongs to and
  // has not given its verdict; `verdict` marks the line that ends the check.
  void Report(std::uint64_t ticket, const Text& line, bool verdict);

  CheckContext& context_;
  std::shared_ptr<port::WorkerLink<SingleCheck>> link_;  // the workers' way back
  std::uint64_t latest_ = 0;                            // the ticket of the latest click's check
  bool answered_ = true;                                // that check has written its verdict
};

// The single check's worker: builds the search address of the title, visits it and
// hands its report lines to `report` (querying line, then the verdict), in order.
void CheckSingleTitle(const PageFetcher& fetch, const Text& host, const Text& title,
                      const std::function<void(const Text& line, bool verdict)>& report);

// The report line of one verdict, as the single check appends it.
Text SingleCheckReport(const PageVerdict& verdict);

}  // namespace vorlane::check
