#include "memory_stream_ex.h"

#include <cstdint>
#include <limits>

#include "exceptions.h"

namespace grid {

void TMemoryStreamEx::Realloc(std::int64_t NewCapacity) {
  const std::int64_t step = 2 * std::int64_t{FHalfMemoryDelta};
  std::int64_t n = NewCapacity;
  if (n > 0 && n != Size()) {
    // Rounded in 64-bit arithmetic, refused before it could overflow.
    if (n > std::numeric_limits<std::int64_t>::max() - step ||
        static_cast<std::uint64_t>(n) > std::numeric_limits<std::size_t>::max() / 2)
      throw rtl::EStreamError(u"Out of memory while expanding memory stream");
    n = (n + step - 1) & ~(step - 1);
  }
  if (n == Capacity()) return;
  rtl::TMemoryStream::Realloc(n);
}

}  // namespace grid
