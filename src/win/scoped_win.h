// Owners for the Windows handles the program opens: each closes its handle once, on
// every path. A handle is held when it is neither null nor INVALID_HANDLE_VALUE.
#pragma once

#include <windows.h>

#include <utility>

namespace vorlane::win {

template <typename H, typename Traits>
class UniqueWin {
 public:
  UniqueWin() = default;
  explicit UniqueWin(H handle) : handle_(handle) {}
  ~UniqueWin() { reset(); }
  UniqueWin(UniqueWin&& other) noexcept : handle_(std::exchange(other.handle_, H{})) {}
  UniqueWin& operator=(UniqueWin&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, H{}));
    return *this;
  }
  UniqueWin(const UniqueWin&) = delete;
  UniqueWin& operator=(const UniqueWin&) = delete;

  H get() const { return handle_; }
  explicit operator bool() const { return Traits::Valid(handle_); }
  void reset(H handle = H{}) {
    if (Traits::Valid(handle_)) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  H handle_{};
};

struct KernelHandleTraits {
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct GdiObjectTraits {
  static bool Valid(HGDIOBJ h) { return h != nullptr; }
  static void Close(HGDIOBJ h) { ::DeleteObject(h); }
};
struct IconTraits {
  static bool Valid(HICON h) { return h != nullptr; }
  static void Close(HICON h) { ::DestroyIcon(h); }
};
struct MenuTraits {
  static bool Valid(HMENU h) { return h != nullptr; }
  static void Close(HMENU h) { ::DestroyMenu(h); }
};

struct WindowTraits {
  static bool Valid(HWND h) { return h != nullptr; }
  static void Close(HWND h) { ::DestroyWindow(h); }
};

using UniqueHandle = UniqueWin<HANDLE, KernelHandleTraits>;
using UniqueWindow = UniqueWin<HWND, WindowTraits>;
using UniqueGdiObject = UniqueWin<HGDIOBJ, GdiObjectTraits>;
using UniqueIcon = UniqueWin<HICON, IconTraits>;
using UniqueMenu = UniqueWin<HMENU, MenuTraits>;

// The screen's device context, released when it goes.
class ScopedScreenDC {
 public:
  ScopedScreenDC() : dc_(::GetDC(nullptr)) {}
  ~ScopedScreenDC() {
    if (dc_ != nullptr) ::ReleaseDC(nullptr, dc_);
  }
  ScopedScreenDC(const ScopedScreenDC&) = delete;
  ScopedScreenDC& operator=(const ScopedScreenDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A font owned as a GDI object, typed for WM_SETFONT.
class UniqueFont {
 public:
  UniqueFont() = default;
  explicit UniqueFont(HFONT font) : object_(font) {}
  HFONT get() const { return static_cast<HFONT>(object_.get()); }
  explicit operator bool() const { return static_cast<bool>(object_); }

 private:
  UniqueGdiObject object_;
};

// Selects an object into a device context and puts the previous one back.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~ScopedSelectObject() { ::SelectObject(dc_, previous_); }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// BeginPaint / EndPaint.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &paint_); }
  ~ScopedPaint() { ::EndPaint(window_, &paint_); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

}  // namespace vorlane::win
