// The TCP client a device slot keeps for its network link: connect with a time-out,
// write a block, read an exact block with a per-wait read time-out. Failures raise
// exceptions of the ENetException tree.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace platform::net {
class Tcp_Socket;
}

namespace jq {

using TNetBytes = std::vector<uint8_t>;

class ENetException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class ENetReadTimeout : public ENetException {
 public:
  ENetReadTimeout() : ENetException("Read timed out.") {}
};
class ENetConnectTimeout : public ENetException {
 public:
  ENetConnectTimeout() : ENetException("Connect timed out.") {}
};
class ENetConnClosedGracefully : public ENetException {
 public:
  ENetConnClosedGracefully() : ENetException("Connection Closed Gracefully.") {}
};
class ENetHostRequired : public ENetException {
 public:
  ENetHostRequired() : ENetException("A Host is required") {}
};
class ENetPortRequired : public ENetException {
 public:
  ENetPortRequired() : ENetException("A Port is required") {}
};
class ENetSocketError : public ENetException {
 public:
  ENetSocketError(int code, const std::string& text);
  int LastError() const { return code_; }

 private:
  int code_;
};

class TNetTCPClient {
 public:
  TNetTCPClient();
  ~TNetTCPClient();
  TNetTCPClient(const TNetTCPClient&) = delete;
  TNetTCPClient& operator=(const TNetTCPClient&) = delete;

  std::string Host;
  uint16_t Port = 0;
  int ConnectTimeout = 0;  // ms; 0 or -1: no limit
  int ReadTimeout = -1;    // ms per wait for more data; 0 or -1: no limit

  // Returns only when connected; raises otherwise (the earlier connection is closed first).
  void ConnectToHost();
  void CloseConnection();
  bool Connected();  // false once closed here or by the peer

  // Drops bytes received but not yet read (a late reply to an earlier request),
  // those still queued in the socket included; answers how many were dropped.
  size_t ResetInBuffer();
  void WriteBlock(const TNetBytes& bytes);
  // Appends exactly `count` bytes to `bytes`, or raises.
  void ReadBlock(TNetBytes& bytes, size_t count);
  size_t InBufferSize() const { return in_buffer_.size(); }

 private:
  std::unique_ptr<platform::net::Tcp_Socket> socket_;
  TNetBytes in_buffer_;
};

}  // namespace jq
