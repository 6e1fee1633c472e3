#include "update/update_progress.h"

#include <gmock/gmock.h>

namespace vorlane::update {
namespace {

constexpr char kCompleted[] = "\xD2\xD1\xCD\xEA\xB3\xC9:";         // 已完成:
constexpr char kAverage[] = "\xC6\xBD\xBE\xF9\xCB\xD9\xB6\xC8:";   // 平均速度:
constexpr char kTimeLeft[] = "\xCA\xA3\xD3\xE0\xCA\xB1\xBC\xE4:";  // 剩余时间:
constexpr char kSpeed[] = "\xCF\xC2\xD4\xD8\xCB\xD9\xB6\xC8:";     // 下载速度:
constexpr char kSize[] = "\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1:";      // 文件大小:
constexpr char kReceived[] = "\xD2\xD1\xCF\xC2\xD4\xD8:";          // 已下载:
constexpr char kPerSecond[] = "KB/\xC3\xEB";                       // KB/秒
constexpr char kSecond[] = "\xC3\xEB";                             // 秒
constexpr char kInTotal[] = "KB \xD7\xDC\xB9\xB2(";                // KB 总共(

TEST(DownloadPercent, DividesByTheTruncatedHundredth) {
  EXPECT_EQ(DownloadPercent(2000000, 1000000), 50);  // base 20000
  EXPECT_EQ(DownloadPercent(2000000, 0), 0);
  EXPECT_EQ(DownloadPercent(2000000, 1999999), 99);
  EXPECT_EQ(DownloadPercent(2000000, 2000000), 100);
  // base 1999: 199900 bytes already make 100 of a 199999-byte file.
  EXPECT_EQ(DownloadPercent(199999, 199900), 100);
  EXPECT_EQ(DownloadPercent(199999, 199899), 99);
}

TEST(DownloadPercent, IsZeroWhileTheSizeIsUnknownOrTooSmallToDivide) {
  EXPECT_EQ(DownloadPercent(0, 0), 0);
  EXPECT_EQ(DownloadPercent(0, 4096), 0);
  EXPECT_EQ(DownloadPercent(99, 50), 0);
  EXPECT_EQ(DownloadPercent(100, 50), 50);
}

TEST(DownloadPercent, NeverPassesOneHundred) {
  // base 1 for 199 bytes: the quotient would read 199.
  EXPECT_EQ(DownloadPercent(199, 199), 100);
}

TEST(CompletedText, ReadsThePercentage) {
  EXPECT_EQ(CompletedText(50), std::string(kCompleted) + "50%");
  EXPECT_EQ(CompletedText(0), std::string(kCompleted) + "0%");
}

TEST(FinishedText, HasSpacesInsideTheBrackets) {
  EXPECT_EQ(FinishedText(1536, 7), std::string(kReceived) + "1.5" + kInTotal + " 7 " + kSecond + ")");
}

TEST(AdvanceSecond, AfterTenSecondsAtFiftyKbASecond) {
  SecondCounters c;
  SecondTexts t;
  for (int second = 1; second <= 10; ++second) t = AdvanceSecond(c, 1024000, 51200 * second);
  EXPECT_EQ(c.SecondsElapsed, 10);
  EXPECT_EQ(c.LastReceived, 512000);
  EXPECT_EQ(c.SpeedBytes, 51200);
  EXPECT_EQ(t.average, std::string(kAverage) + "50" + kPerSecond);
  EXPECT_EQ(t.timeLeft, std::string(kTimeLeft) + "10 " + kSecond);
  EXPECT_EQ(t.speed, std::string(kSpeed) + "50" + kPerSecond);
  EXPECT_EQ(t.fileSize, std::string(kSize) + "1000KB");
  EXPECT_EQ(t.received, std::string(kReceived) + "500" + kInTotal + "10" + kSecond + ")");
}

TEST(AdvanceSecond, SpeedIsTheDifferenceSinceTheLastTick) {
  SecondCounters c;
  SecondTexts t = AdvanceSecond(c, 4096000, 3000);  // no earlier reading: all of it
  EXPECT_EQ(c.SpeedBytes, 3000);
  EXPECT_EQ(t.speed, std::string(kSpeed) + "2" + kPerSecond);  // floor(2.93)
  t = AdvanceSecond(c, 4096000, 3000 + 10240);
  EXPECT_EQ(c.SpeedBytes, 10240);
  EXPECT_EQ(c.LastReceived, 13240);
  EXPECT_EQ(t.speed, std::string(kSpeed) + "10" + kPerSecond);
  t = AdvanceSecond(c, 4096000, 13240);  // nothing came this second
  EXPECT_EQ(c.SpeedBytes, 0);
  EXPECT_EQ(t.speed, std::string(kSpeed) + "0" + kPerSecond);
}

TEST(AdvanceSecond, TimeLeftIsUnknownWhileTheAverageIsZero) {
  SecondCounters c;
  SecondTexts t = AdvanceSecond(c, 0, 0);  // before the response head
  EXPECT_EQ(t.fileSize, std::string(kSize) + "0KB");
  EXPECT_EQ(t.average, std::string(kAverage) + "0" + kPerSecond);
  EXPECT_EQ(t.timeLeft, std::string(kTimeLeft) + "--");
  t = AdvanceSecond(c, 5000000, 1023);  // under 1 KB a second on average
  EXPECT_EQ(t.timeLeft, std::string(kTimeLeft) + "--");
}

TEST(AdvanceSecond, SizesAreWrittenInKb) {
  SecondCounters c;
  const SecondTexts t = AdvanceSecond(c, 1536, 1536);
  EXPECT_EQ(t.fileSize, std::string(kSize) + "1.5KB");
  EXPECT_EQ(t.received, std::string(kReceived) + "1.5" + kInTotal + "1" + kSecond + ")");
  EXPECT_EQ(t.timeLeft, std::string(kTimeLeft) + "0 " + kSecond);
}

}  // namespace
}  // namespace vorlane::update
