// The window's services to the checks: tasks handed over from workers, waits that
// keep the window alive, delayed tasks, and text in and out of the controls.
#include <atomic>
#include <memory>
#include <new>
#include <stdexcept>
#include <thread>

#include "text/message_pump.h"
#include "text/url_encode.h"
#include "win/failure_guard.h"
#include "win/message_loop.h"
#include "window_fixture.h"

namespace vorlane::shell::test {
namespace {

using UiServicesTest = WindowTest;

TEST_F(UiServicesTest, TasksPostedFromAWorkerRunOnTheWindowsThreadInOrder) {
  Open();
  std::vector<int> order;
  std::atomic<DWORD> ranOn{0};
  window->scheduler().StartWorker([&] {
    for (int i = 0; i < 50; ++i) window->scheduler().PostToUi([&order, i] { order.push_back(i); });
    window->scheduler().PostToUi([&] { ranOn = ::GetCurrentThreadId(); });
  });
  ASSERT_TRUE(PumpUntil([&] { return ranOn != 0; }));
  EXPECT_EQ(ranOn.load(), ::GetCurrentThreadId());
  ASSERT_EQ(order.size(), 50u);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(order[static_cast<size_t>(i)], i);
}

TEST_F(UiServicesTest, TasksLeftOrArrivingAfterTheWindowAreFreedUnrun) {
  Open();
  auto token = std::make_shared<int>(0);
  bool ran = false;
  window->scheduler().PostToUi([token, &ran] { ran = true; });  // queued, never handled
  EXPECT_EQ(token.use_count(), 2);
  ::DestroyWindow(Hwnd());
  EXPECT_EQ(token.use_count(), 1);  // freed with the window
  window->scheduler().PostToUi([token, &ran] { ran = true; });
  EXPECT_EQ(token.use_count(), 1);  // refused and freed at once
  PumpFor(50ms);
  EXPECT_FALSE(ran);
}

TEST_F(UiServicesTest, DelayWithEventsWaitsWhileHandlingPostedTasks) {
  Open();
  std::atomic<bool> handled{false};
  auto handledAt = std::chrono::steady_clock::time_point{};
  std::thread poster([&] {
    std::this_thread::sleep_for(100ms);
    window->scheduler().PostToUi([&] {
      handled = true;
      handledAt = std::chrono::steady_clock::now();
    });
  });
  const auto start = std::chrono::steady_clock::now();
  window->scheduler().DelayWithEvents(500ms);
  const auto end = std::chrono::steady_clock::now();
  poster.join();
  ASSERT_TRUE(handled);
  EXPECT_LT(handledAt, end);  // handled inside the wait, not after it
  EXPECT_GE(end - start, 450ms);
}

TEST_F(UiServicesTest, DelayWithEventsPutsAQuitRequestBackForTheOuterLoop) {
  Open();
  ::PostQuitMessage(7);
  window->scheduler().DelayWithEvents(50ms);
  MSG msg;
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(UiServicesTest, UrlEncodeKeepsTheWindowAliveThroughTheShellsLoop) {
  Open();
  win::InstallMessagePump();
  int ran = 0;
  window->scheduler().PostToUi([&] { ++ran; });
  ::PostQuitMessage(3);
  EXPECT_EQ(UrlEncode("ab"), "%61%62");
  SetMessagePump(nullptr);
  EXPECT_EQ(ran, 1);
  // The quit request is kept for the program's own loop, not swallowed.
  MSG msg;
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

std::atomic<int> failures{0};
std::atomic<bool> lastOutOfMemory{false};

TEST_F(UiServicesTest, AnExceptionInAHandlerOrAWorkerIsReportedAndTheProgramGoesOn) {
  Open();
  win::SetFailureSink([](bool outOfMemory) {
    lastOutOfMemory = outOfMemory;
    ++failures;
  });
  window->view().SetFileChooser([]() -> std::optional<Text> { throw std::bad_alloc(); });
  Click(ControlId::按钮_导入宝贝全称);  // thrown inside the window procedure
  EXPECT_EQ(failures, 1);
  EXPECT_TRUE(lastOutOfMemory);
  window->scheduler().StartWorker([] { throw std::runtime_error("inside a worker"); });
  EXPECT_TRUE(PumpUntil([this] { return failures == 2 && window->scheduler().runningWorkers() == 0; }));
  EXPECT_FALSE(lastOutOfMemory);
  win::SetFailureSink(nullptr);
  // The window still works.
  window->view().SetText(check::Control::编辑框_标题, "ok");
  EXPECT_EQ(TextOf(Control(ControlId::编辑框_标题)), L"ok");
}

TEST_F(UiServicesTest, RunLaterRunsOnceAfterItsDelay) {
  Open();
  int runs = 0;
  const auto start = std::chrono::steady_clock::now();
  auto ranAt = start;
  window->scheduler().RunLater(200ms, [&] {
    ++runs;
    ranAt = std::chrono::steady_clock::now();
  });
  ASSERT_TRUE(PumpUntil([&] { return runs > 0; }));
  PumpFor(300ms);
  EXPECT_EQ(runs, 1);
  EXPECT_GE(ranAt - start, 180ms);
}

TEST_F(UiServicesTest, RunLaterFromAWorkerStillRunsOnTheWindowsThread) {
  Open();
  std::atomic<DWORD> ranOn{0};
  std::thread worker([&] { window->scheduler().RunLater(10ms, [&] { ranOn = ::GetCurrentThreadId(); }); });
  worker.join();
  ASSERT_TRUE(PumpUntil([&] { return ranOn != 0; }));
  EXPECT_EQ(ranOn.load(), ::GetCurrentThreadId());
}

TEST_F(UiServicesTest, WorkersAreCountedUntilTheyFinish) {
  Open();
  std::atomic<bool> release{false};
  window->scheduler().StartWorker([&] {
    while (!release) std::this_thread::sleep_for(1ms);
  });
  EXPECT_EQ(window->scheduler().runningWorkers(), 1);
  release = true;
  EXPECT_TRUE(PumpUntil([this] { return window->scheduler().runningWorkers() == 0; }));
}

TEST_F(UiServicesTest, TextsGoInAndComeOutAsGbk) {
  Open();
  check::MainView& view = window->view();
  const Text title = "\xC1\xAC\xD2\xC2\xC8\xB9 A";  // 连衣裙 A
  view.SetText(check::Control::编辑框_标题, title);
  EXPECT_EQ(TextOf(Control(ControlId::编辑框_标题)), L"连衣裙 A");
  EXPECT_EQ(view.GetText(check::Control::编辑框_标题), title);

  view.AppendText(check::Control::编辑框_显示, "\xB5\xDA\xD2\xBB\r\n");  // 第一\r\n
  view.AppendText(check::Control::编辑框_显示, "\xB5\xDA\xB6\xFE");      // 第二
  EXPECT_EQ(TextOf(Control(ControlId::编辑框_显示)), L"第一\r\n第二");

  view.SetStatusText(1, " \xD2\xD1\xCD\xA3\xD6\xB9\xBC\xE0\xB2\xE2\xA3\xA1");  //  已停止监测！
  EXPECT_EQ(StatusText(1), L" 已停止监测！");

  EXPECT_TRUE(view.IsChecked(check::Control::单选框_查询全部));
  ::SendMessageW(Control(ControlId::单选框_只查未收录), BM_CLICK, 0, 0);
  EXPECT_FALSE(view.IsChecked(check::Control::单选框_查询全部));
  EXPECT_TRUE(view.IsChecked(check::Control::单选框_只查未收录));

  view.Focus(check::Control::编辑框_标题);
  EXPECT_TRUE(FocusSettlesOn(Control(ControlId::编辑框_标题)));
  // Readable whatever the system's ANSI code page is.
  RecordProperty("ansi_code_page", static_cast<int>(::GetACP()));
}

}  // namespace
}  // namespace vorlane::shell::test
