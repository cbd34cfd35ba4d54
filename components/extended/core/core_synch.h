// The utility library's lock: a re-entrant critical section, and a way for
// any number of threads to create one lazily through a shared reference.
#pragma once

#include "platform/runtime/sync.h"

namespace ext {

class TCoreCriticalSection {
 public:
  TCoreCriticalSection() = default;
  virtual ~TCoreCriticalSection() = default;
  TCoreCriticalSection(const TCoreCriticalSection&) = delete;
  TCoreCriticalSection& operator=(const TCoreCriticalSection&) = delete;

  void Enter() { section_.Enter(); }
  void Leave() { section_.Leave(); }

  // Creates a section, installs it in Reference unless another thread got
  // there first (then the new one is freed), and enters the installed one.
  // Reference is only ever changed here, atomically.
  static TCoreCriticalSection* CreateAndEnter(TCoreCriticalSection*& Reference);

 private:
  rtl::TCriticalSection section_;
};

// One locked compare-and-exchange (a full barrier): Target becomes NewValue
// when it equals Comparand. Answers the previous Target in every case.
void* AtomicSwapIfEqual(void*& Target, void* NewValue, void* Comparand);

}  // namespace ext
