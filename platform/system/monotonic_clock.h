// The one monotonic millisecond source of the program. The runtime's
// replaceable clock (GetTickCount), the serial backends' time-outs and the
// serial class's tick counter all read it.
#pragma once

#include <cstdint>

namespace rtl {

std::uint64_t MonotonicMs();

}  // namespace rtl
