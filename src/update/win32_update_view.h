// The update flow's view of the Win32 update window. Texts are GBK on this side and
// UTF-16 at every Win32 call.
#pragma once

#include <windows.h>

#include <functional>

#include "update/update_view.h"

namespace vorlane::update {

class UpdateWindow;

// Called instead of ending the program (the tests set it); the update window closes
// afterwards.
using EndProgramSink = std::function<void()>;

class Win32UpdateView final : public UpdateView {
 public:
  Win32UpdateView(UpdateWindow& window, EndProgramSink endProgram);

  void SetLabel(Label label, const Text& text) override;
  void ShowLabel(Label label, bool visible) override;
  void SetProgress(int percent) override;
  void ShowPicture(Picture picture) override;
  void SetTimerPeriod(Timer timer, unsigned milliseconds) override;
  void CloseUpdateWindow() override;

  void ShowMessage(const Text& text, const Text& caption, unsigned style) override;
  void EndProgram() override;

 private:
  UpdateWindow& window_;
  EndProgramSink endProgram_;
};

}  // namespace vorlane::update
