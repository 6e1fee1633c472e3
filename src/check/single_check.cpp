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
  if (verdict.failed) return texts::kCheckFailedReport;
  if (!verdict.indexed) return texts::kNotIndexedReport;
  const int count = CountOf(verdict);
  Text report = texts::kIndexedReport + std::to_string(count);
  if (count > 1) report += texts::kSuggestPrecise;
  return report;
}

void SingleCheck::OnQueryClicked() {
  MainView& view = context_.view;
  view.SetText(Control::编辑框_显示, {});
  // The title is read here, on the window's thread; the worker only fetches and
  // hands its lines back in order.
  Text title = TrimBoth(view.GetText(Control::编辑框_标题));
  if (title.empty()) {
    ShowNotice(view, texts::kTitleEmpty);
    return;
  }
  view.StartWorker([&view, fetch = context_.fetch, url = BuildSearchUrl(context_.siteHost, title)] {
    CheckSingleTitle(view, fetch, url);
  });
}

void CheckSingleTitle(MainView& view, const PageFetcher& fetch, const Text& url) {
  view.PostToUi([&view] { view.AppendText(Control::编辑框_显示, texts::kQuerying); });
  Text report = SingleCheckReport(CheckTitleAt(fetch, url));
  view.PostToUi([&view, report = std::move(report)] { view.AppendText(Control::编辑框_显示, report); });
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
