#include "update/update_unzip.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <map>
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

// Caps that no test archive comes near, unless a test means it to.
constexpr config::UnzipLimits kRoomy{64 << 20, 64 << 20};

class Unzip : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fs::create_directories(target_)); }

  // The program's GBK text of a path in the test folder (ASCII here).
  static Text Gbk(const fs::path& p) { return p.string(); }

  UnzipReport Extract(const std::vector<ZipEntry>& entries, const config::UnzipLimits& limits = kRoomy) {
    const fs::path archive = base_ / "m_update.zip";
    Write(archive, MakeZip(entries));
    return ExtractArchive(Gbk(archive), Gbk(target_), limits);
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
  const UnzipReport r = ExtractArchive(Gbk(notZip), Gbk(target_), kRoomy);
  EXPECT_FALSE(r.opened);
  EXPECT_FALSE(ExtractArchive(Gbk(base_ / "missing.zip"), Gbk(target_), kRoomy).opened);
  EXPECT_TRUE(fs::is_empty(target_));
}

// --- Damaged and hostile packages ---------------------------------------------------

void MakeReadOnly(const fs::path& p) {
#ifdef _WIN32
  ASSERT_TRUE(::SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
#else
  fs::permissions(p, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
#endif
}

bool IsReadOnly(const fs::path& p) {
#ifdef _WIN32
  const DWORD attributes = ::GetFileAttributesW(p.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
#else
  return (fs::status(p).permissions() & fs::perms::owner_write) == fs::perms::none;
#endif
}

// Every file under `folder` (names relative, with "/"), with its bytes.
std::map<std::string, std::string> FilesUnder(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    const std::u8string name = entry.path().lexically_relative(folder).generic_u8string();
    files[std::string(name.begin(), name.end())] = vorlane::test::ReadFileBytes(entry.path());
  }
  return files;
}

struct UnpackFault {
  const char* fault;
  std::vector<ZipEntry> entries;
  config::UnzipLimits limits = kRoomy;
  std::map<std::string, std::string> before = {};  // files there beforehand, read-only
  int written = 0, refused = 0, oversized = 0, failed = 0;
  std::map<std::string, std::string> after = {};  // every file there afterwards
};

ZipEntry Utf8Named(std::string name, std::string data) {
  return {std::move(name), std::move(data), false, /*utf8Name=*/true};
}

ZipEntry Declaring(std::uint32_t size, std::string name, std::string data) {
  ZipEntry e{std::move(name), std::move(data), /*deflate=*/true};
  e.declaredSize = size;
  return e;
}

TEST(UnpackFaults, NothingIsLostAndNothingUnsafeOrOverTheCapsIsWritten) {
  const std::string installer = "MZ the installer already here";
  const UnpackFault faults[] = {
      {.fault = "a corrupt entry for a file already there",
       .entries = {{"m_update.exe", Pattern(5000), true, false, /*wrongCrc=*/true}},
       .before = {{"m_update.exe", installer}},
       .failed = 1,
       .after = {{"m_update.exe", installer}}},
      {.fault = "an entry that inflates to fewer bytes than declared",
       .entries = {Declaring(100, "short.bin", "twelve bytes")},
       .failed = 1},
      {.fault = "an entry over the per-entry cap",
       .entries = {{"big.bin", Pattern(1001), true}, {"small.bin", "fits"}},
       .limits = {1000, 1 << 20},
       .written = 1,
       .oversized = 1,
       .after = {{"small.bin", "fits"}}},
      {.fault = "entries over the total cap",
       .entries = {{"a.bin", std::string(800, 'a')}, {"b.bin", std::string(800, 'b')}},
       .limits = {1000, 1500},
       .written = 1,
       .oversized = 1,
       .after = {{"a.bin", std::string(800, 'a')}}},
      // 8 MiB of zeros that claim to be 1000 bytes, with the CRC of those 1000.
      {.fault = "a bomb whose declared size lies",
       .entries = {Declaring(1000, "bomb.bin", std::string(8 << 20, '\0'))},
       .limits = {64 << 10, 64 << 10},
       .failed = 1},
      {.fault = "device names",
       .entries = {{"CON", "x"},
                   {"nul.txt", "x"},
                   {"Com1.zip", "x"},
                   {"lpt9.log", "x"},
                   {"aux. ", "x"},
                   {"PRN .txt", "x"},
                   {"data/con/readme.txt", "x"},
                   {"com10.txt", "not a device"},
                   {"console.txt", "nor this"}},
       .written = 2,
       .refused = 7,
       .after = {{"com10.txt", "not a device"}, {"console.txt", "nor this"}}},
      // In code page 936 byte 0x80 is a character of its own (the euro sign), so the
      // "/" after it is a separator and ".." a part.
      {.fault = "0x80 before a separator", .entries = {{"\x80/../escaped.txt", "x"}}, .refused = 1},
      {.fault = "UTF-8 names that do not convert to GBK",
       .entries = {Utf8Named("\xC0\xAE\xC0\xAE/x.txt", "overlong dots"),  // not UTF-8 at all
                   Utf8Named("\xE0\xB8\x81.txt", "Thai"),                 // a character GBK lacks
                   Utf8Named("ok.txt", "fine")},
       .written = 1,
       .refused = 2,
       .after = {{"ok.txt", "fine"}}},
  };

  for (const UnpackFault& c : faults) {
    SCOPED_TRACE(c.fault);
    vorlane::test::TempFolder folder("vorlane-unpack-fault");
    const fs::path target = folder / "app";
    ASSERT_TRUE(fs::create_directories(target));
    for (const auto& [name, bytes] : c.before) {
      vorlane::test::WriteFileBytes(target / name, bytes);
      MakeReadOnly(target / name);
    }
    const fs::path archive = folder / "m_update.zip";
    vorlane::test::WriteFileBytes(archive, MakeZip(c.entries));

    const UnzipReport r = ExtractArchive(archive.string(), target.string(), c.limits);

    EXPECT_TRUE(r.opened);
    EXPECT_EQ(r.written, c.written);
    EXPECT_EQ(r.refused, c.refused);
    EXPECT_EQ(r.oversized, c.oversized);
    EXPECT_EQ(r.failed, c.failed);
    EXPECT_LE(r.bytesWritten, c.limits.maxTotalBytes);
    // No temporary file stays, and nothing else arrived or went.
    EXPECT_EQ(FilesUnder(target), c.after);
    // A file left as it was keeps its attributes as well.
    for (const auto& [name, bytes] : c.before) {
      if (c.after.contains(name) && c.after.at(name) == bytes) {
        EXPECT_TRUE(IsReadOnly(target / name)) << name;
      }
    }
  }
}

}  // namespace
}  // namespace vorlane::update
