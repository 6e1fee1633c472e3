// An update window without a window: it records what the flow shows and asks of the
// user. Time and workers are the fake scheduler's, files and programs the fake
// system port's (tests/support); both write into the same list of events.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "update/update_view.h"

namespace vorlane::update::test {

class FakeUpdateView : public UpdateView {
 public:
  // --- UpdateView ---
  void SetLabel(Label label, const Text& text) override { labels[label] = text; }
  void ShowLabel(Label label, bool shown) override { visible[label] = shown; }
  void SetProgress(int percent) override { progress = percent; }
  void ShowPicture(Picture shown) override { picture = shown; }
  void SetTimerPeriod(Timer timer, unsigned milliseconds) override { timers[timer] = milliseconds; }
  void CloseUpdateWindow() override;
  void ShowMessage(const Text& text, const Text& caption, unsigned style) override;
  void EndProgram() override;

  std::map<Label, Text> labels;
  std::map<Label, bool> visible;
  int progress = -1;
  std::optional<Picture> picture;
  std::map<Timer, unsigned> timers;
  bool closed = false;
  struct Message {
    Text text, caption;
    unsigned style;
  };
  std::vector<Message> messages;
  int endCalls = 0;
  // What the flow did to the user and the system, in order: "extract", "remove",
  // "start", "open", "message", "end", "close".
  std::vector<std::string> events;
};

}  // namespace vorlane::update::test
