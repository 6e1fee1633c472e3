#include <unistd.h>

#include <cstdio>

#include "text/codepage.h"
#include "web/notice_platform.h"

namespace vorlane::web {

unsigned long CurrentProcessId() {
  return static_cast<unsigned long>(::getpid());
}

// No window system here: nothing to own a box.
WindowHandle FirstVisibleWindowOf(unsigned long) {
  return nullptr;
}

// The notice goes to standard error and counts as acknowledged.
int ShowPlatformMessageBox(std::string_view message, std::string_view caption, unsigned, WindowHandle) {
  Text line = GbkToUtf8(caption) + ": " + GbkToUtf8(message) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  return 1;  // IDOK
}

}  // namespace vorlane::web
