#include "update/update_values.h"

#include <gmock/gmock.h>

namespace vorlane::update {
namespace {

UpdateValues Read(std::string_view ini) {
  shell::AppConfig config = shell::AppConfig::Defaults();
  config.Merge(ini);
  return ReadUpdateValues(config);
}

TEST(UpdateValues, TheShippedConfigurationOffersNoUpdate) {
  const UpdateValues v = Read("");
  EXPECT_FALSE(UpdateDue(v.latestVersion));
  // The addresses are there all the same, for a vorlane.ini that only sets the version.
  EXPECT_FALSE(v.pageAddress.empty());
  EXPECT_EQ(v.packageAddress.rfind("http://", 0), 0u);
}

TEST(UpdateValues, VersionsFrom111OnAreNewer) {
  EXPECT_FALSE(UpdateDue(Read("[update]\nlatest_version=110\n").latestVersion));
  EXPECT_TRUE(UpdateDue(Read("[update]\nlatest_version=111\n").latestVersion));
  EXPECT_TRUE(UpdateDue(Read("[update]\nlatest_version = 250\n").latestVersion));
  EXPECT_FALSE(UpdateDue(Read("[update]\nlatest_version=later\n").latestVersion));
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

}  // namespace
}  // namespace vorlane::update
