#include "update/update_unzip.h"

#include <unzip.h>

#include <cstdio>
#include <memory>
#include <system_error>
#include <type_traits>
#include <vector>

#include "text/codepage.h"
#include "text/gbk_file.h"
#include "text/gbk_scan.h"
#include "update/archive_platform.h"
#include "update/file_platform.h"

namespace vorlane::update {
namespace {

namespace fs = std::filesystem;

constexpr unsigned long kUtf8NamesFlag = 1u << 11;
constexpr size_t kReadPiece = 64 * 1024;

struct ArchiveCloser {
  void operator()(unzFile archive) const { ::unzClose(archive); }
};
using ArchivePtr = std::unique_ptr<std::remove_pointer_t<unzFile>, ArchiveCloser>;

// The archive's current entry, open for reading while this lives. Closing it
// checks the CRC of what was read.
class OpenEntry {
 public:
  explicit OpenEntry(unzFile archive) : archive_(archive), open_(::unzOpenCurrentFile(archive) == UNZ_OK) {}
  ~OpenEntry() {
    if (open_) ::unzCloseCurrentFile(archive_);
  }
  OpenEntry(const OpenEntry&) = delete;
  OpenEntry& operator=(const OpenEntry&) = delete;

  bool open() const { return open_; }
  // False when the data did not match its CRC.
  bool Close() {
    open_ = false;
    return ::unzCloseCurrentFile(archive_) == UNZ_OK;
  }

 private:
  unzFile archive_;
  bool open_;
};

// An entry name cut at "/" and at "\" where it begins a character (a GBK trail byte
// may be 0x5C); empty parts are dropped. A name that ends in a separator names a
// folder.
struct SplitName {
  std::vector<std::string_view> parts;
  bool folder = false;
};

SplitName SplitEntryName(std::string_view name) {
  SplitName split;
  size_t start = 0;
  size_t i = 0;
  while (i < name.size()) {
    const auto b = static_cast<unsigned char>(name[i]);
    split.folder = b == '/' || b == '\\';
    if (split.folder) {
      if (i > start) split.parts.push_back(name.substr(start, i - start));
      start = ++i;
    } else {
      i += gbk::CharLength(name, i);
    }
  }
  if (i > start) split.parts.push_back(name.substr(start));
  return split;
}

std::string EntryName(unzFile archive, unz_file_info64& info) {
  if (::unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return {};
  std::string name(info.size_filename, '\0');
  if (name.empty() || ::unzGetCurrentFileInfo64(archive, &info, name.data(), static_cast<uLong>(name.size()),
                                                nullptr, 0, nullptr, 0) != UNZ_OK)
    return {};
  name = BytesToText(name);
  return (info.flag & kUtf8NamesFlag) != 0 ? Utf8ToGbk(name) : name;
}

// Copies the current entry into `target`; false (and no file left) when anything
// went wrong on the way.
bool WriteEntry(unzFile archive, const fs::path& target) {
  std::error_code ec;
  if (fs::exists(target, ec)) ResetAttributes(target);
  OpenEntry entry(archive);
  if (!entry.open()) return false;
  bool ok = true;
  {
    UniqueFile out(OpenSoleWriter(target, true));
    if (!out) return false;
    std::vector<char> piece(kReadPiece);
    for (;;) {
      const int got = ::unzReadCurrentFile(archive, piece.data(), static_cast<unsigned>(piece.size()));
      if (got == 0) break;
      if (got < 0 ||
          std::fwrite(piece.data(), 1, static_cast<size_t>(got), out.get()) != static_cast<size_t>(got)) {
        ok = false;
        break;
      }
    }
    ok = std::fclose(out.release()) == 0 && ok;
  }
  ok = entry.Close() && ok;
  if (!ok) fs::remove(target, ec);
  return ok;
}

}  // namespace

bool IsSafeEntryName(std::string_view name) {
  if (name.empty() || name.front() == '/' || name.front() == '\\') return false;
  if (name.find(':') != std::string_view::npos) return false;
  for (std::string_view part : SplitEntryName(name).parts) {
    if (part.find_first_not_of(". ") == std::string_view::npos) return false;
  }
  return true;
}

UnzipReport ExtractArchive(const Text& archive, const Text& folder) {
  UnzipReport report;
  const fs::path root = PathFromGbk(folder);
  ArchivePtr zip(OpenArchiveFile(PathFromGbk(archive)));
  if (!zip || root.empty()) return report;
  report.opened = true;

  for (int step = ::unzGoToFirstFile(zip.get()); step == UNZ_OK; step = ::unzGoToNextFile(zip.get())) {
    unz_file_info64 info{};
    const std::string name = EntryName(zip.get(), info);
    if (!IsSafeEntryName(name)) {
      ++report.refused;
      continue;
    }
    const SplitName split = SplitEntryName(name);
    fs::path target = root;
    bool named = true;
    for (std::string_view part : split.parts) {
      const fs::path piece = PathFromGbk(part);
      named = named && !piece.empty();
      target /= piece;
    }
    std::error_code ec;
    if (named) fs::create_directories(split.folder ? target : target.parent_path(), ec);
    if (!named || ec) {
      ++report.failed;
    } else if (split.folder) {
      ++report.folders;
    } else if (WriteEntry(zip.get(), target)) {
      ++report.written;
    } else {
      ++report.failed;
    }
  }
  return report;
}

}  // namespace vorlane::update
