// The checks and the update's downloader against a real TLS server: Debian's nginx,
// started on 127.0.0.1 by scripts/tls-stack.sh with certificates of a test
// authority that the system trusts for that run only. Every case is skipped unless
// the script's VORLANE_TLS_* variables are set. The servers are named localhost,
// which the certificates carry as their name (Wine does not match an address).
#include <gmock/gmock.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "check/search_query.h"
#include "support/temp_folder.h"
#include "text/codepage.h"
#include "update/download_file.h"
#include "update/sha256.h"
#include "web/web_visit.h"

namespace vorlane {
namespace {

namespace fs = std::filesystem;
using check::CheckFailure;
using ::testing::HasSubstr;
using ::testing::Not;

int PortFrom(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::atoi(value) : 0;
}

struct Stack {
  int good = PortFrom("VORLANE_TLS_GOOD");
  int expired = PortFrom("VORLANE_TLS_EXPIRED");
  int wrongName = PortFrom("VORLANE_TLS_WRONG_NAME");
  int selfSigned = PortFrom("VORLANE_TLS_SELF_SIGNED");
  int plain = PortFrom("VORLANE_TLS_PLAIN");
  size_t packageSize = static_cast<size_t>(PortFrom("VORLANE_TLS_PACKAGE_SIZE"));
  std::string packageEtag =
      std::getenv("VORLANE_TLS_PACKAGE_ETAG") ? std::getenv("VORLANE_TLS_PACKAGE_ETAG") : "";

  bool ready() const { return good && expired && wrongName && selfSigned && plain && packageSize; }
  static Text Https(int port) { return "https://localhost:" + std::to_string(port); }
  static Text Http(int port) { return "http://localhost:" + std::to_string(port); }
};

// The package the script serves: byte i is i * 7 + i / 13.
std::string Package(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 13);
  return bytes;
}

config::Sha256Digest DigestOf(std::string_view bytes) {
  update::Sha256 hash;
  hash.Add(bytes);
  return hash.Finish().value_or(config::Sha256Digest{});
}

class TlsStack : public testing::Test {
 protected:
  void SetUp() override {
    if (!stack_.ready()) GTEST_SKIP() << "run through scripts/tls-stack.sh";
  }

  static check::PageVerdict CheckAt(const Text& host) {
    return check::CheckTitleAt(check::FetchResultPage, check::BuildSearchUrl(host, Utf8ToGbk("毛衣")));
  }

  std::int32_t Download(const std::string& url, const config::AnnouncedPackage& package = {}) {
    update::ByteCounter total{0};
    update::ByteCounter received{0};
    return update::DownloadFile(url, save_, total, received, package);
  }
  fs::path SavedFile() const { return folder_ / "m_update.zip"; }
  fs::path PartialFile() const { return folder_ / "m_update.zip.tmp"; }

  Stack stack_;
  test::TempFolder folder_{"vorlane-tls-stack"};
  std::string save_ = (folder_ / "m_update.zip").string();
};

// --- The site -------------------------------------------------------------------------

TEST_F(TlsStack, AnHttpsSiteIsCheckedLikeAPlainOne) {
  const check::PageVerdict verdict = CheckAt(Stack::Https(stack_.good));
  EXPECT_FALSE(verdict.failed()) << check::FailureText(verdict);
  EXPECT_TRUE(verdict.indexed);
  EXPECT_EQ(check::CountOf(verdict), 7);
}

TEST_F(TlsStack, APlainSiteThatRedirectsToHttpsIsFollowed) {
  const check::PageVerdict verdict = CheckAt("localhost:" + std::to_string(stack_.plain));
  EXPECT_FALSE(verdict.failed()) << check::FailureText(verdict);
  EXPECT_EQ(check::CountOf(verdict), 7);
}

TEST_F(TlsStack, GzipPagesAreDecodedWithALengthAndInChunks) {
  for (const char* path : {"/book/search/%61", "/chunked/book/search/%61"}) {
    SCOPED_TRACE(path);
    Text url = Stack::Https(stack_.good) + path;
    const VisitResult result = VisitPage({.url = url, .resultEncoding = kBodyFromUtf8});
    EXPECT_EQ(result.status, 200);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.failure, web::ServiceFailure::kNone);
    EXPECT_THAT(result.body, HasSubstr(Utf8ToGbk("找到7个“毛衣”")));
#ifndef _WIN32
    // Wine's WinINet drops the coding's lines once it has decoded the body.
    EXPECT_THAT(result.responseHeaders, HasSubstr("Content-Encoding: gzip"));
#endif
  }
}

