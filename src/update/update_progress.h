// The progress texts of the update window, from the download's two counters: the
// 100-millisecond tick's percentage and the one-second tick's sizes and speeds.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace vorlane::update {

// received / (total / 100), both quotients truncated, kept within 0..100. Before
// the total is known (below 100 bytes, 0 before the response head) it is 0.
int DownloadPercent(std::int32_t total, std::int32_t received);

// 标签4: "已完成:" + percent + "%".
Text CompletedText(int percent);

// 标签11 once the download is complete: "已下载:" + KB + "KB 总共( " + seconds + " 秒)".
Text FinishedText(std::int32_t received, std::int32_t secondsElapsed);

// What the one-second tick keeps between ticks; all start at 0.
struct SecondCounters {
  std::int32_t SecondsElapsed = 0;
  std::int32_t LastReceived = 0;  // ReceivedBytes at the previous tick
  std::int32_t SpeedBytes = 0;    // bytes received during the last second
};

struct SecondTexts {
  Text fileSize;  // 标签10
  Text received;  // 标签11
  Text speed;     // 标签1
  Text average;   // 标签3
  Text timeLeft;  // 标签9; "剩余时间:--" while the average speed is 0
};

// One tick of 时钟1: advances `counters` and gives the five texts.
SecondTexts AdvanceSecond(SecondCounters& counters, std::int32_t total, std::int32_t received);

}  // namespace vorlane::update
