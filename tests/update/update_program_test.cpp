// The built program with a newer version announced by the update info: the update
// window opens over the locked main window and downloads; closing it ends the
// program with code 0 and leaves the partial package to be resumed next time.
// Against a local update site, the whole update from a signed info: download into
// the user's own update folder, unpacking and the hand-over to a stand-in
// installer, resumed downloads and stale partial files; and the info that does not
// hold, or a package that is not the one it names, which start nothing.
#include <windows.h>

#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>

#include "digest_hex.h"
#include "shell/main_window_layout.h"
#include "support/fault_server.h"
#include "support/local_server.h"
#include "support/program_process.h"
#include "support/temp_folder.h"
#include "support/update_site.h"
#include "test_signer.h"
#include "update/sha256.h"
#include "zip_writer.h"

namespace vorlane::update {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using vorlane::test::WaitUntil;

// The tab control that holds the main window's whole operation panel.
HWND PanelOf(HWND main) {
  return vorlane::test::ChildWithId(main, static_cast<int>(shell::ControlId::选择夹1));
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The update package: the stand-in installer as m_update.exe, and filler no deflate
// can shrink, so that the download takes a while and can be cut part-way.
std::string PackageWithStandIn() {
  std::mt19937 random(11);
  std::string filler(300000, '\0');
  for (char& c : filler) c = static_cast<char>(random());
  const std::string installer = vorlane::test::ReadFileBytes(fs::path(VORLANE_STAND_IN_INSTALLER_PATH));
  return test::MakeZip({{config::kInstallerName, installer, true}, {"data/filler.bin", filler}});
}

constexpr wchar_t kDownloadFailedBox[] = L"下载失败!请手动下载更新";
constexpr wchar_t kHandedOverBox[] = L"自动更新失败！";
constexpr wchar_t kUnverifiedBox[] = L"有新版本，但无法确认更新来自官方，程序不会自动安装。";

std::string DigestOf(const std::string& bytes) {
  update::Sha256 hash;
  hash.Add(bytes);
  return vorlane::test::DigestHex(hash.Finish().value());
}

// The update info of a newer version whose package lies under `base`, with its
// digest and size.
std::string InfoFor(const std::string& base, const std::string& package) {
  return "[update]\r\nlatest_version=111\r\npackage_base=" + base +
         "\r\npackage_sha256=" + DigestOf(package) + "\r\npackage_size=" + std::to_string(package.size()) +
         "\r\n";
}

class UpdateProgramTest : public ::testing::Test {
 protected:
  UpdateProgramTest() {
    // The program's per-user folder is the test's own; the program inherits it.
    ::SetEnvironmentVariableW(L"LOCALAPPDATA", (folder_ / "Local").wstring().c_str());
  }
  ~UpdateProgramTest() override { ::SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr); }

  // The site offers `info`, signed with the test key.
  void OfferSigned(const std::string& info) {
    site_.SetInfo(info);
    site_.SetSignature(vorlane::test::SignWithTestKey(info));
  }
  // The configuration beside the program: the update info's address, the key of
  // the test pair, and no page for a browser to open.
  std::string Ini() const {
    return "[update]\npage_url=\ninfo_url=" + site_.InfoUrl() +
           "\npublic_key=" + vorlane::test::kTestPublicKey + "\n";
  }

  // Waits for the program's message box, checks that its text begins with `text`,
  // and presses its OK button.
  void AnswerMessageBox(const wchar_t* text) {
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = program_.WindowOf(L"#32770")) != nullptr; }, 60s));
    std::wstring shown;
    ASSERT_TRUE(WaitUntil([&] { return !(shown = TextOf(::GetDlgItem(box, 0xFFFF))).empty(); }, 10s));
    EXPECT_EQ(shown.rfind(text, 0), 0u) << "the box says something else";
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
  // Runs the program once through the whole update, to the hand-over.
  void UpdateToTheEnd() {
    ASSERT_TRUE(program_.Start(Ini()));
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(ranMarker_); }, 60s)) << "the installer was not started";
    AnswerMessageBox(kHandedOverBox);
    EXPECT_EQ(program_.WaitForExit(20s), 0u);
    EXPECT_FALSE(fs::exists(update_ / "m_update.zip"));
    EXPECT_FALSE(fs::exists(update_ / "m_update.zip.tmp"));
    EXPECT_FALSE(fs::exists(update_ / "m_update.zip.tmp.validator"));
    // Nothing of the update where the program was started.
    EXPECT_FALSE(fs::exists(folder_ / "m_update.zip"));
    EXPECT_FALSE(fs::exists(folder_ / "m_update.zip.tmp"));
    EXPECT_FALSE(fs::exists(folder_ / "stand_in_ran.txt"));
  }

  vorlane::test::ProgramProcess program_{VORLANE_PROGRAM_PATH};
  const fs::path& folder_ = program_.folder();
  const fs::path update_ = folder_ / "Local" / "Vorlane" / "update";
  // The stand-in leaves it beside itself: in the folder it was unpacked to.
  const fs::path ranMarker_ = update_ / "unpacked" / "stand_in_ran.txt";
  vorlane::test::UpdateSite site_;
  const std::string package_ = PackageWithStandIn();
};

