// The real update window, driven from inside the test program (under Xvfb): it
// downloads from a local file server into an update folder of the test's, never
// the current directory, with the steps that would end the program recorded
// instead.
#include "update/update_window.h"

#include <windows.h>

#include <commctrl.h>

#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "digest_hex.h"
#include "support/fault_server.h"
#include "support/pump_until.h"
#include "support/temp_folder.h"
#include "text/url_parts.h"
#include "update/sha256.h"
#include "web/message_box.h"
#include "win/message_loop.h"
#include "win/win32_system_port.h"
#include "zip_writer.h"

namespace vorlane::update {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::ElementsAre;

constexpr char kFailed[] =
    "\xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC!\xC7\xEB\xCA\xD6\xB6\xAF\xCF\xC2\xD4\xD8\xB8\xFC\xD0\xC2";  // 下载失败!请手动下载更新
constexpr char kInformation[] = "\xD0\xC5\xCF\xA2\xCC\xE1\xCA\xBE:";  // 信息提示:
constexpr char kNotice[] = "\xCC\xE1\xCA\xBE";                        // 提示
constexpr char kPage[] = "http://vorlane.example/download.html";
constexpr size_t kPackageSize = 307200;  // 300 KB

using vorlane::test::PumpUntil;

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

using vorlane::test::ReadFileBytes;

// An update package of exactly kPackageSize bytes: the installer, a file in a
// folder, and filler that no deflate can shrink.
std::string Package() {
  static const std::string package = [] {
    std::mt19937 random(7);
    std::string filler(250000, '\0');
    for (char& c : filler) c = static_cast<char>(random());
    std::string zip = test::MakeZip({{"m_update.exe", "MZ the new installer"},
                                     {"data/readme.txt", "new version\r\n"},
                                     {"data/filler.bin", filler}});
    const size_t bare = zip.size();
    zip = test::MakeZip({{"m_update.exe", "MZ the new installer"},
                         {"data/readme.txt", "new version\r\n"},
                         {"data/filler.bin", filler}},
                        std::string(kPackageSize - bare, 'c'));
    return zip;
  }();
  return package;
}

config::Sha256Digest DigestOf(std::string_view bytes) {
  Sha256 hash;
  hash.Add(bytes);
  return hash.Finish().value();
}

class UpdateWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    fs::create_directories(startedIn_);
    fs::current_path(startedIn_);  // which plays no part
    owner_ = ::CreateWindowExW(0, L"STATIC", L"main window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300, 400,
                               300, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr) << "no window (is there a display?)";

    previousMessageSink_ = SetMessageBoxSink([this](const MessageBoxCall& call) {
      messages_.push_back({call.message, call.caption, call.style});
      if (onMessage_) onMessage_();
      return 1;  // IDOK
    });
    options_.system = &system_;
    options_.endProgram = [this] { ++ends_; };
  }

  void TearDown() override {
    if (server_) server_->Stop();  // a download still running ends
    if (window_) {
      EXPECT_TRUE(PumpUntil([this] { return window_->runningWorkers() == 0; }));
      window_.reset();
    }
    ::DestroyWindow(owner_);
    SetMessageBoxSink(std::move(previousMessageSink_));
    std::error_code ec;
    fs::current_path(previous_, ec);
  }

  void Serve(vorlane::test::FaultPlan plan) {
    server_ = std::make_unique<vorlane::test::FaultServer>(std::move(plan));
  }
  // What a signed update info offers: the package with its digest.
  config::UpdateValues Offer(int version, std::string_view package = Package()) const {
    config::UpdateValues offer{version, kPage,
                               server_ ? server_->Url("zujian/m_update.zip") : "http://127.0.0.1:1/",
                               config::UnzipLimits{1 << 20, 1 << 20}};
    offer.package.sha256 = DigestOf(package);
    return offer;
  }
  void Open(int version) {
    options_.readValues = [values = Offer(version)] { return values; };
    window_ = std::make_unique<UpdateWindow>(options_);
    ASSERT_TRUE(window_->Create(::GetModuleHandleW(nullptr), owner_));
  }
  HWND Control(UpdateControlId id) const { return window_->control(id); }
  std::wstring Label(UpdateControlId id) const { return TextOf(Control(id)); }
  int Progress() const {
    return static_cast<int>(::SendMessageW(Control(UpdateControlId::进度条1), PBM_GETPOS, 0, 0));
  }
  Text FolderText() const { return folder_.string(); }

  vorlane::test::TempFolder temp_{"vorlane-update"};
  const fs::path folder_ = temp_.path() / "Local" / "Vorlane" / "update";  // made by the update
  const fs::path unpacked_ = folder_ / "unpacked";
  const fs::path startedIn_ = temp_.path() / "Downloads";
  fs::path updateFolder_ = folder_;  // what the system names
  fs::path previous_;
  HWND owner_ = nullptr;
  UpdateWindowOptions options_;
  std::unique_ptr<vorlane::test::FaultServer> server_;
  std::unique_ptr<UpdateWindow> window_;
  struct Message {
    Text text, caption;
    unsigned style;
  };
  std::vector<Message> messages_;
  std::function<void()> onMessage_;
  std::vector<Text> addresses_;
  std::vector<std::pair<Text, bool>> started_;
  std::string startedContent_;
  int ends_ = 0;
  MessageBoxSink previousMessageSink_;

  // The real files and folders, but programs and the browser are recorded instead.
  class RecordingSystem : public win::Win32SystemPort {
   public:
    explicit RecordingSystem(UpdateWindowTest& test) : test_(test) {}
    bool StartProgram(const Text& path, bool waitUntilReady) override {
      test_.started_.push_back({path, waitUntilReady});
      test_.startedContent_ = ReadFileBytes(fs::path(path));
      return true;
    }
    bool OpenAddress(const Text& address) override {
      if (!IsWebAddress(address)) return false;
      test_.addresses_.push_back(address);
      return true;
    }
    Text UpdateFolder() override { return test_.updateFolder_.string(); }

   private:
    UpdateWindowTest& test_;
  };
  RecordingSystem system_{*this};
};

