#include "net/net_globals.h"

namespace vorlane::net {

NetStartup& ProgramNetStartup() {
  static NetStartup startup;
  return startup;
}

TcpSocket& ProgramSocket() {
  // Statics die in the reverse order of their making: with the start-up object made
  // first, the socket is closed while the library is still running.
  ProgramNetStartup();
  static TcpSocket socket;
  return socket;
}

}  // namespace vorlane::net
