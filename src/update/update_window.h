// The update window: a small modal window over the main window that shows the
// package's download, driven by the update flow. All its state lives in this
// object, which is made before the window and outlives it.
#pragma once

#include <windows.h>

#include <array>
#include <functional>

#include "port/system_port.h"
#include "update/update_flow.h"
#include "update/update_window_layout.h"
#include "update/win32_update_view.h"
#include "win/scoped_win.h"
#include "win/win32_scheduler.h"
#include "win/win32_system_port.h"
#include "win/window_support.h"

namespace vorlane::update {

struct UpdateWindowOptions {
  // The configuration's update values, read when the window has been created.
  std::function<config::UpdateValues()> readValues;
  // How the package is fetched; DownloadFile on the program's socket when empty.
  Downloader download;
  // Files, programs and the browser; the real system when null. Not owned.
  port::SystemPort* system = nullptr;
  // Called instead of ending the program, when set.
  EndProgramSink endProgram;
};

class UpdateWindow {
 public:
  explicit UpdateWindow(UpdateWindowOptions options);
  ~UpdateWindow();
  UpdateWindow(const UpdateWindow&) = delete;
  UpdateWindow& operator=(const UpdateWindow&) = delete;

  // Makes and shows the window over `owner`, which stays disabled while the window
  // is there, then runs the update decision (which may close the window again).
  // False when the window could not be made.
  bool Create(HINSTANCE instance, HWND owner);

  HWND hwnd() const { return hwnd_; }
  HWND owner() const { return owner_; }
  HWND control(UpdateControlId id) const;
  bool closed() const { return hwnd_ == nullptr; }
  const UpdateFlow& flow() const { return flow_; }
  Picture picture() const { return picture_; }
  int runningWorkers() const { return scheduler_.runningWorkers(); }

  // For the view, on the window's thread.
  void ShowPicture(Picture picture);
  void SetTimerPeriod(Timer timer, unsigned milliseconds);
  // Gives the owner back and destroys the window.
  void Close();

 private:
  template <typename Object, HWND Object::*>
  friend LRESULT CALLBACK win::ObjectWindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnWindowGone() {}
  bool CreateControls();
  void DrawPicture(const DRAWITEMSTRUCT& item);
  void OnDestroy();

  UpdateWindowOptions options_;
  // Declared before the flow: the flow goes first and cuts its workers off.
  win::Win32Scheduler scheduler_;
  win::Win32SystemPort ownSystem_;
  Win32UpdateView view_;
  UpdateFlow flow_;

  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  HINSTANCE instance_ = nullptr;
  std::array<HWND, kUpdateControlCount> controls_{};
  win::UniqueFont font_;
  win::UniqueGdiObject banner_;
  win::UniqueIcon icon_;
  Picture picture_ = Picture::kBanner;
  double scale_ = 1.0;  // system DPI / 96
};

// Opens the update window modally over `owner` and handles the thread's messages
// until it has closed. True when the update took over the program, which it then
// ends; false when no update was due and the window closed itself.
bool RunUpdateWindow(HWND owner, UpdateWindowOptions options);

}  // namespace vorlane::update
