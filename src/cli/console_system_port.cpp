#include "cli/console_system_port.h"

#include <filesystem>
#include <system_error>

#include "text/codepage.h"
#include "text/gbk_file.h"

namespace vorlane::cli {

Text ConsoleSystemPort::CurrentDirectory() {
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::current_path(ec);
  if (ec) return {};
  // The inverse of PathFromGbk: UTF-16 on Windows, the bytes as they are elsewhere.
#ifdef _WIN32
  return Utf16StringToGbk(folder.u16string());
#else
  return folder.string();
#endif
}

bool ConsoleSystemPort::FileExists(const Text& path) {
  std::error_code ec;
  const std::filesystem::path file = PathFromGbk(path);
  return !file.empty() && std::filesystem::is_regular_file(file, ec);
}

void ConsoleSystemPort::RemoveFile(const Text& path) {
  const std::filesystem::path file = PathFromGbk(path);
  if (file.empty()) return;
  ResetAttributes(file);
  std::error_code ec;
  std::filesystem::remove(file, ec);
}

}  // namespace vorlane::cli
