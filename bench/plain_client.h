// A plain socket client for the controller's network protocol: what the
// network benchmarks run next to the library as their raw peer.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

#include "device_api/frames.h"

namespace bench {

// A connection to 127.0.0.1:port without delay on small writes, or -1.
inline int ConnectPlain(uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// The same exchange the link makes: write the frame, read exactly 14 bytes.
// With `look_first`, a zero-wait poll goes before the request, as the link's
// connected test does: the floor for a link that keeps that test.
inline bool PlainExchange(int fd, const jq::TRequest_Frame& frame, bool look_first = false) {
  if (look_first) {
    pollfd entry{fd, POLLIN, 0};
    if (poll(&entry, 1, 0) < 0) return false;
  }
  if (send(fd, frame.data(), frame.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(frame.size())) return false;
  uint8_t reply[jq::Reply_Frame_Size];
  size_t got = 0;
  while (got < sizeof reply) {
    const ssize_t n = recv(fd, reply + got, sizeof reply - got, 0);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  jq::TReply_Block block;
  return jq::Accept_Reply_Frame(frame, reply, got, block);
}

}  // namespace bench
