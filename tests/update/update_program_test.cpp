// The built program with a newer version announced beside it or by the update
// info: the update window opens over the locked main window and downloads; closing
// it ends the program with code 0 and leaves the partial package to be resumed next
// time. Against a local update site, the whole update: download, unpacking and the
// hand-over to a stand-in installer, resumed downloads and stale partial files.
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
#include "update/sha256.h"
#include "zip_writer.h"

namespace vorlane::update {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using vorlane::test::WaitFor;

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

class UpdateProgramTest : public ::testing::Test {
 protected:
  // The update info the site gives: a newer version in its package folder, with the
  // package's size and digest when `withDigest`.
  std::string Info(bool withDigest) const {
    std::string info = "[update]\r\nlatest_version=111\r\npackage_base=" + site_.BaseUrl() + "\r\n";
    if (withDigest) {
      update::Sha256 hash;
      hash.Add(package_);
      info += "package_sha256=" + vorlane::test::DigestHex(hash.Finish().value()) +
              "\r\npackage_size=" + std::to_string(package_.size()) + "\r\n";
    }
    return info;
  }
  // The configuration beside the program: the update info's address, and no page
  // for a browser to open.
  std::string Ini() const { return "[update]\npage_url=\ninfo_url=" + site_.InfoUrl() + "\n"; }

  // Waits for the program's message box, checks that its text begins with `text`,
  // and presses its OK button.
  void AnswerMessageBox(const wchar_t* text) {
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = program_.WindowOf(L"#32770")) != nullptr; }, 60s));
    std::wstring shown;
    ASSERT_TRUE(WaitFor([&] { return !(shown = TextOf(::GetDlgItem(box, 0xFFFF))).empty(); }, 10s));
    EXPECT_EQ(shown.rfind(text, 0), 0u) << "the box says something else";
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
  // Runs the program once through the whole update, to the hand-over.
  void UpdateToTheEnd() {
    ASSERT_TRUE(program_.Start(Ini()));
    EXPECT_TRUE(WaitFor([&] { return fs::exists(folder_ / "stand_in_ran.txt"); }, 60s))
        << "the installer was not started";
    AnswerMessageBox(kHandedOverBox);
    EXPECT_EQ(program_.WaitForExit(20s), 0u);
    EXPECT_FALSE(fs::exists(folder_ / "m_update.zip"));
    EXPECT_FALSE(fs::exists(folder_ / "m_update.zip.tmp"));
    EXPECT_FALSE(fs::exists(folder_ / "m_update.zip.tmp.validator"));
  }

  vorlane::test::ProgramProcess program_{VORLANE_PROGRAM_PATH};
  const fs::path& folder_ = program_.folder();
  vorlane::test::UpdateSite site_;
  const std::string package_ = PackageWithStandIn();
};

TEST_F(UpdateProgramTest, TheUpdateWindowOpensOverTheLockedMainWindowAndClosingItEndsTheProgram) {
  vorlane::test::FaultPlan plan;
  plan.content = std::string(200000, 'z');
  plan.holds = {1000};
  vorlane::test::FaultServer server(plan);
  ASSERT_TRUE(program_.Start(
      "[update]\nlatest_version=111\npage_url=http://127.0.0.1:1/download.html\npackage_base=" +
      server.Url("") + "\n"));

  HWND update = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (update = program_.WindowOf(L"VorlaneUpdateWindow")) != nullptr; }, 60s));
  HWND main = program_.WindowOf(L"VorlaneMainWindow");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(::GetWindow(update, GW_OWNER), main);
  EXPECT_FALSE(::IsWindowEnabled(main));
  ASSERT_NE(PanelOf(main), nullptr);
  EXPECT_FALSE(::IsWindowEnabled(PanelOf(main)));
  ASSERT_TRUE(WaitFor([&] { return fs::exists(folder_ / "m_update.zip.tmp"); }, 30s));
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].rfind("GET /zujian/m_update.zip HTTP/1.1\r\n", 0), 0u);

  ::PostMessageW(update, WM_CLOSE, 0, 0);
  EXPECT_EQ(program_.WaitForExit(20s), 0u);
  // The program ended in the middle of the download: the part it has stays for the
  // next run to resume.
  EXPECT_TRUE(fs::exists(folder_ / "m_update.zip.tmp"));
  EXPECT_FALSE(fs::exists(folder_ / "m_update.zip"));
}

