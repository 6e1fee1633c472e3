// Files named by the program's GBK paths, and the owner that closes them. The one
// way from a GBK name to the file system: on Windows the name's UTF-16 form, read
// strictly (code page 936, bytes that are not GBK refused, so that a damaged name
// can never open some other file); elsewhere its bytes as they are.
//
// Paths are plain strings of the system's own characters rather than
// std::filesystem paths: on Windows those bring libstdc++'s whole locale machinery
// into the program (about 800 KB that every start pages in).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "text/text.h"

namespace vorlane {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// fopen with `mode` (ASCII, such as "rb") by PathFromGbk of `path`, so that any
// file name opens whatever the system code page. Null on failure, and for a name
// that is not GBK.
UniqueFile OpenGbkFile(const Text& path, const char* mode);

// A path as the file system takes it: UTF-16 on Windows, bytes elsewhere.
#ifdef _WIN32
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

// The file-system path of a GBK path: UTF-16 on Windows, the bytes as they are
// elsewhere. Empty when the text is not GBK.
NativePath PathFromGbk(std::string_view gbk);

// The UTF-16 form of a GBK name, as Windows reads it when the name is opened (code
// page 936). Nothing for an empty name, a NUL byte, or bytes that are not GBK.
std::optional<std::u16string> Utf16FromGbk(std::string_view gbk);

// The file-system path of a name given in UTF-16 (one that Utf16FromGbk gave): as
// it is on Windows, its GBK bytes elsewhere.
NativePath PathFromUtf16(std::u16string_view name);

// `name` inside `folder`, joined by one separator; `name` alone when `folder` is
// empty.
NativePath JoinPath(const NativePath& folder, const NativePath& name);
// `path` with an ASCII ending added to its last part, such as ".tmp".
NativePath WithSuffix(const NativePath& path, std::string_view ascii);
// What comes before the last separator (the folder a file is in); empty when there
// is none.
NativePath ParentPath(const NativePath& path);

// The size of the regular file at `path`; nothing when there is none (missing, a
// folder, unreadable).
std::optional<std::uint64_t> RegularFileSize(const NativePath& path);
// Deletes the file at `path`; true when none is there afterwards.
bool RemoveFileAt(const NativePath& path);
// The same for a file the user may have made read-only (or hidden, or system).
bool RemoveFileWhateverItsAttributes(const NativePath& path);
// The process's current folder; empty when it cannot be read.
NativePath CurrentFolder();
// True when `path` names a folder.
bool IsFolder(const NativePath& path);
// Makes the one folder `path`, its parent already there; false when it was not made.
bool MakeFolder(const NativePath& path);
// Makes the folder `path` and any missing folder above it; true when it is a folder
// afterwards.
bool CreateFolders(const NativePath& path);

// Whether a new file can be made in the folder `path` (one is made and removed).
bool CanWriteIn(const NativePath& path);
// Removes the folder `path` and everything in it, read-only files too; links are
// removed, never followed. True when nothing of it is left.
bool RemoveFolderTree(const NativePath& path);

// The user's own folder for data that travels with the user's profile: %APPDATA%
// on Windows, $XDG_CONFIG_HOME (or ~/.config) elsewhere. Empty when the
// environment names none, or only a relative one.
NativePath RoamingDataFolder();

// The user's own folder for a program's data that stays on this machine:
// %LOCALAPPDATA% on Windows, $XDG_DATA_HOME (or ~/.local/share) elsewhere. Empty
// when the environment names none, or only a relative one.
NativePath UserDataFolder();

// Opens `path` for writing at its end, created when missing and emptied first when
// `truncate`; other writers are shut out while it is open. Null on failure.
std::FILE* OpenSoleWriter(const NativePath& path, bool truncate);

// A file that a name may reach but must never be mistaken for: only a regular file
// is opened, never a folder, FIFO, device or socket (none of which could hang the
// opening: it does not wait), and a missing file is made new, never through a
// symbolic link that points nowhere. The handle is the process's own: closed on
// exec (POSIX), not inherited (Windows). Read and write it with positioning
// (fseek) between the two.
enum class RegularOpen {
  kRead,    // an existing file, read only; others may go on writing it
  kUpdate,  // read and write, made when missing, never truncated; other writers shut out
};
enum class RegularOpenFailure { kNone, kMissing, kNotRegular, kFailed };
UniqueFile OpenRegularFile(const NativePath& path, RegularOpen mode, RegularOpenFailure* failure = nullptr);

// True when `file` and the file at `path` are one file (the same file system
// object, whatever the names); false when `path` names none.
bool IsSameFile(std::FILE* file, const NativePath& path);

// The size of the open file; nothing when it cannot be told.
std::optional<std::uint64_t> OpenFileSize(std::FILE* file);

// Cuts `file` back to `size` bytes, dropping what was written after that point.
bool TruncateFile(std::FILE* file, std::uint64_t size);

// Creates `path` for writing, other writers shut out; null when a file of that name
// is already there or it cannot be made.
std::FILE* CreateNewFile(const NativePath& path);

// Moves `from` over `to` in one step: `to` is the old file or the new one, never
// missing. A read-only or hidden `to` gets its normal attributes first, and its own
// back when the move fails. False when it failed; `from` then stays.
bool ReplaceFileWith(const NativePath& from, const NativePath& to);

// Flushes what was written to `file` through the system's caches to the disk.
bool FlushToDisk(std::FILE* file);
// Makes the last renames in `folder` durable where the system needs a step for it
// (POSIX: fsync of the folder); nothing to do on Windows, whose moves are written
// through. False when it failed.
bool FlushFolder(const NativePath& folder);

// Writes `bytes` as the whole new content of `target` in one step: into
// `<target>.tmp` (a stale one removed first), flushed to the disk, then moved over
// `target`. The target is the old file or the new one, never a part of either,
// whenever the process stops. False when it failed; the temporary file is then
// gone and the target as it was.
bool WriteFileReplacing(const NativePath& target, std::string_view bytes);

// Gives an existing file its normal attributes back (not read-only, hidden or
// system), so that it can be replaced. False when that failed.
bool ResetAttributes(const NativePath& path);

}  // namespace vorlane
