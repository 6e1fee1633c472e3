// Whether the test program runs under Wine, whose WinINet ignores the time-out
// options and keeps cookies and headers its own way in places; the few tests that
// rest on those say so and skip or narrow there.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

namespace vorlane::test {

inline bool RunningUnderWine() {
#ifdef _WIN32
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

}  // namespace vorlane::test