TEST_F(UpdateProgramTest, TheUpdateWindowOpensOverTheLockedMainWindowAndClosingItEndsTheProgram) {
  vorlane::test::FaultPlan plan;
  plan.content = std::string(200000, 'z');
  plan.holds = {1000};
  vorlane::test::FaultServer server(plan);
  OfferSigned(InfoFor(server.Url(""), plan.content));
  ASSERT_TRUE(program_.Start(Ini()));

  HWND update = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (update = program_.WindowOf(L"VorlaneUpdateWindow")) != nullptr; }, 60s));
  HWND main = program_.WindowOf(L"VorlaneMainWindow");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(::GetWindow(update, GW_OWNER), main);
  EXPECT_FALSE(::IsWindowEnabled(main));
  ASSERT_NE(PanelOf(main), nullptr);
  EXPECT_FALSE(::IsWindowEnabled(PanelOf(main)));
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(update_ / "m_update.zip.tmp"); }, 30s));
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].rfind("GET /zujian/m_update.zip HTTP/1.1\r\n", 0), 0u);

  ::PostMessageW(update, WM_CLOSE, 0, 0);
  EXPECT_EQ(program_.WaitForExit(20s), 0u);
  // The program ended in the middle of the download: the part it has stays for the
  // next run to resume.
  EXPECT_TRUE(fs::exists(update_ / "m_update.zip.tmp"));
  EXPECT_FALSE(fs::exists(update_ / "m_update.zip"));
  EXPECT_FALSE(fs::exists(folder_ / "m_update.zip.tmp"));
}

TEST_F(UpdateProgramTest, TheShippedConfigurationOpensNoUpdateWindow) {
  ASSERT_TRUE(program_.Start(""));
  HWND main = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (main = program_.WindowOf(L"VorlaneMainWindow")) != nullptr; }, 60s));
  // The loading step unlocks the panel and opens no update window.
  ASSERT_TRUE(WaitUntil([&] { return PanelOf(main) != nullptr && ::IsWindowEnabled(PanelOf(main)); }, 30s));
  EXPECT_TRUE(::IsWindowEnabled(main));
  EXPECT_EQ(program_.WindowOf(L"VorlaneUpdateWindow"), nullptr);
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program_.WaitForExit(20s), 0u);
}

TEST_F(UpdateProgramTest, AnUpdateAnnouncedByASignedInfoRunsToTheHandOverToItsInstaller) {
  site_.SetPackage(package_);
  OfferSigned(InfoFor(site_.BaseUrl(), package_));
  // An installer where the program was started is nothing to the update.
  vorlane::test::WriteFileBytes(folder_ / config::kInstallerName, "MZ planted");
  UpdateToTheEnd();
  // The info was fetched once, for the loading step and the update window alike.
  EXPECT_EQ(site_.infoRequests(), 1);
  const auto answers = site_.packageAnswers();
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].status, 200);
  EXPECT_EQ(answers[0].request.Header("Range"), "");
  EXPECT_EQ(vorlane::test::ReadFileBytes(ranMarker_), "ran");
  EXPECT_EQ(vorlane::test::ReadFileBytes(folder_ / config::kInstallerName), "MZ planted");

  // The next start clears what the update unpacked: its installer has had its turn.
  ASSERT_TRUE(program_.Start("[update]\npage_url=\n"));
  HWND main = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (main = program_.WindowOf(L"VorlaneMainWindow")) != nullptr; }, 60s));
  EXPECT_FALSE(fs::exists(update_ / "unpacked"));
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program_.WaitForExit(20s), 0u);
}

