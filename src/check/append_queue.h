// Appending off the window's thread: the window hands over one item at a time and
// goes on at once; one worker thread appends every item, in the order given. Unlike
// a snapshot (background_saver.h), no item stands for another, and a file that
// cannot be written now may be writable later (a spreadsheet holding it is closed):
// items that could not be appended stay queued and are tried again, oldest first,
// when the next item comes.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <iterator>
#include <mutex>
#include <span>
#include <thread>
#include <utility>
#include <vector>

namespace vorlane::check {

template <typename Item>
class AppendQueue {
 public:
  // `append` runs on the worker thread with the queued items, oldest first, and says
  // how many of them, from the first, it appended. Fewer than all calls `onFailure`
  // (on the worker thread) and leaves the rest queued until the next Submit. At most
  // `maxQueued` items wait: what comes beyond them is dropped.
  AppendQueue(std::function<std::size_t(std::span<const Item>)> append, std::function<void()> onFailure,
              std::size_t maxQueued)
      : append_(std::move(append)),
        onFailure_(std::move(onFailure)),
        maxQueued_(maxQueued),
        worker_([this] { Run(); }) {}

  // Tries once more what is queued, then ends the worker.
  ~AppendQueue() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
      retry_ = true;
    }
    wake_.notify_one();
    worker_.join();
  }

  AppendQueue(const AppendQueue&) = delete;
  AppendQueue& operator=(const AppendQueue&) = delete;

  // Never waits for a write: only for the moment the lock is held. An item dropped
  // for want of room still has the queued ones tried again.
  void Submit(Item item) {
    {
      const std::lock_guard lock(mutex_);
      if (queued_.size() < maxQueued_) queued_.push_back(std::move(item));
      retry_ = true;
    }
    wake_.notify_one();
  }

  // Returns once every item submitted so far is appended, or the latest try to
  // append them failed. With `tryAgain`, what a failed try left is tried once more
  // first. Not to be called from `append` or `onFailure`.
  void Flush(bool tryAgain = false) {
    std::unique_lock lock(mutex_);
    if (tryAgain && !queued_.empty()) {
      retry_ = true;
      wake_.notify_one();
    }
    done_.wait(lock, [this] { return !busy_ && (queued_.empty() || !retry_); });
  }

 private:
  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return retry_ || stopping_; });
      if (queued_.empty() || !retry_) {
        if (stopping_) return;
        retry_ = false;
        continue;
      }
      // The items are taken out while they are written, so Submit never waits for
      // the disk; what was not written goes back in front of what came meanwhile.
      std::vector<Item> batch(std::make_move_iterator(queued_.begin()),
                              std::make_move_iterator(queued_.end()));
      queued_.clear();
      retry_ = false;
      busy_ = true;
      lock.unlock();
      const std::size_t written = std::min(append_(std::span<const Item>(batch)), batch.size());
      if (written < batch.size() && onFailure_) onFailure_();
      lock.lock();
      busy_ = false;
      queued_.insert(queued_.begin(),
                     std::make_move_iterator(batch.begin() + static_cast<std::ptrdiff_t>(written)),
                     std::make_move_iterator(batch.end()));
      while (queued_.size() > maxQueued_) queued_.pop_back();
      done_.notify_all();
    }
  }

  const std::function<std::size_t(std::span<const Item>)> append_;
  const std::function<void()> onFailure_;
  const std::size_t maxQueued_;
  std::mutex mutex_;
  std::condition_variable wake_;  // the worker: an item came, or stop
  std::condition_variable done_;  // Flush: a try has finished
  std::deque<Item> queued_;
  bool retry_ = false;  // an item came since the latest try
  bool busy_ = false;   // the worker is appending
  bool stopping_ = false;
  std::thread worker_;  // last: starts once everything above is ready
};

}  // namespace vorlane::check
