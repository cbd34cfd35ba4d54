// A blocking-free TCP client socket: connect, write and read with time-outs.
// Errors are returned as system error numbers (0 = success) with a text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform::net {

struct Net_Error {
  int code = 0;  // errno value, or one of the codes below
  std::string text;
  explicit operator bool() const { return code != 0; }
};

constexpr int Net_Timed_Out = -2;       // connect or read did not finish in time
constexpr int Net_Closed = -3;          // the peer closed the connection
constexpr int Net_Unresolved = -4;      // the host name did not resolve

class Tcp_Socket {
 public:
  Tcp_Socket() = default;
  ~Tcp_Socket();
  Tcp_Socket(const Tcp_Socket&) = delete;
  Tcp_Socket& operator=(const Tcp_Socket&) = delete;

  // Resolves `host` (name or dotted IPv4) and connects within `timeout_ms` (<= 0: no limit).
  Net_Error Connect(const std::string& host, uint16_t port, int timeout_ms);
  void Close();
  bool Is_Open() const { return fd_ >= 0; }
  // False once closed locally or by the peer.
  bool Is_Connected();

  Net_Error Write_All(const uint8_t* data, size_t size);
  // Waits up to `timeout_ms` (<= 0: no limit) for data, then reads what is there (at
  // most `size`). Returns the count in `got`; an error when nothing came or the link ended.
  Net_Error Read_Some(uint8_t* data, size_t size, int timeout_ms, size_t& got);
  // Drops the bytes that have arrived and are not read yet, without waiting;
  // answers how many.
  size_t Discard_Received();

 private:
  int fd_ = -1;
};

}  // namespace platform::net
