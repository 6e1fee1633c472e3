// The configuration values the update needs: the latest version on offer, the page
// to download it from by hand, the package's address and the unpacking's caps.
#pragma once

#include "config/app_config.h"
#include "config/unzip_limits.h"
#include "text/text.h"

namespace vorlane::config {

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
UpdateValues ReadUpdateValues(const AppConfig& config);

}  // namespace vorlane::config
