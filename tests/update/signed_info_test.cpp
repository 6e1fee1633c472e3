// The update info counts only when the build's key signed it: the signature check
// through the platform's ECDSA (OpenSSL natively, BCrypt under Wine), and what the
// update window is given from signed and unsigned info.
#include <gmock/gmock.h>

#include <string>

#include "config/app_config.h"
#include "test_signer.h"
#include "update/signed_info.h"

namespace vorlane::update {
namespace {

using test::kOtherPublicKey;
using test::kTestPublicKey;
using test::SignWithTestKey;

constexpr char kDigest[] = "5f0c7d3e00112233445566778899aabbccddeeff00112233445566778899aabb";

std::string Info() {
  return std::string("[update]\r\nlatest_version=111\r\npackage_base=http://files.example/v/\r\n") +
         "package_sha256=" + kDigest +
         "\r\npackage_size=1048576\r\npage_url=http://files.example/get.html\r\n";
}

TEST(SignedInfoTest, OnlyTheSignatureOfTheBuildsKeyOverTheExactTextHolds) {
  const std::string info = Info();
  const std::string good = SignWithTestKey(info);
  ASSERT_EQ(good.size(), 129u) << "the platform could not sign";
  std::string flipped = good;
  flipped[70] = flipped[70] == '0' ? '1' : '0';  // one digit of s
  const struct {
    const char* what;
    std::string signature;
    const char* key;
    bool holds;
  } cases[] = {
      {"signed", good, kTestPublicKey, true},
      {"signed, with blanks and CR LF around", "  " + good.substr(0, 128) + "\r\n\r\n", kTestPublicKey, true},
      {"unsigned", "", kTestPublicKey, false},
      {"a wrong signature", flipped, kTestPublicKey, false},
      {"the signature of another text", SignWithTestKey("[update]\r\nlatest_version=111\r\n"), kTestPublicKey,
       false},
      {"signed for another key", good, kOtherPublicKey, false},
      {"truncated", good.substr(0, 100), kTestPublicKey, false},
      {"truncated by one digit", good.substr(0, 127), kTestPublicKey, false},
      {"one digit too many", good.substr(0, 128) + "0", kTestPublicKey, false},
      {"not hex", std::string(128, 'g'), kTestPublicKey, false},
      {"r and s zero", std::string(128, '0'), kTestPublicKey, false},
      {"an answer far too long", good + std::string(2000, ' '), kTestPublicKey, false},
      {"no key in the build", good, "", false},
      {"a compressed key", good, "02039878efd91c101b3d7761edda43ab469304fb82b22f164722fefb077b22d3d7", false},
      {"a key that is no point of the curve", good, nullptr, false},
  };
  const std::string offCurve = "04" + std::string(128, '1');
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(IsSignedBy(info, c.signature, c.key != nullptr ? c.key : offCurve), c.holds);
  }
}

TEST(SignedInfoTest, InfoChangedByOneByteAfterSigningDoesNotHold) {
  const std::string info = Info();
  const std::string signature = SignWithTestKey(info);
  ASSERT_TRUE(IsSignedBy(info, signature, kTestPublicKey));
  for (size_t at : {size_t{0}, info.find("111") + 2, info.find(kDigest) + 10, info.size() - 1}) {
    SCOPED_TRACE(at);
    std::string changed = info;
    changed[at] = static_cast<char>(changed[at] ^ 0x01);
    EXPECT_FALSE(IsSignedBy(changed, signature, kTestPublicKey));
  }
  EXPECT_FALSE(IsSignedBy(info + "\n", signature, kTestPublicKey));
  EXPECT_FALSE(IsSignedBy(info.substr(0, info.size() - 1), signature, kTestPublicKey));
}

class OfferedUpdateTest : public ::testing::Test {
 protected:
  OfferedUpdateTest() {
    local_.Merge(std::string("[update]\nlatest_version=110\npage_url=http://maker.example/download.html\n") +
                 "package_base=http://maker.example/\npackage_sha256=" + std::string(64, 'a') +
                 "\npackage_size=99\npublic_key=" + kTestPublicKey + "\n");
  }
  config::AppConfig local_;
};

TEST_F(OfferedUpdateTest, ASignedInfoNamesThePackageItsDigestAndThePage) {
  const std::string info = Info();
  const config::UpdateValues values = ReadOfferedUpdate(local_, info, SignWithTestKey(info));
  EXPECT_EQ(values.latestVersion, 111);
  EXPECT_EQ(values.packageAddress, "http://files.example/v/zujian/m_update.zip");
  EXPECT_EQ(values.pageAddress, "http://files.example/get.html");
  ASSERT_TRUE(values.package.sha256.has_value());
  EXPECT_EQ((*values.package.sha256)[0], 0x5F);
  EXPECT_EQ(values.package.size, 1048576u);
}

TEST_F(OfferedUpdateTest, AnInfoThatDoesNotHoldGivesOnlyTheVersionItClaims) {
  const std::string info = Info();
  for (const std::string& signature : {std::string(), SignWithTestKey("something else")}) {
    const config::UpdateValues values = ReadOfferedUpdate(local_, info, signature);
    EXPECT_EQ(values.latestVersion, 111);
    EXPECT_EQ(values.packageAddress, "http://maker.example/zujian/m_update.zip");
    EXPECT_EQ(values.pageAddress, "http://maker.example/download.html");
    // The local digest and size do not count either: nothing may be unpacked.
    EXPECT_FALSE(values.package.sha256.has_value());
    EXPECT_FALSE(values.package.size.has_value());
  }
}

TEST_F(OfferedUpdateTest, WithoutInfoOrWithASignedInfoWithoutDigestNothingCanBeUnpacked) {
  EXPECT_FALSE(ReadOfferedUpdate(local_, "", "").package.sha256.has_value());
  const std::string info = "[update]\r\nlatest_version=112\r\n";
  const config::UpdateValues values = ReadOfferedUpdate(local_, info, SignWithTestKey(info));
  EXPECT_EQ(values.latestVersion, 112);
  EXPECT_FALSE(values.package.sha256.has_value());
  EXPECT_FALSE(values.package.size.has_value());
}

TEST_F(OfferedUpdateTest, TheInfoCannotBringItsOwnKey) {
  // Signed by a key the build does not hold, naming that key: still not the maker's.
  const std::string info = Info() + "public_key=" + kOtherPublicKey + "\r\n";
  config::AppConfig keyless = local_;
  keyless.Set("update", "public_key", kOtherPublicKey);
  const std::string signature = SignWithTestKey(info);
  EXPECT_TRUE(ReadOfferedUpdate(local_, info, signature).package.sha256.has_value());
  EXPECT_FALSE(ReadOfferedUpdate(keyless, info, signature).package.sha256.has_value());
}

}  // namespace
}  // namespace vorlane::update
