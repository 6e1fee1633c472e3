#include "update/update_unzip.h"

#include <unzip.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "text/codepage.h"
#include "text/gbk_file.h"
#include "text/gbk_text.h"
#include "update/archive_platform.h"

namespace vorlane::update {
namespace {

constexpr unsigned long kEncryptedFlag = 1u << 0;
constexpr unsigned long kUtf8NamesFlag = 1u << 11;
constexpr int kStored = 0;
constexpr int kDeflated = 8;
constexpr size_t kReadPiece = 64 * 1024;
// Temporary names tried beside a target; a file of that name is never touched.
constexpr int kTemporaryNames = 16;

struct ArchiveCloser {
  void operator()(unzFile archive) const { ::unzClose(archive); }
};
using ArchivePtr = std::unique_ptr<std::remove_pointer_t<unzFile>, ArchiveCloser>;

// The current entry's stored bytes, as they are in the archive, while this lives.
// The inflating is done here rather than by minizip, which stops at the declared
// size and so could never tell that an entry goes on past it.
class RawEntry {
 public:
  explicit RawEntry(unzFile archive)
      : archive_(archive), open_(::unzOpenCurrentFile2(archive, &method_, nullptr, 1) == UNZ_OK) {}
  ~RawEntry() {
    if (open_) ::unzCloseCurrentFile(archive_);
  }
  RawEntry(const RawEntry&) = delete;
  RawEntry& operator=(const RawEntry&) = delete;

  bool open() const { return open_; }
  int method() const { return method_; }
  // Up to `room` bytes; 0 at the end of the entry, negative on a read error.
  int Read(char* into, size_t room) {
    return ::unzReadCurrentFile(archive_, into, static_cast<unsigned>(room));
  }

