#include "check/change_alerts.h"

#include <algorithm>
#include <string>

#include "check/check_texts.h"

namespace vorlane::check {

ChangeAlerts::ChangeAlerts(MainView& view, ProductListController& rows) : view_(view), rows_(rows) {
  listener_ = rows_.AddVerdictListener([this](const RowVerdict& verdict) { OnVerdict(verdict); });
}

ChangeAlerts::~ChangeAlerts() {
  rows_.RemoveVerdictListener(listener_);
}

void ChangeAlerts::PassStarted(std::uint32_t pass) {
  OpenPass open;
  open.pass = pass;
  open_.push_back(open);
}

void ChangeAlerts::PassWalked(std::uint32_t pass) {
  for (OpenPass& open : open_) {
    if (open.pass == pass) open.walked = true;
  }
  CloseFinishedPasses();
}

void ChangeAlerts::OnVerdict(const RowVerdict& verdict) {
  const auto open =
      std::find_if(open_.begin(), open_.end(), [&](const OpenPass& p) { return p.pass == verdict.pass; });
  if (open != open_.end()) {
    // A failed check is neither verdict, and a row checked for the first time
    // changed nothing.
    Change* change = nullptr;
    if (verdict.before == CheckStatus::kIndexed && verdict.after == CheckStatus::kNotIndexed) {
      change = &open->dropped;
    } else if (verdict.before == CheckStatus::kNotIndexed && verdict.after == CheckStatus::kIndexed) {
      change = &open->indexed;
    }
    if (change != nullptr && change->rows++ == 0)
      change->firstTitle = rows_.list().record(verdict.index).title;
  }
  // A verdict of another pass may have been the last one an older pass waited for:
  // a row still checked when the next pass reached it counts for that pass.
  CloseFinishedPasses();
}

bool ChangeAlerts::ChecksRunning(std::uint32_t pass) const {
  const ProductList& list = rows_.list();
  for (int i = 0; i < list.count(); ++i) {
    const RowCheck& check = list.record(i).check;
    if (check.pass == pass && check.outcome == CheckStatus::kQuerying) return true;
  }
  return false;
}

void ChangeAlerts::CloseFinishedPasses() {
  for (auto it = open_.begin(); it != open_.end();) {
    if (!it->walked || ChecksRunning(it->pass)) {
      ++it;
      continue;
    }
    const OpenPass done = *it;
    it = open_.erase(it);
    if (!settings_.balloon) continue;
    Raise(done.dropped, texts::kAlertDroppedTitle, texts::kAlertDroppedTail, BalloonIcon::kWarning);
    if (settings_.onIndexed) {
      Raise(done.indexed, texts::kAlertIndexedTitle, texts::kAlertIndexedTail, BalloonIcon::kInfo);
    }
  }
}

void ChangeAlerts::Raise(const Change& change, const Text& title, const Text& tail, BalloonIcon icon) {
  if (change.rows == 0) return;
  view_.ShowTrayBalloon(title, texts::kAlertLead + std::to_string(change.rows) + tail + change.firstTitle,
                        icon);
}

}  // namespace vorlane::check
