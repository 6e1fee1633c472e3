#include "update/download_file.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <random>
#include <thread>

#include "net/net_globals.h"
#include "support/fault_server.h"
#include "support/local_server.h"
#include "support/temp_folder.h"
#include "support/update_site.h"
#include "support/wait_until.h"
#include "update/sha256.h"

namespace vorlane::update {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::FaultPlan;
using test::FaultServer;

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 13);
  return s;
}

FaultPlan Serving(std::string content) {
  FaultPlan plan;
  plan.content = std::move(content);
  return plan;
}

config::Sha256Digest DigestOf(std::string_view bytes) {
  Sha256 hash;
  hash.Add(bytes);
  return hash.Finish().value_or(config::Sha256Digest{});
}

// What the update info would announce of `content`.
config::AnnouncedPackage Announcing(std::string_view content) {
  return {content.size(), DigestOf(content)};
}

// Polls `done` for up to 5 s.
bool Eventually(const std::function<bool()>& done) {
  return test::WaitUntil(done, 5s, 2ms);
}

class Download : public testing::Test {
 protected:
  // The program's GBK text for a file in the test folder.
  std::string Save(std::string_view name = "m_update.zip") const {
    return dirText_ + static_cast<char>(fs::path::preferred_separator) + std::string(name);
  }
  fs::path Native(std::string_view name = "m_update.zip") const { return dir_ / name; }
  fs::path Temp(std::string_view name = "m_update.zip") const { return dir_ / (std::string(name) + ".tmp"); }
  fs::path Validator() const { return dir_ / "m_update.zip.tmp.validator"; }
  // A partial file as an earlier run that kept the validator of its answer left it.
  void LeavePartial(std::string_view bytes, std::string_view validator = "\"v1\"") {
    Write(Temp(), bytes);
    if (!validator.empty()) Write(Validator(), validator);
  }

  static std::string Read(const fs::path& p) { return test::ReadFileBytes(p); }
  static void Write(const fs::path& p, std::string_view bytes) { test::WriteFileBytes(p, bytes); }
  static std::uint64_t SizeOf(const fs::path& p) {
    std::error_code ec;
    auto n = fs::file_size(p, ec);
    return ec ? 0 : n;
  }

  std::int32_t Fetch(const std::string& url, std::chrono::milliseconds wait = 2s,
                     const config::AnnouncedPackage& package = {}) {
    std::int32_t result = DownloadFile(socket_, url, Save(), total_, received_, wait, package);
    EXPECT_FALSE(socket_.isOpen()) << "the socket outlived the transfer";
    return result;
  }
  std::future<std::int32_t> FetchInBackground(const std::string& url, std::chrono::milliseconds wait = 5s) {
    return std::async(std::launch::async, [this, url, wait] {
      return DownloadFile(socket_, url, Save(), total_, received_, wait);
    });
  }

  void ExpectNoFiles() {
    EXPECT_FALSE(fs::exists(Native()));
    EXPECT_FALSE(fs::exists(Temp()));
    EXPECT_FALSE(fs::exists(Validator()));
  }

  test::TempFolder folder_{"vorlane-download"};
  const fs::path& dir_ = folder_.path();
  const std::string dirText_ = dir_.string();
  net::TcpSocket socket_;
  ByteCounter total_{0};
  ByteCounter received_{0};
};

// --- What goes over the wire ------------------------------------------------------

TEST_F(Download, ExplicitPortUrlConnectsThereAndNamesItInThePlainRequest) {
  const std::string content = Pattern(700);
  FaultServer server(Serving(content));
  std::vector<std::string> asked;
  net::TcpSocket socket([&](const std::string& host) -> std::optional<std::uint32_t> {
    asked.push_back(host);
    return htonl(INADDR_LOOPBACK);
  });
  const std::string port = std::to_string(server.port());

  EXPECT_EQ(DownloadFile(socket, "http://h:" + port + "/a/b.zip", Save(), total_, received_, 2s),
            kDownloadOk);

  EXPECT_THAT(asked, testing::ElementsAre("h"));
  ASSERT_EQ(server.connections(), 1);
  EXPECT_EQ(server.requests().at(0),
            "GET /a/b.zip HTTP/1.1\r\n"
            "Accept: */*\r\n"
            "Accept-Language: zh-cn\r\n"
            "Host: h:" +
                port +
                "\r\n"
                "Connection: Keep-Alive\r\n"
                "\r\n");
  EXPECT_EQ(Read(Native()), content);
  EXPECT_FALSE(fs::exists(Temp()));
  EXPECT_EQ(total_, 700);
  EXPECT_EQ(received_, 700);
}

