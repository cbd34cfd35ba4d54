// Benchmarks that compare two figures pin themselves to one core, so that
// both run with the same caches and clock.
#pragma once

#include <sched.h>

// Pins the calling thread (and the threads it starts later) to the core it
// runs on now, among those the process may use; answers the core, or -1.
inline int PinToOneCore() {
  const int cpu = sched_getcpu();
  if (cpu < 0) return -1;
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(cpu, &one);
  return sched_setaffinity(0, sizeof one, &one) == 0 ? cpu : -1;
}
