#include "cli/console_system_port.h"

#include "text/codepage.h"
#include "text/gbk_file.h"

namespace vorlane::cli {

Text ConsoleSystemPort::CurrentDirectory() {
  const NativePath folder = CurrentFolder();
  // The inverse of PathFromGbk: UTF-16 on Windows, the bytes as they are elsewhere.
#ifdef _WIN32
  return Utf16StringToGbk(std::u16string(folder.begin(), folder.end()));
#else
  return folder;
#endif
}

bool ConsoleSystemPort::FileExists(const Text& path) {
  return RegularFileSize(PathFromGbk(path)).has_value();
}

void ConsoleSystemPort::RemoveFile(const Text& path) {
  RemoveFileWhateverItsAttributes(PathFromGbk(path));
}

}  // namespace vorlane::cli
