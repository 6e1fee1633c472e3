// The program's one sockets-library start-up and the one socket the update
// download travels on.
#pragma once

#include "net/net_startup.h"
#include "net/tcp_socket.h"

namespace vorlane::net {

NetStartup& ProgramNetStartup();
TcpSocket& ProgramSocket();

}  // namespace vorlane::net
