#include "update/update_flow.h"

#include <gmock/gmock.h>

#include <chrono>

#include "fake_update_view.h"
#include "net/tcp_socket.h"
#include "support/fake_scheduler.h"
#include "support/fake_system_port.h"
#include "support/fault_server.h"
#include "update/download_file.h"

namespace vorlane::update {
namespace {

using namespace std::chrono_literals;
using test::FakeUpdateView;
using ::testing::ElementsAre;

constexpr char kFailed[] =
    "\xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC!\xC7\xEB\xCA\xD6\xB6\xAF\xCF\xC2\xD4\xD8\xB8\xFC\xD0\xC2";  // 下载失败!请手动下载更新
constexpr char kInformation[] = "\xD0\xC5\xCF\xA2\xCC\xE1\xCA\xBE:";  // 信息提示:
constexpr char kHandOver[] =
    "\xD7\xD4\xB6\xAF\xB8\xFC\xD0\xC2\xCA\xA7\xB0\xDC\xA3\xA1\xB8\xD5\xB8\xD5\xB4\xF2\xBF\xAA\xB5\xC4\xCA\xC7"
    "\xD7\xEE\xD0\xC2\xB0\xE6\xB5\xC4\xCF\xC2\xD4\xD8\xCD\xF8\xD6\xB7\r\n"
    "\xC7\xEB\xCA\xD6\xB6\xAF\xCF\xC2\xD4\xD8\xA3\xAC\xD6\xAE\xBA\xF3\xD0\xB6\xD4\xD8\xBE\xC9\xB0\xE6\xA3\xAC"
    "\xB0\xB2\xD7\xB0\xD0\xC2\xB0\xE6";  // 自动更新失败！刚刚打开的是最新版的下载网址\r\n请手动下载，之后卸载旧版，安装新版
constexpr char kNotice[] = "\xCC\xE1\xCA\xBE";                     // 提示
constexpr char kCompleted[] = "\xD2\xD1\xCD\xEA\xB3\xC9:";         // 已完成:
constexpr char kReceived[] = "\xD2\xD1\xCF\xC2\xD4\xD8:";          // 已下载:
constexpr char kAverage[] = "\xC6\xBD\xBE\xF9\xCB\xD9\xB6\xC8:";   // 平均速度:
constexpr char kTimeLeft[] = "\xCA\xA3\xD3\xE0\xCA\xB1\xBC\xE4:";  // 剩余时间:
constexpr char kSecond[] = "\xC3\xEB";                             // 秒

// 有新版本，但无法确认更新来自官方，程序不会自动安装。
constexpr char kUnverified[] =
    "\xD3\xD0\xD0\xC2\xB0\xE6\xB1\xBE\xA3\xAC\xB5\xAB\xCE\xDE\xB7\xA8\xC8\xB7\xC8\xCF\xB8\xFC\xD0\xC2\xC0\xB4"
    "\xD7\xD4"
    "\xB9\xD9\xB7\xBD\xA3\xAC\xB3\xCC\xD0\xF2\xB2\xBB\xBB\xE1\xD7\xD4\xB6\xAF\xB0\xB2\xD7\xB0\xA1\xA3";
// 无法写入更新文件夹：\r\n
constexpr char kFolderUnusable[] =
    "\xCE\xDE\xB7\xA8\xD0\xB4\xC8\xEB\xB8\xFC\xD0\xC2\xCE\xC4\xBC\xFE\xBC\xD0\xA3\xBA\r\n";

constexpr char kPage[] = "http://vorlane.example/download.html";
constexpr char kPackage[] = "http://files.example:8080/vorlane/zujian/m_update.zip";
// The update's own folder, as the fake system names it.
constexpr char kFolder[] = "C:\\Users\\me\\AppData\\Local\\Vorlane\\update";
constexpr char kZip[] = "C:\\Users\\me\\AppData\\Local\\Vorlane\\update\\m_update.zip";
constexpr char kUnpacked[] = "C:\\Users\\me\\AppData\\Local\\Vorlane\\update\\unpacked";
constexpr char kInstaller[] = "C:\\Users\\me\\AppData\\Local\\Vorlane\\update\\unpacked\\m_update.exe";
// Where the program was started from: it plays no part.
constexpr char kStartedIn[] = "C:\\Vorlane\\m_update.exe";

constexpr config::UnzipLimits kLimits{5000000, 9000000};
constexpr config::Sha256Digest kSignedDigest{0x5F, 0x0C, 0x7D};

// An offer as a signed update info makes it: with the package's digest.
config::UpdateValues Offer(int version) {
  config::UpdateValues offer{version, kPage, kPackage, kLimits};
  offer.package.sha256 = kSignedDigest;
  return offer;
}

// The window, the scheduler and the system a flow runs against, writing what it does
// to the user and the system into one list of events.
struct FlowWorld {
  FlowWorld() {
    scheduler.workers = vorlane::test::FakeScheduler::Workers::kDeferred;
    system.events = &view.events;
  }
  UpdateServices Services(Downloader download) {
    return {view,
            scheduler,
            system,
            std::move(download),
            [this](const Text& archive, const Text& folder, const config::UnzipLimits& limits) {
              extracted.emplace_back(archive, folder);
              extractLimits.push_back(limits);
              view.events.push_back("extract");
              UnzipReport report;
              report.opened = true;
              report.writtenFiles = unpackWrites;
              for (const Text& file : unpackWrites) system.files.insert(folder + "\\" + file);
              return report;
            },
            [this](const Text& path, const config::AnnouncedPackage& package) {
              checked.push_back(path);
              return packageMatches && package.sha256 == kSignedDigest;
            }};
  }
  // The worker runs on a thread of its own and what it posted arrives.
  void FinishWorker() {
    scheduler.RunDeferredWorkers(true);
    scheduler.DrainPosted();
  }

