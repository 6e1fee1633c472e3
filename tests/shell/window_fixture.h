// Drives the real main window from inside the test program: makes it with a
// recorded tray, captured message boxes and opened addresses, runs its messages
// until something has happened, and reads its controls back.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/main_window.h"
#include "support/pump_until.h"
#include "text/url_parts.h"
#include "web/message_box.h"
#include "win/win32_system_port.h"

namespace vorlane::shell::test {

using namespace std::chrono_literals;

using vorlane::test::PumpFor;
using vorlane::test::PumpUntil;

std::wstring TextOf(HWND window);
// The control's place relative to the client area of `reference`.
RECT PlaceIn(HWND control, HWND reference);

struct NotifyCall {
  DWORD message;
  NOTIFYICONDATAW data;
};

// The real system, but web addresses and the program's own pages are recorded
// instead of opened in a browser; others are refused, as the real one refuses them.
class RecordingSystem : public win::Win32SystemPort {
 public:
  explicit RecordingSystem(std::vector<Text>& addresses) : addresses_(addresses) {}
  bool OpenAddress(const Text& address) override {
    if (!IsWebAddress(address)) return false;
    addresses_.push_back(address);
    return true;
  }
  // Pages are recorded with the addresses, never handed to the shell.
  bool OpenLocalPage(const Text& path) override {
    if (!IsLocalPagePath(path) || !FileExists(path)) return false;
    addresses_.push_back(path);
    return true;
  }

 private:
  std::vector<Text>& addresses_;
};

// The text a list view shows in a cell (up to 255 characters).
std::wstring ListCellText(HWND list, int row, int column);

class WindowTest : public ::testing::Test {
 protected:
  // Makes and shows the window with `ini` merged over the shipped configuration;
  // with `unlock`, also runs messages until the loading step has unlocked the panel.
  void Open(std::string_view ini = {}, bool unlock = true);
  void TearDown() override;

  HWND Control(ControlId id) const { return window->control(id); }
  HWND Hwnd() const { return window->hwnd(); }
  // Clicks a push button or radio button the way a user's click would.
  void Click(ControlId id);
  // Presses and releases the left button on one of the shell's own click areas.
  void ClickArea(ControlId id);
  // Whether the keyboard focus is on `control` once the window is active. Other
  // test programs on the same display may take the activation away meanwhile;
  // the window is activated again until the focus settles.
  bool FocusSettlesOn(HWND control);
  std::wstring StatusText(int part);
  int StatusPartRightEdge(int part);
  // The product list, and the text it shows in a cell.
  HWND List() const { return Control(ControlId::超级列表框1); }
  std::wstring Cell(int row, int column) const { return ListCellText(List(), row, column); }

  MainWindowOptions options;  // may be adjusted before Open
  std::unique_ptr<MainWindow> window;
  std::vector<NotifyCall> notifications;
  struct Message {
    Text text, caption;
    unsigned style;
    WindowHandle owner;
  };
  std::vector<Message> messages;
  std::vector<Text> addresses;
  RecordingSystem system{addresses};
  int destroyedCalls = 0;

 private:
  MessageBoxSink previousMessageSink_;
};

}  // namespace vorlane::shell::test
