#include "update/update_unzip.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <random>

#ifdef _WIN32
#include <windows.h>
#endif

#include "support/temp_folder.h"
#include "zip_writer.h"

namespace vorlane::update {
namespace {

namespace fs = std::filesystem;
using test::MakeZip;
using test::ZipEntry;

class Unzip : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fs::create_directories(target_)); }

  // The program's GBK text of a path in the test folder (ASCII here).
  static Text Gbk(const fs::path& p) { return p.string(); }

  UnzipReport Extract(const std::vector<ZipEntry>& entries) {
    const fs::path archive = base_ / "m_update.zip";
    Write(archive, MakeZip(entries));
    return ExtractArchive(Gbk(archive), Gbk(target_));
  }

  static std::string Read(const fs::path& p) { return vorlane::test::ReadFileBytes(p); }
  static void Write(const fs::path& p, std::string_view bytes) { vorlane::test::WriteFileBytes(p, bytes); }

  vorlane::test::TempFolder folder_{"vorlane-unzip"};
  const fs::path& base_ = folder_.path();
  const fs::path target_ = base_ / "app";
};

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 31) ^ (i >> 7));
  return s;
}

TEST_F(Unzip, WritesEveryEntryWithItsFolders) {
  const std::string big = Pattern(300000);
  const UnzipReport r = Extract({
      {"m_update.exe", "MZ installer"},
      {"data/", ""},
      {"data/skins/blue.she", big, /*deflate=*/true},
      {"docs/readme.txt", "read me\r\n"},  // its folder has no entry of its own
      {"docs\\notes\\one.txt", "backslashes from a Windows archiver"},
  });
  EXPECT_TRUE(r.opened);
  EXPECT_EQ(r.written, 4);
  EXPECT_EQ(r.folders, 1);
  EXPECT_EQ(r.refused, 0);
  EXPECT_EQ(r.failed, 0);
  EXPECT_EQ(Read(target_ / "m_update.exe"), "MZ installer");
  EXPECT_TRUE(Read(target_ / "data" / "skins" / "blue.she") == big);
  EXPECT_EQ(Read(target_ / "docs" / "readme.txt"), "read me\r\n");
  EXPECT_EQ(Read(target_ / "docs" / "notes" / "one.txt"), "backslashes from a Windows archiver");
}

TEST_F(Unzip, ReplacesAReadOnlyFileThatIsAlreadyThere) {
  const fs::path old = target_ / "m_update.exe";
  Write(old, "the old installer, longer than the new one");
#ifdef _WIN32
  ASSERT_TRUE(::SetFileAttributesW(old.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  ASSERT_NE(::GetFileAttributesW(old.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
#else
  fs::permissions(old, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
#endif
  const UnzipReport r = Extract({{"m_update.exe", "new"}});
  EXPECT_EQ(r.written, 1);
  EXPECT_EQ(Read(old), "new");
#ifdef _WIN32
  EXPECT_EQ(::GetFileAttributesW(old.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
#else
  EXPECT_NE(fs::status(old).permissions() & fs::perms::owner_write, fs::perms::none);
#endif
}

TEST_F(Unzip, RefusesNamesThatLeadOutOfTheFolder) {
  const UnzipReport r = Extract({
      {"../escaped.txt", "x"},
      {"data/../../escaped2.txt", "x"},
      {"..\\escaped3.txt", "x"},
      {"/tmp-escaped.txt", "x"},
      {"\\escaped4.txt", "x"},
      {"C:/escaped5.txt", "x"},
      {"c:escaped6.txt", "x"},
      {"data/.. /escaped7.txt", "x"},
      {"kept.txt", "kept"},
  });
  EXPECT_EQ(r.refused, 8);
  EXPECT_EQ(r.written, 1);
  EXPECT_EQ(Read(target_ / "kept.txt"), "kept");
  // Nothing arrived beside the folder or anywhere under it but the one good file.
  std::vector<fs::path> found;
  for (const auto& entry : fs::recursive_directory_iterator(base_)) found.push_back(entry.path());
  EXPECT_THAT(found, ::testing::UnorderedElementsAre(base_ / "m_update.zip", target_, target_ / "kept.txt"));
}

TEST(IsSafeEntryName, SplitsAtBackslashesOnlyBetweenCharacters) {
  EXPECT_TRUE(IsSafeEntryName("a/b/c.txt"));
  EXPECT_TRUE(IsSafeEntryName("a..b/c"));
  EXPECT_TRUE(IsSafeEntryName(".hidden"));
  EXPECT_FALSE(IsSafeEntryName(""));
  EXPECT_FALSE(IsSafeEntryName("a/./b"));
  EXPECT_FALSE(IsSafeEntryName("a/.../b"));  // Windows reads it as the folder itself
  EXPECT_FALSE(IsSafeEntryName("file.txt:stream"));
  // 0x81 0x5C is one GBK character whose second byte is "\": not a separator, so the
  // ".." after it is part of a name.
  EXPECT_TRUE(IsSafeEntryName("\x81\\.."));
  EXPECT_FALSE(IsSafeEntryName("a\\.."));
}

TEST_F(Unzip, ReadsUtf8NamesWhenTheArchiveSaysSo) {
  const UnzipReport r = Extract({
      {"\xE6\x9B\xB4\xE6\x96\xB0.txt", "utf-8 name", false, /*utf8Name=*/true},  // 更新.txt
      {"\xB8\xFC\xD0\xC2/a.txt", "gbk name"},                                    // 更新/a.txt
  });
  EXPECT_EQ(r.written, 2);
#ifdef _WIN32
  EXPECT_EQ(Read(target_ / L"\u66F4\u65B0.txt"), "utf-8 name");
  EXPECT_EQ(Read(target_ / L"\u66F4\u65B0" / "a.txt"), "gbk name");
#else
  // Here file names are the program's GBK bytes as they are.
  EXPECT_EQ(Read(target_ / "\xB8\xFC\xD0\xC2.txt"), "utf-8 name");
  EXPECT_EQ(Read(target_ / "\xB8\xFC\xD0\xC2" / "a.txt"), "gbk name");
#endif
}

TEST_F(Unzip, AnEntryThatFailsItsCrcLeavesNoFileAndTheRestGoOn) {
  const UnzipReport r = Extract({
      {"bad.bin", Pattern(5000), true, false, /*wrongCrc=*/true},
      {"good.bin", "fine"},
  });
  EXPECT_EQ(r.failed, 1);
  EXPECT_EQ(r.written, 1);
  EXPECT_FALSE(fs::exists(target_ / "bad.bin"));
  EXPECT_EQ(Read(target_ / "good.bin"), "fine");
}

TEST_F(Unzip, SomethingElseThanAnArchiveIsNotOpened) {
  const fs::path notZip = base_ / "m_update.zip";
  Write(notZip, "<html>404</html>");
  const UnzipReport r = ExtractArchive(Gbk(notZip), Gbk(target_));
  EXPECT_FALSE(r.opened);
  EXPECT_FALSE(ExtractArchive(Gbk(base_ / "missing.zip"), Gbk(target_)).opened);
  EXPECT_TRUE(fs::is_empty(target_));
}

}  // namespace
}  // namespace vorlane::update
