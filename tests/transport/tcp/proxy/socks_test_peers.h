// Peers for the proxy tests, all on loopback and all bounded in time: a
// scripted SOCKS server that checks request bytes, echo servers for TCP and
// UDP, and the Debian SOCKS servers (danted, microsocks) run from a config
// of the test's own.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace testposix {

using Bytes = std::vector<std::uint8_t>;

// Plays one exchange on its own thread: each step reads an exact number of
// bytes, then sends its reply. After the script it records whatever else
// arrives until the client closes (or a few seconds pass).
class ScriptedPeer {
 public:
  struct Step {
    int read = 0;
    Bytes reply;
  };
  explicit ScriptedPeer(std::vector<Step> script);
  ~ScriptedPeer();
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  int Port() const { return port_; }
  // Waits for the exchange to end; the client should have closed first.
  Bytes Received();

 private:
  void Run(std::vector<Step> script);
  int listener_ = -1;
  int port_ = 0;
  Bytes received_;
  std::thread thread_;
};

// Echoes every TCP connection it accepts until stopped.
class TcpEcho {
 public:
  TcpEcho();
  ~TcpEcho();
  int Port() const { return port_; }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Sends every datagram back to its sender until stopped.
class UdpEcho {
 public:
  UdpEcho();
  ~UdpEcho();
  int Port() const { return port_; }

 private:
  int socket_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// One datagram from a fresh socket to 127.0.0.1:port.
bool SendDatagram(int port, const Bytes& data);
// A connected loopback TCP socket, -1 on failure.
int ConnectLoopback(int port, int timeoutMs);
// The local port of a socket.
int LocalPort(int fd);

// A SOCKS server process in a process group of its own, listening on a free
// loopback port. Start fails the test (with the server's log) when the
// binary is missing or the server does not come up.
class SocksServer {
 public:
  enum Kind { Dante, MicroSocks };
  // For microsocks: the user and password it demands (empty: none).
  SocksServer(Kind kind, std::string user = {}, std::string password = {});
  ~SocksServer();
  SocksServer(const SocksServer&) = delete;
  SocksServer& operator=(const SocksServer&) = delete;

  // Empty on success, else why the server could not be started.
  std::string Start();
  int Port() const { return port_; }

 private:
  std::string TryStart(int port);
  void Stop();
  std::string Log() const;

  Kind kind_;
  std::string user_;
  std::string password_;
  std::string folder_;
  int pid_ = -1;
  int port_ = 0;
};

}  // namespace testposix
