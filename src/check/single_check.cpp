#include "check/single_check.h"

#include <optional>
#include <string>

#include "check/check_texts.h"
#include "text/gbk_text.h"

namespace vorlane::check {

namespace {
constexpr std::chrono::seconds kTipShown{10};
}

void ShowTimedTip(CheckContext& context, const Text& text) {
  MainView& view = context.view;
  view.SetText(Control::标签_提示, text);
  // The window and its scheduler go together: a tip still due when the window goes
  // is dropped with the scheduler.
  context.scheduler.RunLater(kTipShown, [&view] { view.SetText(Control::标签_提示, texts::kTipCaption); });
}

SingleCheck::SingleCheck(CheckContext& context)
    : context_(context), link_(port::WorkerLink<SingleCheck>::Make(*this, context.scheduler)) {}

SingleCheck::~SingleCheck() {
  link_->Cut();
}

void ShowNotice(MainView& view, const Text& text) {
  view.ShowMessage(text, texts::kNotice, kMbOk | kMbIconExclamation | kMbTaskModal);
}

void OpenChosenAddress(port::SystemPort& system, MainView& view, const Text& address) {
  if (!system.OpenAddress(address)) ShowNotice(view, texts::kNotWebAddress + address);
}

Text SingleCheckReport(const PageVerdict& verdict) {
  if (verdict.failed()) return FailureText(verdict) + "\r\n";
  if (!verdict.indexed) return texts::kNotIndexedReport;
  const int count = CountOf(verdict);
  Text report = texts::kIndexedReport + std::to_string(count);
  if (count > 1) report += texts::kSuggestPrecise;
  return report;
}

void SingleCheck::OnQueryClicked() {
  MainView& view = context_.view;
  view.SetText(Control::编辑框_显示, {});
  // Whatever an earlier click's check still has to say now belongs to no title.
  const std::uint64_t ticket = ++latest_;
  answered_ = true;
  // The title is read here, on the window's thread; the worker only fetches and
  // hands its lines back in order.
  Text title = TrimBoth(view.GetText(Control::编辑框_标题));
  if (title.empty()) {
    ShowNotice(view, texts::kTitleEmpty);
    return;
  }
  answered_ = false;
  title_ = title;
  context_.scheduler.StartWorker(
      [link = link_, ticket, fetch = context_.fetch, host = context_.siteHost, title = std::move(title)] {
        CheckSingleTitle(fetch, host, title, [&link, ticket](const Text& line, const PageVerdict* verdict) {
          std::optional<PageVerdict> given;
          if (verdict != nullptr) given = *verdict;
          link->Post([ticket, line, given = std::move(given)](SingleCheck& self) {
            self.Report(ticket, line, given ? &*given : nullptr);
          });
        });
      });
  link_->RunLater(context_.deadline, [ticket](SingleCheck& self) {
    const PageVerdict timedOut = PageVerdict::Failed(CheckFailure::kTimedOut);
    self.Report(ticket, SingleCheckReport(timedOut), &timedOut);
  });
}

void SingleCheck::Report(std::uint64_t ticket, const Text& line, const PageVerdict* verdict) {
  if (ticket != latest_ || answered_) return;
  answered_ = verdict != nullptr;
  context_.view.AppendText(Control::编辑框_显示, line);
  if (verdict != nullptr && verdictListener_) verdictListener_(title_, *verdict);
}

void CheckSingleTitle(const PageFetcher& fetch, const Text& host, const Text& title,
                      const std::function<void(const Text& line, const PageVerdict* verdict)>& report) {
  report(texts::kQuerying, nullptr);
  const PageVerdict verdict = CheckTitleAt(fetch, BuildSearchUrl(host, title));
  report(SingleCheckReport(verdict), &verdict);
}

void SingleCheck::OnPreciseClicked() {
  Text title = TrimBoth(context_.view.GetText(Control::编辑框_标题));
  if (title.empty()) {
    ShowNotice(context_.view, texts::kTitleEmpty);
    return;
  }
  OpenPreciseCheck(title);
}

void SingleCheck::OnContextPreciseChosen(const Text& contextTitle) {
  Text title = TrimBoth(contextTitle);
  if (title.empty()) {
    ShowTimedTip(context_, texts::kNoTitlesImported);
    return;
  }
  OpenPreciseCheck(title);
}

void SingleCheck::OpenPreciseCheck(const Text& title) {
  OpenChosenAddress(context_.system, context_.view, BuildSearchUrl(context_.siteHost, title));
}

}  // namespace vorlane::check