TEST_F(Download, ResumeAsksForTheRestOfThePartialFileAndCountsItsBytes) {
  const std::string content = Pattern(1500);
  Write(Temp(), content.substr(0, 1000));  // trusted for the announced digest
  FaultServer server(Serving(content));

  EXPECT_EQ(Fetch(server.Url("a/b.zip"), 2s, Announcing(content)), kDownloadOk);

  ASSERT_EQ(server.connections(), 1);
  EXPECT_EQ(server.requests().at(0),
            "GET /a/b.zip HTTP/1.1\r\n"
            "Host: 127.0.0.1:" +
                std::to_string(server.port()) +
                "\r\n"
                "Accept: */*\r\n"
                "User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n"
                "Range: bytes=1000-\r\n"
                "Pragma: no-cache\r\n"
                "Cache-Control: no-cache\r\n"
                "Connection: close\r\n"
                "\r\n");
  EXPECT_EQ(total_, 1500);  // the 1000 bytes at hand and the 500 announced
  EXPECT_EQ(received_, 1500);
  EXPECT_TRUE(Read(Native()) == content);
  EXPECT_FALSE(fs::exists(Temp()));
}

TEST_F(Download, ProgramDownloadUsesTheProgramSocketAndClosesIt) {
  FaultServer server(Serving("package"));
  EXPECT_EQ(DownloadFile(server.Url("m_update.zip"), Save(), total_, received_), kDownloadOk);
  EXPECT_EQ(Read(Native()), "package");
  EXPECT_FALSE(net::ProgramSocket().isOpen());
}

// --- Outcomes ---------------------------------------------------------------------

TEST_F(Download, CompleteTransferReplacesAnExistingFile) {
  Write(Native(), std::string(5000, 'o'));
  const std::string content = Pattern(3000);
  FaultServer server(Serving(content));
  EXPECT_EQ(Fetch(server.Url("m_update.zip")), kDownloadOk);
  EXPECT_TRUE(Read(Native()) == content);
  EXPECT_FALSE(fs::exists(Temp()));
}

TEST_F(Download, EmptyFileIsACompleteTransfer) {
  FaultServer server(Serving(""));
  EXPECT_EQ(Fetch(server.Url("empty")), kDownloadOk);
  EXPECT_TRUE(fs::exists(Native()));
  EXPECT_EQ(SizeOf(Native()), 0u);
}

TEST_F(Download, LargerFileArrivesWhole) {
  const std::string content = Pattern(3 << 20);
  FaultServer server(Serving(content));
  EXPECT_EQ(Fetch(server.Url("big")), kDownloadOk);
  EXPECT_TRUE(Read(Native()) == content);
  EXPECT_EQ(received_, 3 << 20);
}

// Answers that end with no file at all: the code says which kind of failure, and
// neither the package, its partial file nor a validator is left behind.
TEST_F(Download, AnswersThatAreNotACompleteFileLeaveNoFile) {
  struct Case {
    const char* what;
    std::function<void(FaultPlan&)> change;
    std::chrono::milliseconds wait;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"404", [](FaultPlan& p) { p.statusLine = "HTTP/1.1 404 Not Found"; }, 2s, kDownloadBadStatus},
      {"HTTP/1.0", [](FaultPlan& p) { p.statusLine = "HTTP/1.0 200 OK"; }, 2s, kDownloadBadStatus},
      {"early close", [](FaultPlan& p) { p.closeAfter = 300; }, 2s, kDownloadIncomplete},
      {"trickle slower than the wait", [](FaultPlan& p) { p.trickle = 1s; }, 100ms, kDownloadIncomplete},
      {"silence before the answer", [](FaultPlan& p) { p.stallBeforeReply = 30s; }, 200ms,
       kDownloadIncomplete},
      {"silence in the body", [](FaultPlan& p) { p.holds = {100}; }, 200ms, kDownloadIncomplete},
      {"head beyond the cap",
       [](FaultPlan& p) { p.extraHeaders = "X-Padding: " + std::string(kMaxResponseHead, 'p') + "\r\n"; },
       2s, kDownloadBadStatus},
      {"status line that never ends",
       [](FaultPlan& p) { p.rawReply = "HTTP/1.1 200 " + std::string(200 * 1024, 'O'); }, 2s,
       kDownloadBadStatus},
      {"binary junk",
       [](FaultPlan& p) {
         static constexpr char kJunk[] = "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF\xFE";
         p.rawReply = std::string(kJunk, sizeof kJunk - 1);
       },
       2s, kDownloadBadStatus},
      {"cut inside the head", [](FaultPlan& p) { p.rawReply = "HTTP/1.1 200 OK\r\nContent-Len"; }, 2s,
       kDownloadIncomplete},
      {"no length", [](FaultPlan& p) { p.omitContentLength = true; }, 2s, kDownloadIncomplete},
      {"more bytes than announced", [](FaultPlan& p) { p.contentLength = "10"; }, 2s, kDownloadIncomplete},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FaultPlan plan = Serving(Pattern(1000));
    c.change(plan);
    FaultServer server(plan);
    total_ = 0;
    EXPECT_EQ(Fetch(server.Url("m_update.zip"), c.wait), c.expected);
    ExpectNoFiles();
  }
}