TEST_F(UpdateWindowTest, LaysOutTheWindowOverItsDisabledOwner) {
  vorlane::test::FaultPlan plan;
  plan.content = Package();
  plan.holds = {0};
  Serve(plan);
  Open(111);
  HWND window = window_->hwnd();
  EXPECT_EQ(::GetWindow(window, GW_OWNER), owner_);
  EXPECT_FALSE(::IsWindowEnabled(owner_));
  EXPECT_EQ(TextOf(window), L"软件正在更新..请稍等...");

  HDC screen = ::GetDC(nullptr);
  const double scale = ::GetDeviceCaps(screen, LOGPIXELSY) / 96.0;
  ::ReleaseDC(nullptr, screen);
  auto scaled = [scale](int v) { return static_cast<LONG>(std::lround(v * scale)); };
  RECT frame;
  ::GetWindowRect(window, &frame);
  EXPECT_EQ(frame.left, scaled(50));
  EXPECT_EQ(frame.top, scaled(50));
  EXPECT_EQ(frame.right - frame.left, scaled(354));
  EXPECT_EQ(frame.bottom - frame.top, scaled(200));

  for (const UpdateControlPlace& place : UpdateWindowControls()) {
    SCOPED_TRACE(static_cast<int>(place.id));
    RECT r;
    ::GetWindowRect(Control(place.id), &r);
    ::MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, scaled(place.x));
    EXPECT_EQ(r.top, scaled(place.y));
    EXPECT_EQ(r.right - r.left, scaled(place.width));
    EXPECT_EQ(r.bottom - r.top, scaled(place.height));
  }
  // Before any tick and before the worker's texts arrive: the captions it starts with.
  EXPECT_EQ(Label(UpdateControlId::标签10), L"文件大小:");
  EXPECT_EQ(Label(UpdateControlId::标签11), L"已下载:");
  EXPECT_EQ(Label(UpdateControlId::标签1), L"传输速度:");
  EXPECT_EQ(Label(UpdateControlId::标签3), L"平均速度:");
  EXPECT_EQ(Label(UpdateControlId::标签4), L"已完成:");
  EXPECT_EQ(Label(UpdateControlId::标签9), L"剩余时间:");
  EXPECT_EQ(Label(UpdateControlId::标签8), L"下载成功");
  EXPECT_EQ(Label(UpdateControlId::按钮1), L"下载");
  EXPECT_FALSE(::IsWindowVisible(Control(UpdateControlId::标签8)));
  EXPECT_TRUE(::IsWindowVisible(Control(UpdateControlId::图片框1)));
  EXPECT_EQ(window_->picture(), Picture::kBanner);
  EXPECT_EQ(Progress(), 0);
  RECT client;
  ::GetClientRect(window, &client);
  RECT button;
  ::GetWindowRect(Control(UpdateControlId::按钮1), &button);
  ::MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&button), 2);
  EXPECT_GE(button.left, client.right);  // out of sight

  // The worker's two texts.
  ASSERT_TRUE(PumpUntil([this] { return !Label(UpdateControlId::标签2).empty(); }));
  EXPECT_EQ(Label(UpdateControlId::标签2),
            L"m_update.zip (来自 127.0.0.1:" + std::to_wstring(server_->port()) + L" )");
  const Text savePath = FolderText() + "\\m_update.zip";
  ASSERT_GT(savePath.size(), 46u);  // the test folder's path is long enough to be cut
  const std::wstring head(savePath.begin(), savePath.begin() + 20);  // ASCII
  EXPECT_EQ(Label(UpdateControlId::标签7), L"下载到:" + head + L"...\\m_update.zip");
}

