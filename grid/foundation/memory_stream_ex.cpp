#include "grid/foundation/memory_stream_ex.h"

#include <cstdint>
#include <limits>

#include "platform/runtime/exceptions.h"

namespace grid {

void TMemoryStreamEx::Realloc(std::int64_t NewCapacity) {
  const std::int64_t step = 2 * std::int64_t{FHalfMemoryDelta};
  std::int64_t n = NewCapacity;
  if (n > 0 && n != Size()) {
    // Rounded in 64-bit arithmetic, refused before it could overflow. Beyond
    // 1 TiB no allocator here can deliver: refusing up front keeps the data and
    // gives the stream's own error rather than an allocator failure.
    constexpr std::int64_t kMaxCapacity = std::int64_t{1} << 40;
    if (n > kMaxCapacity || n > std::numeric_limits<std::int64_t>::max() - step)
      throw rtl::EStreamError(u"Out of memory while expanding memory stream");
    n = (n + step - 1) & ~(step - 1);
  }
  if (n == Capacity()) return;
  rtl::TMemoryStream::Realloc(n);
}

}  // namespace grid