// The announced length is the total the window shows, even when the answer stops
// short; an answer without one announces nothing.
TEST_F(Download, TheTotalIsTheAnnouncedLengthOrNothing) {
  FaultPlan cut = Serving(Pattern(1000));
  cut.closeAfter = 300;
  {
    FaultServer server(cut);
    EXPECT_EQ(Fetch(server.Url("m_update.zip")), kDownloadIncomplete);
  }
  EXPECT_EQ(total_, 1000);
  FaultPlan unsized = Serving("no length given");
  unsized.omitContentLength = true;
  total_ = 0;
  FaultServer server(unsized);
  EXPECT_EQ(Fetch(server.Url("m_update.zip")), kDownloadIncomplete);
  EXPECT_EQ(total_, 0);
}

TEST_F(Download, FailedTransferLeavesAnExistingFileAsItWas) {
  Write(Native(), "previous package");
  FaultPlan plan = Serving(Pattern(1000));
  plan.closeAfter = 10;
  FaultServer server(plan);
  EXPECT_EQ(Fetch(server.Url("m_update.zip")), kDownloadIncomplete);
  EXPECT_EQ(Read(Native()), "previous package");
  EXPECT_FALSE(fs::exists(Temp()));
}

TEST_F(Download, RefusedConnectionIsAConnectFailure) {
  std::uint16_t port;
  { port = static_cast<std::uint16_t>(FaultServer(FaultPlan()).port()); }
  EXPECT_EQ(Fetch("http://127.0.0.1:" + std::to_string(port) + "/m_update.zip"), kDownloadConnectFailed);
  ExpectNoFiles();
}

TEST_F(Download, UnusableAddressIsAConnectFailureWithoutConnecting) {
  FaultServer server(Serving("x"));
  EXPECT_EQ(Fetch("http://127.0.0.1:99999/m_update.zip"), kDownloadConnectFailed);
  EXPECT_EQ(Fetch("m_update.zip"), kDownloadConnectFailed);
  EXPECT_EQ(server.connections(), 0);
}

TEST_F(Download, HostWithControlBytesIsAConnectFailureWithoutLookingItUp) {
  std::vector<std::string> asked;
  net::TcpSocket socket([&](const std::string& host) -> std::optional<std::uint32_t> {
    asked.push_back(host);
    return std::nullopt;
  });
  EXPECT_EQ(
      DownloadFile(socket, "http://files.example\r\nX-Injected/m_update.zip", Save(), total_, received_, 2s),
      kDownloadConnectFailed);
  EXPECT_TRUE(asked.empty());
  ExpectNoFiles();
}

TEST_F(Download, RefusedResumeKeepsThePartialFile) {
  LeavePartial(Pattern(1000));
  FaultPlan plan = Serving(Pattern(1500));
  plan.statusLine = "HTTP/1.1 404 Not Found";
  FaultServer server(plan);
  EXPECT_EQ(Fetch(server.Url("m_update.zip")), kDownloadBadStatus);
  EXPECT_TRUE(Read(Temp()) == Pattern(1000));
  EXPECT_EQ(Read(Validator()), "\"v1\"");
  EXPECT_FALSE(fs::exists(Native()));
}

