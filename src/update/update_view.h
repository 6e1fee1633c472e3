// The update window and the services it reaches, as the update flow sees them. The
// flow calls these and never touches a control, a file or a process itself, so it
// runs the same against the Win32 window and against the fake of the tests.
//
// Every operation is called on the window's thread, except PostToUi, which any
// thread may call.
#pragma once

#include <functional>

#include "text/text.h"
#include "update/unzip_limits.h"

namespace vorlane::update {

enum class Label { 标签8, 标签2, 标签10, 标签11, 标签7, 标签1, 标签3, 标签4, 标签9 };

enum class Timer {
  时钟1,  // one second: sizes and speeds
  时钟2,  // 100 milliseconds: percentage and completion
};

// What 图片框1 shows.
enum class Picture { kBanner, kCompletionIcon };

// Message box styles, as Windows numbers them.
inline constexpr unsigned kMbIconExclamation = 0x30;
inline constexpr unsigned kMbTaskModal = 0x2000;

class UpdateView {
 public:
  virtual ~UpdateView() = default;

  // The window.
  virtual void SetLabel(Label label, const Text& text) = 0;
  virtual void ShowLabel(Label label, bool visible) = 0;
  virtual void SetProgress(int percent) = 0;
  // Shows 图片框1 with `picture`.
  virtual void ShowPicture(Picture picture) = 0;
  virtual void SetTimerPeriod(Timer timer, unsigned milliseconds) = 0;  // 0 stops it
  // Closes the update window and gives the main window back to the user.
  virtual void CloseUpdateWindow() = 0;

  // The user and the system.
  // Returns when the user has closed the box.
  virtual void ShowMessage(const Text& text, const Text& caption, unsigned style) = 0;
  // Opens an address with the system's default handler (the browser).
  virtual void OpenAddress(const Text& address) = 0;
  // Starts a program without arguments in a normal window and does not wait for it
  // to end; with `waitUntilReady`, waits up to a second for it to take input.
  virtual bool StartProgram(const Text& path, bool waitUntilReady) = 0;
  // Ends the program with exit code 0.
  virtual void EndProgram() = 0;

  // Files, named by GBK paths.
  virtual Text CurrentDirectory() = 0;
  virtual bool FileExists(const Text& path) = 0;
  virtual void RemoveFile(const Text& path) = 0;
  // Unpacks every entry of the archive into `folder`, within `limits`.
  virtual void ExtractArchive(const Text& archive, const Text& folder, const UnzipLimits& limits) = 0;

  // Runs `task` later on the window's thread; callable from any thread.
  virtual void PostToUi(std::function<void()> task) = 0;
  // Runs `task` on a new worker thread that nobody waits for.
  virtual void StartWorker(std::function<void()> task) = 0;
};

}  // namespace vorlane::update
