// Frames of the serial and network links and the loop that
// serves them on a byte stream (pty master or TCP socket).
#include "tests/sim/sim_internal.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace jqsim {

namespace {
void PutU16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
void PutI32(std::vector<uint8_t>& v, int32_t x) {
  const auto u = static_cast<uint32_t>(x);
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(u >> (8 * i)));
}
uint8_t Sum(const std::vector<uint8_t>& v, size_t from, size_t to) {  // inclusive
  unsigned s = 0;
  for (size_t i = from; i <= to; ++i) s += v[i];
  return static_cast<uint8_t>(s);
}
uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
int32_t GetI32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}
}  // namespace

std::vector<uint8_t> EncodeRequestFrame(uint16_t code, uint16_t index, int32_t value) {
  std::vector<uint8_t> f{0xAA, 0x55};
  PutU16(f, code);
  PutU16(f, index);
  PutI32(f, value);
  f.push_back(Sum(f, 2, 9));
  f.push_back(0xCC);
  f.push_back(0x33);
  return f;
}

std::vector<uint8_t> EncodeReplyFrame(const Reply& reply) {
  std::vector<uint8_t> f{0xAA, 0x55, reply.status};
  PutU16(f, reply.command);
  PutU16(f, reply.index);
  PutI32(f, reply.value);
  f.push_back(Sum(f, 2, 10));
  f.push_back(0xCC);
  f.push_back(0x33);
  return f;
}

std::vector<uint8_t> EncodeReplyFrame(const Reply& reply, const Fault& fault) {
  Reply r = reply;
  if (fault.kind == FaultKind::WrongEcho) r.command = static_cast<uint16_t>(r.command + 1);
  std::vector<uint8_t> f = EncodeReplyFrame(r);
  switch (fault.kind) {
    case FaultKind::BadChecksum: f[11] = static_cast<uint8_t>(f[11] + 1); break;
    case FaultKind::BadMarker: f[0] = 0xAB; f[13] = 0x34; break;
    case FaultKind::Short: f.resize(13); break;
    case FaultKind::Long: f.push_back(0x00); break;
    default: break;
  }
  return f;
}

std::optional<Reply> DecodeReplyFrame(const std::vector<uint8_t>& f) {
  if (f.size() != 14 || f[0] != 0xAA || f[1] != 0x55 || f[12] != 0xCC || f[13] != 0x33) {
    return std::nullopt;
  }
  if (Sum(f, 2, 10) != f[11]) return std::nullopt;
  Reply r;
  r.status = f[2];
  r.command = GetU16(&f[3]);
  r.index = GetU16(&f[5]);
  r.value = GetI32(&f[7]);
  return r;
}

namespace detail {

void FrameParser::Feed(const uint8_t* data, size_t n, std::vector<Request>& out) {
  buf_.insert(buf_.end(), data, data + n);
  size_t pos = 0;
  while (true) {
    // Find the head.
    while (pos + 1 < buf_.size() && !(buf_[pos] == 0xAA && buf_[pos + 1] == 0x55)) ++pos;
    if (pos + 1 >= buf_.size()) {
      // Keep a trailing 0xAA: it may be the first byte of a head.
      if (pos < buf_.size() && buf_[pos] != 0xAA) ++pos;
      break;
    }
    if (buf_.size() - pos < 13) break;
    const uint8_t* f = &buf_[pos];
    unsigned s = 0;
    for (int i = 2; i <= 9; ++i) s += f[i];
    if (f[11] == 0xCC && f[12] == 0x33 && static_cast<uint8_t>(s) == f[10]) {
      out.push_back(Request{GetU16(f + 2), GetU16(f + 4), GetI32(f + 6)});
      pos += 13;
    } else {
      ++bad_;
      pos += 1;  // resynchronise on the next head
    }
  }
  buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(pos));
}

bool SleepUnlessStopped(int stop_fd, int ms) {
  if (ms <= 0) return true;
  pollfd p{stop_fd, POLLIN, 0};
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (true) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          until - std::chrono::steady_clock::now()).count();
    if (left <= 0) return true;
    const int r = ::poll(&p, 1, static_cast<int>(left));
    if (r > 0) return false;
    if (r < 0 && errno != EINTR) return false;
  }
}

