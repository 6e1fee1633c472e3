// scripts/sign-update.sh writes what the program reads: its signature of an info
// file holds under the program's check, and the key line it prints is the key of
// the pair. Natively, where OpenSSL's command line is.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/temp_folder.h"
#include "test_signer.h"
#include "update/signed_info.h"

namespace vorlane::update {
namespace {

const std::string kScript = std::string(VORLANE_SOURCE_DIR) + "/scripts/sign-update.sh";
const std::string kKey = std::string(VORLANE_SOURCE_DIR) + "/tests/update/keys/test-update-key.pem";

// The command's standard output; empty when it failed.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r")) {
    char block[512];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, pipe)) > 0) out.append(block, n);
    if (::pclose(pipe) != 0) return {};
  }
  return out;
}

TEST(SignScriptTest, ItsSignaturesHoldAndItsKeyLineIsThePairs) {
  EXPECT_EQ(Output("sh '" + kScript + "' public '" + kKey + "'"),
            std::string("public_key = ") + test::kTestPublicKey + "\n");
  const test::TempFolder folder("vorlane-sign");
  // A few texts: r and s of varied lengths in DER, padded back to 32 bytes each.
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const std::string info =
        "[update]\r\nlatest_version=" + std::to_string(111 + i) + "\r\npage_url=http://maker.example/\r\n";
    const auto path = folder / ("update" + std::to_string(i) + ".ini");
    test::WriteFileBytes(path, info);
    ASSERT_NE(Output("sh '" + kScript + "' sign '" + kKey + "' '" + path.string() + "'"), "");
    const std::string signature = test::ReadFileBytes(path.string() + ".sig");
    EXPECT_EQ(signature.size(), 129u);
    EXPECT_TRUE(IsSignedBy(info, signature, test::kTestPublicKey));
    EXPECT_FALSE(IsSignedBy(info + " ", signature, test::kTestPublicKey));
  }
}

TEST(SignScriptTest, KeygenNeverOverwritesAKey) {
  EXPECT_EQ(Output("sh '" + kScript + "' keygen '" + kKey + "'"), "");
  const test::TempFolder folder("vorlane-keygen");
  const std::string made = (folder / "new.pem").string();
  const std::string line = Output("sh '" + kScript + "' keygen '" + made + "'");
  ASSERT_EQ(line.rfind("public_key = 04", 0), 0u);
  EXPECT_TRUE(ReadPublicKey(line.substr(13)).has_value());
}

}  // namespace
}  // namespace vorlane::update
