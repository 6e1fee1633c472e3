#include "text/gbk_file.h"

#include <string>

namespace vorlane {

namespace {

#ifdef _WIN32
bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}
constexpr wchar_t kSeparator = L'\\';
#else
bool IsSeparator(char c) {
  return c == '/';
}
constexpr char kSeparator = '/';
#endif

}  // namespace

NativePath JoinPath(const NativePath& folder, const NativePath& name) {
  if (folder.empty()) return name;
  NativePath joined = folder;
  if (!IsSeparator(joined.back())) joined += kSeparator;
  joined += name;
  return joined;
}

NativePath WithSuffix(const NativePath& path, std::string_view ascii) {
  NativePath result = path;
  result.append(ascii.begin(), ascii.end());
  return result;
}

NativePath ParentPath(const NativePath& path) {
  size_t end = path.size();
  while (end > 0 && IsSeparator(path[end - 1])) --end;  // a folder's own final separator
  while (end > 0 && !IsSeparator(path[end - 1])) --end;
  if (end == 0) return {};
  // The separator itself goes, unless it is the root's ("/", "C:\\").
  const size_t cut = end - 1;
  const bool root = cut == 0 || (cut == 2 && path[1] == ':');
  return path.substr(0, root ? end : cut);
}

bool RemoveFileWhateverItsAttributes(const NativePath& path) {
  ResetAttributes(path);
  return RemoveFileAt(path);
}

bool CreateFolders(const NativePath& path) {
  if (path.empty()) return false;
  if (IsFolder(path)) return true;
  const NativePath parent = ParentPath(path);
  if (!parent.empty() && parent.size() < path.size() && !CreateFolders(parent)) return false;
  // Another process may have made it in the meantime: what counts is that it is
  // a folder now.
  return MakeFolder(path) || IsFolder(path);
}

bool CanWriteIn(const NativePath& path) {
  if (path.empty()) return false;
  const NativePath probe = JoinPath(path, WithSuffix(NativePath(), "vorlane-write-probe.tmp"));
  RemoveFileWhateverItsAttributes(probe);  // left by a run that ended here
  std::FILE* file = CreateNewFile(probe);
  if (file == nullptr) return false;
  const bool written = std::fputc('1', file) != EOF;
  const bool closed = std::fclose(file) == 0;
  return RemoveFileAt(probe) && written && closed;
}

bool WriteFileReplacing(const NativePath& target, std::string_view bytes) {
  if (target.empty()) return false;
  const NativePath temp = WithSuffix(target, ".tmp");
  if (!RemoveFileAt(temp)) return false;
  UniqueFile file(CreateNewFile(temp));
  bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
                 FlushToDisk(file.get()) && std::fclose(file.release()) == 0;
  written = written && ReplaceFileWith(temp, target);
  if (!written) {
    file.reset();
    RemoveFileAt(temp);
    return false;
  }
  // The new content is in place; a folder that cannot be synced costs only the
  // rename's durability across a power cut, not the file.
  FlushFolder(ParentPath(target));
  return true;
}

UniqueFile OpenGbkFile(const Text& path, const char* mode) {
  const NativePath file = PathFromGbk(path);
  if (file.empty()) return nullptr;
#ifdef _WIN32
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return UniqueFile(::_wfopen(file.c_str(), wideMode.c_str()));
#else
  return UniqueFile(std::fopen(file.c_str(), mode));
#endif
}

}  // namespace vorlane
