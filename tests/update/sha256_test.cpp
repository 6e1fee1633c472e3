// The package's SHA-256 from the platform's hash (BCrypt under Wine, OpenSSL here),
// against the standard's test vectors, however the bytes are cut.
#include "update/sha256.h"

#include <gmock/gmock.h>

#include <string>

#include "digest_hex.h"
#include "support/temp_folder.h"
#include "update/package_check.h"

namespace vorlane::update {
namespace {

struct Vector {
  std::string message;
  const char* digest;
};

const Vector kVectors[] = {
    {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

TEST(Sha256, StandardVectorsWholeAndInPieces) {
  for (const Vector& v : kVectors) {
    SCOPED_TRACE(v.message.substr(0, 20));
    for (size_t piece : {v.message.size() + 1, size_t{1}, size_t{63}, size_t{64}, size_t{65537}}) {
      SCOPED_TRACE(piece);
      Sha256 hash;
      for (size_t at = 0; at < v.message.size(); at += piece)
        ASSERT_TRUE(hash.Add(std::string_view(v.message).substr(at, piece)));
      const std::optional<config::Sha256Digest> digest = hash.Finish();
      ASSERT_TRUE(digest.has_value());
      EXPECT_EQ(vorlane::test::DigestHex(*digest), v.digest);
    }
  }
}

TEST(Sha256, AFinishedHashGivesNothingMore) {
  Sha256 hash;
  ASSERT_TRUE(hash.Add("abc"));
  ASSERT_TRUE(hash.Finish().has_value());
  EXPECT_FALSE(hash.Add("d"));
  EXPECT_FALSE(hash.Finish().has_value());
}

TEST(FileSha256, HashesTheWholeFileAndNothingForAMissingOne) {
  test::TempFolder folder("vorlane-sha256");
  std::string bytes;
  for (int i = 0; i < 300; ++i)
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);  // 76,800 bytes: more than one read
  test::WriteFileBytes(folder / "package.zip", bytes);
  const Text path = (folder / "package.zip").string();

  const std::optional<config::Sha256Digest> digest = FileSha256(path);
  ASSERT_TRUE(digest.has_value());
  EXPECT_EQ(vorlane::test::DigestHex(*digest),
            "f8b0585eb91f58c007a5634362c9f90d8543822c113f702523bc7b73408a9392");
  EXPECT_FALSE(FileSha256((folder / "missing.zip").string()).has_value());

  config::AnnouncedPackage announced;
  EXPECT_TRUE(HasAnnouncedDigest(path, announced));  // nothing announced, nothing to miss
  announced.sha256 = *digest;
  EXPECT_TRUE(HasAnnouncedDigest(path, announced));
  (*announced.sha256)[31] ^= 1;
  EXPECT_FALSE(HasAnnouncedDigest(path, announced));
  EXPECT_FALSE(HasAnnouncedDigest((folder / "missing.zip").string(), announced));
}

}  // namespace
}  // namespace vorlane::update
