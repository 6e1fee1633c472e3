// Test entry shared by every suite: on Windows the test servers need Winsock
// started before any test runs.
#include <gmock/gmock.h>

#include "net/socket_platform.h"

int main(int argc, char** argv) {
#ifdef _WIN32
  WSADATA data;
  ::WSAStartup(MAKEWORD(2, 2), &data);
#endif
  testing::InitGoogleMock(&argc, argv);
  int result = RUN_ALL_TESTS();
#ifdef _WIN32
  ::WSACleanup();
#endif
  return result;
}
