// The TCP client a device slot keeps for its network link: connect with a time-out,
// write a block, read an exact block with a per-wait read time-out. Failures raise
// exceptions of the EIdException tree.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace plat {
class Tcp_Socket;
}

using TIdBytes = std::vector<uint8_t>;

class EIdException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class EIdReadTimeout : public EIdException {
 public:
  EIdReadTimeout() : EIdException("Read timed out.") {}
};
class EIdConnectTimeout : public EIdException {
 public:
  EIdConnectTimeout() : EIdException("Connect timed out.") {}
};
class EIdConnClosedGracefully : public EIdException {
 public:
  EIdConnClosedGracefully() : EIdException("Connection Closed Gracefully.") {}
};
class EIdHostRequired : public EIdException {
 public:
  EIdHostRequired() : EIdException("A Host is required") {}
};
class EIdPortRequired : public EIdException {
 public:
  EIdPortRequired() : EIdException("A Port is required") {}
};
class EIdSocketError : public EIdException {
 public:
  EIdSocketError(int code, const std::string& text);
  int LastError() const { return code_; }

 private:
  int code_;
};

class TIdTCPClient {
 public:
  TIdTCPClient();
  ~TIdTCPClient();
  TIdTCPClient(const TIdTCPClient&) = delete;
  TIdTCPClient& operator=(const TIdTCPClient&) = delete;

  std::string Host;
  uint16_t Port = 0;
  int ConnectTimeout = 0;  // ms; 0 or -1: no limit
  int ReadTimeout = -1;    // ms per wait for more data; 0 or -1: no limit

  // Returns only when connected; raises otherwise (the earlier connection is closed first).
  void ConnectToHost();
  void CloseConnection();
  bool Connected();  // false once closed here or by the peer

  // Drops bytes received but not yet read (a late reply to an earlier request),
  // those still queued in the socket included.
  void ResetInBuffer();
  void WriteBlock(const TIdBytes& bytes);
  // Appends exactly `count` bytes to `bytes`, or raises.
  void ReadBlock(TIdBytes& bytes, size_t count);
  size_t InBufferSize() const { return in_buffer_.size(); }

 private:
  std::unique_ptr<plat::Tcp_Socket> socket_;
  TIdBytes in_buffer_;
};
