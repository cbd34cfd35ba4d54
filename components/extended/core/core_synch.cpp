#include "components/extended/core/core_synch.h"

#include <atomic>

namespace ext {

void* AtomicSwapIfEqual(void*& Target, void* NewValue, void* Comparand) {
  std::atomic_ref<void*> target(Target);
  void* expected = Comparand;
  target.compare_exchange_strong(expected, NewValue, std::memory_order_seq_cst);
  return expected;
}

TCoreCriticalSection* TCoreCriticalSection::CreateAndEnter(TCoreCriticalSection*& Reference) {
  auto* fresh = new TCoreCriticalSection;
  void*& slot = reinterpret_cast<void*&>(Reference);
  void* old = AtomicSwapIfEqual(slot, fresh, nullptr);
  TCoreCriticalSection* installed = fresh;
  if (old) {
    delete fresh;
    installed = static_cast<TCoreCriticalSection*>(old);
  }
  installed->Enter();
  return installed;
}

}  // namespace ext
