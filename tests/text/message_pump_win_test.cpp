// UrlEncode keeps the calling thread's windows alive: messages posted to them are
// handled while it works.
#include <windows.h>

#include <gtest/gtest.h>

#include "text/message_pump.h"
#include "text/url_encode.h"

namespace vorlane {
namespace {

constexpr UINT kPing = WM_APP + 1;
int g_pings = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kPing) {
    ++g_pings;
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

class MessageOnlyWindow {
 public:
  MessageOnlyWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VorlaneTextPumpTest";
    ::RegisterClassW(&wc);
    window_ = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                nullptr);
  }
  ~MessageOnlyWindow() {
    if (window_) ::DestroyWindow(window_);
  }
  MessageOnlyWindow(const MessageOnlyWindow&) = delete;
  MessageOnlyWindow& operator=(const MessageOnlyWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_ = nullptr;
};

TEST(MessagePump, UrlEncodeHandlesPendingMessages) {
  MessageOnlyWindow window;
  ASSERT_NE(window.get(), nullptr);
  g_pings = 0;
  ASSERT_TRUE(::PostMessageW(window.get(), kPing, 0, 0));
  ASSERT_TRUE(::PostMessageW(window.get(), kPing, 0, 0));
  EXPECT_EQ(UrlEncode("ab"), "%61%62");
  EXPECT_EQ(g_pings, 2);
}

TEST(MessagePump, NothingPendingReturnsAtOnce) {
  MessageOnlyWindow window;
  g_pings = 0;
  PumpPendingMessages();
  EXPECT_EQ(g_pings, 0);
  ASSERT_TRUE(::PostMessageW(window.get(), kPing, 0, 0));
  PumpPendingMessages();
  EXPECT_EQ(g_pings, 1);
}

}  // namespace
}  // namespace vorlane
