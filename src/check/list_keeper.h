// Keeps the product list between runs in the data folder's list.csv
// (check/saved_list.h): puts it back after the window's first paint, and saves it
// after every change the user would want kept, off the window's thread.
//
// - One copy of the program owns the folder (FolderLock). A second copy restores
//   the list for viewing and checking but never saves: the first copy's list is
//   never touched by it. It is told once.
// - A list.csv that is not whole and ours is moved aside as
//   list.bad-<yyyymmdd-hhmmss>.csv (never deleted), told once; the list starts
//   empty.
// - A folder that cannot be made or written, or a save that fails: told once, and
//   the window goes on as it did before lists were kept, saving nothing.
#pragma once

#include <chrono>
#include <memory>
#include <vector>

#include "check/background_saver.h"
#include "check/check_context.h"
#include "check/product_list_controller.h"
#include "check/saved_list.h"
#include "port/worker_link.h"
#include "text/folder_lock.h"
#include "text/gbk_file.h"

namespace vorlane::check {

// A burst of verdicts within this time is saved once.
inline constexpr std::chrono::milliseconds kListSaveDelay{500};
// How long closing the window waits for the last save: a disk that hangs must not
// hang the close.
inline constexpr std::chrono::milliseconds kListFlushBound{3000};

class ListKeeper {
 public:
  // `folder` is the data folder (GBK); empty when there is none to use.
  ListKeeper(CheckContext& context, ProductListController& rows, Text folder);
  ~ListKeeper();
  ListKeeper(const ListKeeper&) = delete;
  ListKeeper& operator=(const ListKeeper&) = delete;

  // Window's thread, once, after the first paint: makes the folder, takes its lock
  // and reads the kept list on a worker; its rows land later.
  void Start();
  // Window's thread, as the window goes: saves what is not saved yet and waits for
  // it, `bound` at most. Nothing is saved afterwards.
  void Finish(std::chrono::milliseconds bound = kListFlushBound);

  // Whether changes are (or, once the kept list is read, will be) saved.
  bool saving() const { return state_ == State::kSaving || state_ == State::kLoading; }

 private:
  struct Loaded {
    SavedListError error = SavedListError::kNone;
    std::vector<ListRow> rows;
    Text movedTo;  // where a bad file went; empty when it stayed
  };
  enum class State { kIdle, kLoading, kSaving, kViewOnly, kOff };

  void OnListChanged();
  void OnLoaded(Loaded loaded);
  void SaveNow();
  void OnSaveFailed();
  // Tells `text` once, and saves nothing from then on.
  void StopSaving(const Text& text);

  CheckContext& context_;
  ProductListController& rows_;
  const Text folder_;
  NativePath target_;
  State state_ = State::kIdle;
  bool changedWhileLoading_ = false;
  bool saveQueued_ = false;
  FolderLock lock_;
  std::unique_ptr<BackgroundSaver<std::vector<ListRow>>> saver_;
  std::shared_ptr<port::WorkerLink<ListKeeper>> link_;
};

}  // namespace vorlane::check
