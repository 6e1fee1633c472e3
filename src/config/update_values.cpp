#include "config/update_values.h"

#include <optional>
#include <string_view>

#include "config/version.h"
#include "text/gbk_text.h"

namespace vorlane::config {
namespace {

// Decimal digits only, above 0, within 64 bits.
std::optional<std::uint64_t> ByteCount(std::string_view text) {
  text = TrimBytes(text, " \t");
  if (text.empty() || text.size() > 19) return std::nullopt;
  std::uint64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (n == 0) return std::nullopt;
  return n;
}

std::uint64_t ReadCap(const AppConfig& config, const char* key) {
  if (const std::optional<std::uint64_t> n = ByteCount(config.Get("update", key))) return *n;
  return ByteCount(AppConfig::Defaults().Get("update", key)).value_or(0);
}

}  // namespace

UpdateValues ReadUpdateValues(const AppConfig& config) {
  UpdateValues values;
  values.latestVersion = LatestVersion(config);
  values.pageAddress = config.Get("update", "page_url");
  Text base = config.Get("update", "package_base");
  // "http://host/dl" means the folder dl, as "http://host/dl/" does.
  if (!base.empty() && base.back() != '/') base += '/';
  values.packageAddress = base + kPackagePath;
  values.unzipLimits.maxEntryBytes = ReadCap(config, "max_entry_bytes");
  values.unzipLimits.maxTotalBytes = ReadCap(config, "max_total_bytes");
  return values;
}

int LatestVersion(const AppConfig& config) {
  return ToInteger(TrimBoth(config.Get("update", "latest_version")));
}

}  // namespace vorlane::config
