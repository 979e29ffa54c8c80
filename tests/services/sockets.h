// The few socket calls the tests make themselves, on POSIX and on Windows.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstddef>

namespace services_test {

#ifdef _WIN32
using SocketHandle = SOCKET;
inline void CloseSocket(SocketHandle s) { closesocket(s); }
inline void MakeNonBlocking(SocketHandle s) {
  u_long on = 1;
  ioctlsocket(s, FIONBIO, &on);
}
inline int PollSockets(pollfd* fds, std::size_t count, int milliseconds) {
  return WSAPoll(fds, static_cast<ULONG>(count), milliseconds);
}
#else
using SocketHandle = int;
inline void CloseSocket(SocketHandle s) { close(s); }
inline void MakeNonBlocking(SocketHandle s) { fcntl(s, F_SETFL, O_NONBLOCK); }
inline int PollSockets(pollfd* fds, std::size_t count, int milliseconds) {
  return poll(fds, count, milliseconds);
}
#endif

}  // namespace services_test
