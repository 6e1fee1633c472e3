// The configuration values the update needs: the latest version on offer, the page
// to download it from by hand, the package's address, what the update info says of
// the package, and the unpacking's caps.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "config/app_config.h"
#include "config/unzip_limits.h"
#include "text/text.h"

namespace vorlane::config {

// The package's path under the configured base address.
inline constexpr char kPackagePath[] = "zujian/m_update.zip";
// The installer inside the package.
inline constexpr char kInstallerName[] = "m_update.exe";

// An update info longer than this is not read at all: it holds a handful of lines.
inline constexpr std::size_t kMaxUpdateInfoBytes = 64 * 1024;

using Sha256Digest = std::array<std::uint8_t, 32>;

// What the update info says of the package, for the download to be checked against.
struct AnnouncedPackage {
  std::optional<std::uint64_t> size;   // package_size: whole bytes, above 0
  std::optional<Sha256Digest> sha256;  // package_sha256: 64 hex digits
};

struct UpdateValues {
  int latestVersion = 0;  // 0 when the configuration announces none
  Text pageAddress;       // UpdatePageAddress
  Text packageAddress;    // PackageAddress: the configured base + kPackagePath
  UnzipLimits unzipLimits = {};
  AnnouncedPackage package = {};
};

// From [update]: latest_version, page_url, package_base, package_sha256,
// package_size, max_entry_bytes and max_total_bytes. A cap that is not a whole
// number of bytes above 0 is the shipped configuration's; a digest or size that
// cannot be read counts as not given.
UpdateValues ReadUpdateValues(const AppConfig& config);

// [update] info_url, blanks trimmed: where the update info is fetched; empty when
// not set.
Text UpdateInfoAddress(const AppConfig& config);

// Where the update info's signature is fetched: its address + ".sig"; empty when no
// info address is set.
Text UpdateSignatureAddress(const AppConfig& config);

// Lays the update info over `config`: ini text (GBK, UTF-8 or UTF-16) whose
// [update] section, or lines before any section, set latest_version, page_url,
// package_base, package_sha256 and package_size. Its other keys are ignored: an
// info server chooses neither the caps nor the site nor another info address. An
// info over kMaxUpdateInfoBytes changes nothing.
void ApplyUpdateInfo(AppConfig& config, std::string_view info);

}  // namespace vorlane::config