TEST_F(Download, NonAsciiFolderIsWrittenUnderItsRealName) {
  // "中文目录" in GBK
  const std::string folder = "\xD6\xD0\xCE\xC4\xC4\xBF\xC2\xBC";
#ifdef _WIN32
  const fs::path native = dir_ / L"\u4E2D\u6587\u76EE\u5F55";
#else
  const fs::path native = dir_ / folder;
#endif
  ASSERT_TRUE(fs::create_directory(native));
  const std::string content = Pattern(40000);
  FaultServer server(Serving(content));
  const std::string save = Save(folder) + static_cast<char>(fs::path::preferred_separator) + "m_update.zip";
  EXPECT_EQ(DownloadFile(socket_, server.Url("m_update.zip"), save, total_, received_, 2s), kDownloadOk);
  EXPECT_TRUE(Read(native / "m_update.zip") == content);
  EXPECT_FALSE(fs::exists(native / "m_update.zip.tmp"));
}

// --- Progress while the body arrives ----------------------------------------------

TEST_F(Download, HeadAndBodyInOneBlockAreWrittenAtOnce) {
  const std::string content = Pattern(5000);
  FaultPlan plan = Serving(content);
  plan.holds = {100};
  FaultServer server(plan);
  auto result = FetchInBackground(server.Url("m_update.zip"));

  ASSERT_TRUE(Eventually([&] { return received_ == 100; }));
  EXPECT_EQ(total_, 5000);
  EXPECT_EQ(SizeOf(Temp()), 100u);
  EXPECT_TRUE(Read(Temp()) == content.substr(0, 100));

  server.Release();
  EXPECT_EQ(result.get(), kDownloadOk);
  EXPECT_TRUE(Read(Native()) == content);
}

TEST_F(Download, HeadAloneFirstStartsTheFileEmpty) {
  const std::string content = Pattern(5000);
  FaultPlan plan = Serving(content);
  plan.holds = {0};
  FaultServer server(plan);
  auto result = FetchInBackground(server.Url("m_update.zip"));

  ASSERT_TRUE(Eventually([&] { return total_ == 5000; }));
  EXPECT_EQ(received_, 0);
  EXPECT_TRUE(fs::exists(Temp()));
  EXPECT_EQ(SizeOf(Temp()), 0u);

  server.Release();
  EXPECT_EQ(result.get(), kDownloadOk);
  EXPECT_TRUE(Read(Native()) == content);
}

TEST_F(Download, ResumedFileCountsBeforeAnyNewByteArrives) {
  const std::string content = Pattern(5000);
  LeavePartial(content.substr(0, 1000));
  FaultPlan plan = Serving(content);
  plan.holds = {0};
  FaultServer server(plan);
  auto result = FetchInBackground(server.Url("m_update.zip"));

  ASSERT_TRUE(Eventually([&] { return total_ == 5000; }));
  EXPECT_EQ(received_, 1000);
  EXPECT_EQ(SizeOf(Temp()), 1000u);

  server.Release();
  EXPECT_EQ(result.get(), kDownloadOk);
  EXPECT_TRUE(Read(Native()) == content);
}

TEST_F(Download, LaterBlocksAreWrittenInBatches) {
  const std::string content = Pattern(60000);
  FaultPlan plan = Serving(content);
  plan.holds = {100, 1100, 31100};
  FaultServer server(plan);
  auto result = FetchInBackground(server.Url("m_update.zip"));

  ASSERT_TRUE(Eventually([&] { return received_ == 100; }));
  server.Release();
  // 1000 more bytes are counted but wait in memory for a full batch.
  ASSERT_TRUE(Eventually([&] { return received_ == 1100; }));
  EXPECT_EQ(SizeOf(Temp()), 100u);

  server.Release();
  // 30000 more: at least one batch has gone out, and less than a batch waits.
  ASSERT_TRUE(Eventually([&] { return received_ == 31100; }));
  const std::uint64_t on_disk = SizeOf(Temp());
  EXPECT_GE(on_disk, 100u + kWriteBatch);
  EXPECT_LT(31100 - on_disk, kWriteBatch);
  EXPECT_TRUE(Read(Temp()) == content.substr(0, static_cast<size_t>(on_disk)));

  server.Release();
  EXPECT_EQ(result.get(), kDownloadOk);
  EXPECT_TRUE(Read(Native()) == content);
}

// --- Servers that misbehave -------------------------------------------------------

