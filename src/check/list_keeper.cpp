#include "check/list_keeper.h"

#include <cstdio>

#include "check/check_texts.h"
#include "check/single_check.h"
#include "config/data_values.h"

namespace vorlane::check {
namespace {

// The whole file at `path`, or why there is none to take: missing, over the cap
// (not read at all), or unreadable.
enum class Read { kRead, kMissing, kTooLarge, kFailed };
Read ReadKeptFile(const NativePath& path, Bytes& bytes) {
  RegularOpenFailure failure = RegularOpenFailure::kNone;
  UniqueFile file = OpenRegularFile(path, RegularOpen::kRead, &failure);
  if (!file) return failure == RegularOpenFailure::kMissing ? Read::kMissing : Read::kFailed;
  const std::optional<std::uint64_t> size = OpenFileSize(file.get());
  if (!size) return Read::kFailed;
  if (*size > static_cast<std::uint64_t>(kMaxSavedListBytes)) return Read::kTooLarge;
  bytes.resize(static_cast<size_t>(*size));
  const size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), file.get());
  // A file that grew meanwhile is read no further than its size then: it is not
  // ours to race with, and the cap holds.
  if (got != bytes.size() || std::ferror(file.get())) return Read::kFailed;
  return Read::kRead;
}

// list.bad-20261209-221530.csv, or list.bad-20261209-221530-2.csv and on when that
// is taken; empty when every name tried is.
Text AsideName(const Text& folder, const LocalDateTime& t) {
  char stamp[40];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  for (int n = 1; n <= 100; ++n) {
    const Text name = Text("list.bad-") + stamp + (n == 1 ? Text() : "-" + std::to_string(n)) + ".csv";
    const NativePath path = PathFromGbk(config::JoinGbkPath(folder, name));
    if (!RegularFileSize(path) && !IsFolder(path)) return config::JoinGbkPath(folder, name);
  }
  return {};
}

}  // namespace

ListKeeper::ListKeeper(CheckContext& context, ProductListController& rows, Text folder)
    : context_(context),
      rows_(rows),
      folder_(std::move(folder)),
      link_(port::WorkerLink<ListKeeper>::Make(*this, context.scheduler)) {
  rows_.SetListChangedHook([this] { OnListChanged(); });
}

ListKeeper::~ListKeeper() {
  rows_.SetListChangedHook(nullptr);
  link_->Cut();
}

void ListKeeper::Start() {
  if (state_ != State::kIdle) return;
  const NativePath folder = PathFromGbk(folder_);
  if (folder_.empty() || folder.empty() || !CreateFolders(folder) || !CanWriteIn(folder)) {
    StopSaving(texts::kDataFolderUnwritable + folder_ + texts::kListNotSaved);
    return;
  }
  target_ = PathFromGbk(config::JoinGbkPath(folder_, kSavedListFileName));
  lock_ = FolderLock::Take(folder);
  if (lock_.held()) {
    state_ = State::kLoading;
  } else {
    state_ = State::kViewOnly;
    ShowNotice(context_.view, texts::kDataFolderInUse + folder_ + texts::kListViewOnly);
  }
  // A bad file is moved aside by the copy that owns the folder alone.
  const Text aside = lock_.held() ? AsideName(folder_, context_.scheduler.LocalNow()) : Text();
  context_.scheduler.StartWorker([link = link_, target = target_, aside] {
    Loaded loaded;
    Bytes bytes;
    switch (ReadKeptFile(target, bytes)) {
      case Read::kMissing:  // a first start: nothing to put back
        break;
      case Read::kTooLarge:
        loaded.error = SavedListError::kTooLarge;
        break;
      case Read::kFailed:
        // Neither ours nor damaged for sure: left where it is, and not saved over.
        loaded.error = SavedListError::kNotOurs;
        break;
      case Read::kRead: {
        SavedListContents contents = DecodeSavedList(std::move(bytes));
        loaded.error = contents.error;
        loaded.rows = std::move(contents.rows);
        break;
      }
    }
    if (loaded.error != SavedListError::kNone && !aside.empty() &&
        ReplaceFileWith(target, PathFromGbk(aside)))
      loaded.movedTo = aside;
    link->Post([loaded = std::move(loaded)](ListKeeper& self) mutable { self.OnLoaded(std::move(loaded)); });
  });
}

void ListKeeper::OnLoaded(Loaded loaded) {
  if (state_ != State::kLoading && state_ != State::kViewOnly) return;
  if (loaded.error != SavedListError::kNone) {
    if (state_ == State::kViewOnly) return;  // the owner of the folder tells
    if (loaded.movedTo.empty()) {
      // Kept where it is: saving over it would lose it.
      StopSaving(texts::kKeptListUnreadable + config::JoinGbkPath(folder_, kSavedListFileName) +
                 texts::kListNotSaved);
      return;
    }
    ShowNotice(context_.view, texts::kKeptListMovedAside + loaded.movedTo + texts::kKeptListStartsEmpty);
  } else if (!changedWhileLoading_ && !loaded.rows.empty()) {
    // Rows the user made before the kept ones arrived are newer: they stay.
    rows_.RestoreRows(std::move(loaded.rows));
  }
  if (state_ == State::kViewOnly) return;
  saver_ = std::make_unique<BackgroundSaver<std::vector<ListRow>>>(
      [target = target_](const std::vector<ListRow>& rows) {
        const Bytes bytes = EncodeSavedList(rows);
        return static_cast<std::int64_t>(bytes.size()) <= kMaxSavedListBytes &&
               WriteFileReplacing(target, bytes);
      },
      [link = link_] { link->Post([](ListKeeper& self) { self.OnSaveFailed(); }); });
  state_ = State::kSaving;
  if (changedWhileLoading_) SaveNow();
}

void ListKeeper::OnListChanged() {
  switch (state_) {
    case State::kLoading:
      changedWhileLoading_ = true;
      return;
    case State::kSaving:
      break;
    case State::kIdle:
    case State::kViewOnly:
    case State::kOff:
      return;
  }
  if (saveQueued_) return;
  saveQueued_ = true;
  link_->RunLater(kListSaveDelay, [](ListKeeper& self) {
    if (self.saveQueued_) self.SaveNow();
  });
}

void ListKeeper::SaveNow() {
  saveQueued_ = false;
  if (state_ != State::kSaving || !saver_) return;
  // The copy is the window thread's whole part; the bytes and the disk are the
  // saver's.
  saver_->Submit(rows_.list().Snapshot());
}

void ListKeeper::OnSaveFailed() {
  if (state_ != State::kSaving) return;
  StopSaving(texts::kListSaveFailed + config::JoinGbkPath(folder_, kSavedListFileName) +
             texts::kListNotSaved);
}

void ListKeeper::StopSaving(const Text& text) {
  state_ = State::kOff;
  saveQueued_ = false;
  ShowNotice(context_.view, text);
}

void ListKeeper::Finish(std::chrono::milliseconds bound) {
  if (state_ != State::kSaving || !saver_) {
    state_ = State::kOff;
    return;
  }
  if (saveQueued_) SaveNow();
  state_ = State::kOff;
  if (!saver_->FlushFor(bound)) {
    // The disk keeps the write waiting: leave it to finish or die with the
    // process, which ends right after the window, rather than wait for it here.
    static_cast<void>(saver_.release());
  }
}

}  // namespace vorlane::check
