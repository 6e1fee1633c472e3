#include "config/data_values.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "support/environment_value.h"
#include "support/temp_folder.h"

namespace vorlane::config {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char kRoamingVariable[] = "APPDATA";
constexpr char kSep[] = "\\";
#else
constexpr char kRoamingVariable[] = "XDG_CONFIG_HOME";
constexpr char kSep[] = "/";
#endif

AppConfig WithData(const std::string& iniLines) {
  AppConfig config = AppConfig::Defaults();
  config.Merge("[data]\n" + iniLines);
  return config;
}

class DataValuesTest : public ::testing::Test {
 protected:
  test::TempFolder temp{"vorlane-data"};
  const std::string program = (temp / "program").string();
  const std::string roaming = (temp / "roaming").string();
  test::EnvironmentValue roamingValue{kRoamingVariable, roaming};

  void SetUp() override { fs::create_directories(temp / "program"); }
  void PlaceMarker() { test::WriteFileBytes(temp / "program" / "portable.txt", "keep data here"); }
  Text FolderFor(const std::string& iniLines) { return ReadDataValues(WithData(iniLines), program).folder; }
};

TEST_F(DataValuesTest, TheIniFolderThenTheMarkerThenTheRoamingProfile) {
  const std::string chosen = (temp / "chosen").string();
  const std::string inRoaming = roaming + kSep + "Vorlane";
  EXPECT_EQ(FolderFor(""), inRoaming) << "nothing set, no marker";
  EXPECT_EQ(FolderFor("folder = " + chosen), chosen);
  EXPECT_EQ(FolderFor("folder = \t  "), inRoaming) << "blanks are not a folder";

  PlaceMarker();
  EXPECT_EQ(FolderFor(""), program) << "the marker keeps the data beside the program";
  EXPECT_EQ(FolderFor("folder = " + chosen), chosen) << "the ini overrides the marker";
  EXPECT_EQ(FolderFor("folder =   " + chosen + "  "), chosen) << "blanks around are trimmed";
}

TEST_F(DataValuesTest, ARelativeFolderCountsFromTheProgramsFolder) {
  EXPECT_EQ(FolderFor("folder = data"), program + kSep + "data");
  EXPECT_EQ(FolderFor(std::string("folder = ..") + kSep + "shared"), program + kSep + ".." + kSep + "shared");
  EXPECT_EQ(ReadDataValues(WithData("folder = data"), program + kSep).folder, program + kSep + "data")
      << "no doubled separator";
}

TEST_F(DataValuesTest, OnlyARegularFileIsTheMarker) {
  fs::create_directory(temp / "program" / "portable.txt");
  EXPECT_EQ(FolderFor(""), roaming + kSep + "Vorlane");
}

TEST_F(DataValuesTest, NoRoamingProfileAndNoMarkerLeaveNoFolder) {
  const test::EnvironmentValue none(kRoamingVariable, std::nullopt);
#ifndef _WIN32
  const test::EnvironmentValue noHome("HOME", std::nullopt);
#endif
  EXPECT_EQ(FolderFor(""), "");
  PlaceMarker();
  EXPECT_EQ(FolderFor(""), program);
}

TEST_F(DataValuesTest, KeepSwitchesTakeZeroAndOneAndKeepTheDefaultOtherwise) {
  struct Case {
    const char* value;
    bool expected;
  };
  for (const Case c : {Case{"0", false}, Case{"1", true}, Case{"", true}, Case{"no", true}, Case{"00", true},
                       Case{"false", true}, Case{"2", true}}) {
    const DataValues values = ReadDataValues(
        WithData(std::string("keep_list = ") + c.value + "\nkeep_history=" + c.value), program);
    EXPECT_EQ(values.keepList, c.expected) << "keep_list = " << c.value;
    EXPECT_EQ(values.keepHistory, c.expected) << "keep_history = " << c.value;
  }
  const DataValues defaults = ReadDataValues(AppConfig::Defaults(), program);
  EXPECT_TRUE(defaults.keepList);
  EXPECT_TRUE(defaults.keepHistory);
  const DataValues mixed = ReadDataValues(WithData("keep_list=0"), program);
  EXPECT_FALSE(mixed.keepList);
  EXPECT_TRUE(mixed.keepHistory) << "each key on its own";
}

TEST(JoinGbkPathTest, AddsOneSeparatorAndKnowsAGbkTrailByteIsNotOne) {
  EXPECT_EQ(JoinGbkPath("", "list.csv"), "list.csv");
#ifdef _WIN32
  EXPECT_EQ(JoinGbkPath("C:\\a", "list.csv"), "C:\\a\\list.csv");
  EXPECT_EQ(JoinGbkPath("C:\\a\\", "list.csv"), "C:\\a\\list.csv");
  EXPECT_EQ(JoinGbkPath("C:/a/", "list.csv"), "C:/a/list.csv");
  // 0x95 0x5C is one character whose second byte is a backslash.
  EXPECT_EQ(JoinGbkPath("C:\\\x95\x5C", "list.csv"), "C:\\\x95\x5C\\list.csv");
#else
  EXPECT_EQ(JoinGbkPath("/a", "list.csv"), "/a/list.csv");
  EXPECT_EQ(JoinGbkPath("/a/", "list.csv"), "/a/list.csv");
#endif
}

}  // namespace
}  // namespace vorlane::config
