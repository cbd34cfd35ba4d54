// A cap on single allocations for the test binary that links allocation_cap.cpp:
// while it is set, a larger request fails with std::bad_alloc, as on a small machine.
#pragma once

#include <atomic>
#include <cstddef>

extern std::atomic<std::size_t> g_allocation_cap;  // 0: no cap
