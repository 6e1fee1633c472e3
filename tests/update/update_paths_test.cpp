#include "update/update_paths.h"

#include <gmock/gmock.h>

namespace vorlane::update {
namespace {

TEST(SplitPackageAddress, TakesTheThirdPieceAsAuthorityAndTheLastAsFileName) {
  PackageParts p = SplitPackageAddress("http://update.example:8080/soft/zujian/m_update.zip");
  EXPECT_EQ(p.authority, "update.example:8080");
  EXPECT_EQ(p.fileName, "m_update.zip");

  p = SplitPackageAddress("http://h/zujian/m_update.zip");
  EXPECT_EQ(p.authority, "h");
  EXPECT_EQ(p.fileName, "m_update.zip");
}

TEST(SplitPackageAddress, ShortAddressesGiveEmptyPieces) {
  PackageParts p = SplitPackageAddress("zujian/m_update.zip");
  EXPECT_EQ(p.authority, "");
  EXPECT_EQ(p.fileName, "m_update.zip");
  p = SplitPackageAddress("http://h/");
  EXPECT_EQ(p.authority, "h");
  EXPECT_EQ(p.fileName, "");
  p = SplitPackageAddress("");
  EXPECT_EQ(p.authority, "");
  EXPECT_EQ(p.fileName, "");
}

TEST(JoinPath, PutsABackslashBetween) {
  EXPECT_EQ(JoinPath("C:\\Program Files\\Vorlane", "m_update.zip"),
            "C:\\Program Files\\Vorlane\\m_update.zip");
}

TEST(SaveToText, ShowsA46BytePathWholeAndCutsA47BytePath) {
  const Text path46 = "C:\\abcdefghijklmnopqrstuvwxyz0123\\m_update.zip";
  ASSERT_EQ(path46.size(), 46u);
  EXPECT_EQ(SaveToText(path46, "m_update.zip"), "\xCF\xC2\xD4\xD8\xB5\xBD:" + path46);  // 下载到:

  const Text path47 = "C:\\abcdefghijklmnopqrstuvwxyz01234\\m_update.zip";
  ASSERT_EQ(path47.size(), 47u);
  EXPECT_EQ(SaveToText(path47, "m_update.zip"),
            "\xCF\xC2\xD4\xD8\xB5\xBD:"  // 下载到:
            "C:\\abcdefghijklmnopq...\\m_update.zip");
}

TEST(SaveToText, NeverCutsADoubleByteCharacterInHalf) {
  // "C:\" + 8 characters of two bytes each is 19 bytes; byte 20 begins a ninth.
  const Text folder =
      "C:\\\xB8\xFC\xD0\xC2\xB8\xFC\xD0\xC2\xB8\xFC\xD0\xC2\xB8\xFC\xD0\xC2\xB8\xFC";  // C:\更新更新更新更新更
  const Text path = folder + "\\long-enough-to-be-cut-short\\m_update.zip";
  ASSERT_GT(path.size(), 46u);
  EXPECT_EQ(SaveToText(path, "m_update.zip"),
            "\xCF\xC2\xD4\xD8\xB5\xBD:"  // 下载到:
            "C:\\\xB8\xFC\xD0\xC2\xB8\xFC\xD0\xC2\xB8\xFC\xD0\xC2\xB8\xFC\xD0\xC2...\\m_update.zip");
  // Cut where a character ends, all 20 bytes stay.
  const Text even =
      "C:\\a\xB8\xFC\xD0\xC2\xB8\xFC\xD0\xC2\xB8\xFC\xD0\xC2\xB8\xFC\xD0\xC2\xB8\xFC\\more\\and-more\\m_"
      "update.zip";
  EXPECT_EQ(SaveToText(even, "m_update.zip"),
            "\xCF\xC2\xD4\xD8\xB5\xBD:"
            "C:\\a\xB8\xFC\xD0\xC2\xB8\xFC\xD0\xC2\xB8\xFC\xD0\xC2\xB8\xFC\xD0\xC2...\\m_update.zip");
}

TEST(SourceText, NamesTheFileAndWhereItComesFrom) {
  EXPECT_EQ(SourceText({"h:8080", "m_update.zip"}),
            "m_update.zip (\xC0\xB4\xD7\xD4 h:8080 )");  // (来自 h:8080 )
}

}  // namespace
}  // namespace vorlane::update
