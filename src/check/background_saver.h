// Saving off the window's thread: the window hands over a snapshot of what is to
// be saved and goes on at once; one worker thread writes the newest snapshot. A
// burst of changes while a write is under way is written once, after it: each
// snapshot not yet taken by the worker is replaced by the next.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace vorlane::check {

template <typename Snapshot>
class BackgroundSaver {
 public:
  // `write` runs on the worker thread and says whether the snapshot reached its
  // file. The first write that fails calls `onFailure` (on the worker thread, once
  // in the saver's life) and ends the saving: later snapshots are dropped, since
  // the place they would go cannot be written.
  BackgroundSaver(std::function<bool(const Snapshot&)> write, std::function<void()> onFailure)
      : write_(std::move(write)), onFailure_(std::move(onFailure)), worker_([this] { Run(); }) {}

  // Writes what is still pending, then ends the worker.
  ~BackgroundSaver() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_one();
    worker_.join();
  }

  BackgroundSaver(const BackgroundSaver&) = delete;
  BackgroundSaver& operator=(const BackgroundSaver&) = delete;

  // Never waits for a write: only for the moment the lock is held.
  void Submit(Snapshot snapshot) {
    std::optional<Snapshot> replaced;  // freed after the lock is let go
    {
      const std::lock_guard lock(mutex_);
      if (failed_) return;
      replaced = std::exchange(pending_, std::move(snapshot));
      ++submitted_;
    }
    wake_.notify_one();
  }

  // Returns once the last snapshot submitted is written, or saving has ended on a
  // failure. Not to be called from `write` or `onFailure`.
  void Flush() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return finished_ == submitted_ || failed_; });
  }

  // The same, waiting `bound` at most: true when it came to that end in time.
  bool FlushFor(std::chrono::milliseconds bound) {
    std::unique_lock lock(mutex_);
    return done_.wait_for(lock, bound, [this] { return finished_ == submitted_ || failed_; });
  }

 private:
  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return pending_.has_value() || stopping_; });
      if (!pending_) return;  // stopping, and everything is written
      Snapshot snapshot = std::move(*pending_);
      pending_.reset();
      const std::uint64_t taken = submitted_;
      lock.unlock();
      const bool written = write_(snapshot);
      if (!written && onFailure_) onFailure_();
      std::optional<Snapshot> dropped;
      lock.lock();
      finished_ = taken;
      if (!written) {
        failed_ = true;
        dropped = std::exchange(pending_, std::nullopt);
      }
      done_.notify_all();
      if (dropped) {
        lock.unlock();
        dropped.reset();
        lock.lock();
      }
    }
  }

  const std::function<bool(const Snapshot&)> write_;
  const std::function<void()> onFailure_;
  std::mutex mutex_;
  std::condition_variable wake_;  // the worker: a snapshot is pending, or stop
  std::condition_variable done_;  // Flush: a write has finished
  std::optional<Snapshot> pending_;
  std::uint64_t submitted_ = 0;  // snapshots handed over so far
  std::uint64_t finished_ = 0;   // the count submitted when the last written one was taken
  bool failed_ = false;
  bool stopping_ = false;
  std::thread worker_;  // last: starts once everything above is ready
};

}  // namespace vorlane::check