TEST_F(UpdateProgramTest, InfoThatDoesNotHoldStartsNothingAndTheProgramGoesOn) {
  site_.SetPackage(package_);
  const std::string info = InfoFor(site_.BaseUrl(), package_);
  // The rest of the signature table runs without the program (SignedInfoTest).
  const struct {
    const char* what;
    std::string signature;
    std::string key;
  } cases[] = {
      {"unsigned", "", vorlane::test::kTestPublicKey},
      {"forged: signed for another key", vorlane::test::SignWithTestKey(info),
       vorlane::test::kOtherPublicKey},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    site_.SetInfo(info);
    site_.SetSignature(c.signature);
    ASSERT_TRUE(
        program_.Start("[update]\npage_url=\ninfo_url=" + site_.InfoUrl() + "\npublic_key=" + c.key + "\n"));
    AnswerMessageBox(kUnverifiedBox);
    // The update window goes and the main window is the user's again.
    HWND main = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (main = program_.WindowOf(L"VorlaneMainWindow")) != nullptr; }, 30s));
    EXPECT_TRUE(WaitUntil([&] { return PanelOf(main) != nullptr && ::IsWindowEnabled(PanelOf(main)); }, 30s));
    EXPECT_EQ(program_.WindowOf(L"VorlaneUpdateWindow"), nullptr);
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program_.WaitForExit(20s), 0u);
  }
  EXPECT_TRUE(site_.packageAnswers().empty());
  EXPECT_FALSE(fs::exists(update_ / "unpacked"));
  EXPECT_FALSE(fs::exists(ranMarker_));
}

TEST_F(UpdateProgramTest, ASignedInfoWithAPackageThatFailsItsDigestStartsNothing) {
  site_.SetPackage(package_);
  std::string other = package_;
  other[other.size() / 2] ^= 0x01;
  OfferSigned(InfoFor(site_.BaseUrl(), other));
  ASSERT_TRUE(program_.Start(Ini()));
  AnswerMessageBox(kDownloadFailedBox);
  EXPECT_EQ(program_.WaitForExit(20s), 0u);
  EXPECT_EQ(site_.packageAnswers().size(), 2u);  // fetched afresh once, then given up
  EXPECT_FALSE(fs::exists(update_ / "m_update.zip"));
  EXPECT_FALSE(fs::exists(update_ / "unpacked"));
  EXPECT_FALSE(fs::exists(ranMarker_));
}

TEST_F(UpdateProgramTest, AnInterruptedDownloadGoesOnFromItsPartialFileOnTheNextStart) {
  site_.SetPackage(package_);
  OfferSigned(InfoFor(site_.BaseUrl(), package_));
  site_.CutNextPackageAnswer(100000);
  ASSERT_TRUE(program_.Start(Ini()));
  AnswerMessageBox(kDownloadFailedBox);
  EXPECT_EQ(program_.WaitForExit(20s), 0u);
  EXPECT_EQ(fs::file_size(update_ / "m_update.zip.tmp"), 100000u);
  EXPECT_EQ(vorlane::test::ReadFileBytes(update_ / "m_update.zip.tmp.validator"), site_.etag());
  EXPECT_FALSE(fs::exists(ranMarker_));

  UpdateToTheEnd();
  const auto answers = site_.packageAnswers();
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[1].request.Header("Range"), "bytes=100000-");
  EXPECT_EQ(answers[1].request.Header("If-Range"), site_.etag());
  EXPECT_EQ(answers[1].status, 206);
}

