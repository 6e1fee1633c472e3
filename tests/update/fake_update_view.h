// An update window without a window: it records what the flow shows, starts and
// opens, answers from a made-up folder, and runs workers and posted tasks when the
// test says so.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/posted_tasks.h"
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
  void OpenAddress(const Text& address) override;
  bool StartProgram(const Text& path, bool waitUntilReady) override;
  void EndProgram() override;
  Text CurrentDirectory() override { return currentDirectory; }
  bool FileExists(const Text& path) override { return files.count(path) != 0; }
  void RemoveFile(const Text& path) override;
  void ExtractArchive(const Text& archive, const Text& folder, const UnzipLimits& limits) override;
  void PostToUi(std::function<void()> task) override;
  void StartWorker(std::function<void()> task) override;

  // --- test controls ---
  // Runs the workers started so far, each on a thread of its own, and waits for them.
  void RunWorkers();
  // Runs what was posted until nothing is left.
  void DrainPosted();
  size_t pendingWorkers() const { return workers_.size(); }

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
  std::vector<Text> addresses;
  struct Start {
    Text path;
    bool waitUntilReady;
  };
  std::vector<Start> started;
  int endCalls = 0;
  Text currentDirectory = "C:\\Vorlane";
  std::set<Text> files;  // the files that exist
  std::vector<Text> removed;
  std::vector<std::pair<Text, Text>> extracted;  // archive, folder
  std::vector<UnzipLimits> extractLimits;
  // What the flow did to the user and the system, in order: "extract", "remove",
  // "start", "open", "message", "end", "close".
  std::vector<std::string> events;

 private:
  vorlane::test::PostedTasks posted_;
  std::vector<std::function<void()>> workers_;
};

}  // namespace vorlane::update::test
