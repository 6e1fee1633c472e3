#include "fake_main_view.h"

namespace vorlane::check::test {

Text FakeMainView::GetText(Control control) {
  return texts[control];
}

void FakeMainView::SetText(Control control, const Text& text) {
  texts[control] = text;
  if (onTextChanged) onTextChanged(control);
}

void FakeMainView::AppendText(Control control, const Text& text) {
  texts[control] += text;
}

void FakeMainView::ShowMessage(const Text& text, const Text& caption, unsigned style) {
  messages.push_back(Message{text, caption, style});
}

void FakeMainView::SetStatusText(int section, const Text& text) {
  status[section] = text;
  if (section == 1) statusHistory.push_back(text);
}

void FakeMainView::RedrawListRows(int first, int last) {
  redrawn.emplace_back(first, last);
}

std::optional<Text> FakeMainView::ChooseFileToOpen() {
  if (fileChoices.empty()) return std::nullopt;
  std::optional<Text> choice = fileChoices.front();
  fileChoices.pop_front();
  return choice;
}

bool FakeMainView::CopyTextToClipboard(const Text& text) {
  if (clipboardBusy) return false;
  clipboard = text;
  return true;
}

std::optional<SaveChoice> FakeMainView::ChooseFileToSave() {
  if (saveChoices.empty()) return std::nullopt;
  std::optional<SaveChoice> choice = saveChoices.front();
  saveChoices.pop_front();
  return choice;
}

}  // namespace vorlane::check::test