  vorlane::test::FakeScheduler scheduler;
  vorlane::test::FakeSystemPort system;
  FakeUpdateView view;
  std::vector<std::pair<Text, Text>> extracted;  // archive, folder
  std::vector<config::UnzipLimits> extractLimits;
  std::vector<Text> unpackWrites{"data\\filler.bin", "M_Update.exe"};  // what the package holds
  bool packageMatches = true;  // whether the finished file has the signed digest
  std::vector<Text> checked;
};

class UpdateFlowTest : public ::testing::Test {
 protected:
  // A download that ends with `result` and leaves the counters at `totalAtEnd`.
  void DownloadEndsWith(std::int32_t result, std::int32_t totalAtEnd = 2000000) {
    download = [this, result, totalAtEnd](const Text& url, const Text& savePath,
                                          const config::AnnouncedPackage& package, ByteCounter& t,
                                          ByteCounter& r) {
      urls.push_back(url);
      savePaths.push_back(savePath);
      packages.push_back(package);
      t = totalAtEnd;
      r = result == kDownloadOk ? totalAtEnd : totalAtEnd / 2;
      return result;
    };
  }
  UpdateFlow& Flow() {
    if (!flow) flow = std::make_unique<UpdateFlow>(world.Services(download), total, received);
    return *flow;
  }
  // The worker runs and what it posted arrives.
  void FinishWorker() { world.FinishWorker(); }

