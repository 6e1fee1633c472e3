#include "cli/check_runner.h"

#include <algorithm>

namespace vorlane::cli {
namespace {

// How long the runner waits at a time for the next answer or start. Answers and
// the pace's end are handled as they fall due within the wait; this only bounds how
// late the runner notices that the last title is done.
constexpr std::chrono::milliseconds kWait{50};

// A deadline is waited for a second at a time, not in one timer: the timer of a
// check that has answered lingers a second at most, so a run of 100,000 quick
// checks does not hold a minute's worth of them.
constexpr std::chrono::microseconds kDeadlineStep = std::chrono::seconds(1);

}  // namespace

CheckRunner::CheckRunner(port::Scheduler& scheduler, CheckPlan plan, OnVerdict onVerdict)
    : scheduler_(scheduler),
      plan_(std::move(plan)),
      onVerdict_(std::move(onVerdict)),
      titles_(plan_.titles.size()),
      link_(port::WorkerLink<CheckRunner>::Make(*this, scheduler)) {
  for (size_t i = 0; i < plan_.titles.size(); ++i) queue_.push_back(i);
}

CheckRunner::~CheckRunner() {
  link_->Cut();
}

void CheckRunner::Run() {
  StartReady();
  while (finished_ < titles_.size()) scheduler_.DelayWithEvents(kWait);
}

void CheckRunner::StartReady() {
  while (!queue_.empty() && waiting_ < plan_.jobs && !paced_) {
    const size_t index = queue_.front();
    queue_.pop_front();
    Start(index);
    if (plan_.pace > std::chrono::microseconds::zero()) {
      paced_ = true;
      link_->RunLater(plan_.pace, [](CheckRunner& self) {
        self.paced_ = false;
        self.StartReady();
      });
    }
  }
}

void CheckRunner::Start(size_t index) {
  Title& title = titles_[index];
  const std::uint32_t serial = ++lastSerial_;
  title.serial = serial;
  title.waiting = true;
  ++title.attempts;
  ++waiting_;
  scheduler_.StartWorker([link = link_, index, serial, fetch = plan_.fetch,
                          url = check::BuildSearchUrl(plan_.host, plan_.titles[index])] {
    check::PageVerdict verdict = check::CheckTitleAt(fetch, url);
    link->Post([index, serial, verdict = std::move(verdict)](CheckRunner& self) {
      self.OnAnswer(index, serial, verdict);
    });
  });
  ArmDeadline(index, serial, plan_.deadline);
}

void CheckRunner::ArmDeadline(size_t index, std::uint32_t serial, std::chrono::microseconds remaining) {
  const std::chrono::microseconds step = std::min(remaining, kDeadlineStep);
  link_->RunLater(step, [index, serial, rest = remaining - step](CheckRunner& self) {
    const Title& title = self.titles_[index];
    if (title.serial != serial || !title.waiting) return;
    if (rest > std::chrono::microseconds::zero()) {
      self.ArmDeadline(index, serial, rest);
      return;
    }
    self.OnAnswer(index, serial, check::PageVerdict::Failed(check::CheckFailure::kTimedOut));
  });
}

void CheckRunner::OnAnswer(size_t index, std::uint32_t serial, const check::PageVerdict& verdict) {
  Title& title = titles_[index];
  // An answer after the deadline, or a deadline after the answer: the first counts.
  if (title.serial != serial || !title.waiting) return;
  title.waiting = false;
  --waiting_;
  const bool again = verdict.failed() && title.attempts <= plan_.retries;
  if (again) {
    queue_.push_front(index);
  } else {
    ++finished_;
  }
  onVerdict_(index, plan_.titles[index], verdict, !again);
  StartReady();
}

}  // namespace vorlane::cli
