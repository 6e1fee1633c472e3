// What the front end takes from the configuration: the compiled-in defaults, a
// vorlane.ini beside the program (as the window reads one) and the --config file,
// each merged over the one before.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "config/app_config.h"
#include "web/http_service.h"

namespace vorlane::cli {

// Nothing when `configFile` is given and cannot be read. `programFolder` empty:
// no vorlane.ini is looked for.
std::optional<config::AppConfig> LoadConfiguration(const Text& programFolder,
                                                   const std::optional<std::string>& configFile);

struct SiteSettings {
  Text host;  // [site] host
  // [network]: the HTTP service's time-outs, and after how long a check without an
  // answer is given up. The defaults and the accepted range are the window's.
  web::ServiceTimeouts timeouts{std::chrono::seconds(15), std::chrono::seconds(30), std::chrono::seconds(30)};
  std::chrono::microseconds deadline = std::chrono::seconds(60);
};

SiteSettings SiteSettingsFrom(const config::AppConfig& config);

}  // namespace vorlane::cli
