// The soak: 2,000 row checks against the local site, one request in ten failing in
// one of the ways a site can fail (a reset, a 500, a stall past the time-out, a body
// cut short, a page without markers). It runs in the AddressSanitizer build, whose
// LeakSanitizer looks for leaks when the program ends.
#include <gtest/gtest.h>

#include "hostile_site_run.h"

namespace vorlane::check {
namespace {

TEST(Soak, TwoThousandRowChecksWithOneInTenFailing) {
  // Five faults in fifty rows, spread out, the other rows found or not found.
  std::vector<std::string> kinds;
  const char* faults[] = {"reset", "e500", "silent", "cut", "nomarker"};
  for (int i = 0; i < 50; ++i)
    kinds.push_back(i % 10 == 5 ? faults[i / 10] : i % 2 == 0 ? "found" : "unknown");
  test::RunMonitorOverHostileSite({.rows = 400, .passes = 5, .kinds = kinds});
}

}  // namespace
}  // namespace vorlane::check
