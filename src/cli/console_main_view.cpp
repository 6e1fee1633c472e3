#include "cli/console_main_view.h"

#include <string>

#include "check/monitor.h"
#include "text/gbk_text.h"

namespace vorlane::cli {

ConsoleMainView::ConsoleMainView(port::Scheduler& scheduler, OutputStream& out, OutputStream& err,
                                 int intervalMinutes, bool onlyUnindexed)
    : out_(out),
      err_(err),
      onlyUnindexed_(onlyUnindexed),
      link_(port::WorkerLink<ConsoleMainView>::Make(*this, scheduler)) {
  texts_[check::Control::编辑框_检索间隔] = std::to_string(intervalMinutes);
}

ConsoleMainView::~ConsoleMainView() {
  link_->Cut();
}

Text ConsoleMainView::GetText(check::Control control) {
  return texts_[control];
}

void ConsoleMainView::SetText(check::Control control, const Text& text) {
  texts_[control] = text;
}

void ConsoleMainView::AppendText(check::Control control, const Text& text) {
  texts_[control] += text;
}

bool ConsoleMainView::IsChecked(check::Control control) {
  switch (control) {
    case check::Control::单选框_查询全部:
      return !onlyUnindexed_;
    case check::Control::单选框_只查未收录:
      return onlyUnindexed_;
    default:
      return false;
  }
}

void ConsoleMainView::ShowMessage(const Text& text, const Text& /*caption*/, unsigned /*style*/) {
  err_.Write(ReplaceAll(text, "\r\n", " ") + Text(kNewline));
}

void ConsoleMainView::SetStatusText(int section, const Text& text) {
  // The pass sets its text again at every row; a line each time would bury the rest.
  if (section != check::kMonitorStatusSection || text == status_) return;
  status_ = text;
  out_.Write(text + Text(kNewline));
}

Text ConsoleMainView::GetStatusText(int section) {
  return section == check::kMonitorStatusSection ? status_ : Text();
}

void ConsoleMainView::SetTimerPeriod(check::Timer /*timer*/, unsigned milliseconds) {
  // As with a window's timer, setting it again starts its period afresh.
  const std::uint64_t generation = ++timerGeneration_;
  if (milliseconds > 0) Arm(generation, milliseconds);
}

void ConsoleMainView::Arm(std::uint64_t generation, unsigned milliseconds) {
  link_->RunLater(std::chrono::milliseconds(milliseconds), [generation, milliseconds](ConsoleMainView& self) {
    if (generation != self.timerGeneration_) return;
    self.Arm(generation, milliseconds);
    if (self.onTick) self.onTick();
  });
}

}  // namespace vorlane::cli
