// The configuration values the update needs: the latest version on offer, the page
// to download it from by hand, the package's address and the unpacking's caps.
#pragma once

#include "shell/app_config.h"
#include "text/text.h"
#include "update/unzip_limits.h"

namespace vorlane::update {

// The package's path under the configured base address.
inline constexpr char kPackagePath[] = "zujian/m_update.zip";
// The installer inside the package.
inline constexpr char kInstallerName[] = "m_update.exe";

struct UpdateValues {
  int latestVersion = 0;  // 0 when the configuration announces none
  Text pageAddress;       // UpdatePageAddress
  Text packageAddress;    // PackageAddress: the configured base + kPackagePath
  UnzipLimits unzipLimits = {};
};

// From [update]: latest_version, page_url, package_base, max_entry_bytes and
// max_total_bytes. A cap that is not a whole number of bytes above 0 is the
// shipped configuration's.
UpdateValues ReadUpdateValues(const shell::AppConfig& config);

// Whether `latestVersion` is newer than this build.
bool UpdateDue(int latestVersion);

}  // namespace vorlane::update
