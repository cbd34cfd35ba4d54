#include "transport/tcp/stack/net_buffer.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace net {
namespace {
constexpr std::int64_t kMaxSize = std::numeric_limits<std::int32_t>::max();
}

TNetBuffer::TNetBuffer() = default;

TNetBuffer::TNetBuffer(TNetBufferBytesTakenEvent onBytesTaken) : OnBytesTaken(std::move(onBytesTaken)) {}

TNetBuffer::~TNetBuffer() { Reset(); }

void TNetBuffer::Reset() {
  storage_.clear();
  storage_.shrink_to_fit();
  headIndex_ = 0;
  size_ = 0;
}

void TNetBuffer::Resize(std::int64_t length) { storage_.resize(static_cast<std::size_t>(length)); }

void TNetBuffer::CheckRoomFor(std::int64_t count, std::int64_t index) const {
  if (kMaxSize - count < index) RaiseNet<ENetTooMuchDataInBuffer>("rstoomuchdatainbuffer");
}

void TNetBuffer::CheckAvailable(std::int32_t& count, std::int32_t index) const {
  const std::int32_t available = index > size_ ? -1 : size_ - index;
  if (count == -1 && available >= 0) {
    count = available;
    return;
  }
  if (available < 0 || count < 0 || count > available)
    throw ENetNotEnoughDataInBuffer(
        FormatInvariant(u"%s (%d/%d)", {NetResourceString("rsnotenoughdatainbuffer"), count, size_}));
}

void TNetBuffer::Append(const TNetBytes& bytes, std::int32_t length, std::int32_t offset,
                        std::int32_t destinationIndex) {
  const std::int32_t n = ClampByteCount(bytes, length, offset < 0 ? 0 : offset);
  if (n <= 0) return;
  const std::int32_t from = offset < 0 ? 0 : offset;
  if (destinationIndex < 0) {
    CheckRoomFor(n, size_);
    if (size_ == 0) {
      headIndex_ = 0;
      storage_.assign(bytes.begin() + from, bytes.begin() + from + n);
      size_ = n;
      return;
    }
    PackToFront(false);
    if (Capacity() - size_ - headIndex_ < n)
      Resize(std::min<std::int64_t>(static_cast<std::int64_t>(size_) + n + growthStep_, kMaxSize));
    std::memcpy(storage_.data() + size_, bytes.data() + from, static_cast<std::size_t>(n));
    size_ += n;
    return;
  }
  // Written at a position among (or behind) the unread bytes: the buffer ends
  // at the larger of its old end and the written block's end; a gap between
  // the two reads as zeros, never as bytes taken earlier.
  CheckRoomFor(n, destinationIndex);
  if (size_ == 0) headIndex_ = 0;
  PackToFront(false);
  const std::int64_t end = static_cast<std::int64_t>(destinationIndex) + n;
  if (end > Capacity()) Resize(end);
  if (destinationIndex > size_)
    std::fill(storage_.begin() + size_, storage_.begin() + destinationIndex, std::uint8_t{0});
  std::memcpy(storage_.data() + destinationIndex, bytes.data() + from, static_cast<std::size_t>(n));
  size_ = static_cast<std::int32_t>(std::max<std::int64_t>(size_, end));
}

void TNetBuffer::ExtractBytes(TNetBytes& target, std::int32_t count, bool append, std::int32_t index) {
  const std::int32_t at = index < 0 ? 0 : index;
  if (count < 0) count = -1;
  CheckAvailable(count, at);
  if (count == 0) return;
  std::size_t to = 0;
  if (append) {
    to = target.size();
    target.resize(target.size() + static_cast<std::size_t>(count));
  } else if (target.size() < static_cast<std::size_t>(count)) {
    target.resize(static_cast<std::size_t>(count));
  }
  std::memcpy(target.data() + to, storage_.data() + headIndex_ + at, static_cast<std::size_t>(count));
  if (index < 0) Discard(count);
}

rtl::AnsiString TNetBuffer::ExtractText(std::int32_t count, TNetTextEncodingRef encoding,
                                        TNetTextEncodingRef ansiEncoding) {
  if (count < 0) count = size_;
  if (count == 0) return {};
  if (!encoding) encoding = encoding_ ? encoding_ : TextEncodingFor(EncodingDefault);
  if (!ansiEncoding) ansiEncoding = ansiEncoding_ ? ansiEncoding_ : TextEncodingFor(EncodingOSDefault);
  TNetBytes bytes;
  ExtractBytes(bytes, count, true, -1);
  return BytesToText(bytes, 0, -1, encoding, ansiEncoding);
}

void TNetBuffer::ExtractToStream(rtl::TStream& stream, std::int32_t count, std::int32_t index) {
  if (count < 0) count = -1;
  if (index < 0) {
    CheckAvailable(count, 0);
    if (count == 0) return;
    PackToFront(true);
    TNetBytes slice(storage_.begin(), storage_.begin() + count);
    WriteBytesToStream(stream, slice, count, 0);
    Discard(count);
    return;
  }
  CheckAvailable(count, index);
  if (count == 0) return;
  TNetBytes slice(storage_.begin() + headIndex_ + index, storage_.begin() + headIndex_ + index + count);
  WriteBytesToStream(stream, slice, count, 0);
}

void TNetBuffer::Discard(std::int32_t count) {
  if (count >= size_) {
    Reset();
  } else if (count > 0) {
    headIndex_ += count;
    size_ -= count;
    if (headIndex_ > growthStep_) PackToFront(true);
  }
  if (OnBytesTaken) OnBytesTaken(this, count);
}

void TNetBuffer::PackToFront(bool mayShrink) {
  if (headIndex_ <= 0) return;
  if (size_ > 0)
    std::memmove(storage_.data(), storage_.data() + headIndex_, static_cast<std::size_t>(size_));
  headIndex_ = 0;
  if (mayShrink && Capacity() - size_ > growthStep_) {
    Resize(static_cast<std::int64_t>(size_) + growthStep_);
    storage_.shrink_to_fit();
  }
}

std::int32_t TNetBuffer::IndexOfBytes(const TNetBytes& pattern, std::int32_t start) const {
  if (size_ == 0) return -1;
  if (pattern.empty()) RaiseNet<ENetException>("rsbuffermissingterminator");
  if (start < 0 || start >= size_) RaiseNet<ENetException>("rsbufferinvalidstartpos");
  const auto first = storage_.begin() + headIndex_;
  const auto last = first + size_;
  const auto found = std::search(first + start, last, pattern.begin(), pattern.end());
  return found == last ? -1 : static_cast<std::int32_t>(found - first);
}

}  // namespace net
