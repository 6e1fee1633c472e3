#include "check/single_check.h"

#include <string>

#include "check/check_texts.h"
#include "text/gbk_text.h"

namespace vorlane::check {

namespace {
constexpr std::int64_t kTipSeconds = 10;
}

void ShowTimedTip(MainView& view, const Text& text) {
  view.SetText(Control::标签_提示, text);
  view.RunLater(kTipSeconds * 1000000, [&view] { view.SetText(Control::标签_提示, texts::kTipCaption); });
}

void ShowNotice(MainView& view, const Text& text) {
  view.ShowMessage(text, texts::kNotice, kMbOk | kMbIconExclamation | kMbTaskModal);
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
  view.StartWorker(
      [this, &view, ticket, fetch = context_.fetch, host = context_.siteHost, title = std::move(title)] {
        CheckSingleTitle(fetch, host, title, [this, &view, ticket](const Text& line, bool verdict) {
          view.PostToUi([this, ticket, line, verdict] { Report(ticket, line, verdict); });
        });
      });
  view.RunLater(context_.deadlineMicros, [this, ticket] {
    Report(ticket, SingleCheckReport(PageVerdict::Failed(CheckFailure::kTimedOut)), true);
  });
}

void SingleCheck::Report(std::uint64_t ticket, const Text& line, bool verdict) {
  if (ticket != latest_ || answered_) return;
  answered_ = verdict;
  context_.view.AppendText(Control::编辑框_显示, line);
}

void CheckSingleTitle(const PageFetcher& fetch, const Text& host, const Text& title,
                      const std::function<void(const Text& line, bool verdict)>& report) {
  report(texts::kQuerying, false);
  report(SingleCheckReport(CheckTitleAt(fetch, BuildSearchUrl(host, title))), true);
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
    ShowTimedTip(context_.view, texts::kNoTitlesImported);
    return;
  }
  OpenPreciseCheck(title);
}

void SingleCheck::OpenPreciseCheck(const Text& title) {
  context_.view.OpenAddress(BuildSearchUrl(context_.siteHost, title));
}

}  // namespace vorlane::check