bool WriteAll(int fd, int stop_fd, const uint8_t* data, size_t n) {
  size_t done = 0;
  while (done < n) {
    const ssize_t w = ::write(fd, data + done, n - done);
    if (w > 0) {
      done += static_cast<size_t>(w);
      continue;
    }
    if (w < 0 && errno == EINTR) continue;
    if (w < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p[2] = {{fd, POLLOUT, 0}, {stop_fd, POLLIN, 0}};
      const int r = ::poll(p, 2, 100);
      if (r > 0 && (p[1].revents & POLLIN)) return false;
      if (r > 0 && (p[0].revents & (POLLERR | POLLHUP | POLLNVAL)) && !(p[0].revents & POLLOUT)) {
        return false;
      }
      continue;
    }
    return false;
  }
  return true;
}

LinkEnd ServeFrames(int fd, int stop_fd, Controller& controller, const std::string& device,
                    bool pace_115200) {
  FrameParser parser;
  std::vector<Request> reqs;
  uint8_t buf[512];
  auto send = [&](const uint8_t* data, size_t n) {
    if (pace_115200) {
      // 10 bits per byte at 115200 baud: 86.8 us per byte.
      std::this_thread::sleep_for(std::chrono::nanoseconds(86800LL * static_cast<long long>(n)));
    }
    return WriteAll(fd, stop_fd, data, n);
  };
  while (true) {
    pollfd p[2] = {{fd, POLLIN, 0}, {stop_fd, POLLIN, 0}};
    const int r = ::poll(p, 2, 200);
    if (r < 0) {
      if (errno == EINTR) continue;
      return LinkEnd::Stopped;
    }
    if (p[1].revents & POLLIN) return LinkEnd::Stopped;
    if (r == 0) continue;
    if (p[0].revents & POLLNVAL) return LinkEnd::Stopped;
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
      // A pty master reads EIO while no one has the slave open; wait and retry.
      if (errno == EIO) {
        if (!SleepUnlessStopped(stop_fd, 20)) return LinkEnd::Stopped;
        continue;
      }
      return LinkEnd::Stopped;
    }
    if (n == 0) return LinkEnd::Stopped;  // peer closed (TCP)
    reqs.clear();
    parser.Feed(buf, static_cast<size_t>(n), reqs);
    for (const Request& q : reqs) {
      const Controller::Exchange ex = controller.Process(q.code, q.index, q.value, device);
      const Fault& fault = ex.fault;
      const std::vector<uint8_t> frame = EncodeReplyFrame(ex.reply, fault);
      switch (fault.kind) {
        case FaultKind::Silence:
          continue;
        case FaultKind::Unplugged:
          return LinkEnd::Hang_Up;
        case FaultKind::Reset:
          return LinkEnd::Reset;
        case FaultKind::CloseMidFrame:
          send(frame.data(), 7);
          return LinkEnd::Hang_Up;
        case FaultKind::Delay:
          if (!SleepUnlessStopped(stop_fd, fault.delay_ms)) return LinkEnd::Stopped;
          break;
        case FaultKind::Trickle:
          for (size_t i = 0; i < frame.size(); ++i) {
            if (i > 0 && !SleepUnlessStopped(stop_fd, fault.delay_ms)) return LinkEnd::Stopped;
            if (!send(&frame[i], 1)) return LinkEnd::Stopped;
          }
          controller.MarkReplied(ex.seq);
          continue;
        default:
          break;
      }
      if (!send(frame.data(), frame.size())) return LinkEnd::Stopped;
      controller.MarkReplied(ex.seq);
      if (fault.kind == FaultKind::Duplicate) {
        if (!SleepUnlessStopped(stop_fd, fault.delay_ms)) return LinkEnd::Stopped;
        if (!send(frame.data(), frame.size())) return LinkEnd::Stopped;
      }
    }
  }
}

}  // namespace detail
}  // namespace jqsim