TEST_F(TlsStack, CertificatesTheSystemDoesNotAcceptFailWithTheirOwnReason) {
  const struct {
    const char* what;
    int port;
    CheckFailure failure;
  } cases[] = {
      {"self-signed", stack_.selfSigned, CheckFailure::kCertificateUntrusted},
      {"expired", stack_.expired, CheckFailure::kCertificateExpired},
      {"made out to another name", stack_.wrongName, CheckFailure::kCertificateWrongName},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const check::PageVerdict verdict = CheckAt(Stack::Https(c.port));
    EXPECT_FALSE(verdict.indexed);
    EXPECT_EQ(verdict.failure, c.failure);
  }
}

TEST_F(TlsStack, ARedirectToABadCertificateIsNotTakenForTheFirstHopsAnswer) {
  // The plain server answers 301; the HTTPS server it names has an expired
  // certificate. That is no answer from the site, and certainly not "301".
  Text url = Stack::Http(stack_.plain) + "/to-expired/book/search/%61";
  const check::FetchedPage fetched = check::FetchResultPage(url);
  const check::PageVerdict verdict = check::CheckTitleAt([&](const Text&) { return fetched; }, url);
  EXPECT_EQ(fetched.status, 0);
  EXPECT_EQ(verdict.failure, CheckFailure::kCertificateExpired);
  EXPECT_THAT(check::FailureText(verdict), Not(HasSubstr("301")));
}

// --- The update package -----------------------------------------------------------------

TEST_F(TlsStack, AnHttpsPackageIsDownloadedAndCheckedAgainstItsDigest) {
  const std::string package = Package(stack_.packageSize);
  const Text url = Stack::Https(stack_.good) + "/pkg/m_update.zip";
  EXPECT_EQ(Download(url, {package.size(), DigestOf(package)}), update::kDownloadOk);
  EXPECT_TRUE(test::ReadFileBytes(SavedFile()) == package);
  EXPECT_FALSE(fs::exists(PartialFile()));

  // A package that is not the announced one is not kept.
  fs::remove(SavedFile());
  EXPECT_EQ(Download(url, {package.size(), DigestOf("another package")}), update::kDownloadBadStatus);
  EXPECT_FALSE(fs::exists(SavedFile()));
}

TEST_F(TlsStack, AnHttpsPackageResumesWithIfRangeAndComesWholeWhenTheFileChanged) {
  const std::string package = Package(stack_.packageSize);
  const Text url = Stack::Https(stack_.good) + "/pkg/m_update.zip";
  // A partial file whose validator is the server's: only the rest is asked for and
  // appended, so the stand-in bytes stay in front.
  const std::string standIn(1000, 'x');
  test::WriteFileBytes(PartialFile(), standIn);
  test::WriteFileBytes(folder_ / "m_update.zip.tmp.validator", stack_.packageEtag);
  EXPECT_EQ(Download(url), update::kDownloadOk);
  const std::string resumed = test::ReadFileBytes(SavedFile());
  ASSERT_EQ(resumed.size(), package.size());
  EXPECT_TRUE(resumed.substr(0, 1000) == standIn);
  EXPECT_TRUE(resumed.substr(1000) == package.substr(1000));

  // Another validator: the server's file is not the one that began the partial
  // file, so the whole file comes instead of the rest.
  fs::remove(SavedFile());
  test::WriteFileBytes(PartialFile(), standIn);
  test::WriteFileBytes(folder_ / "m_update.zip.tmp.validator", "\"an-older-file\"");
  EXPECT_EQ(Download(url), update::kDownloadOk);
  EXPECT_TRUE(test::ReadFileBytes(SavedFile()) == package);
}

TEST_F(TlsStack, APlainPackageAddressThatMovedToHttpsIsFollowed) {
  const std::string package = Package(stack_.packageSize);
  EXPECT_EQ(
      Download(Stack::Http(stack_.plain) + "/to-https/pkg/m_update.zip", {package.size(), DigestOf(package)}),
      update::kDownloadOk);
  EXPECT_TRUE(test::ReadFileBytes(SavedFile()) == package);
}

TEST_F(TlsStack, AnHttpsPackageIsNeverFetchedOverPlainHttp) {
  test::WriteFileBytes(SavedFile(), "previous package");
  EXPECT_EQ(Download(Stack::Https(stack_.good) + "/downgrade/pkg/m_update.zip"), update::kDownloadBadStatus);
  EXPECT_EQ(test::ReadFileBytes(SavedFile()), "previous package");
  EXPECT_FALSE(fs::exists(PartialFile()));
}

TEST_F(TlsStack, APackageBehindACertificateTheSystemDoesNotAcceptIsNotDownloaded) {
  for (int port : {stack_.selfSigned, stack_.expired, stack_.wrongName}) {
    SCOPED_TRACE(port);
    EXPECT_EQ(Download(Stack::Https(port) + "/pkg/m_update.zip"), update::kDownloadConnectFailed);
    EXPECT_FALSE(fs::exists(SavedFile()));
    EXPECT_FALSE(fs::exists(PartialFile()));
  }
}

}  // namespace
}  // namespace vorlane
