#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "support/environment_value.h"
#include "support/temp_folder.h"
#include "text/gbk_file.h"

namespace vorlane {
namespace {

namespace fs = std::filesystem;
using test::EnvironmentValue;
using test::ReadFileBytes;
using test::WriteFileBytes;

NativePath Native(const fs::path& path) {
  return path.native();
}

TEST(WriteFileReplacingTest, ReplacesTheWholeFileAndLeavesNoTemporary) {
  const test::TempFolder folder("vorlane-replace");
  const fs::path target = folder / "list.csv";
  const std::string big(300000, 'x');
  ASSERT_TRUE(WriteFileReplacing(Native(target), big)) << "made new";
  EXPECT_EQ(ReadFileBytes(target), big);

  // A stale temporary from a killed save is cleared away, not appended to.
  WriteFileBytes(folder / "list.csv.tmp", "stale half of an old save");
  ASSERT_TRUE(WriteFileReplacing(Native(target), "short"));
  EXPECT_EQ(ReadFileBytes(target), "short") << "a longer old file leaves no tail";
  EXPECT_FALSE(fs::exists(folder / "list.csv.tmp"));

  ASSERT_TRUE(WriteFileReplacing(Native(target), ""));
  EXPECT_EQ(fs::file_size(target), 0u);
}

TEST(WriteFileReplacingTest, AReadOnlyTargetIsReplacedToo) {
  const test::TempFolder folder("vorlane-replace");
  const fs::path target = folder / "list.csv";
  WriteFileBytes(target, "old");
#ifdef _WIN32
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
#else
  fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
#endif
  ASSERT_TRUE(WriteFileReplacing(Native(target), "new"));
  EXPECT_EQ(ReadFileBytes(target), "new");
  EXPECT_FALSE(fs::exists(folder / "list.csv.tmp"));
}

TEST(WriteFileReplacingTest, AFailureLeavesTheOldFileAndNoTemporary) {
  const test::TempFolder folder("vorlane-replace");
  // No such folder: nothing is made anywhere.
  EXPECT_FALSE(WriteFileReplacing(Native(folder / "missing" / "list.csv"), "new"));
  EXPECT_FALSE(fs::exists(folder / "missing"));
  EXPECT_FALSE(WriteFileReplacing(NativePath(), "new"));

  // The target is a folder with a file in it: the move fails, the temporary goes,
  // and what the folder holds stays.
  const fs::path blocked = folder / "list.csv";
  fs::create_directory(blocked);
  WriteFileBytes(blocked / "keep.txt", "kept");
  EXPECT_FALSE(WriteFileReplacing(Native(blocked), "new"));
  EXPECT_TRUE(fs::is_directory(blocked));
  EXPECT_EQ(ReadFileBytes(blocked / "keep.txt"), "kept");
  EXPECT_FALSE(fs::exists(folder / "list.csv.tmp"));

  // A temporary that cannot be cleared (a folder with something in it): the old
  // file stays as it was.
  const fs::path target = folder / "other.csv";
  WriteFileBytes(target, "old");
  fs::create_directories(folder / "other.csv.tmp" / "in-the-way");
  EXPECT_FALSE(WriteFileReplacing(Native(target), "new"));
  EXPECT_EQ(ReadFileBytes(target), "old");
  EXPECT_TRUE(fs::is_directory(folder / "other.csv.tmp" / "in-the-way"));
}

#ifndef _WIN32
TEST(WriteFileReplacingTest, AFolderThatCannotBeWrittenLeavesTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into a read-only folder";
  const test::TempFolder folder("vorlane-replace");
  const fs::path data = folder / "data";
  fs::create_directory(data);
  WriteFileBytes(data / "list.csv", "old");
  fs::permissions(data, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(WriteFileReplacing(Native(data / "list.csv"), "new"));
  fs::permissions(data, fs::perms::owner_all);
  EXPECT_EQ(ReadFileBytes(data / "list.csv"), "old");
  EXPECT_FALSE(fs::exists(data / "list.csv.tmp"));
}
#endif

TEST(RoamingDataFolderTest, ComesFromTheEnvironmentWhenItIsAFullPath) {
#ifdef _WIN32
  const EnvironmentValue roaming("APPDATA", "C:\\Users\\u\\AppData\\Roaming");
  EXPECT_EQ(RoamingDataFolder(), L"C:\\Users\\u\\AppData\\Roaming");
  const EnvironmentValue share("APPDATA", "\\\\server\\profiles\\u");
  EXPECT_EQ(RoamingDataFolder(), L"\\\\server\\profiles\\u");
  const EnvironmentValue relative("APPDATA", "AppData\\Roaming");
  EXPECT_EQ(RoamingDataFolder(), NativePath());
  const EnvironmentValue unset("APPDATA", std::nullopt);
  EXPECT_EQ(RoamingDataFolder(), NativePath());
#else
  const EnvironmentValue home("HOME", "/home/u");
  const EnvironmentValue config("XDG_CONFIG_HOME", "/elsewhere/config");
  EXPECT_EQ(RoamingDataFolder(), "/elsewhere/config");
  const EnvironmentValue relative("XDG_CONFIG_HOME", "config");
  EXPECT_EQ(RoamingDataFolder(), "/home/u/.config") << "a relative one is not used";
  const EnvironmentValue unset("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(RoamingDataFolder(), "/home/u/.config");
  const EnvironmentValue noHome("HOME", std::nullopt);
  EXPECT_EQ(RoamingDataFolder(), NativePath());
#endif
}

}  // namespace
}  // namespace vorlane
