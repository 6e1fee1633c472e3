// The console scheduler on real threads and the real clock, over a few
// milliseconds: what workers post and what falls due runs on the waiting thread,
// in order, once.
#include "cli/console_scheduler.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace vorlane::cli {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

TEST(ConsoleScheduler, WorkersPostsAndDueTasksRunOnTheWaitingThreadInOrder) {
  ConsoleScheduler scheduler;
  const std::thread::id main = std::this_thread::get_id();
  std::vector<std::string> ran;
  bool elsewhere = false;
  auto note = [&](std::string what) {
    elsewhere |= std::this_thread::get_id() != main;
    ran.push_back(std::move(what));
  };
  scheduler.RunLater(20ms, [&] { note("later 20ms"); });
  scheduler.RunLater(5ms, [&] { note("later 5ms"); });
  scheduler.StartWorker([&scheduler, &note] {
    for (int i = 0; i < 3; ++i) scheduler.PostToUi([&note, i] { note("posted " + std::to_string(i)); });
  });
  EXPECT_TRUE(ran.empty());  // nothing runs but while the main thread waits
  const auto begin = Clock::now();
  scheduler.DelayWithEvents(40ms);
  EXPECT_GE(Clock::now() - begin, std::chrono::milliseconds(40));
  EXPECT_FALSE(elsewhere);
  // The posts come in order; the worker may post before or after the first is due.
  std::vector<std::string> posted, later;
  for (const std::string& r : ran) (r.starts_with("posted") ? posted : later).push_back(r);
  EXPECT_EQ(posted, (std::vector<std::string>{"posted 0", "posted 1", "posted 2"}));
  EXPECT_EQ(later, (std::vector<std::string>{"later 5ms", "later 20ms"}));
  EXPECT_EQ(scheduler.runningWorkers(), 0);
}

TEST(ConsoleScheduler, TaskThatWaitsLetsTheOthersRunOnceEach) {
  ConsoleScheduler scheduler;
  std::vector<int> ran;
  scheduler.PostToUi([&] {
    ran.push_back(1);
    scheduler.DelayWithEvents(10ms);  // as the monitor's pass waits between rows
    ran.push_back(4);
  });
  scheduler.PostToUi([&] { ran.push_back(2); });
  scheduler.RunLater(1ms, [&] { ran.push_back(3); });
  scheduler.DelayWithEvents(20ms);
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));
}

TEST(ConsoleScheduler, ClosedSchedulerDropsWhatWaitsAndRefusesNewWork) {
  ConsoleScheduler scheduler;
  int ran = 0;
  scheduler.PostToUi([&] { ++ran; });
  scheduler.RunLater(0ms, [&] { ++ran; });
  scheduler.Close();
  scheduler.PostToUi([&] { ++ran; });
  scheduler.RunLater(0ms, [&] { ++ran; });
  scheduler.ProcessPendingMessages();
  EXPECT_EQ(ran, 0);
}

}  // namespace
}  // namespace vorlane::cli
