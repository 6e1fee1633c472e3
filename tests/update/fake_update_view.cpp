#include "fake_update_view.h"

#include <thread>

namespace vorlane::update::test {

void FakeUpdateView::CloseUpdateWindow() {
  closed = true;
  events.push_back("close");
}

void FakeUpdateView::ShowMessage(const Text& text, const Text& caption, unsigned style) {
  messages.push_back({text, caption, style});
  events.push_back("message");
}

void FakeUpdateView::OpenAddress(const Text& address) {
  addresses.push_back(address);
  events.push_back("open");
}

bool FakeUpdateView::StartProgram(const Text& path, bool waitUntilReady) {
  started.push_back({path, waitUntilReady});
  events.push_back("start");
  return files.count(path) != 0;
}

void FakeUpdateView::EndProgram() {
  ++endCalls;
  events.push_back("end");
}

void FakeUpdateView::RemoveFile(const Text& path) {
  files.erase(path);
  removed.push_back(path);
  events.push_back("remove");
}

void FakeUpdateView::ExtractArchive(const Text& archive, const Text& folder, const UnzipLimits& limits) {
  extracted.emplace_back(archive, folder);
  extractLimits.push_back(limits);
  events.push_back("extract");
}

void FakeUpdateView::PostToUi(std::function<void()> task) {
  posted_.Post(std::move(task));
}

void FakeUpdateView::StartWorker(std::function<void()> task) {
  workers_.push_back(std::move(task));
}

void FakeUpdateView::RunWorkers() {
  std::vector<std::function<void()>> tasks = std::move(workers_);
  workers_.clear();
  for (auto& task : tasks) std::thread(std::move(task)).join();
}

void FakeUpdateView::DrainPosted() {
  posted_.Drain();
}

}  // namespace vorlane::update::test
