// Which version this build is, and what counts as a newer one. The configuration
// announces an update by its latest version number: 1.1 is 110.
#pragma once

#include "config/app_config.h"

namespace vorlane::config {

inline constexpr int kThisVersion = 110;

// Whether `latestVersion` is newer than this build (111 and up).
inline constexpr bool IsNewerVersion(int latestVersion) {
  return latestVersion > kThisVersion;
}

// [update] latest_version; 0 when absent or not a number, which announces nothing.
int LatestVersion(const AppConfig& config);

}  // namespace vorlane::config
