// Files that several programs append to at once, as the window and vorlane-cli
// do the history: opened for appending only, other programs free to read, write
// and delete it meanwhile; each append is one write of the whole bytes at the
// file's end, so that two programs' records never interleave. Nothing is ever
// cut back: a file others write to is not ours to shorten.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/gbk_file.h"

namespace vorlane {

// Opens the existing file at `path` to append to and to read, but only a regular
// file: never a folder, FIFO, device or socket (none of which could hang the
// opening), and never made (kMissing when there is none, a link that points
// nowhere included). The handle is the process's own: closed on exec (POSIX), not
// inherited (Windows). Read it with ReadFileAt, write it with AppendWhole only.
UniqueFile OpenForAppending(const NativePath& path, RegularOpenFailure* failure = nullptr);

// Up to `size` bytes of `file` from `offset`; fewer at its end; nothing when the
// read failed.
std::optional<std::string> ReadFileAt(std::FILE* file, std::uint64_t offset, std::size_t size);

// Writes `bytes` at the file's end in one write call. False when they did not all
// go out: some of them may have (a disk that filled up), and they stay.
bool AppendWhole(std::FILE* file, std::string_view bytes);

// Makes the file `path` holding `bytes`, unless a file (or any name) is there
// already: it is written beside under a name of its own and moved into place in
// one step that never replaces, so that no one ever sees the file without them.
enum class NewFile { kMade, kExists, kFailed };
NewFile PublishNewFile(const NativePath& path, std::string_view bytes);

// Backend of PublishNewFile: moves `from` to the name `to`, which must be free.
NewFile MoveToFreeName(const NativePath& from, const NativePath& to);
// Backend of PublishNewFile: a number no other running process has.
std::uint32_t CurrentProcessNumber();

}  // namespace vorlane
