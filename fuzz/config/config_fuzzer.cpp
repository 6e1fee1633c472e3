// Feeds arbitrary bytes to the ini reader as a vorlane.ini beside the program would
// be, then reads the update values and the version from it: whatever the file, the
// values come out defined.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "config/app_config.h"
#include "config/update_values.h"
#include "config/version.h"
#include "fuzz_check.h"

namespace {}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorlane::config;
  static const AppConfig defaults = AppConfig::Defaults();
  AppConfig config = defaults;
  config.Merge(std::string_view(reinterpret_cast<const char*>(data), size));
  const UpdateValues values = ReadUpdateValues(config);
  // The caps are always a number of bytes above 0: a value that is not one keeps the
  // shipped cap.
  FUZZ_CHECK(values.unzipLimits.maxEntryBytes > 0 && values.unzipLimits.maxTotalBytes > 0);
  FUZZ_CHECK(values.packageAddress.size() >= sizeof(kPackagePath) - 1);
  FUZZ_CHECK(values.latestVersion == LatestVersion(config));
  (void)IsNewerVersion(values.latestVersion);
  return 0;
}