TEST_F(Download, FullAnswerToAResumeStartsTheFileOver) {
  const std::string content = Pattern(3000);
  LeavePartial(std::string(1000, 'x'));
  FaultPlan plan = Serving(content);
  plan.honourRange = false;
  FaultServer server(plan);

  EXPECT_EQ(Fetch(server.Url("m_update.zip")), kDownloadOk);

  EXPECT_THAT(server.requests().at(0), testing::HasSubstr("Range: bytes=1000-\r\n"));
  EXPECT_TRUE(Read(Native()) == content);
  EXPECT_FALSE(fs::exists(Validator()));
  EXPECT_EQ(total_, 3000);
  EXPECT_EQ(received_, 3000);
}

TEST_F(Download, RangeRefusedDeletesThePartialFileSoTheNextAttemptStartsAfresh) {
  const std::string content = Pattern(2000);
  LeavePartial(content);  // complete, but never renamed
  FaultServer server(Serving(content));

  EXPECT_EQ(Fetch(server.Url("m_update.zip")), kDownloadBadStatus);
  ExpectNoFiles();

  EXPECT_EQ(Fetch(server.Url("m_update.zip")), kDownloadOk);
  EXPECT_TRUE(Read(Native()) == content);
}

TEST_F(Download, HeadSplitOverSeveralSendsIsReadWhole) {
  const std::string content = Pattern(900);
  FaultPlan plan = Serving(content);
  // Cuts inside the status line, inside the length's name and inside the blank line.
  plan.headCuts = {5, 24, 40, 42};
  FaultServer server(plan);
  EXPECT_EQ(Fetch(server.Url("m_update.zip")), kDownloadOk);
  EXPECT_TRUE(Read(Native()) == content);
  EXPECT_EQ(total_, 900);
}

TEST_F(Download, ResponseTrickledByteByByteWithinTheWaitCompletes) {
  FaultPlan plan = Serving("0123456789abcdef");
  plan.trickle = 5ms;
  FaultServer server(plan);
  EXPECT_EQ(Fetch(server.Url("m_update.zip"), 2s), kDownloadOk);
  EXPECT_EQ(Read(Native()), "0123456789abcdef");
}

TEST_F(Download, LongStatusLineIsReadAcrossBlocks) {
  FaultPlan plan = Serving("after a long line");
  plan.statusLine = "HTTP/1.1 200 " + std::string(10 * 1024, 'O');
  FaultServer server(plan);
  EXPECT_EQ(Fetch(server.Url("m_update.zip")), kDownloadOk);
  EXPECT_EQ(Read(Native()), "after a long line");
}

TEST_F(Download, KeepAliveServerEndsTheTransferAtTheAnnouncedLength) {
  const std::string content = Pattern(4000);
  FaultPlan plan = Serving(content);
  plan.keepOpen = true;
  plan.trailing = "bytes that belong to no file";
  FaultServer server(plan);
  EXPECT_EQ(Fetch(server.Url("m_update.zip"), 10s), kDownloadOk);
  EXPECT_TRUE(Read(Native()) == content);
  EXPECT_TRUE(Eventually([&] { return server.closedByClient() == 1; }));
}

// --- Answers that are not the file ------------------------------------------------

struct WrongAnswer {
  const char* fault;
  bool resume;  // the first 1000 bytes of the file are in m_update.zip.tmp already
  FaultPlan plan;
};

FaultPlan PartialAnswer(std::string body, const std::string& range) {
  FaultPlan plan = Serving(std::move(body));
  plan.honourRange = false;
  plan.statusLine = "HTTP/1.1 206 Partial Content";
  if (!range.empty()) plan.extraHeaders = "Content-Range: " + range + "\r\n";
  return plan;
}

