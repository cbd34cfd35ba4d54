// Internals shared by the simulator's translation units (not for tests).
#pragma once

#include "tests/sim/sim.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

namespace jqsim::detail {

// One decoded request frame.
struct Request {
  uint16_t code = 0;
  uint16_t index = 0;
  int32_t value = 0;
};

// Splits a byte stream into request frames, resynchronising on the AA 55 head
// when garbage or a damaged frame arrives.
class FrameParser {
 public:
  void Feed(const uint8_t* data, size_t n, std::vector<Request>& out);
  int bad_frames() const { return bad_; }

 private:
  std::vector<uint8_t> buf_;
  int bad_ = 0;
};

// One accepted connection of a listening front end.
struct Connection {
  // Taken (set to -1) by whoever closes it: the acceptor, or the serving code
  // when it closes the link its own way (a reset).
  std::atomic<int> fd{-1};
  int stop_fd = -1;  // readable once the connection is to end; its own, so one can end alone
  std::thread thread;
  std::atomic<bool> finished{false};
};

// The listening half of the TCP and HID socket front ends: accepts on a
// listening socket in a thread of its own and serves each connection in
// another with `serve`, which ends when it returns. Destroying it ends and joins
// every connection and closes the listening socket.
class Acceptor {
 public:
  // Takes over `listen_fd` (non-blocking); accepted sockets get `accept_flags`
  // (SOCK_CLOEXEC, SOCK_NONBLOCK).
  Acceptor(int listen_fd, int accept_flags, std::function<void(Connection&)> serve);
  ~Acceptor();
  Acceptor(const Acceptor&) = delete;
  Acceptor& operator=(const Acceptor&) = delete;
  void DropConnections();   // ends and joins every connection
  int Connections() const;  // connections being served now

 private:
  void Reap(bool all);  // mu_ held
  void AcceptLoop();

  int listen_fd_;
  int accept_flags_;
  int stop_fd_;
  std::function<void(Connection&)> serve_;
  mutable std::mutex mu_;
  std::list<Connection> conns_;  // stable addresses
  std::thread accept_thread_;
};

// Detaches every HID device served by `c` (called by ~Controller).
void ForgetController(const Controller* c);

// How ServeFrames ended: stopped or the peer went away; or a fault ends the link,
// which the front end then closes (Hang_Up) or resets (Reset).
enum class LinkEnd { Stopped, Hang_Up, Reset };

// Serves one framed byte stream (pty master or TCP socket) until `stop_fd` becomes
// readable, the peer closes, or a fault ends the link.
LinkEnd ServeFrames(int fd, int stop_fd, Controller& controller, const std::string& device,
                    bool pace_115200);

// Writes all bytes to a non-blocking fd, waiting for room with poll (gives up when
// stop_fd becomes readable or the fd fails). Returns false on failure.
bool WriteAll(int fd, int stop_fd, const uint8_t* data, size_t n);

// Sleeps up to `ms`, returns false early when stop_fd becomes readable.
bool SleepUnlessStopped(int stop_fd, int ms);

}  // namespace jqsim::detail
