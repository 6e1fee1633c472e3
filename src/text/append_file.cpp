#include "text/append_file.h"

#include <atomic>
#include <cstdio>

namespace vorlane {

NewFile PublishNewFile(const NativePath& path, std::string_view bytes) {
  if (path.empty()) return NewFile::kFailed;
  // The process and a count of its own: two programs, or two threads, starting
  // the same file at once never share a temporary name.
  static std::atomic<std::uint32_t> made{0};
  const NativePath temporary = WithSuffix(
      path, ".new-" + std::to_string(CurrentProcessNumber()) + "-" + std::to_string(++made) + ".tmp");
  UniqueFile file(CreateNewFile(temporary));
  if (!file) return NewFile::kFailed;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
                       std::fflush(file.get()) == 0 && std::fclose(file.release()) == 0;
  const NewFile placed = written ? MoveToFreeName(temporary, path) : NewFile::kFailed;
  if (placed != NewFile::kMade) RemoveFileAt(temporary);
  return placed;
}

}  // namespace vorlane
