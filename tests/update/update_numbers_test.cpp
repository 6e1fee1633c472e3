#include "update/update_numbers.h"

#include <gmock/gmock.h>

#include <cmath>

namespace vorlane::update {
namespace {

TEST(KbText, WritesSingleValuesWithoutTrailingZerosOrPoint) {
  EXPECT_EQ(KbText(1536), "1.5");
  EXPECT_EQ(KbText(1024000), "1000");
  EXPECT_EQ(KbText(0), "0");
  EXPECT_EQ(KbText(1024), "1");
  EXPECT_EQ(KbText(512), "0.5");
  EXPECT_EQ(KbText(102400), "100");
}

TEST(KbText, KeepsAtMostSixSignificantDigitsRoundedHalfUp) {
  EXPECT_EQ(KbText(1), "0.000976563");       // 0.0009765625
  EXPECT_EQ(KbText(1000000), "976.563");     // 976.5625, a tie
  EXPECT_EQ(KbText(1000), "0.976563");       // 0.9765625
  EXPECT_EQ(KbText(1048575), "1024");        // 1023.999..., carried into a new digit
  EXPECT_EQ(KbText(123456789), "120563");    // 120563.271...
  EXPECT_EQ(KbText(2147483647), "2097150");  // 2097152 as a single; no exponent form
}

TEST(KbText, RoundsThroughSinglePrecisionFirst) {
  // 16777217 / 1024 is 16384.0009765625, which a single cannot hold: 16384.
  EXPECT_EQ(KbText(16777217), "16384");
}

TEST(FloorWhole, RoundsDownExceptJustBelowTheNextWholeNumber) {
  EXPECT_EQ(FloorWhole(2.5), 2);
  EXPECT_EQ(FloorWhole(5.0), 5);
  EXPECT_EQ(FloorWhole(-2.5), -3);
  EXPECT_EQ(FloorWhole(0.0), 0);
  EXPECT_EQ(FloorWhole(2.9999999999995), 3);
  EXPECT_EQ(FloorWhole(-2.9999999999995), -3);
  EXPECT_EQ(FloorWhole(2.9999999999), 2);  // 1e-10 away is still below
  EXPECT_EQ(FloorWhole(-0.9999999999999), -1);
}

TEST(TruncateWhole, DropsTheFractionTowardZero) {
  EXPECT_EQ(TruncateWhole(19999.99), 19999);
  EXPECT_EQ(TruncateWhole(-1.5), -1);
}

TEST(WholeText, WritesDecimalDigits) {
  EXPECT_EQ(WholeText(0), "0");
  EXPECT_EQ(WholeText(50), "50");
  EXPECT_EQ(WholeText(-3), "-3");
  EXPECT_EQ(WholeText(2147483647.0), "2147483647");
  EXPECT_EQ(WholeText(std::nan("")), "0");
}

}  // namespace
}  // namespace vorlane::update