TEST_F(UpdateWindowTest, ShowsTheProgressThenUnpacksAndHandsOverToTheInstaller) {
  const std::string package = Package();
  ASSERT_EQ(package.size(), kPackageSize);
  vorlane::test::FaultPlan plan;
  plan.content = package;
  plan.holds = {kPackageSize / 2};
  Serve(plan);
  std::wstring labelAtMessage, percentAtMessage;
  bool doneShownAtMessage = false, zipGoneAtMessage = false;
  int progressAtMessage = -1;
  Picture pictureAtMessage = Picture::kBanner;
  onMessage_ = [&] {
    labelAtMessage = Label(UpdateControlId::标签11);
    percentAtMessage = Label(UpdateControlId::标签4);
    doneShownAtMessage = ::IsWindowVisible(Control(UpdateControlId::标签8)) != FALSE;
    zipGoneAtMessage = !fs::exists(folder_ / "m_update.zip");
    progressAtMessage = Progress();
    pictureAtMessage = window_->picture();
  };
  Open(111);

  // Half of the package is in and the server holds the rest back.
  ASSERT_TRUE(PumpUntil([this] { return Label(UpdateControlId::标签4) == L"已完成:50%"; }));
  EXPECT_EQ(Progress(), 50);
  ASSERT_TRUE(PumpUntil([this] { return Label(UpdateControlId::标签10) == L"文件大小:300KB"; }));
  EXPECT_EQ(Label(UpdateControlId::标签11).rfind(L"已下载:150KB 总共(", 0), 0u);
  EXPECT_TRUE(messages_.empty());

  server_->Release();
  ASSERT_TRUE(PumpUntil([this] { return window_->closed(); }));
  EXPECT_EQ(ends_, 1);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(
      messages_[0].text,
      "\xD7\xD4\xB6\xAF\xB8\xFC\xD0\xC2\xCA\xA7\xB0\xDC\xA3\xA1\xB8\xD5\xB8\xD5\xB4\xF2\xBF\xAA\xB5\xC4\xCA"
      "\xC7"
      "\xD7\xEE\xD0\xC2\xB0\xE6\xB5\xC4\xCF\xC2\xD4\xD8\xCD\xF8\xD6\xB7\r\n"
      "\xC7\xEB\xCA\xD6\xB6\xAF\xCF\xC2\xD4\xD8\xA3\xAC\xD6\xAE\xBA\xF3\xD0\xB6\xD4\xD8\xBE\xC9\xB0\xE6\xA3"
      "\xAC"
      "\xB0\xB2\xD7\xB0\xD0\xC2\xB0\xE6");  // 自动更新失败！刚刚打开的是最新版的下载网址\r\n请手动下载，之后卸载旧版，安装新版
  EXPECT_EQ(messages_[0].caption, kNotice);
  EXPECT_EQ(messages_[0].style, static_cast<unsigned>(MB_ICONEXCLAMATION));
  EXPECT_THAT(addresses_, ElementsAre(kPage));
  ASSERT_EQ(started_.size(), 1u);
  EXPECT_EQ(started_[0].first, FolderText() + "\\unpacked\\m_update.exe");
  EXPECT_TRUE(started_[0].second);
  EXPECT_EQ(startedContent_, "MZ the new installer");  // unpacked before it was started

  EXPECT_EQ(labelAtMessage.rfind(L"已下载:300KB 总共( ", 0), 0u);
  EXPECT_EQ(labelAtMessage.substr(labelAtMessage.size() - 3), L" 秒)");
  EXPECT_EQ(percentAtMessage, L"已完成:100%");
  EXPECT_EQ(progressAtMessage, 100);
  EXPECT_TRUE(doneShownAtMessage);
  EXPECT_EQ(pictureAtMessage, Picture::kCompletionIcon);
  EXPECT_TRUE(zipGoneAtMessage);
  EXPECT_EQ(ReadFileBytes(unpacked_ / "data" / "readme.txt"), "new version\r\n");
  EXPECT_FALSE(fs::exists(folder_ / "m_update.zip.tmp"));
  EXPECT_TRUE(fs::is_empty(startedIn_));
  EXPECT_TRUE(::IsWindowEnabled(owner_));
}