TEST_F(UpdateProgramTest, TheShippedConfigurationOpensNoUpdateWindow) {
  ASSERT_TRUE(program_.Start(""));
  HWND main = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (main = program_.WindowOf(L"VorlaneMainWindow")) != nullptr; }, 60s));
  // The loading step unlocks the panel and opens no update window.
  ASSERT_TRUE(WaitFor([&] { return PanelOf(main) != nullptr && ::IsWindowEnabled(PanelOf(main)); }, 30s));
  EXPECT_TRUE(::IsWindowEnabled(main));
  EXPECT_EQ(program_.WindowOf(L"VorlaneUpdateWindow"), nullptr);
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program_.WaitForExit(20s), 0u);
}

TEST_F(UpdateProgramTest, AnUpdateAnnouncedByTheInfoRunsToTheHandOverToItsInstaller) {
  site_.SetPackage(package_);
  site_.SetInfo(Info(true));
  UpdateToTheEnd();
  // The info was fetched once, for the loading step and the update window alike.
  EXPECT_EQ(site_.infoRequests(), 1);
  const auto answers = site_.packageAnswers();
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].status, 200);
  EXPECT_EQ(answers[0].request.Header("Range"), "");
  EXPECT_EQ(vorlane::test::ReadFileBytes(folder_ / "stand_in_ran.txt"), "ran");
}

TEST_F(UpdateProgramTest, AnInterruptedDownloadGoesOnFromItsPartialFileOnTheNextStart) {
  site_.SetPackage(package_);
  site_.SetInfo(Info(false));
  site_.CutNextPackageAnswer(100000);
  ASSERT_TRUE(program_.Start(Ini()));
  AnswerMessageBox(kDownloadFailedBox);
  EXPECT_EQ(program_.WaitForExit(20s), 0u);
  EXPECT_EQ(fs::file_size(folder_ / "m_update.zip.tmp"), 100000u);
  EXPECT_EQ(vorlane::test::ReadFileBytes(folder_ / "m_update.zip.tmp.validator"), site_.etag());
  EXPECT_FALSE(fs::exists(folder_ / "stand_in_ran.txt"));

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
    bool withDigest;
    const char* validator;  // kept beside the stale partial file; empty for none
    std::vector<int> statuses;
    std::vector<std::string> ranges;  // the Range of each request for the package
    std::vector<std::string> ifRanges;
  } cases[] = {
      // Resumed for the digest to judge; judged wrong, fetched once more afresh.
      {"with the package's digest", true, "", {206, 200}, {"bytes=50000-", ""}, {"", ""}},
      // The validator of another version: the site sends the whole file.
      {"with a validator the site no longer has",
       false,
       "\"pkg-v0\"",
       {200},
       {"bytes=50000-"},
       {"\"pkg-v0\""}},
      // Neither: the partial file is not trusted at all.
      {"with neither", false, "", {200}, {""}, {""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    vorlane::test::UpdateSite site;
    site.SetPackage(package_);
    std::error_code ec;
    fs::remove(folder_ / "stand_in_ran.txt", ec);
    fs::remove(folder_ / config::kInstallerName, ec);
    // Bytes of some other download, as a stock server would continue them.
    vorlane::test::WriteFileBytes(folder_ / "m_update.zip.tmp", std::string(50000, 's'));
    if (*c.validator != '\0') {
      vorlane::test::WriteFileBytes(folder_ / "m_update.zip.tmp.validator", c.validator);
    }
    std::string info = "[update]\r\nlatest_version=111\r\npackage_base=" + site.BaseUrl() + "\r\n";
    if (c.withDigest) {
      update::Sha256 hash;
      hash.Add(package_);
      info += "package_sha256=" + vorlane::test::DigestHex(hash.Finish().value()) + "\r\n";
    }
    site.SetInfo(info);

    ASSERT_TRUE(program_.Start("[update]\npage_url=\ninfo_url=" + site.InfoUrl() + "\n"));
    EXPECT_TRUE(WaitFor([&] { return fs::exists(folder_ / "stand_in_ran.txt"); }, 60s));
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
    EXPECT_FALSE(fs::exists(folder_ / "m_update.zip.tmp"));
    EXPECT_FALSE(fs::exists(folder_ / "m_update.zip.tmp.validator"));
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
    ASSERT_TRUE(WaitFor([&] { return (main = program_.WindowOf(L"VorlaneMainWindow")) != nullptr; }, 60s));
    if (c.holds) {
      // While the info is awaited the panel stays locked.
      ASSERT_TRUE(WaitFor([&] { return server->request_count() == 1; }, 30s));
      ASSERT_NE(PanelOf(main), nullptr);
      EXPECT_FALSE(::IsWindowEnabled(PanelOf(main)));
    }
    EXPECT_TRUE(WaitFor([&] { return PanelOf(main) != nullptr && ::IsWindowEnabled(PanelOf(main)); }, 30s));
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