TEST_F(Download, AnswersThatAreNotTheFileAreABadStatusAndLeaveThePreviousFile) {
  const std::string file = Pattern(1500);
  const std::string rest = file.substr(1000);
  // A server that counts the chunk framing into the length.
  FaultPlan chunked = Serving("5\r\nhello\r\n0\r\n\r\n");
  chunked.extraHeaders = "transfer-encoding: Chunked\r\n";
  const WrongAnswer answers[] = {
      {"a 206 to a request for the whole file", false,
       PartialAnswer(file.substr(500), "bytes 500-1499/1500")},
      {"a 206 from the start of the file to a resume", true, PartialAnswer(file, "bytes 0-1499/1500")},
      {"a 206 without Content-Range", true, PartialAnswer(rest, "")},
      {"a 206 with a malformed Content-Range", true, PartialAnswer(rest, "bytes 1000-1499")},
      {"a 206 whose total is not offset + length", true, PartialAnswer(rest, "bytes 1000-1499/4000")},
      {"a chunked answer", false, chunked},
  };
  for (const WrongAnswer& a : answers) {
    SCOPED_TRACE(a.fault);
    Write(Native(), "previous package");
    if (a.resume) LeavePartial(file.substr(0, 1000));
    FaultServer server(a.plan);
    EXPECT_EQ(Fetch(server.Url("m_update.zip")), kDownloadBadStatus);
    EXPECT_EQ(Read(Native()), "previous package");
    // A partial file the answer did not continue is gone: the next attempt starts afresh.
    EXPECT_FALSE(fs::exists(Temp()));
    EXPECT_FALSE(fs::exists(Validator()));
  }
}

class DownloadBadLength : public Download, public testing::WithParamInterface<const char*> {};

TEST_P(DownloadBadLength, IsIncompleteAndLeavesNoFile) {
  FaultPlan plan = Serving("some body bytes");
  plan.contentLength = GetParam();
  FaultServer server(plan);
  EXPECT_EQ(Fetch(server.Url("m_update.zip")), kDownloadIncomplete);
  ExpectNoFiles();
  EXPECT_EQ(total_, 0);
  EXPECT_EQ(received_, 0);
}

TEST_P(DownloadBadLength, DeletesThePartialFileOfAResume) {
  LeavePartial("partial");
  FaultPlan plan = Serving("partial and the rest");
  plan.contentLength = GetParam();
  FaultServer server(plan);
  EXPECT_EQ(Fetch(server.Url("m_update.zip")), kDownloadIncomplete);
  ExpectNoFiles();
  EXPECT_EQ(total_, 0);
}

INSTANTIATE_TEST_SUITE_P(Lengths, DownloadBadLength,
                         testing::Values("-5", "99999999999", "letters", "12abc", "2147483648", ""));

TEST_F(Download, ResumedSizePlusLengthBeyond32BitsIsIncomplete) {
  LeavePartial(Pattern(1000));
  FaultPlan plan = Serving(Pattern(2000));
  plan.contentLength = "2147483000";  // with the 1000 bytes at hand: past 2^31 - 1
  FaultServer server(plan);
  EXPECT_EQ(Fetch(server.Url("m_update.zip")), kDownloadIncomplete);
  ExpectNoFiles();
  EXPECT_EQ(total_, 0);
}

// --- Partial files: resumed only when they can be trusted --------------------------

TEST_F(Download, APartialFileIsResumedOnlyWithAKeptValidatorOrAnAnnouncedDigest) {
  const std::string content = Pattern(1500);
  const struct {
    const char* what;
    std::string validator;  // kept beside the partial file; empty for none
    config::AnnouncedPackage package;
    const char* ifRange;  // the If-Range line sent, when the partial file was resumed
    bool resumed;
  } cases[] = {
      {"neither: the partial file goes", "", {}, nullptr, false},
      {"a kept validator", "\"v1\"", {}, "If-Range: \"v1\"\r\n", true},
      {"a kept date",
       "Sat, 09 Nov 2013 12:30:00 GMT",
       {},
       "If-Range: Sat, 09 Nov 2013 12:30:00 GMT\r\n",
       true},
      {"an announced digest", "", Announcing(content), nullptr, true},
      {"both", "\"v1\"", Announcing(content), "If-Range: \"v1\"\r\n", true},
      {"a validator that would break the request", "\"v1\"\r\nX-Injected: 1", {}, nullptr, false},
      {"a partial file as large as the announced package", "\"v1\"", {1000, std::nullopt}, nullptr, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LeavePartial(content.substr(0, 1000), c.validator);
    FaultServer server(Serving(content));
    const std::int32_t result = Fetch(server.Url("m_update.zip"), 2s, c.package);

    const std::string request = server.requests().at(0);
    EXPECT_EQ(request.find("Range: bytes=1000-\r\n") != std::string::npos, c.resumed);
    EXPECT_EQ(request.find("If-Range:") != std::string::npos, c.ifRange != nullptr);
    if (c.ifRange != nullptr) {
      EXPECT_THAT(request, testing::HasSubstr(std::string("Range: bytes=1000-\r\n") + c.ifRange));
    }
    EXPECT_THAT(request, testing::Not(testing::HasSubstr("X-Injected")));
    if (c.package.size == 1000u) {
      // Nor is the server's file the announced package.
      EXPECT_EQ(result, kDownloadBadStatus);
      ExpectNoFiles();
    } else {
      EXPECT_EQ(result, kDownloadOk);
      EXPECT_TRUE(Read(Native()) == content);
      EXPECT_FALSE(fs::exists(Temp()));
      EXPECT_FALSE(fs::exists(Validator()));
      fs::remove(Native());
    }
  }
}

TEST_F(Download, AnInterruptedDownloadKeepsItsValidatorAndGoesOnWhereItStopped) {
  test::UpdateSite site;
  const std::string content = Pattern(50000);
  site.SetPackage(content);
  site.CutNextPackageAnswer(20000);
  const std::string url = site.BaseUrl() + "zujian/m_update.zip";

  EXPECT_EQ(Fetch(url), kDownloadIncomplete);
  EXPECT_TRUE(Read(Temp()) == content.substr(0, 20000));
  EXPECT_EQ(Read(Validator()), site.etag());
  EXPECT_FALSE(fs::exists(Native()));

  EXPECT_EQ(Fetch(url), kDownloadOk);
  const auto answers = site.packageAnswers();
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[1].request.Header("Range"), "bytes=20000-");
  EXPECT_EQ(answers[1].request.Header("If-Range"), site.etag());
  EXPECT_EQ(answers[1].status, 206);
  EXPECT_TRUE(Read(Native()) == content);
  EXPECT_FALSE(fs::exists(Temp()));
  EXPECT_FALSE(fs::exists(Validator()));
}

