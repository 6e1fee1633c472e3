// The check command's walk over its titles: each title fetched and judged on a
// worker exactly as a list row is (BuildSearchUrl, CheckTitleAt), the starts paced
// on the scheduler's clock, at most `jobs` checks waiting for the site at a time, a
// failed check tried again up to `retries` times, and a check without an answer by
// the deadline given up as failed, its late answer dropped.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "check/search_query.h"
#include "port/scheduler.h"
#include "port/worker_link.h"

namespace vorlane::cli {

struct CheckPlan {
  std::vector<Text> titles;  // GBK
  Text host;                 // host[:port] of the site's search
  check::PageFetcher fetch;
  std::chrono::microseconds pace = std::chrono::seconds(1);  // between one start and the next
  int jobs = 1;
  int retries = 0;
  std::chrono::microseconds deadline = std::chrono::seconds(60);
};

class CheckRunner {
 public:
  // Every check's verdict as it comes in, retries included, with its title; `final`
  // when the title is done with. Called on the scheduler's main thread.
  using OnVerdict =
      std::function<void(size_t index, const Text& title, const check::PageVerdict& verdict, bool final)>;

  CheckRunner(port::Scheduler& scheduler, CheckPlan plan, OnVerdict onVerdict);
  ~CheckRunner();
  CheckRunner(const CheckRunner&) = delete;
  CheckRunner& operator=(const CheckRunner&) = delete;

  // Returns once every title has its final verdict.
  void Run();
  const std::vector<Text>& titles() const { return plan_.titles; }

 private:
  struct Title {
    std::uint32_t serial = 0;  // of the latest check started
    int attempts = 0;
    bool waiting = false;  // the latest check has not answered yet
  };

  void StartReady();
  void Start(size_t index);
  // Gives the check up as timed out once `remaining` has passed without its
  // answer.
  void ArmDeadline(size_t index, std::uint32_t serial, std::chrono::microseconds remaining);
  void OnAnswer(size_t index, std::uint32_t serial, const check::PageVerdict& verdict);

  port::Scheduler& scheduler_;
  CheckPlan plan_;
  OnVerdict onVerdict_;
  std::vector<Title> titles_;
  std::deque<size_t> queue_;  // titles to start, the next first
  int waiting_ = 0;
  bool paced_ = false;  // the pace since the latest start has not passed yet
  size_t finished_ = 0;
  std::uint32_t lastSerial_ = 0;
  std::shared_ptr<port::WorkerLink<CheckRunner>> link_;
};

}  // namespace vorlane::cli