TEST_F(UpdateProgramTest, AStalePartialFileIsNeverSplicedIntoThePackage) {
  const struct {
    const char* what;
    const char* validator;  // kept beside the stale partial file; empty for none
    std::vector<int> statuses;
    std::vector<std::string> ranges;  // the Range of each request for the package
    std::vector<std::string> ifRanges;
  } cases[] = {
      // Resumed for the digest to judge; judged wrong, fetched once more afresh.
      {"without a validator", "", {206, 200}, {"bytes=50000-", ""}, {"", ""}},
      // The validator of another version: the site sends the whole file.
      {"with a validator the site no longer has", "\"pkg-v0\"", {200}, {"bytes=50000-"}, {"\"pkg-v0\""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    vorlane::test::UpdateSite site;
    site.SetPackage(package_);
    std::error_code ec;
    fs::remove(ranMarker_, ec);
    fs::create_directories(update_);
    // Bytes of some other download, as a stock server would continue them.
    vorlane::test::WriteFileBytes(update_ / "m_update.zip.tmp", std::string(50000, 's'));
    if (*c.validator != '\0') {
      vorlane::test::WriteFileBytes(update_ / "m_update.zip.tmp.validator", c.validator);
    }
    const std::string info = InfoFor(site.BaseUrl(), package_);
    site.SetInfo(info);
    site.SetSignature(vorlane::test::SignWithTestKey(info));

    ASSERT_TRUE(program_.Start("[update]\npage_url=\ninfo_url=" + site.InfoUrl() +
                               "\npublic_key=" + vorlane::test::kTestPublicKey + "\n"));
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(ranMarker_); }, 60s));
    AnswerMessageBox(kHandedOverBox);
    EXPECT_EQ(program_.WaitForExit(20s), 0u);

    const auto answers = site.packageAnswers();
    ASSERT_EQ(answers.size(), c.statuses.size());
    for (size_t i = 0; i < answers.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(answers[i].status, c.statuses[i]);
      EXPECT_EQ(answers[i].request.Header("Range"), c.ranges[i]);
      EXPECT_EQ(answers[i].request.Header("If-Range"), c.ifRanges[i]);
    }
    EXPECT_FALSE(fs::exists(update_ / "m_update.zip.tmp"));
    EXPECT_FALSE(fs::exists(update_ / "m_update.zip.tmp.validator"));
  }
}

TEST_F(UpdateProgramTest, ABrokenInfoServerNeverLocksTheUserOut) {
  using vorlane::test::LocalServer;
  using vorlane::test::RecordedRequest;
  using vorlane::test::Reply;
  std::uint16_t closedPort;
  {
    closedPort =
        static_cast<std::uint16_t>(LocalServer([](const RecordedRequest&) { return Reply::Raw(""); }).port());
  }
  const struct {
    const char* what;
    std::function<Reply(const RecordedRequest&)> answer;  // none: nothing listens
    bool holds;  // the server keeps the request unanswered past the deadline
  } cases[] = {
      {"nothing listening", nullptr, false},
      {"an error status",
       [](const RecordedRequest&) { return Reply::Http(500, "[update]\nlatest_version=111\n"); }, false},
      {"an answer cut short",
       [](const RecordedRequest&) {
         return Reply::Raw("HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n[update]\nlatest_version=111\n");
       },
       false},
      {"no answer within the deadline", [](const RecordedRequest&) { return Reply::Raw("").Pause(60s); },
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<LocalServer> server;
    if (c.answer) server = std::make_unique<LocalServer>(c.answer);
    const std::string address = server ? server->base_url() + "/update.ini"
                                       : "http://127.0.0.1:" + std::to_string(closedPort) + "/update.ini";
    ASSERT_TRUE(
        program_.Start("[update]\npage_url=\ninfo_url=" + address + "\n[network]\ncheck_deadline=4\n"));
    HWND main = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (main = program_.WindowOf(L"VorlaneMainWindow")) != nullptr; }, 60s));
    if (c.holds) {
      // While the info is awaited the panel stays locked.
      ASSERT_TRUE(WaitUntil([&] { return server->request_count() == 1; }, 30s));
      ASSERT_NE(PanelOf(main), nullptr);
      EXPECT_FALSE(::IsWindowEnabled(PanelOf(main)));
    }
    EXPECT_TRUE(WaitUntil([&] { return PanelOf(main) != nullptr && ::IsWindowEnabled(PanelOf(main)); }, 30s));
    EXPECT_EQ(program_.WindowOf(L"VorlaneUpdateWindow"), nullptr);
    if (server) {
      EXPECT_EQ(server->request_count(), 1u);
    }
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program_.WaitForExit(20s), 0u);
  }
}

}  // namespace
}  // namespace vorlane::update
