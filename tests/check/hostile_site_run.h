// The monitor run for passes over the local site in its mixed-fault mode, on real
// workers, checking at every pass's end what must hold whatever the site does.
#pragma once

#include <string>
#include <vector>

namespace vorlane::check::test {

struct HostileRun {
  int rows = 0;
  int passes = 1;
  // What row i asks of the site, kinds[i % kinds.size()]: one of the site's fault
  // words (search_site.h), "found" (a title the site finds) or "unknown" (one it
  // does not).
  std::vector<std::string> kinds;
};

// Runs the passes and checks them with gtest: every row ends in the status its kind
// calls for (a failure never as indexed), every summary adds up to the total with
// nothing left pending at a pass's end, and after Stop no worker is left.
void RunMonitorOverHostileSite(const HostileRun& run);

}  // namespace vorlane::check::test
