#include "config/update_values.h"

#include <optional>
#include <string_view>

#include "config/version.h"
#include "text/gbk_text.h"
#include "text/hex_bytes.h"

namespace vorlane::config {
namespace {

// The keys the update info may set.
constexpr const char* kInfoKeys[] = {"latest_version", "page_url", "package_base", "package_sha256",
                                     "package_size"};

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

// Exactly 64 hex digits, either case.
std::optional<Sha256Digest> Digest(std::string_view text) {
  Sha256Digest digest{};
  if (!HexToBytes(TrimBytes(text, " \t"), digest)) return std::nullopt;
  return digest;
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
  values.package.size = ByteCount(config.Get("update", "package_size"));
  values.package.sha256 = Digest(config.Get("update", "package_sha256"));
  return values;
}

int LatestVersion(const AppConfig& config) {
  return ToInteger(TrimBoth(config.Get("update", "latest_version")));
}

Text UpdateInfoAddress(const AppConfig& config) {
  return TrimBoth(config.Get("update", "info_url"));
}

Text UpdateSignatureAddress(const AppConfig& config) {
  const Text info = UpdateInfoAddress(config);
  return info.empty() ? Text() : info + ".sig";
}

void ApplyUpdateInfo(AppConfig& config, std::string_view info) {
  if (info.size() > kMaxUpdateInfoBytes) return;
  AppConfig announced;
  announced.Merge(info);
  for (const char* key : kInfoKeys) {
    // Keys before any section land in the section without a name.
    for (const char* section : {"", "update"}) {
      if (announced.Has(section, key)) config.Set("update", key, announced.Get(section, key));
    }
  }
}

}  // namespace vorlane::config
