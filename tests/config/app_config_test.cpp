#include "config/app_config.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "support/temp_folder.h"
#include "support/utf16_file.h"
#include "text/codepage.h"

namespace vorlane::config {
namespace {

TEST(AppConfig, DefaultsPointAtTheLocalDemoSite) {
  AppConfig config = AppConfig::Defaults();
  EXPECT_EQ(config.Get("site", "host"), "127.0.0.1:8765");
  // Values are GBK inside the program.
  EXPECT_EQ(GbkToUtf8(config.Get("site", "name")), "导购站");
}

TEST(AppConfig, LaterTextOverridesKeyByKeyIgnoringCaseOfNames) {
  AppConfig config;
  config.Merge("[Site]\r\nHost = a.example \r\nname=x\r\n; comment\r\n#another\r\nbroken line\r\n");
  config.Merge("[SITE]\nhost=b.example:81\n");
  EXPECT_EQ(config.Get("site", "host"), "b.example:81");
  EXPECT_EQ(config.Get("site", "name"), "x");
  EXPECT_EQ(config.Get("site", "missing", "fb"), "fb");
  EXPECT_EQ(config.Get("other", "host"), "");
}

TEST(AppConfig, Utf8WithBomAndGbkOverridesBothReadAsGbk) {
  AppConfig config;
  config.Merge("\xEF\xBB\xBF[site]\nname=\xE5\xAF\xBC\xE8\xB4\xAD\n");  // 导购 in UTF-8
  EXPECT_EQ(config.Get("site", "name"), "\xB5\xBC\xB9\xBA");            // 导购 in GBK
  config.Merge("[site]\nname=\xB5\xBC\xB9\xBA\xD5\xBE\n");              // 导购站 in GBK
  EXPECT_EQ(config.Get("site", "name"), "\xB5\xBC\xB9\xBA\xD5\xBE");
}

TEST(AppConfig, Utf16FilesOfEitherByteOrderReadAsGbk) {
  // Notepad's "Unicode" and "Unicode big endian", each with its byte-order mark.
  const std::u16string_view ini = u"[site]\r\nname=导购\r\nhost=utf16.example\r\n";
  for (const bool bigEndian : {false, true}) {
    const std::string bytes = vorlane::test::Utf16File(ini, bigEndian);
    vorlane::test::TempFolder folder("vorlane-config");
    vorlane::test::WriteFileBytes(folder / "vorlane.ini", bytes);
    const AppConfig config = AppConfig::Load(folder.path().string());
    EXPECT_EQ(config.Get("site", "name"), "\xB5\xBC\xB9\xBA") << bigEndian;  // 导购 in GBK
    EXPECT_EQ(config.Get("site", "host"), "utf16.example") << bigEndian;
  }
}

TEST(AppConfig, LoadMergesTheFileBesideTheProgram) {
  vorlane::test::TempFolder folder("vorlane-config");
  const std::filesystem::path& dir = folder.path();
  std::ofstream(dir / "vorlane.ini") << "[site]\nhost=example.test\n";
  AppConfig config = AppConfig::Load(dir.string());
  EXPECT_EQ(config.Get("site", "host"), "example.test");
  EXPECT_EQ(config.Get("update", "page_url"), "http://127.0.0.1:8765/download.html");
  std::filesystem::remove_all(dir);
  EXPECT_EQ(AppConfig::Load(dir.string()).Get("site", "host"), "127.0.0.1:8765");
}

}  // namespace
}  // namespace vorlane::config
