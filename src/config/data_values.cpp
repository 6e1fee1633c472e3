#include "config/data_values.h"

#include "text/codepage.h"
#include "text/gbk_file.h"
#include "text/gbk_scan.h"
#include "text/gbk_text.h"

namespace vorlane::config {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}
// "C:\…", "C:/…", "\\server\…", and "\…" (the current drive's root): none of them
// is taken from the program's folder.
bool IsFullPath(std::string_view path) {
  return (path.size() >= 2 && gbk::IsAsciiLetter(gbk::Byte(path, 0)) && path[1] == ':') ||
         (!path.empty() && IsSeparator(path[0]));
}
#else
constexpr char kSeparator = '/';
bool IsSeparator(char c) {
  return c == '/';
}
bool IsFullPath(std::string_view path) {
  return !path.empty() && path[0] == '/';
}
#endif

// The last byte ends in a separator only when it is a character of its own, not
// the trail byte of a GBK character (some are 0x5C, a backslash).
bool EndsInSeparator(std::string_view path) {
  return !path.empty() && IsSeparator(path.back()) && gbk::IsCharStart(path, 0, path.size() - 1);
}

}  // namespace

Text JoinGbkPath(const Text& folder, std::string_view name) {
  if (folder.empty()) return Text(name);
  Text path = folder;
  if (!EndsInSeparator(path)) path += kSeparator;
  path += name;
  return path;
}

DataValues ReadDataValues(const AppConfig& config, const Text& programFolder) {
  DataValues values;
  values.keepList = SwitchValue(config, "data", "keep_list", values.keepList);
  values.keepHistory = SwitchValue(config, "data", "keep_history", values.keepHistory);

  const Text chosen = TrimBoth(config.Get("data", "folder"));
  if (!chosen.empty()) {
    values.folder = IsFullPath(chosen) || programFolder.empty() ? chosen : JoinGbkPath(programFolder, chosen);
    return values;
  }
  if (!programFolder.empty() && RegularFileSize(PathFromGbk(JoinGbkPath(programFolder, kPortableMarker)))) {
    values.folder = programFolder;
    return values;
  }
  const NativePath roaming = RoamingDataFolder();
  if (roaming.empty()) return values;
#ifdef _WIN32
  // Back to GBK; a profile path that has no GBK form cannot be named in the
  // program's text, and is not used.
  const std::u16string wide(roaming.begin(), roaming.end());
  const Text gbk = Utf16StringToGbk(wide);
  if (PathFromGbk(gbk) != roaming) return values;
#else
  const Text gbk = roaming;
#endif
  values.folder = JoinGbkPath(gbk, kDataFolderName);
  return values;
}

}  // namespace vorlane::config
