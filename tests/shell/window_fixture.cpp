#include "window_fixture.h"

#include "win/message_loop.h"

namespace vorlane::shell::test {

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

RECT PlaceIn(HWND control, HWND reference) {
  RECT r;
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(HWND_DESKTOP, reference, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void WindowTest::Open(std::string_view ini, bool unlock) {
  options.config = config::AppConfig::Defaults();
  options.config.Merge(ini);
  options.notify = [this](DWORD message, NOTIFYICONDATAW* data) {
    notifications.push_back({message, *data});
    return TRUE;
  };
  options.onDestroyed = [this] { ++destroyedCalls; };
  options.system = &system;
  previousMessageSink_ = SetMessageBoxSink([this](const MessageBoxCall& call) {
    messages.push_back({call.message, call.caption, call.style, call.owner});
    return 1;  // IDOK
  });
  window = std::make_unique<MainWindow>(options);
  ASSERT_TRUE(window->Create(::GetModuleHandleW(nullptr))) << "no window (is there a display?)";
  if (unlock) {
    ASSERT_TRUE(PumpUntil([this] { return window->panelUnlocked(); }));
  }
}

void WindowTest::TearDown() {
  if (window) {
    // Let the workers finish: the tests read what they did.
    EXPECT_TRUE(PumpUntil([this] { return window->scheduler().runningWorkers() == 0; }, 30s));
    window.reset();
  }
  SetMessageBoxSink(std::move(previousMessageSink_));
}

void WindowTest::Click(ControlId id) {
  ::SendMessageW(Control(id), BM_CLICK, 0, 0);
}

void WindowTest::ClickArea(ControlId id) {
  ::SendMessageW(Control(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::SendMessageW(Control(id), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

bool WindowTest::FocusSettlesOn(HWND control) {
  return PumpUntil(
      [&] {
        if (::GetActiveWindow() != Hwnd()) ::SetForegroundWindow(Hwnd());
        return ::GetFocus() == control;
      },
      5s);
}

std::wstring ListCellText(HWND list, int row, int column) {
  wchar_t buffer[256] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 256;
  ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

std::wstring WindowTest::StatusText(int part) {
  HWND status = Control(ControlId::状态条1);
  const auto length = LOWORD(::SendMessageW(status, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0));
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  ::SendMessageW(status, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return text;
}

int WindowTest::StatusPartRightEdge(int part) {
  int edges[4] = {};
  const auto count =
      ::SendMessageW(Control(ControlId::状态条1), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges));
  return part < count ? edges[part] : -1;
}

}  // namespace vorlane::shell::test
