#include "posix_helpers.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>

namespace testposix {
int MoveAbove(int fd, int min) {
  const int high = fcntl(fd, F_DUPFD_CLOEXEC, min);
  if (high >= 0) close(fd);
  return high;
}
long RaiseDescriptorLimit(long want) {
  rlimit lim{};
  getrlimit(RLIMIT_NOFILE, &lim);
  if (static_cast<long>(lim.rlim_cur) < want) {
    lim.rlim_cur = std::min<rlim_t>(lim.rlim_max, static_cast<rlim_t>(want));
    setrlimit(RLIMIT_NOFILE, &lim);
    getrlimit(RLIMIT_NOFILE, &lim);
  }
  return static_cast<long>(lim.rlim_cur);
}
std::string NodeName() {
  utsname u{};
  uname(&u);
  return u.nodename;
}
void DefaultSigPipe() { signal(SIGPIPE, SIG_DFL); }
void SleepMs(int ms) { usleep(static_cast<useconds_t>(ms) * 1000); }
}  // namespace testposix
