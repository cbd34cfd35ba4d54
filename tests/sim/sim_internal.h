// Internals shared by the simulator's translation units (not for tests).
#pragma once

#include "tests/sim/sim.h"

#include <cstddef>
#include <cstdint>
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
