#include <gtest/gtest.h>

#include "check/check_time.h"
#include "check/status_tokens.h"

namespace vorlane::check {
namespace {

TEST(StatusTokens, EveryVerdictReadsBackAsItself) {
  for (CheckStatus status : {CheckStatus::kIndexed, CheckStatus::kNotIndexed, CheckStatus::kFailed})
    EXPECT_EQ(ParseStatusToken(StatusToken(status)), status);
  EXPECT_EQ(StatusToken(CheckStatus::kNotIndexed), "not indexed");
  for (std::string_view other : {"", "Indexed", "indexed ", "none", "querying"})
    EXPECT_FALSE(ParseStatusToken(other)) << other;
}

TEST(StatusTokens, ReasonsReadBackAsTheFailureTheyName) {
  struct Case {
    CheckFailure failure;
    int http;
    std::string_view token;
    CheckFailure readBack;
  };
  const Case cases[] = {
      {CheckFailure::kNoAnswer, 0, "connection", CheckFailure::kNoAnswer},
      {CheckFailure::kTimedOut, 0, "time-out", CheckFailure::kTimedOut},
      {CheckFailure::kHttpStatus, 503, "HTTP 503", CheckFailure::kHttpStatus},
      {CheckFailure::kNotResultPage, 0, "page not recognised", CheckFailure::kNotResultPage},
      {CheckFailure::kCertificateExpired, 0, "certificate", CheckFailure::kCertificateUntrusted},
      {CheckFailure::kUndecodable, 0, "page undecodable", CheckFailure::kUndecodable},
      {CheckFailure::kTooLarge, 0, "page too large", CheckFailure::kTooLarge},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReasonToken(c.failure, c.http), c.token);
    const auto parsed = ParseReasonToken(c.token);
    ASSERT_TRUE(parsed) << c.token;
    EXPECT_EQ(parsed->failure, c.readBack) << c.token;
    EXPECT_EQ(parsed->httpStatus, c.http) << c.token;
  }
  EXPECT_EQ(ReasonToken(CheckFailure::kNone, 0), "");
  for (std::string_view other : {"", "HTTP 50", "HTTP 5034", "HTTP 5x3", "http 503", "timeout"})
    EXPECT_FALSE(ParseReasonToken(other)) << other;
}

TEST(CheckTime, WrittenAndReadInOneForm) {
  const port::LocalDateTime t{2013, 11, 9, 8, 5, 7};
  EXPECT_EQ(FormatCheckTime(t), "2013-11-9 8:05:07");
  const auto back = ParseCheckTime("2013-11-9 8:05:07");
  ASSERT_TRUE(back);
  EXPECT_EQ(FormatCheckTime(*back), "2013-11-9 8:05:07");
  EXPECT_TRUE(ParseCheckTime("2026-12-31 23:59:59"));
  for (std::string_view other :
       {"", "2013-11-9 8:5:07", "13-11-9 8:05:07", "2013-13-9 8:05:07", "2013-11-0 8:05:07",
        "2013-11-9 24:05:07", "2013-11-9 8:05:07 ", "2013/11/9 8:05:07"})
    EXPECT_FALSE(ParseCheckTime(other)) << other;
}

}  // namespace
}  // namespace vorlane::check