TEST_F(Download, AFileChangedOnTheServerReplacesThePartialFileWhole) {
  test::UpdateSite site;
  site.SetPackage(std::string(50000, 'o'));
  site.CutNextPackageAnswer(20000);
  const std::string url = site.BaseUrl() + "zujian/m_update.zip";
  ASSERT_EQ(Fetch(url), kDownloadIncomplete);
  const std::string oldTag = site.etag();

  const std::string content = Pattern(30000);
  site.SetPackage(content);
  EXPECT_EQ(Fetch(url), kDownloadOk);
  const auto answers = site.packageAnswers();
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[1].request.Header("If-Range"), oldTag);
  EXPECT_EQ(answers[1].status, 200);
  EXPECT_TRUE(Read(Native()) == content);
  EXPECT_FALSE(fs::exists(Validator()));
}

TEST_F(Download, AnInterruptedAnswerWithoutAValidatorLeavesNothingUnlessADigestIsAnnounced) {
  const std::string content = Pattern(5000);
  FaultPlan plan = Serving(content);
  plan.extraHeaders = "ETag: W/\"weak\"\r\n";  // a weak tag keeps nothing
  plan.closeAfter = 3000;
  {
    FaultServer server(plan);
    EXPECT_EQ(Fetch(server.Url("m_update.zip")), kDownloadIncomplete);
    ExpectNoFiles();
  }
  {
    FaultServer server(plan);
    EXPECT_EQ(Fetch(server.Url("m_update.zip"), 2s, Announcing(content)), kDownloadIncomplete);
    EXPECT_TRUE(Read(Temp()) == content.substr(0, 3000));
    EXPECT_FALSE(fs::exists(Validator()));
  }
  FaultServer server(Serving(content));
  EXPECT_EQ(Fetch(server.Url("m_update.zip"), 2s, Announcing(content)), kDownloadOk);
  EXPECT_THAT(server.requests().at(0), testing::HasSubstr("Range: bytes=3000-\r\n"));
  EXPECT_TRUE(Read(Native()) == content);
}

// --- The announced package --------------------------------------------------------

TEST_F(Download, APartialFileOfAnotherFileIsCaughtByTheDigestAndFetchedAfreshOnce) {
  const std::string content = Pattern(3000);
  Write(Temp(), std::string(1000, 's'));  // left by some other download
  FaultServer server(Serving(content));

  EXPECT_EQ(Fetch(server.Url("m_update.zip"), 2s, Announcing(content)), kDownloadOk);

  const std::vector<std::string> requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_THAT(requests[0], testing::HasSubstr("Range: bytes=1000-\r\n"));
  EXPECT_THAT(requests[1], testing::Not(testing::HasSubstr("Range:")));
  EXPECT_TRUE(Read(Native()) == content);
  EXPECT_FALSE(fs::exists(Temp()));
}

