#include "check/append_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <vector>

namespace vorlane::check {
namespace {

using namespace std::chrono_literals;

// A file that takes items while it is open, and remembers what reached it.
class File {
 public:
  std::size_t Append(std::span<const int> items) {
    const std::lock_guard lock(mutex_);
    ++tries_;
    std::size_t n = 0;
    for (int item : items) {
      if (!open_ || (failAt_ >= 0 && item == failAt_)) break;
      written_.push_back(item);
      ++n;
    }
    return n;
  }
  void SetOpen(bool open) {
    const std::lock_guard lock(mutex_);
    open_ = open;
  }
  void FailAt(int item) {
    const std::lock_guard lock(mutex_);
    failAt_ = item;
  }
  std::vector<int> written() const {
    const std::lock_guard lock(mutex_);
    return written_;
  }
  int tries() const {
    const std::lock_guard lock(mutex_);
    return tries_;
  }

 private:
  mutable std::mutex mutex_;
  bool open_ = true;
  int failAt_ = -1;
  int tries_ = 0;
  std::vector<int> written_;
};

TEST(AppendQueueTest, EveryItemIsAppendedOnceInTheOrderGiven) {
  File file;
  std::atomic<int> failures{0};
  {
    AppendQueue<int> queue([&](std::span<const int> items) { return file.Append(items); },
                           [&] { ++failures; }, 1000);
    for (int i = 0; i < 500; ++i) queue.Submit(i);
    queue.Flush();
    EXPECT_EQ(file.written().size(), 500u);
    for (int i = 500; i < 600; ++i) queue.Submit(i);
  }  // what is still queued goes out before the worker ends
  std::vector<int> expected(600);
  for (int i = 0; i < 600; ++i) expected[static_cast<size_t>(i)] = i;
  EXPECT_EQ(file.written(), expected);
  EXPECT_EQ(failures, 0);
}

// A file that cannot be written keeps its items queued: the next item tries them
// again, oldest first, and none is lost or doubled once the file can be written.
TEST(AppendQueueTest, WhatCouldNotBeAppendedIsTriedAgainWithTheNextItem) {
  File file;
  std::atomic<int> failures{0};
  AppendQueue<int> queue([&](std::span<const int> items) { return file.Append(items); }, [&] { ++failures; },
                         1000);
  queue.Submit(1);
  queue.Flush();
  file.SetOpen(false);
  queue.Submit(2);
  queue.Flush();
  queue.Submit(3);
  queue.Flush();
  EXPECT_EQ(file.written(), (std::vector<int>{1}));
  EXPECT_EQ(failures, 2);
  const int tries = file.tries();
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(file.tries(), tries);  // no item came: no try, no busy loop
  queue.Flush(true);               // but asked to, it tries again
  EXPECT_EQ(file.tries(), tries + 1);
  EXPECT_EQ(failures, 3);
  file.SetOpen(true);
  queue.Submit(4);
  queue.Flush();
  EXPECT_EQ(file.written(), (std::vector<int>{1, 2, 3, 4}));
  queue.Flush(true);  // nothing queued: no try
  EXPECT_EQ(file.tries(), tries + 2);

  // A write that fails part way keeps the rest, in order.
  file.FailAt(6);
  for (int i = 5; i <= 7; ++i) queue.Submit(i);
  queue.Flush();
  file.FailAt(-1);
  queue.Submit(8);
  queue.Flush();
  EXPECT_EQ(file.written(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(AppendQueueTest, AtMostTheLimitWaitsAndTheRestIsDropped) {
  File file;
  file.SetOpen(false);
  AppendQueue<int> queue([&](std::span<const int> items) { return file.Append(items); }, nullptr, 3);
  for (int i = 1; i <= 10; ++i) queue.Submit(i);
  queue.Flush();
  file.SetOpen(true);
  queue.Submit(11);
  queue.Flush();
  const std::vector<int> written = file.written();
  ASSERT_FALSE(written.empty());
  EXPECT_LE(written.size(), 4u);
  EXPECT_EQ(written.front(), 1);  // the oldest are kept
}

// Submitting never waits for a write under way: the items go in while the first
// write is held (a Submit that waited would never return).
TEST(AppendQueueTest, SubmitDoesNotWaitForTheDisk) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> appended{0};
  AppendQueue<int> queue(
      [&](std::span<const int> items) {
        released.wait();
        appended += static_cast<int>(items.size());
        return items.size();
      },
      nullptr, 1000);
  queue.Submit(1);
  for (int i = 2; i <= 100; ++i) queue.Submit(i);
  EXPECT_EQ(appended, 0);
  release.set_value();
  queue.Flush();
  EXPECT_EQ(appended, 100);
}

}  // namespace
}  // namespace vorlane::check
