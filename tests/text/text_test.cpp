#include "text/text.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

TEST(BytesToText, KeepsBytesBeforeFirstNul) {
  EXPECT_EQ(BytesToText(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(BytesToText("abc"), "abc");
  EXPECT_EQ(BytesToText(std::string("\0x", 2)), "");
}

}  // namespace
}  // namespace vorlane
