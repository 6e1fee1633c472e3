#include "net/net_globals.h"

namespace vorlane::net {

NetStartup& ProgramNetStartup() {
  static NetStartup startup;
  return startup;
}

TcpSocket& ProgramSocket() {
  // The library starts with the socket's first use, once however many threads
  // ask: a run that downloads nothing never loads it. Statics die in the reverse
  // order of their making: with the start-up object made first, the socket is
  // closed while the library is still running.
  [[maybe_unused]] static const int started = ProgramNetStartup().start();
  static TcpSocket socket;
  return socket;
}

}  // namespace vorlane::net
