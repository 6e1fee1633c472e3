#include "config/update_values.h"

#include <gmock/gmock.h>

#include "config/version.h"

namespace vorlane::config {
namespace {

UpdateValues Read(std::string_view ini) {
  AppConfig config = AppConfig::Defaults();
  config.Merge(ini);
  return ReadUpdateValues(config);
}

TEST(UpdateValues, TheShippedConfigurationOffersNoUpdate) {
  const UpdateValues v = Read("");
  EXPECT_FALSE(IsNewerVersion(v.latestVersion));
  // The addresses are there all the same, for a vorlane.ini that only sets the version.
  EXPECT_FALSE(v.pageAddress.empty());
  EXPECT_EQ(v.packageAddress.rfind("http://", 0), 0u);
}

TEST(UpdateValues, VersionsFrom111OnAreNewer) {
  EXPECT_FALSE(IsNewerVersion(Read("[update]\nlatest_version=110\n").latestVersion));
  EXPECT_TRUE(IsNewerVersion(Read("[update]\nlatest_version=111\n").latestVersion));
  EXPECT_TRUE(IsNewerVersion(Read("[update]\nlatest_version = 250\n").latestVersion));
  EXPECT_FALSE(IsNewerVersion(Read("[update]\nlatest_version=later\n").latestVersion));
}

TEST(UpdateValues, ThePackageLiesUnderTheConfiguredBase) {
  UpdateValues v = Read(
      "[update]\npage_url = http://vorlane.example/download.html\n"
      "package_base = http://files.example:8080/vorlane/\n");
  EXPECT_EQ(v.pageAddress, "http://vorlane.example/download.html");
  EXPECT_EQ(v.packageAddress, "http://files.example:8080/vorlane/zujian/m_update.zip");

  v = Read("[update]\npackage_base = http://files.example/vorlane\n");
  EXPECT_EQ(v.packageAddress, "http://files.example/vorlane/zujian/m_update.zip");
}

TEST(UpdateValues, UnpackingCapsComeFromTheConfiguration) {
  const UnzipLimits shipped = Read("").unzipLimits;
  EXPECT_EQ(shipped.maxEntryBytes, 256u << 20);
  EXPECT_EQ(shipped.maxTotalBytes, 1u << 30);

  const UnzipLimits set = Read("[update]\nmax_entry_bytes = 1000\nmax_total_bytes=5000\n").unzipLimits;
  EXPECT_EQ(set.maxEntryBytes, 1000u);
  EXPECT_EQ(set.maxTotalBytes, 5000u);

  // A value that is no count of bytes leaves the shipped cap.
  for (const char* bad : {"0", "-1", "1e6", "lots", "99999999999999999999"}) {
    const UnzipLimits l =
        Read(std::string("[update]\nmax_entry_bytes=") + bad + "\nmax_total_bytes=" + bad).unzipLimits;
    EXPECT_EQ(l.maxEntryBytes, shipped.maxEntryBytes) << bad;
    EXPECT_EQ(l.maxTotalBytes, shipped.maxTotalBytes) << bad;
  }
}

}  // namespace
}  // namespace vorlane::config
