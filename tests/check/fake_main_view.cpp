#include "fake_main_view.h"

namespace vorlane::check::test {

Text FakeMainView::GetText(Control control) {
  return texts[control];
}

void FakeMainView::SetText(Control control, const Text& text) {
  texts[control] = text;
  if (onTextChanged) onTextChanged(control);
}

void FakeMainView::AppendText(Control control, const Text& text) {
  texts[control] += text;
}

void FakeMainView::ShowMessage(const Text& text, const Text& caption, unsigned style) {
  messages.push_back(Message{text, caption, style});
}

void FakeMainView::SetStatusText(int section, const Text& text) {
  status[section] = text;
  if (section == 1) statusHistory.push_back(text);
}

void FakeMainView::RedrawListRows(int first, int last) {
  redrawn.emplace_back(first, last);
}

std::optional<Text> FakeMainView::ChooseFileToOpen() {
  if (fileChoices.empty()) return std::nullopt;
  std::optional<Text> choice = fileChoices.front();
  fileChoices.pop_front();
  return choice;
}

void FakeMainView::PostToUi(std::function<void()> task) {
  posted_.Post(std::move(task));
}

void FakeMainView::StartWorker(std::function<void()> task) {
  switch (workers) {
    case Workers::kInline:
      task();
      break;
    case Workers::kDeferred:
      deferred_.push_back(std::move(task));
      break;
    case Workers::kThreads: {
      std::lock_guard lock(mutex_);
      ++running_;
      threads_.emplace_back([this, task = std::move(task)] {
        task();
        --running_;
      });
      break;
    }
  }
}

void FakeMainView::RunLater(std::int64_t microseconds, std::function<void()> task) {
  scheduled_.emplace(clock_ + microseconds, std::move(task));
}

void FakeMainView::At(std::int64_t atMicros, std::function<void()> action) {
  scheduled_.emplace(atMicros, std::move(action));
}

void FakeMainView::DrainPosted() {
  posted_.Drain();
}

void FakeMainView::RunDue(std::int64_t until) {
  DrainPosted();
  while (!scheduled_.empty() && scheduled_.begin()->first <= until) {
    auto it = scheduled_.begin();
    clock_ = std::max(clock_, it->first);
    std::function<void()> action = std::move(it->second);
    scheduled_.erase(it);
    action();
    DrainPosted();
  }
  clock_ = std::max(clock_, until);
}

void FakeMainView::DelayWithEvents(std::int64_t microseconds) {
  delays.push_back(microseconds);
  RunDue(clock_ + microseconds);
}

void FakeMainView::ProcessPendingMessages() {
  RunDue(clock_);
}

void FakeMainView::AdvanceTime(std::int64_t microseconds) {
  RunDue(clock_ + microseconds);
}

void FakeMainView::RunDeferredWorkers() {
  std::vector<std::function<void()>> ready;
  ready.swap(deferred_);
  for (auto& task : ready) task();
}

void FakeMainView::JoinWorkers() {
  for (;;) {
    std::vector<std::thread> threads;
    {
      std::lock_guard lock(mutex_);
      threads.swap(threads_);
    }
    if (threads.empty()) break;
    for (std::thread& t : threads) t.join();
  }
  DrainPosted();
}

}  // namespace vorlane::check::test
