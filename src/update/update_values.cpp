#include "update/update_values.h"

#include "shell/shell_settings.h"

namespace vorlane::update {

UpdateValues ReadUpdateValues(const shell::AppConfig& config) {
  UpdateValues values;
  // The shell reads the same number to decide whether to open the update window.
  values.latestVersion = shell::ShellSettings::From(config).latestVersion;
  values.pageAddress = config.Get("update", "page_url");
  Text base = config.Get("update", "package_base");
  // "http://host/dl" means the folder dl, as "http://host/dl/" does.
  if (!base.empty() && base.back() != '/') base += '/';
  values.packageAddress = base + kPackagePath;
  return values;
}

bool UpdateDue(int latestVersion) {
  return latestVersion >= shell::kFirstNewerVersion;
}

}  // namespace vorlane::update
