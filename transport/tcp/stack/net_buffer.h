// A first-in-first-out byte store: unread bytes live in one growable array
// behind a head index, so taking from the front only moves the index and the
// bytes are packed towards the start now and then. Every buffer holds one
// use of the global socket stack.
#pragma once

#include <cstdint>
#include <functional>

#include "transport/tcp/core/net_global.h"
#include "transport/tcp/stack/net_stack.h"

namespace net {

class TNetBuffer;
using TNetBufferBytesTakenEvent = std::function<void(TNetBuffer* sender, std::int32_t count)>;

class TNetBuffer {
 public:
  TNetBuffer();
  explicit TNetBuffer(TNetBufferBytesTakenEvent onBytesTaken);
  virtual ~TNetBuffer();
  TNetBuffer(const TNetBuffer&) = delete;
  TNetBuffer& operator=(const TNetBuffer&) = delete;

  void Reset();
  std::int32_t Capacity() const { return static_cast<std::int32_t>(storage_.size()); }
  std::int32_t Size() const { return size_; }
  std::int32_t HeadIndex() const { return headIndex_; }
  std::int32_t GrowthStep() const { return growthStep_; }
  void SetGrowthStep(std::int32_t value) { growthStep_ = value < 0 ? 0 : value; }

  // Positions given to the indexed forms count from the first unread byte.
  // destinationIndex -1 appends behind the unread bytes; an index at or
  // beyond them overwrites and extends, growing the storage as needed.
  void Append(const TNetBytes& bytes, std::int32_t length = -1, std::int32_t offset = 0,
              std::int32_t destinationIndex = -1);
  // index -1 takes the bytes from the front; an index >= 0 copies them from
  // that position and takes nothing.
  void ExtractBytes(TNetBytes& target, std::int32_t count = -1, bool append = true, std::int32_t index = -1);
  rtl::AnsiString ExtractText(std::int32_t count = -1, TNetTextEncodingRef encoding = nullptr,
                              TNetTextEncodingRef ansiEncoding = nullptr);
  void ExtractToStream(rtl::TStream& stream, std::int32_t count = -1, std::int32_t index = -1);
  void Discard(std::int32_t count);
  void PackToFront(bool mayShrink);
  // Position of the pattern among the unread bytes, counted from the first
  // of them, at or after start; -1 when absent.
  std::int32_t IndexOfBytes(const TNetBytes& pattern, std::int32_t start = 0) const;

  TNetTextEncodingRef TextEncoding() const { return encoding_; }
  void SetTextEncoding(TNetTextEncodingRef value) { encoding_ = std::move(value); }
  TNetTextEncodingRef AnsiEncoding() const { return ansiEncoding_; }
  void SetAnsiEncoding(TNetTextEncodingRef value) { ansiEncoding_ = std::move(value); }

  TNetBufferBytesTakenEvent OnBytesTaken;

 private:
  void CheckRoomFor(std::int64_t count, std::int64_t index) const;
  // count -1 becomes every unread byte from index on; more than that raises.
  void CheckAvailable(std::int32_t& count, std::int32_t index) const;
  void Resize(std::int64_t length);

  TNetStackUse stackUse_;
  TNetBytes storage_;
  TNetTextEncodingRef encoding_;
  TNetTextEncodingRef ansiEncoding_;
  std::int32_t growthStep_ = 2048;
  std::int32_t headIndex_ = 0;
  std::int32_t size_ = 0;
};

}  // namespace net
