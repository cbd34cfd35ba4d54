#include "platform/system/monotonic_clock.h"

#include <time.h>

namespace rtl {

std::uint64_t MonotonicMs() {
  struct timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

}  // namespace rtl
