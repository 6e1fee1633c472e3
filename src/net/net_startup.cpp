#include "net/net_startup.h"

#include "net/socket_platform.h"

namespace vorlane::net {

NetStartup::~NetStartup() {
  if (startupResult_ == 0) StopSocketLibrary();
}

int NetStartup::start() {
  if (startupResult_ == kNotStarted) startupResult_ = StartSocketLibrary();
  return startupResult_;
}

}  // namespace vorlane::net
