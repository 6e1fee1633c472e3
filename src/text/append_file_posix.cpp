#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "text/append_file.h"
#include "text/regular_file_posix.h"

namespace vorlane {

UniqueFile OpenForAppending(const NativePath& path, RegularOpenFailure* failure) {
  RegularOpenFailure ignored;
  RegularOpenFailure& why = failure != nullptr ? *failure : ignored;
  why = RegularOpenFailure::kFailed;
  if (path.empty()) return nullptr;
  // O_NONBLOCK: opening a FIFO does not wait for the other end; the type is looked
  // at before anything is read or written.
  const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) why = RegularOpenFailure::kMissing;
    if (errno == EISDIR) why = RegularOpenFailure::kNotRegular;
    return nullptr;
  }
  return AdoptRegularFile(fd, "a+b", why);
}

std::optional<std::string> ReadFileAt(std::FILE* file, std::uint64_t offset, std::size_t size) {
  if (file == nullptr) return std::nullopt;
  std::string bytes(size, '\0');
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n =
        ::pread(::fileno(file), bytes.data() + got, size - got, static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

// O_APPEND: the kernel puts each write at the end, whoever else appends.
bool AppendWhole(std::FILE* file, std::string_view bytes) {
  if (file == nullptr) return false;
  ssize_t n;
  do {
    n = ::write(::fileno(file), bytes.data(), bytes.size());
  } while (n < 0 && errno == EINTR);
  return n >= 0 && static_cast<std::size_t>(n) == bytes.size();
}

// A hard link never replaces: the name is taken by the first one only.
NewFile MoveToFreeName(const NativePath& from, const NativePath& to) {
  if (::link(from.c_str(), to.c_str()) != 0) return errno == EEXIST ? NewFile::kExists : NewFile::kFailed;
  ::unlink(from.c_str());
  return NewFile::kMade;
}

std::uint32_t CurrentProcessNumber() {
  return static_cast<std::uint32_t>(::getpid());
}

}  // namespace vorlane
