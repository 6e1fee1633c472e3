// What the fuzz targets use to say a property broke: a trap, which libFuzzer reports
// as a crash with the input that caused it, in every build mode.
#pragma once

#define FUZZ_CHECK(cond)           \
  do {                             \
    if (!(cond)) __builtin_trap(); \
  } while (0)
