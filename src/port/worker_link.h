// The way back from a worker to the object that started it. Work that outlives its
// owner must not touch it: the owner makes a link, workers and delayed tasks hold a
// copy, and the owner cuts it in its destructor. What is posted or due afterwards
// finds no owner and does nothing.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

#include "port/scheduler.h"

namespace vorlane::port {

template <typename Owner>
class WorkerLink : public std::enable_shared_from_this<WorkerLink<Owner>> {
 public:
  // The scheduler must outlive the owner.
  static std::shared_ptr<WorkerLink> Make(Owner& owner, Scheduler& scheduler) {
    return std::shared_ptr<WorkerLink>(new WorkerLink(owner, scheduler));
  }

  // Any thread: runs `step` with the owner on the window's thread, if the owner is
  // still there by then.
  void Post(std::function<void(Owner&)> step) {
    std::lock_guard lock(mutex_);
    // While the link holds, the owner and so its scheduler are alive.
    if (owner_ == nullptr) return;
    scheduler_->PostToUi(Bound(std::move(step)));
  }

  // Window's thread: runs `step` with the owner after `delay`, if the owner is still
  // there by then.
  void RunLater(std::chrono::microseconds delay, std::function<void(Owner&)> step) {
    std::lock_guard lock(mutex_);
    if (owner_ == nullptr) return;
    scheduler_->RunLater(delay, Bound(std::move(step)));
  }

  // The owner's destructor.
  void Cut() {
    std::lock_guard lock(mutex_);
    owner_ = nullptr;
  }

 private:
  WorkerLink(Owner& owner, Scheduler& scheduler) : owner_(&owner), scheduler_(&scheduler) {}

  std::function<void()> Bound(std::function<void(Owner&)> step) {
    return [self = this->shared_from_this(), step = std::move(step)] {
      if (Owner* owner = self->Find()) step(*owner);
    };
  }

  Owner* Find() {
    std::lock_guard lock(mutex_);
    return owner_;
  }

  std::mutex mutex_;
  Owner* owner_;
  Scheduler* scheduler_;
};

}  // namespace vorlane::port