TEST_F(Download, AFileThatIsNotTheAnnouncedPackageIsABadStatusAndLeavesNothing) {
  const std::string content = Pattern(3000);
  const struct {
    const char* what;
    config::AnnouncedPackage package;
    size_t requests;
  } cases[] = {
      {"another digest, twice", {std::nullopt, DigestOf("another package")}, 2},
      {"another size", {2999, std::nullopt}, 1},
      {"another size with the right digest", {3001, DigestOf(content)}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Write(Native(), "previous package");
    FaultServer server(Serving(content));
    EXPECT_EQ(Fetch(server.Url("m_update.zip"), 2s, c.package), kDownloadBadStatus);
    EXPECT_EQ(server.requests().size(), c.requests);
    EXPECT_EQ(Read(Native()), "previous package");
    EXPECT_FALSE(fs::exists(Temp()));
    EXPECT_FALSE(fs::exists(Validator()));
  }
}

// --- Redirects --------------------------------------------------------------------

using test::LocalServer;
using test::RecordedRequest;
using test::Reply;

TEST_F(Download, EachRedirectKindIsFollowedToTheFileOnTheSocket) {
  const std::string content = Pattern(5000);
  for (int status : {301, 302, 303, 307, 308}) {
    SCOPED_TRACE(status);
    fs::remove(Native());
    LocalServer server([&](const RecordedRequest& request) {
      if (request.target == "/old/m_update.zip")
        return Reply::Http(status, "moved", "Location: /new/m_update.zip\r\n");
      if (request.target == "/new/m_update.zip") return Reply::Http(200, content);
      return Reply::Http(404, "");
    });
    EXPECT_EQ(Fetch(server.base_url() + "/old/m_update.zip", 2s, Announcing(content)), kDownloadOk);
    EXPECT_TRUE(Read(Native()) == content);
    EXPECT_EQ(server.request_count(), 2u);
  }
}

TEST_F(Download, AtMostFiveRedirectsAreFollowedAndOtherSchemesNever) {
  LocalServer loop([](const RecordedRequest& request) {
    const int hop = std::stoi(request.target.substr(2));
    return Reply::Http(302, "", "Location: /h" + std::to_string(hop + 1) + "\r\n");
  });
  EXPECT_EQ(Fetch(loop.base_url() + "/h0"), kDownloadBadStatus);
  EXPECT_EQ(loop.request_count(), 6u) << "the first request and five redirects";
  ExpectNoFiles();

  LocalServer fiveHops([](const RecordedRequest& request) {
    const int hop = std::stoi(request.target.substr(2));
    if (hop == 5) return Reply::Http(200, "the file");
    return Reply::Http(307, "", "Location: /h" + std::to_string(hop + 1) + "\r\n");
  });
  EXPECT_EQ(Fetch(fiveHops.base_url() + "/h0"), kDownloadOk);
  EXPECT_EQ(Read(Native()), "the file");

  for (const char* location : {"file:///etc/passwd", "ftp://127.0.0.1/m_update.zip", ""}) {
    SCOPED_TRACE(location);
    LocalServer away([&](const RecordedRequest&) {
      return Reply::Http(301, "", "Location: " + std::string(location) + "\r\n");
    });
    EXPECT_EQ(Fetch(away.base_url() + "/m_update.zip"), kDownloadBadStatus);
    EXPECT_EQ(away.request_count(), 1u);
  }
}

TEST_F(Download, ARedirectLeavesAPartialFileForTheNextHopToResume) {
  const std::string content = Pattern(4000);
  LeavePartial(content.substr(0, 1500));
  LocalServer server([&](const RecordedRequest& request) {
    if (request.target == "/old") return Reply::Http(302, "", "Location: /new\r\n");
    return Reply::Http(206, content.substr(1500), "Content-Range: bytes 1500-3999/4000\r\n");
  });
  EXPECT_EQ(Fetch(server.base_url() + "/old"), kDownloadOk);
  EXPECT_TRUE(Read(Native()) == content);
  ASSERT_EQ(server.request_count(), 2u);
  EXPECT_EQ(server.requests()[1].Header("Range"), "bytes=1500-");
  EXPECT_EQ(server.requests()[1].Header("If-Range"), "\"v1\"");
}

}  // namespace
}  // namespace vorlane::update