  FlowWorld world;
  FakeUpdateView& view = world.view;
  ByteCounter total{0};
  ByteCounter received{0};
  Downloader download;
  std::vector<Text> urls, savePaths;
  std::vector<config::AnnouncedPackage> packages;
  std::unique_ptr<UpdateFlow> flow;
};

TEST_F(UpdateFlowTest, Version110ClosesTheWindowAndStartsNothing) {
  DownloadEndsWith(kDownloadOk);
  Flow().OnWindowCreated(Offer(110));
  EXPECT_TRUE(view.closed);
  EXPECT_FALSE(Flow().tookOver());
  EXPECT_EQ(world.scheduler.deferredWorkers(), 0u);
  EXPECT_TRUE(view.timers.empty());
  EXPECT_TRUE(world.system.started.empty());
}

TEST_F(UpdateFlowTest, Version111StartsTheDownloadWithAFreshWindow) {
  DownloadEndsWith(kDownloadOk);
  total = 77;  // left from nothing in particular
  received = 55;
  Flow().OnWindowCreated(Offer(111));
  EXPECT_TRUE(Flow().tookOver());
  EXPECT_FALSE(view.closed);
  EXPECT_EQ(view.timers[Timer::时钟1], 1000u);
  EXPECT_EQ(view.timers[Timer::时钟2], 100u);
  EXPECT_EQ(view.picture, Picture::kBanner);
  EXPECT_FALSE(view.visible[Label::标签8]);
  EXPECT_EQ(view.progress, 0);
  EXPECT_EQ(total.load(), 0);
  EXPECT_EQ(received.load(), 0);
  EXPECT_EQ(Flow().savePath(), kZip);
  ASSERT_EQ(world.scheduler.deferredWorkers(), 1u);

  FinishWorker();
  EXPECT_THAT(urls, ElementsAre(kPackage));
  EXPECT_THAT(savePaths, ElementsAre(kZip));
  // 下载到: with the long path cut short
  EXPECT_EQ(view.labels[Label::标签7], "\xCF\xC2\xD4\xD8\xB5\xBD:C:\\Users\\me\\AppData\\...\\m_update.zip");
  EXPECT_THAT(world.system.prepared, ElementsAre(kFolder));
  EXPECT_EQ(view.labels[Label::标签2],
            "m_update.zip (\xC0\xB4\xD7\xD4 files.example:8080 )");  // (来自 files.example:8080 )
}

TEST_F(UpdateFlowTest, WhatTheUpdateInfoSaysOfThePackageReachesTheDownloader) {
  DownloadEndsWith(kDownloadOk);
  config::UpdateValues offer = Offer(111);
  offer.package.size = 307200;
  offer.package.sha256 = config::Sha256Digest{0xAB, 0xCD};
  Flow().OnWindowCreated(offer);
  FinishWorker();
  ASSERT_EQ(packages.size(), 1u);
  EXPECT_EQ(packages[0].size, 307200u);
  EXPECT_EQ(packages[0].sha256, offer.package.sha256);
}

TEST_F(UpdateFlowTest, WithoutASignedDigestNothingIsFetchedAndTheUserDecidesOnThePage) {
  // No info address, an info whose signature failed, or a signed info without a
  // digest: all leave the offer without one.
  DownloadEndsWith(kDownloadOk);
  config::UpdateValues offer = Offer(111);
  offer.package.sha256.reset();
  offer.package.size = 1000;
  world.system.files.insert(kStartedIn);  // an installer where the program was started
  world.system.files.insert(kInstaller);  // and one left in the update folder
  Flow().OnWindowCreated(offer);
  EXPECT_THAT(view.events, ElementsAre("message", "open", "close"));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text.rfind(kUnverified, 0), 0u);
  EXPECT_EQ(view.messages[0].caption, kNotice);
  EXPECT_THAT(world.system.openedAddresses, ElementsAre(kPage));
  EXPECT_TRUE(world.system.started.empty());
  EXPECT_EQ(world.scheduler.deferredWorkers(), 0u);
  EXPECT_TRUE(world.system.prepared.empty());
  // The window goes and the main window carries on: the program does not end.
  EXPECT_TRUE(view.closed);
  EXPECT_FALSE(Flow().tookOver());
  EXPECT_EQ(view.endCalls, 0);
}

TEST_F(UpdateFlowTest, AnUpdateFolderThatCannotBeWrittenIsToldAndTheProgramGoesOn) {
  const struct {
    const char* what;
    const char* folder;
    bool writable;
  } cases[] = {
      {"a folder that cannot be written", kFolder, false},
      {"no folder named by the system", "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FlowWorld fresh;
    fresh.system.updateFolder = c.folder;
    fresh.system.writable = c.writable;
    DownloadEndsWith(kDownloadOk);
    UpdateFlow flowHere(fresh.Services(download), total, received);
    flowHere.OnWindowCreated(Offer(111));
    EXPECT_THAT(fresh.view.events, ElementsAre("message", "open", "close"));
    ASSERT_EQ(fresh.view.messages.size(), 1u);
    EXPECT_EQ(fresh.view.messages[0].text,
              std::string(kFolderUnusable) + c.folder +
                  "\r\n\xD5\xE2\xB4\xCE\xB2\xBB\xD7\xD4\xB6\xAF\xB8\xFC\xD0\xC2"
                  "\xA3\xAC\xC7\xEB\xD4\xDA\xCB\xE6\xBA\xF3\xB4\xF2\xBF\xAA\xB5\xC4"
                  "\xCF\xC2\xD4\xD8\xCD\xF8\xD2\xB3\xC9\xCF\xCA\xD6\xB6\xAF\xCF\xC2"
                  "\xD4\xD8\xA1\xA3");  // 这次不自动更新，请在随后打开的下载网页上手动下载。
    EXPECT_EQ(fresh.scheduler.deferredWorkers(), 0u);
    EXPECT_TRUE(fresh.view.closed);
    EXPECT_FALSE(flowHere.tookOver());
    EXPECT_EQ(fresh.view.endCalls, 0);
  }
}

TEST_F(UpdateFlowTest, OnlyTheInstallerThisPackageHeldIsRunAndNeverOneAlreadyThere) {
  const struct {
    const char* what;
    std::vector<Text> unpacked;
    bool started;
  } cases[] = {
      {"the package holds the installer", {"m_update.exe"}, true},
      {"the package holds no installer", {"readme.txt", "sub\\m_update.exe"}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FlowWorld fresh;
    fresh.unpackWrites = c.unpacked;
    fresh.system.files = {kStartedIn, kInstaller, kZip};  // an installer of an earlier update
    DownloadEndsWith(kDownloadOk);
    UpdateFlow flowHere(fresh.Services(download), total, received);
    flowHere.OnWindowCreated(Offer(111));
    fresh.FinishWorker();
    flowHere.OnTenthTick();
    EXPECT_THAT(fresh.system.removedFolders, ElementsAre(kUnpacked));  // emptied before unpacking
    ASSERT_EQ(fresh.extracted.size(), 1u);
    EXPECT_EQ(fresh.extracted[0].second, kUnpacked);
    if (c.started) {
      ASSERT_EQ(fresh.system.started.size(), 1u);
      EXPECT_EQ(fresh.system.started[0].path, kInstaller);
    } else {
      EXPECT_TRUE(fresh.system.started.empty());
    }
    EXPECT_THAT(fresh.system.openedAddresses, ElementsAre(kPage));
    EXPECT_EQ(fresh.view.endCalls, 1);
  }
}

TEST_F(UpdateFlowTest, APackageWithoutTheSignedDigestIsNeitherUnpackedNorRun) {
  DownloadEndsWith(kDownloadOk);
  world.packageMatches = false;  // whatever the downloader said
  Flow().OnWindowCreated(Offer(111));
  world.system.files.insert(kZip);
  FinishWorker();
  Flow().OnTenthTick();
  EXPECT_THAT(world.checked, ElementsAre(kZip));
  EXPECT_THAT(view.events, ElementsAre("remove", "message", "open", "end"));
  EXPECT_TRUE(world.extracted.empty());
  EXPECT_TRUE(world.system.started.empty());
  EXPECT_FALSE(world.system.FileExists(kZip));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, kFailed);
}

TEST_F(UpdateFlowTest, APageThatIsNotAWebAddressIsNeverOpened) {
  DownloadEndsWith(kDownloadBadStatus);
  config::UpdateValues offer = Offer(111);
  offer.pageAddress = "Z:\\tmp\\evil.exe";
  Flow().OnWindowCreated(offer);
  FinishWorker();
  EXPECT_THAT(view.events, ElementsAre("message", "refuse", "end"));
  EXPECT_TRUE(world.system.openedAddresses.empty());
  EXPECT_TRUE(world.system.started.empty());
}

TEST_F(UpdateFlowTest, TheTenthTickShowsThePercentage) {
  DownloadEndsWith(kDownloadOk);
  Flow().OnWindowCreated(Offer(111));
  Flow().OnTenthTick();
  EXPECT_EQ(view.labels[Label::标签4], std::string(kCompleted) + "0%");  // no size yet
  total = 2000000;
  received = 1000000;
  Flow().OnTenthTick();
  EXPECT_EQ(view.labels[Label::标签4], std::string(kCompleted) + "50%");
  EXPECT_EQ(view.progress, 50);
}

TEST_F(UpdateFlowTest, TheSecondTickAfterTenSeconds) {
  DownloadEndsWith(kDownloadOk);
  Flow().OnWindowCreated(Offer(111));
  total = 1024000;
  for (int second = 1; second <= 10; ++second) {
    received = 51200 * second;
    Flow().OnSecondTick();
  }
  EXPECT_EQ(Flow().counters().SecondsElapsed, 10);
  EXPECT_EQ(view.labels[Label::标签3], std::string(kAverage) + "50KB/" + kSecond);
  EXPECT_EQ(view.labels[Label::标签9], std::string(kTimeLeft) + "10 " + kSecond);
  EXPECT_EQ(view.labels[Label::标签10], "\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1:1000KB");  // 文件大小:1000KB
}

TEST_F(UpdateFlowTest, OneHundredPercentWaitsForTheDownloadersResult) {
  DownloadEndsWith(kDownloadOk);
  Flow().OnWindowCreated(Offer(111));
  for (int i = 0; i < 3; ++i) Flow().OnSecondTick();
  // The counters say 100% while the downloader is still checking its file.
  total = 2000000;
  received = 2000000;
  Flow().OnTenthTick();
  EXPECT_EQ(view.labels[Label::标签4], std::string(kCompleted) + "100%");
  EXPECT_EQ(view.timers[Timer::时钟2], 100u);
  EXPECT_EQ(view.picture, Picture::kBanner);
  EXPECT_TRUE(view.events.empty());

  world.system.files.insert(kZip);  // renamed into place
  FinishWorker();
  EXPECT_TRUE(view.events.empty());  // the next tick completes
  Flow().OnTenthTick();
  EXPECT_EQ(view.labels[Label::标签11],
            std::string(kReceived) + "1953.13KB \xD7\xDC\xB9\xB2( 3 " + kSecond + ")");
  EXPECT_EQ(view.picture, Picture::kCompletionIcon);
  EXPECT_TRUE(view.visible[Label::标签8]);
  EXPECT_EQ(view.timers[Timer::时钟1], 0u);
  EXPECT_EQ(view.timers[Timer::时钟2], 0u);

  EXPECT_THAT(view.events,
              ElementsAre("remove folder", "extract", "remove", "start", "open", "message", "end"));
  EXPECT_THAT(world.checked, ElementsAre(kZip));
  ASSERT_EQ(world.extracted.size(), 1u);
  EXPECT_EQ(world.extracted[0].first, kZip);
  EXPECT_EQ(world.extracted[0].second, kUnpacked);
  // The configured caps reach the unpacking.
  EXPECT_EQ(world.extractLimits[0].maxEntryBytes, kLimits.maxEntryBytes);
  EXPECT_EQ(world.extractLimits[0].maxTotalBytes, kLimits.maxTotalBytes);
  EXPECT_THAT(world.system.removed, ElementsAre(kZip));
  ASSERT_EQ(world.system.started.size(), 1u);
  EXPECT_EQ(world.system.started[0].path, kInstaller);
  EXPECT_TRUE(world.system.started[0].waitUntilReady);
  EXPECT_THAT(world.system.openedAddresses, ElementsAre(kPage));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, kHandOver);
  EXPECT_EQ(view.messages[0].caption, kNotice);
  EXPECT_EQ(view.messages[0].style, 0x30u);
  EXPECT_EQ(view.endCalls, 1);
}

TEST_F(UpdateFlowTest, ASmallPackageCompletesThoughItsPercentageCannotBeComputed) {
  DownloadEndsWith(kDownloadOk, 60);
  Flow().OnWindowCreated(Offer(111));
  world.system.files.insert(kZip);
  FinishWorker();
  Flow().OnTenthTick();
  EXPECT_EQ(view.labels[Label::标签4], std::string(kCompleted) + "100%");
  EXPECT_EQ(view.progress, 100);
  EXPECT_EQ(view.endCalls, 1);
}

TEST_F(UpdateFlowTest, WithoutTheArchiveTheCompletedWindowStays) {
  DownloadEndsWith(kDownloadOk);
  Flow().OnWindowCreated(Offer(111));
  FinishWorker();  // the archive went missing after the download
  Flow().OnTenthTick();
  EXPECT_EQ(Flow().state(), UpdateFlow::State::kCompleted);
  EXPECT_TRUE(view.visible[Label::标签8]);
  EXPECT_TRUE(view.events.empty());
  const auto labels = view.labels;
  Flow().OnTenthTick();  // a tick still queued changes nothing
  Flow().OnSecondTick();
  EXPECT_EQ(view.labels, labels);
}

TEST_F(UpdateFlowTest, EveryDownloadFailureSendsTheUserToThePageAndEnds) {
  for (std::int32_t result = 1; result <= 6; ++result) {
    SCOPED_TRACE(result);
    FlowWorld fresh;
    DownloadEndsWith(result);
    UpdateFlow failing(fresh.Services(download), total, received);
    failing.OnWindowCreated(Offer(111));
    fresh.FinishWorker();
    EXPECT_THAT(fresh.view.events, ElementsAre("message", "open", "end"));
    ASSERT_EQ(fresh.view.messages.size(), 1u);
    EXPECT_EQ(fresh.view.messages[0].text, kFailed);
    EXPECT_EQ(fresh.view.messages[0].caption, kInformation);
    EXPECT_EQ(fresh.view.messages[0].style, 0x30u | 0x2000u);
    EXPECT_THAT(fresh.system.openedAddresses, ElementsAre(kPage));
    EXPECT_EQ(failing.state(), UpdateFlow::State::kEnded);
  }
}

TEST_F(UpdateFlowTest, AServerAnswering404EndsTheUpdateAtThePage) {
  vorlane::test::FaultPlan plan;
  plan.content = "never sent";
  plan.statusLine = "HTTP/1.1 404 Not Found";
  vorlane::test::FaultServer server(plan);
  net::TcpSocket socket;
  download = [&socket](const Text& url, const Text& savePath, const config::AnnouncedPackage& package,
                       ByteCounter& t,
                       ByteCounter& r) { return DownloadFile(socket, url, savePath, t, r, 5s, package); };
  config::UpdateValues offer = Offer(111);
  offer.packageAddress = server.Url("zujian/m_update.zip");
  Flow().OnWindowCreated(offer);
  FinishWorker();
  EXPECT_THAT(view.events, ElementsAre("message", "open", "end"));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, kFailed);
  EXPECT_THAT(world.system.openedAddresses, ElementsAre(kPage));
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].rfind("GET /zujian/m_update.zip HTTP/1.1\r\n", 0), 0u);
}

