// Replaces the global allocation functions of the test binary; kept in a file of its
// own so no caller sees these definitions inline.
#include "tests/transport/serial/allocation_cap.h"

#include <cstdlib>
#include <new>

std::atomic<std::size_t> g_allocation_cap{0};

void* operator new(std::size_t size) {
  const std::size_t cap = g_allocation_cap.load(std::memory_order_relaxed);
  if (cap != 0 && size > cap) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return ::operator new(size, tag);
}
// Every plain form frees what the forms above took, so a sanitizer sees matching pairs.
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
