#include "platform/runtime/thread.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/runtime/exceptions.h"

namespace rtl {

namespace {
std::atomic<TThreadID> g_mainThread{0};

bool ApplyPriority(TThreadID tid, TThreadPriority priority) {
  static constexpr int kNiceStep[] = {19, 10, 5, 0, -5, -10, -20};
  errno = 0;
  const int base = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::getpid()));
  if (base == -1 && errno != 0) return false;
  const int nice = std::clamp(base + kNiceStep[priority], -20, 19);
  return ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice) == 0;
}
}  // namespace

TThreadID CurrentThreadID() { return static_cast<TThreadID>(::syscall(SYS_gettid)); }
void SetMainThread() { g_mainThread.store(CurrentThreadID()); }
TThreadID MainThreadID() { return g_mainThread.load(); }
bool IsMainThread() { return CurrentThreadID() == g_mainThread.load(); }

int UsableProcessorCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  return std::max(CPU_COUNT(&set), 1);
}

int ProcessProcessorCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  // The first thread's id is the process's.
  if (::sched_getaffinity(::getpid(), sizeof set, &set) != 0) return UsableProcessorCount();
  return std::max(CPU_COUNT(&set), 1);
}

static_assert(sizeof(pthread_t) <= sizeof(unsigned long));

TThread::TThread(std::size_t stackSize) : stackSize_(stackSize) {}

TThread::~TThread() {
  if (started_ && !joined_) {
    Terminate();
    WaitFor();
  }
}

void TThread::Start() {
  if (started_) throw EThread(u"Thread already started");
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  if (stackSize_ > 0) {
    const std::size_t min = static_cast<std::size_t>(PTHREAD_STACK_MIN);
    pthread_attr_setstacksize(&attr, stackSize_ < min ? min : stackSize_);
  }
  pthread_t t;
  const int rc = pthread_create(&t, &attr, &TThread::Entry, this);
  pthread_attr_destroy(&attr);
  if (rc != 0) {
    const std::uint32_t code = WinErrorFromErrno(rc);
    SetLastError(code);
    throw EThread(Format(u"Thread creation error: %s", {SysErrorMessage(code)}));
  }
  handle_ = static_cast<unsigned long>(t);
  started_ = true;
}

void* TThread::Entry(void* self) {
  auto* t = static_cast<TThread*>(self);
  t->id_.store(CurrentThreadID());
  if (t->priority_.load() != tpNormal) ApplyPriority(t->id_.load(), t->priority_.load());
  try {
    t->Execute();
  } catch (...) {
    t->fatal_ = std::current_exception();
  }
  if (t->OnTerminate) {
    try {
      t->OnTerminate(*t);
    } catch (...) {
      if (!t->fatal_) t->fatal_ = std::current_exception();
    }
  }
  t->finished_.store(true);
  return nullptr;
}

bool TThread::SetPriority(TThreadPriority Value) {
  priority_.store(Value);
  const TThreadID tid = id_.load();
  if (tid == 0 || finished_.load()) return true;
  return ApplyPriority(tid, Value);
}

int TThread::WaitFor() {
  if (started_ && !joined_) {
    pthread_join(static_cast<pthread_t>(handle_), nullptr);
    joined_ = true;
  }
  return returnValue_.load();
}

}  // namespace rtl
