#include "config/update_values.h"

#include <gmock/gmock.h>

#include "config/version.h"
#include "support/utf16_file.h"

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

// The configuration beside the program, with the update info laid over it.
UpdateValues WithInfo(std::string_view local, std::string_view info) {
  AppConfig config = AppConfig::Defaults();
  config.Merge(local);
  ApplyUpdateInfo(config, info);
  return ReadUpdateValues(config);
}

constexpr char kLocal[] =
    "[update]\nlatest_version=110\npage_url=http://local.example/page\n"
    "package_base=http://local.example/\nmax_entry_bytes=1000\ninfo_url=http://local.example/info\n"
    "[site]\nhost=local.example\n";
constexpr char kDigest[] = "00112233445566778899aabbccddeeff00112233445566778899AABBCCDDEEFF";

TEST(UpdateInfo, ItsUpdateKeysOverrideTheLocalOnesAndNothingElse) {
  const struct {
    const char* what;
    std::string info;
  } infos[] = {
      {"in an [update] section",
       "[update]\nlatest_version = 111\npage_url=http://info.example/page\n"
       "package_base=http://info.example/dl\npackage_sha256=" +
           std::string(kDigest) + "\npackage_size=4096\n"},
      {"before any section",
       "latest_version=111\r\npage_url=http://info.example/page\r\npackage_base=http://info.example/dl\r\n"
       "package_sha256=" +
           std::string(kDigest) + "\r\npackage_size = 4096\r\n"},
      {"as UTF-16",
       test::Utf16File(u"[update]\r\nlatest_version=111\r\npage_url=http://info.example/page\r\n"
                       u"package_base=http://info.example/dl\r\npackage_sha256=00112233445566778899aabbccd"
                       u"deeff00112233445566778899AABBCCDDEEFF\r\npackage_size=4096\r\n",
                       false)},
  };
  for (const auto& i : infos) {
    SCOPED_TRACE(i.what);
    AppConfig config = AppConfig::Defaults();
    config.Merge(kLocal);
    // Keys it may not set, with a section of its own for good measure.
    ApplyUpdateInfo(config, i.info +
                                "\n[update]\nmax_entry_bytes=7\ninfo_url=http://elsewhere/\n"
                                "[site]\nhost=elsewhere.example\n");
    const UpdateValues v = ReadUpdateValues(config);
    EXPECT_EQ(v.latestVersion, 111);
    EXPECT_EQ(v.pageAddress, "http://info.example/page");
    EXPECT_EQ(v.packageAddress, "http://info.example/dl/zujian/m_update.zip");
    ASSERT_TRUE(v.package.sha256.has_value());
    EXPECT_EQ((*v.package.sha256)[0], 0x00);
    EXPECT_EQ((*v.package.sha256)[5], 0x55);
    EXPECT_EQ((*v.package.sha256)[15], 0xFF);
    EXPECT_EQ((*v.package.sha256)[31], 0xFF);
    EXPECT_EQ(v.package.size, 4096u);
    EXPECT_EQ(v.unzipLimits.maxEntryBytes, 1000u);
    EXPECT_EQ(UpdateInfoAddress(config), "http://local.example/info");
    EXPECT_EQ(config.Get("site", "host"), "local.example");
  }
}

TEST(UpdateInfo, KeysItLeavesOutKeepTheirLocalValues) {
  const UpdateValues v = WithInfo(kLocal, "[update]\nlatest_version=112\n");
  EXPECT_EQ(v.latestVersion, 112);
  EXPECT_EQ(v.pageAddress, "http://local.example/page");
  EXPECT_EQ(v.packageAddress, "http://local.example/zujian/m_update.zip");
  EXPECT_FALSE(v.package.sha256.has_value());
  EXPECT_FALSE(v.package.size.has_value());
}

TEST(UpdateInfo, AnInfoThatSaysNothingUsableChangesNothing) {
  for (const std::string& info : {std::string(), std::string("<html><body>Not Found</body></html>"),
                                  std::string("[other]\nlatest_version=120\n"),
                                  // Over the cap, however well it reads.
                                  "[update]\nlatest_version=120\n" + std::string(kMaxUpdateInfoBytes, ';')}) {
    SCOPED_TRACE(info.substr(0, 40));
    const UpdateValues v = WithInfo(kLocal, info);
    EXPECT_EQ(v.latestVersion, 110);
    EXPECT_EQ(v.pageAddress, "http://local.example/page");
  }
}

TEST(UpdateInfo, DigestAndSizeThatCannotBeReadCountAsNotGiven) {
  const std::string digest = kDigest;
  for (const std::string& bad : {digest.substr(1), digest + "0", "g" + digest.substr(1),
                                 "sha256:" + digest.substr(7), std::string()}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(WithInfo("", "package_sha256=" + bad).package.sha256.has_value());
  }
  EXPECT_TRUE(WithInfo("", "package_sha256 = " + digest + " ").package.sha256.has_value());
  for (const char* bad : {"0", "-1", "1e6", "4 KB", "99999999999999999999", ""}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(WithInfo("", std::string("package_size=") + bad).package.size.has_value());
  }
  EXPECT_EQ(WithInfo("", "package_size=307200").package.size, 307200u);
}

TEST(UpdateInfo, TheInfoAddressIsTrimmedAndEmptyWhenNotSet) {
  AppConfig config = AppConfig::Defaults();
  EXPECT_EQ(UpdateInfoAddress(config), "");
  config.Merge("[update]\ninfo_url =  http://127.0.0.1:8765/update.ini \n");
  EXPECT_EQ(UpdateInfoAddress(config), "http://127.0.0.1:8765/update.ini");
}

}  // namespace
}  // namespace vorlane::config
