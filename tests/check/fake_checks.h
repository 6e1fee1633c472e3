// What every check test stands on: the fake scheduler and system, the fake view, and
// a site that answers from a table, joined in one check context.
#pragma once

#include "check/check_context.h"
#include "check_test_util.h"
#include "fake_main_view.h"
#include "support/fake_scheduler.h"
#include "support/fake_system_port.h"

namespace vorlane::check::test {

struct FakeChecks {
  vorlane::test::FakeScheduler scheduler;
  vorlane::test::FakeSystemPort system;
  FakeMainView view;
  TableFetcher table;
  CheckContext context{view, scheduler, system, "site.test", table.AsFetcher()};
};

}  // namespace vorlane::check::test
