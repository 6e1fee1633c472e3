// The [network] section: the time-outs of the HTTP service and the deadline the
// program keeps itself, read the same way by the window and the command line.
#pragma once

#include <chrono>

#include "config/app_config.h"

namespace vorlane::config {

// [network] `key` in seconds (fractions allowed) between a tenth of a second and an
// hour; anything else, or no value, keeps `fallback`.
std::chrono::milliseconds NetworkSeconds(const AppConfig& config, const char* key,
                                         std::chrono::milliseconds fallback);

}  // namespace vorlane::config
