#include "fake_update_view.h"

namespace vorlane::update::test {

void FakeUpdateView::CloseUpdateWindow() {
  closed = true;
  events.push_back("close");
}

void FakeUpdateView::ShowMessage(const Text& text, const Text& caption, unsigned style) {
  messages.push_back({text, caption, style});
  events.push_back("message");
}

void FakeUpdateView::EndProgram() {
  ++endCalls;
  events.push_back("end");
}

}  // namespace vorlane::update::test
