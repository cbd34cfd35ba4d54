// A memory stream that grows in steps of 8 KiB, for the grid's export and
// clipboard writers, which append many small pieces.
#pragma once

#include "platform/runtime/streams.h"

namespace grid {

class TMemoryStreamEx : public rtl::TMemoryStream {
 public:
  TMemoryStreamEx() = default;
  // The stream grows in steps of twice HalfMemoryDelta (a power of two).
  explicit TMemoryStreamEx(int HalfMemoryDelta) : FHalfMemoryDelta(HalfMemoryDelta) {}
  std::int64_t StreamCapacity() const { return Capacity(); }

 protected:
  void Realloc(std::int64_t NewCapacity) override;

 private:
  int FHalfMemoryDelta = 4096;
};

}  // namespace grid
