#include "config/network_values.h"

#include <cstdint>

#include "text/gbk_text.h"

namespace vorlane::config {

std::chrono::milliseconds NetworkSeconds(const AppConfig& config, const char* key,
                                         std::chrono::milliseconds fallback) {
  const Text text = TrimBoth(config.Get("network", key));
  const double seconds = ToNumber(text);
  if (text.empty() || !(seconds >= 0.1 && seconds <= 3600)) return fallback;
  return std::chrono::milliseconds(static_cast<std::int64_t>(seconds * 1000 + 0.5));
}

}  // namespace vorlane::config
