// The update window as the update flow sees it: only what the window shows, the
// user's answer to a message, and the end of the program. The flow never touches a
// control itself, so it runs the same against the Win32 window and against the fake
// of the tests. Threads, files and programs are the scheduler's and the system
// port's (win/).
//
// Every operation is called on the window's thread.
#pragma once

#include "text/text.h"
#include "web/message_box.h"

namespace vorlane::update {

enum class Label { 标签8, 标签2, 标签10, 标签11, 标签7, 标签1, 标签3, 标签4, 标签9 };

enum class Timer {
  时钟1,  // one second: sizes and speeds
  时钟2,  // 100 milliseconds: percentage and completion
};

// What 图片框1 shows.
enum class Picture { kBanner, kCompletionIcon };

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

  // The user: returns when the user has closed the box.
  virtual void ShowMessage(const Text& text, const Text& caption, unsigned style) = 0;
  // Ends the program with exit code 0.
  virtual void EndProgram() = 0;
};

}  // namespace vorlane::update