TEST_F(UpdateWindowTest, A404SendsTheUserToTheDownloadPageAndEnds) {
  vorlane::test::FaultPlan plan;
  plan.content = "not here";
  plan.statusLine = "HTTP/1.1 404 Not Found";
  Serve(plan);
  options_.readValues = [values = Offer(111)] { return values; };
  EXPECT_TRUE(RunUpdateWindow(owner_, options_));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, kFailed);
  EXPECT_EQ(messages_[0].caption, kInformation);
  EXPECT_EQ(messages_[0].style, static_cast<unsigned>(MB_ICONEXCLAMATION | MB_TASKMODAL));
  EXPECT_THAT(addresses_, ElementsAre(kPage));
  EXPECT_EQ(ends_, 1);
  EXPECT_TRUE(started_.empty());
  EXPECT_TRUE(::IsWindowEnabled(owner_));
  EXPECT_TRUE(fs::is_empty(folder_));
  EXPECT_TRUE(fs::is_empty(startedIn_));
}

TEST_F(UpdateWindowTest, NoNewerVersionOpensNothingAndGivesTheOwnerBack) {
  vorlane::test::FaultPlan plan;
  plan.content = Package();
  Serve(plan);
  options_.readValues = [values = Offer(110)] { return values; };
  EXPECT_FALSE(RunUpdateWindow(owner_, options_));
  EXPECT_TRUE(::IsWindowEnabled(owner_));
  EXPECT_EQ(server_->connections(), 0);
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(ends_, 0);
}

TEST_F(UpdateWindowTest, AnInstallerAlreadyThereIsNeverStarted) {
  // This package holds no installer; one sits where the program was started, and
  // one is left in the update folder by an earlier update.
  const std::string package = test::MakeZip({{"readme.txt", "no installer here"}});
  vorlane::test::FaultPlan plan;
  plan.content = package;
  Serve(plan);
  fs::create_directories(unpacked_);
  std::ofstream(startedIn_ / "m_update.exe", std::ios::binary) << "MZ planted";
  std::ofstream(unpacked_ / "m_update.exe", std::ios::binary) << "MZ left by an earlier update";
  options_.readValues = [values = Offer(111, package)] { return values; };
  EXPECT_TRUE(RunUpdateWindow(owner_, options_));
  EXPECT_EQ(server_->connections(), 1);
  EXPECT_TRUE(started_.empty());
  EXPECT_EQ(ends_, 1);
  EXPECT_FALSE(fs::exists(unpacked_ / "m_update.exe"));
  EXPECT_EQ(ReadFileBytes(unpacked_ / "readme.txt"), "no installer here");
  EXPECT_EQ(ReadFileBytes(startedIn_ / "m_update.exe"), "MZ planted");
}

TEST_F(UpdateWindowTest, WithoutAUsableUpdateFolderOrADigestTheUserGetsThePageAndTheProgramGoesOn) {
  // A file where a folder of the path should be: the folder cannot be made.
  std::ofstream(temp_.path() / "Local", std::ios::binary) << "a file";
  const struct {
    const char* what;
    bool withDigest;
  } cases[] = {{"an update folder that cannot be made", true}, {"no signed digest", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    messages_.clear();
    addresses_.clear();
    vorlane::test::FaultPlan plan;
    plan.content = Package();
    Serve(plan);
    config::UpdateValues offer = Offer(111);
    if (!c.withDigest) {
      offer.package.sha256.reset();
      updateFolder_ = startedIn_;  // writable, but never reached
    }
    options_.readValues = [offer] { return offer; };
    EXPECT_FALSE(RunUpdateWindow(owner_, options_));
    EXPECT_TRUE(::IsWindowEnabled(owner_));
    EXPECT_EQ(server_->connections(), 0);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].caption, kNotice);
    if (c.withDigest) {
      // 无法写入更新文件夹：\r\n + the folder
      EXPECT_EQ(messages_[0].text.rfind(
                    "\xCE\xDE\xB7\xA8\xD0\xB4\xC8\xEB\xB8\xFC\xD0\xC2\xCE\xC4\xBC\xFE\xBC\xD0\xA3\xBA\r\n" +
                        FolderText(),
                    0),
                0u);
    }
    EXPECT_THAT(addresses_, ElementsAre(kPage));
    EXPECT_EQ(ends_, 0);
    EXPECT_TRUE(started_.empty());
  }
  EXPECT_TRUE(fs::is_empty(startedIn_));
}

TEST_F(UpdateWindowTest, ClosingTheWindowDuringTheDownloadEndsTheProgram) {
  vorlane::test::FaultPlan plan;
  plan.content = Package();
  plan.holds = {1000};
  Serve(plan);
  Open(111);
  ASSERT_TRUE(
      PumpUntil([this] { return server_->connections() == 1 && !Label(UpdateControlId::标签2).empty(); }));
  ::SendMessageW(window_->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(ends_, 1);
  EXPECT_TRUE(window_->closed());
  EXPECT_TRUE(::IsWindowEnabled(owner_));
  EXPECT_TRUE(messages_.empty());
}

}  // namespace
}  // namespace vorlane::update