 private:
  unzFile archive_;
  int method_ = -1;
  bool open_;
};

// A raw deflate stream (ZIP method 8) being inflated.
class Inflater {
 public:
  Inflater() : ready_(inflateInit2(&stream_, -MAX_WBITS) == Z_OK) {}
  ~Inflater() {
    if (ready_) ::inflateEnd(&stream_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  bool ready() const { return ready_; }
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ready_;
};

// Where an entry's bytes go as they are inflated: counted against its declared
// size, summed into its CRC and written. The byte that would pass the declared size
// is refused before it is written.
class EntrySink {
 public:
  EntrySink(std::FILE* file, std::uint64_t declared, std::uint64_t& written)
      : file_(file), declared_(declared), written_(written) {}

  bool Take(const char* bytes, size_t n) {
    if (n > declared_ - taken_) return false;
    if (n > 0 && std::fwrite(bytes, 1, n, file_) != n) return false;
    taken_ += n;
    written_ += n;
    crc_ = ::crc32(crc_, reinterpret_cast<const Bytef*>(bytes), static_cast<uInt>(n));
    return true;
  }
  // How much to let the inflater produce next: one byte past the declared size at
  // most, to see whether the entry goes on.
  size_t Room(size_t piece) const {
    const std::uint64_t left = declared_ - taken_;
    return left >= piece ? piece : static_cast<size_t>(left) + 1;
  }
  bool Matches(std::uint64_t crc) const { return taken_ == declared_ && crc_ == crc; }

 private:
  std::FILE* file_;
  std::uint64_t declared_;
  std::uint64_t& written_;
  std::uint64_t taken_ = 0;
  uLong crc_ = ::crc32(0, nullptr, 0);
};

// Copies the current entry's data into `out`; true when it is exactly what the
// entry declares, its size and CRC.
bool CopyEntry(unzFile archive, const unz_file_info64& info, std::FILE* out, std::uint64_t& written) {
  if ((info.flag & kEncryptedFlag) != 0) return false;
  RawEntry entry(archive);
  if (!entry.open()) return false;
  EntrySink sink(out, info.uncompressed_size, written);
  std::vector<char> in(kReadPiece);

  if (entry.method() == kStored) {
    for (;;) {
      const int got = entry.Read(in.data(), in.size());
      if (got == 0) return sink.Matches(info.crc);
      if (got < 0 || !sink.Take(in.data(), static_cast<size_t>(got))) return false;
    }
  }
  if (entry.method() != kDeflated) return false;

  Inflater inflater;
  if (!inflater.ready()) return false;
  z_stream& z = inflater.stream();
  std::vector<char> piece(kReadPiece);
  int result = Z_OK;
  while (result != Z_STREAM_END) {
    if (z.avail_in == 0) {
      const int got = entry.Read(in.data(), in.size());
      if (got < 0) return false;
      z.next_in = reinterpret_cast<Bytef*>(in.data());
      z.avail_in = static_cast<uInt>(got);
    }
    const size_t room = sink.Room(piece.size());
    z.next_out = reinterpret_cast<Bytef*>(piece.data());
    z.avail_out = static_cast<uInt>(room);
    result = ::inflate(&z, Z_NO_FLUSH);
    // Z_BUF_ERROR here: the stored bytes ended before the stream did.
    if (result != Z_OK && result != Z_STREAM_END) return false;
    if (!sink.Take(piece.data(), room - z.avail_out)) return false;
  }
  return sink.Matches(info.crc);
}

// A file made beside its target under a name of its own, moved over the target
// once it is complete. Deleted when it goes unless it was moved.
class PendingFile {
 public:
  explicit PendingFile(const NativePath& target) {
    for (int n = 1; n <= kTemporaryNames && !file_; ++n) {
      path_ = WithSuffix(target, ".~" + std::to_string(n) + ".tmp");
      file_.reset(CreateNewFile(path_));
    }
    if (!file_) path_.clear();
  }
  ~PendingFile() {
    file_.reset();
    if (!path_.empty()) RemoveFileAt(path_);
  }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  std::FILE* get() const { return file_.get(); }

  // Closes the file and moves it over `target`; false, with the target as it was,
  // when either failed.
  bool MoveOver(const NativePath& target) {
    if (std::fclose(file_.release()) != 0 || !ReplaceFileWith(path_, target)) return false;
    path_.clear();
    return true;
  }

 private:
  NativePath path_;
  UniqueFile file_;
};

bool WriteEntry(unzFile archive, const unz_file_info64& info, const NativePath& target,
                std::uint64_t& written) {
  PendingFile pending(target);
  return pending.get() != nullptr && CopyEntry(archive, info, pending.get(), written) &&
         pending.MoveOver(target);
}

// The current entry's name in GBK. Nothing when it holds a NUL byte, or is marked
// UTF-8 and does not convert to GBK exactly: the conversion puts "?" (or a look-
// alike) for what GBK lacks, and that name would not be the archive's.
std::optional<Text> EntryName(unzFile archive, unz_file_info64& info) {
  if (::unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return {};
  std::string name(info.size_filename, '\0');
  if (name.empty() || ::unzGetCurrentFileInfo64(archive, &info, name.data(), static_cast<uLong>(name.size()),
                                                nullptr, 0, nullptr, 0) != UNZ_OK)
    return {};
  if (name.find('\0') != std::string::npos) return {};
  if ((info.flag & kUtf8NamesFlag) == 0) return name;
  Text gbk = Utf8ToGbk(name);
  if (GbkToUtf8(gbk) != name) return {};
  return gbk;
}

// An entry name as Windows reads it: its parts between separators, in UTF-16.
struct EntryPath {
  std::vector<std::u16string> parts;
  bool folder = false;  // the name ends in a separator
};

bool IsSeparator(char16_t c) {
  return c == u'/' || c == u'\\';
}

// Control characters, and what Windows never allows in a name (":" would also name
// a drive or a stream).
bool IsForbidden(char16_t c) {
  return c < 0x20 || std::u16string_view(u"<>:\"|?*").find(c) != std::u16string_view::npos;
}

char16_t AsciiUpper(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// Windows drops a name's trailing dots and spaces and reads a device name before
// any extension: "nul", "NUL.txt", "Com1 .zip" and "aux. " all name a device.
bool NamesDevice(std::u16string_view part) {
  while (!part.empty() && (part.back() == u'.' || part.back() == u' ')) part.remove_suffix(1);
  part = part.substr(0, part.find(u'.'));
  while (!part.empty() && part.back() == u' ') part.remove_suffix(1);
  std::u16string name(part);
  std::transform(name.begin(), name.end(), name.begin(), AsciiUpper);
  if (name == u"CON" || name == u"PRN" || name == u"AUX" || name == u"NUL" || name == u"CONIN$" ||
      name == u"CONOUT$")
    return true;
  return name.size() == 4 && (name.starts_with(u"COM") || name.starts_with(u"LPT")) && name[3] >= u'1' &&
         name[3] <= u'9';
}

// A part made of dots and spaces only is "." or ".." to Windows.
bool IsSafePart(std::u16string_view part) {
  return part.find_first_not_of(u". ") != std::u16string_view::npos && !NamesDevice(part);
}

// The parts of a GBK entry name, judged on the UTF-16 that the file will be opened
// by: a GBK scan would take a byte such as 0x80 (one character in code page 936)
// for the first of two and miss the "/" after it. Nothing when the name is unsafe.
std::optional<EntryPath> ReadEntryPath(std::string_view gbk) {
  const std::optional<std::u16string> wide = Utf16FromGbk(gbk);
  if (!wide || IsSeparator(wide->front())) return std::nullopt;
  EntryPath path;
  std::u16string_view rest = *wide;
  while (!rest.empty()) {
    const size_t end = std::min(rest.size(), rest.find_first_of(u"/\\"));
    const std::u16string_view part = rest.substr(0, end);
    if (!part.empty()) {
      if (std::any_of(part.begin(), part.end(), IsForbidden) || !IsSafePart(part)) return std::nullopt;
      path.parts.emplace_back(part);
    }
    path.folder = end < rest.size();
    rest.remove_prefix(std::min(rest.size(), end + 1));
  }
  if (path.parts.empty()) return std::nullopt;
  return path;
}

}  // namespace

bool UnzipReport::Wrote(std::string_view path) const {
  return std::any_of(writtenFiles.begin(), writtenFiles.end(),
                     [path](const Text& file) { return CompareText(file, path, false) == 0; });
}

bool IsSafeEntryName(std::string_view name) {
  return ReadEntryPath(name).has_value();
}

UnzipReport ExtractArchive(const Text& archive, const Text& folder, const config::UnzipLimits& limits) {
  UnzipReport report;
  const NativePath root = PathFromGbk(folder);
  ArchivePtr zip(OpenArchiveFile(PathFromGbk(archive)));
  if (!zip || root.empty()) return report;
  report.opened = true;

  for (int step = ::unzGoToFirstFile(zip.get()); step == UNZ_OK; step = ::unzGoToNextFile(zip.get())) {
    unz_file_info64 info{};
    const std::optional<Text> name = EntryName(zip.get(), info);
    const std::optional<EntryPath> path = name ? ReadEntryPath(*name) : std::nullopt;
    if (!path) {
      ++report.refused;
      continue;
    }
    NativePath target = root;
    for (const std::u16string& part : path->parts) target = JoinPath(target, PathFromUtf16(part));
    if (path->folder) {
      if (!CreateFolders(target)) {
        ++report.failed;
      } else {
        ++report.folders;
      }
      continue;
    }
    // The declared size is judged before anything is written; the copy then counts
    // the bytes themselves and stops at the first one past it.
    const std::uint64_t spent = std::min(report.bytesWritten, limits.maxTotalBytes);
    if (info.uncompressed_size > std::min(limits.maxEntryBytes, limits.maxTotalBytes - spent)) {
      ++report.oversized;
      continue;
    }
    if (CreateFolders(ParentPath(target)) && WriteEntry(zip.get(), info, target, report.bytesWritten)) {
      ++report.written;
      Text written;
      for (const std::u16string& part : path->parts) {
        if (!written.empty()) written += '\\';
        written += Utf16StringToGbk(part);
      }
      report.writtenFiles.push_back(std::move(written));
    } else {
      ++report.failed;
    }
  }
  return report;
}

}  // namespace vorlane::update
