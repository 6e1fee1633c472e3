#include "check/background_saver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace vorlane::check {
namespace {

using namespace std::chrono_literals;

// A disk that takes its time, and remembers what reached it.
class SlowDisk {
 public:
  explicit SlowDisk(std::chrono::milliseconds perWrite) : perWrite_(perWrite) {}

  bool Write(int snapshot) {
    std::this_thread::sleep_for(perWrite_);
    const std::lock_guard lock(mutex_);
    written_.push_back(snapshot);
    return true;
  }
  std::vector<int> written() const {
    const std::lock_guard lock(mutex_);
    return written_;
  }

 private:
  std::chrono::milliseconds perWrite_;
  mutable std::mutex mutex_;
  std::vector<int> written_;
};

// A write that waits until the test lets it go on.
class Gate {
 public:
  void Open() { opened_.set_value(); }
  void Pass() { shared_.wait(); }

 private:
  std::promise<void> opened_;
  std::shared_future<void> shared_ = opened_.get_future().share();
};

TEST(BackgroundSaverTest, ABurstIsWrittenOnlyAFewTimesEndingWithTheLast) {
  SlowDisk disk(5ms);
  BackgroundSaver<int> saver([&](const int& s) { return disk.Write(s); }, [] {});
  for (int i = 1; i <= 1000; ++i) saver.Submit(i);
  saver.Flush();
  const std::vector<int> written = disk.written();
  ASSERT_FALSE(written.empty());
  EXPECT_LT(written.size(), 50u) << "one write per submit";
  EXPECT_EQ(written.back(), 1000);
  for (size_t i = 1; i < written.size(); ++i)
    EXPECT_LT(written[i - 1], written[i]) << "never an older one later";
}

TEST(BackgroundSaverTest, SubmitDoesNotWaitForTheDiskAndFlushDoes) {
  Gate gate;
  std::atomic<int> last{0};
  BackgroundSaver<int> saver(
      [&](const int& s) {
        gate.Pass();
        last = s;
        return true;
      },
      [] {});
  saver.Submit(1);  // the worker takes it and waits at the gate
  auto submitted = std::async(std::launch::async, [&] {
    saver.Submit(2);
    saver.Submit(3);
  });
  ASSERT_EQ(submitted.wait_for(10s), std::future_status::ready) << "Submit waited for a write";

  auto flushed = std::async(std::launch::async, [&] { saver.Flush(); });
  EXPECT_EQ(flushed.wait_for(100ms), std::future_status::timeout) << "Flush returned before the write";
  gate.Open();
  ASSERT_EQ(flushed.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(last.load(), 3) << "Flush returned before the last snapshot was written";
}

TEST(BackgroundSaverTest, TheFirstFailureIsToldOnceAndEndsTheSaving) {
  std::atomic<int> writes{0};
  std::atomic<int> failures{0};
  BackgroundSaver<int> saver(
      [&](const int&) {
        ++writes;
        return false;
      },
      [&] { ++failures; });
  saver.Submit(1);
  saver.Flush();
  EXPECT_EQ(failures.load(), 1);
  for (int i = 2; i <= 5; ++i) {
    saver.Submit(i);
    saver.Flush();  // returns although nothing more is written
  }
  EXPECT_EQ(writes.load(), 1) << "writing went on into a place that failed";
  EXPECT_EQ(failures.load(), 1) << "the user is told once";
}

TEST(BackgroundSaverTest, DestructionWritesWhatIsStillPending) {
  Gate gate;
  std::vector<int> written;  // read after the saver's worker has ended
  {
    BackgroundSaver<int> saver(
        [&](const int& s) {
          gate.Pass();
          written.push_back(s);
          return true;
        },
        [] {});
    saver.Submit(1);
    saver.Submit(2);
    saver.Submit(3);
    gate.Open();
  }
  ASSERT_FALSE(written.empty());
  EXPECT_EQ(written.back(), 3);
}

}  // namespace
}  // namespace vorlane::check
