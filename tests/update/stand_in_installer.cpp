// Stands in for the package's installer in the program tests: it leaves a marker
// file in the folder it was started from and ends, so a test can see that the
// update handed over to it.
#include <windows.h>

#include <string>

#include "win/scoped_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return 1;
  path.resize(length);
  const std::wstring marker = path.substr(0, path.find_last_of(L"\\/") + 1) + L"stand_in_ran.txt";
  const vorlane::win::UniqueHandle file(::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr,
                                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 1;
  static constexpr char kRan[] = "ran";
  DWORD written = 0;
  return ::WriteFile(file.get(), kRan, sizeof kRan - 1, &written, nullptr) && written == sizeof kRan - 1 ? 0
                                                                                                         : 1;
}