TEST_F(UpdateFlowTest, ClosingTheWindowDuringTheDownloadEndsTheProgram) {
  DownloadEndsWith(kDownloadOk);
  Flow().OnWindowCreated(Offer(111));
  Flow().OnCloseRequested();
  EXPECT_THAT(view.events, ElementsAre("end"));
  EXPECT_FALSE(view.closed);
  Flow().OnCloseRequested();  // ending is asked once
  EXPECT_EQ(view.endCalls, 1);
  FinishWorker();  // the download's late result changes nothing
  Flow().OnTenthTick();
  EXPECT_EQ(view.endCalls, 1);
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(UpdateFlowTest, ClosingAWindowThatTookNothingOverJustClosesIt) {
  DownloadEndsWith(kDownloadOk);
  Flow().OnCloseRequested();
  EXPECT_TRUE(view.closed);
  EXPECT_EQ(view.endCalls, 0);
}

TEST_F(UpdateFlowTest, ADownloadThatOutlivesTheFlowTouchesNothing) {
  DownloadEndsWith(kDownloadBadStatus);
  Flow().OnWindowCreated(Offer(111));
  flow.reset();
  const auto labels = view.labels;
  FinishWorker();
  EXPECT_EQ(view.labels, labels);
  EXPECT_TRUE(view.events.empty());
}

}  // namespace
}  // namespace vorlane::update
