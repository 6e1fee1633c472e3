#include "web/notice_box.h"

#include <gmock/gmock.h>

#include "web_test_support.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace vorlane {
namespace {

unsigned long OwnProcessId() {
#ifdef _WIN32
  return ::GetCurrentProcessId();
#else
  return static_cast<unsigned long>(::getpid());
#endif
}

TEST(NoticeBoxTest, DefaultsAreInformationStyleFriendlyCaptionAndTheProcessWindow) {
  test::NoticeRecorder recorder;
  EXPECT_EQ(NoticeBox("hello"), 0);
  ASSERT_EQ(recorder.notices().size(), 1u);
  const MessageBoxCall notice = recorder.notices()[0];
  EXPECT_EQ(notice.message, "hello");
  EXPECT_EQ(notice.style, 0x40u);
  EXPECT_EQ(notice.caption, "\xD3\xD1\xC7\xE9\xCC\xE1\xD0\xD1");  // 友情提醒
  EXPECT_EQ(notice.owner, FindProcessWindow(OwnProcessId()));
}

TEST(NoticeBoxTest, GivenStyleCaptionAndOwnerPassThroughAndTheSinkAnswers) {
  int owner_marker = 0;
  MessageBoxCall seen;
  MessageBoxSink previous = SetMessageBoxSink([&seen](const MessageBoxCall& notice) {
    seen = notice;
    return 6;  // the sink plays the user pressing button 6
  });
  EXPECT_EQ(NoticeBox("m", 0x30, "cap", &owner_marker), 5);
  SetMessageBoxSink(std::move(previous));
  EXPECT_EQ(seen.message, "m");
  EXPECT_EQ(seen.style, 0x30u);
  EXPECT_EQ(seen.caption, "cap");
  EXPECT_EQ(seen.owner, &owner_marker);
}

#ifdef _WIN32

// A top-level window of this process for as long as it lives.
class TopLevelWindow {
 public:
  explicit TopLevelWindow(bool visible) {
    window_ =
        ::CreateWindowExW(0, L"STATIC", L"notice owner", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 0,
                          0, 200, 100, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  }
  ~TopLevelWindow() {
    if (window_) ::DestroyWindow(window_);
  }
  TopLevelWindow(const TopLevelWindow&) = delete;
  TopLevelWindow& operator=(const TopLevelWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_ = nullptr;
};

TEST(FindProcessWindowTest, FindsAVisibleWindowOfTheProcessAndSkipsHiddenOnes) {
  TopLevelWindow hidden(false);
  if (!hidden.get()) GTEST_SKIP() << "no window system (run under a display)";
  EXPECT_EQ(FindProcessWindow(::GetCurrentProcessId()), nullptr);

  TopLevelWindow shown(true);
  ASSERT_NE(shown.get(), nullptr);
  EXPECT_EQ(FindProcessWindow(::GetCurrentProcessId()), shown.get());

  test::NoticeRecorder recorder;
  NoticeBox("owned");
  ASSERT_EQ(recorder.notices().size(), 1u);
  EXPECT_EQ(recorder.notices()[0].owner, shown.get());
}

TEST(FindProcessWindowTest, AnotherProcessIdFindsNothingOfOurs) {
  TopLevelWindow shown(true);
  if (!shown.get()) GTEST_SKIP() << "no window system (run under a display)";
  HWND found = static_cast<HWND>(FindProcessWindow(::GetCurrentProcessId() + 4));
  if (found) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(found, &owner);
    EXPECT_EQ(owner, ::GetCurrentProcessId() + 4);
  }
}

#else

TEST(NoticeBoxTest, WithoutAWindowSystemTheNoticeGoesToStandardErrorAsUtf8) {
  EXPECT_EQ(FindProcessWindow(OwnProcessId()), nullptr);
  testing::internal::CaptureStderr();
  int answer = NoticeBox("\xB1\xA6\xB1\xB4 ok");  // 宝贝 ok
  std::string written = testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(written, "友情提醒: 宝贝 ok\n");
}

#endif

}  // namespace
}  // namespace vorlane
