#include "net/net_startup.h"

#include <gmock/gmock.h>

#include "net/net_globals.h"
#include "net/socket_platform.h"

namespace vorlane::net {
namespace {

TEST(NetStartup, NotStartedUntilAsked) {
  NetStartup startup;
  EXPECT_EQ(startup.startupResult(), NetStartup::kNotStarted);
}

TEST(NetStartup, StartSucceedsAndAskingAgainGivesTheSameResult) {
  NetStartup startup;
  EXPECT_EQ(startup.start(), 0);
  EXPECT_EQ(startup.startupResult(), 0);
  EXPECT_EQ(startup.start(), 0);
}

TEST(NetStartup, ProgramObjectsAreOneEach) {
  EXPECT_EQ(&ProgramNetStartup(), &ProgramNetStartup());
  EXPECT_EQ(&ProgramSocket(), &ProgramSocket());
  EXPECT_FALSE(ProgramSocket().isOpen());
}

#ifdef _WIN32
// Winsock counts its start-ups; the test program's own start-up is the one left
// after a balanced object is gone, so one more clean-up must stop the library.
bool SocketsWork() {
  UniqueSocket s(::socket(AF_INET, SOCK_STREAM, 0));
  return s.valid();
}

TEST(NetStartup, StartedObjectCleansUpExactlyOnce) {
  {
    NetStartup startup;
    ASSERT_EQ(startup.start(), 0);
    startup.start();
  }
  ASSERT_TRUE(SocketsWork());
  ::WSACleanup();
  const bool stopped = !SocketsWork() && ::WSAGetLastError() == WSANOTINITIALISED;
  WSADATA data;
  ::WSAStartup(MAKEWORD(2, 2), &data);
  EXPECT_TRUE(stopped);
}

TEST(NetStartup, UnstartedObjectDoesNotCleanUp) {
  { NetStartup startup; }
  EXPECT_TRUE(SocketsWork());
}
#endif

}  // namespace
}  // namespace vorlane::net
