#include "update/update_progress.h"

#include <algorithm>

#include "update/update_numbers.h"
#include "update/update_texts.h"

namespace vorlane::update {

int DownloadPercent(std::int32_t total, std::int32_t received) {
  const double base = TruncateWhole(total / 100.0);
  if (base <= 0) return 0;
  const double percent = TruncateWhole(received / base);
  return static_cast<int>(std::clamp(percent, 0.0, 100.0));
}

Text CompletedText(int percent) {
  return texts::kCompleted + WholeText(percent) + texts::kPercent;
}

Text FinishedText(std::int32_t received, std::int32_t secondsElapsed) {
  return texts::kReceived + KbText(received) + texts::kKbInTotalSpaced + WholeText(secondsElapsed) +
         texts::kSecondsCloseSpaced;
}

SecondTexts AdvanceSecond(SecondCounters& counters, std::int32_t total, std::int32_t received) {
  counters.SecondsElapsed += 1;
  counters.SpeedBytes = counters.LastReceived == 0 ? received : received - counters.LastReceived;
  counters.LastReceived += counters.SpeedBytes;

  SecondTexts t;
  t.fileSize = texts::kFileSize + KbText(total) + texts::kKb;
  t.received = texts::kReceived + KbText(received) + texts::kKbInTotal + WholeText(counters.SecondsElapsed) +
               texts::kSecondsClose;
  t.speed = texts::kDownloadSpeed + WholeText(FloorWhole(counters.SpeedBytes / 1024.0)) + texts::kKbPerSecond;
  const double average = FloorWhole((received / 1024.0) / counters.SecondsElapsed);
  t.average = texts::kAverageSpeed + WholeText(average) + texts::kKbPerSecond;
  // Nothing can be told from an average of 0 KB a second; the quotient would be
  // infinite.
  t.timeLeft = texts::kTimeLeft;
  t.timeLeft +=
      average > 0
          ? WholeText(FloorWhole(FloorWhole((static_cast<double>(total) - received) / average) / 1024)) +
                texts::kSeconds
          : Text(texts::kUnknown);
  return t;
}

}  // namespace vorlane::update
