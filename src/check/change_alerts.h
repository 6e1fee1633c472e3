// Change alerts of monitoring: the rows a pass found dropped out of the index (已收录
// to 未收录), and on request those newly indexed, told in one tray balloon a pass.
#pragma once

#include <cstdint>
#include <vector>

#include "check/main_view.h"
#include "check/product_list_controller.h"

namespace vorlane::check {

struct AlertSettings {
  bool balloon = false;    // [alerts] balloon: any balloon at all
  bool onIndexed = false;  // [alerts] on_indexed: also for rows newly indexed
};

class ChangeAlerts {
 public:
  ChangeAlerts(MainView& view, ProductListController& rows);
  ~ChangeAlerts();
  ChangeAlerts(const ChangeAlerts&) = delete;
  ChangeAlerts& operator=(const ChangeAlerts&) = delete;

  void SetSettings(const AlertSettings& settings) { settings_ = settings; }

  // A monitoring pass began: only its verdicts count.
  void PassStarted(std::uint32_t pass);
  // The pass starts no more checks (walked to its end, stopped or started over).
  // Its balloon goes up once every check it started has its verdict, so verdicts
  // landing after the pass's summary still count, once.
  void PassWalked(std::uint32_t pass);

 private:
  struct Change {
    int rows = 0;
    Text firstTitle;
  };
  struct OpenPass {
    std::uint32_t pass = 0;
    bool walked = false;
    Change dropped;  // 已收录 -> 未收录
    Change indexed;  // 未收录 -> 已收录
  };

  void OnVerdict(const RowVerdict& verdict);
  // Raises the balloons of every walked pass whose checks are all in.
  void CloseFinishedPasses();
  bool ChecksRunning(std::uint32_t pass) const;
  void Raise(const Change& change, const Text& title, const Text& tail, BalloonIcon icon);

  MainView& view_;
  ProductListController& rows_;
  AlertSettings settings_;
  std::vector<OpenPass> open_;
  int listener_ = 0;
};

}  // namespace vorlane::check
