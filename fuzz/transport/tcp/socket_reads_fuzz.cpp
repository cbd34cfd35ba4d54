// The socket layer's reads against a hostile peer: lines with each kind of
// terminator and length limit, echoed lines, captured line lists, counted
// reads (sizes and integers off the wire) and reads until the peer closes.
// Input: chunk size (0: all at once), then one byte per read (its low three
// bits pick the read, the rest its settings), a 0xFF byte, then the peer's
// bytes.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/support/fuzz_support.h"
#include "fuzz/transport/tcp/fuzz_io_handler.h"
#include "platform/classes/string_list.h"
#include "platform/runtime/streams.h"
#include "transport/tcp/core/net_exception.h"

namespace {

// A stream that keeps only the bytes written to it: a counted read grows the
// stream to the size the peer announced before the bytes come, and a memory
// stream would clear that much memory for every such input.
class SparseStream : public rtl::TStream {
 public:
  std::int64_t Read(void* buffer, std::int64_t count) override {
    const std::int64_t n = std::max<std::int64_t>(0, std::min(count, size_ - position_));
    for (std::int64_t i = 0; i < n; ++i)
      static_cast<char*>(buffer)[i] =
          position_ + i < static_cast<std::int64_t>(data_.size()) ? data_[position_ + i] : 0;
    position_ += n;
    return n;
  }
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    if (count <= 0) return 0;
    if (static_cast<std::int64_t>(data_.size()) < position_ + count) data_.resize(position_ + count);
    data_.replace(position_, count, static_cast<const char*>(buffer), count);
    position_ += count;
    size_ = std::max(size_, position_);
    return count;
  }
  std::int64_t Seek(std::int64_t offset, rtl::TSeekOrigin origin) override {
    const std::int64_t base = origin == rtl::TSeekOrigin::soBeginning ? 0
                              : origin == rtl::TSeekOrigin::soCurrent ? position_
                                                                      : size_;
    position_ = std::max<std::int64_t>(0, base + offset);
    return position_;
  }
  void SetSize(std::int64_t size) override {
    size_ = std::max<std::int64_t>(size, 0);
    if (static_cast<std::int64_t>(data_.size()) > size_) data_.resize(size_);
    position_ = std::min(position_, size_);
  }
  std::int64_t Size() override { return size_; }

 private:
  std::string data_;
  std::int64_t size_ = 0, position_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::UseSocketModules();
  fuzz::Bytes in(data, size);
  const std::size_t chunk = in.Byte();
  std::string ops;
  while (!in.Empty() && ops.size() < 16) {
    const uint8_t op = in.Byte();
    if (op == 0xFF) break;
    ops.push_back(static_cast<char>(op));
  }
  auto* handler = net::NetCreate<fuzz::TFuzzIOHandler>(nullptr);
  handler->SetPeer(in.Take(in.Left()), chunk);
  handler->OpenHandler();
  for (const char c : ops) {
    const uint8_t op = static_cast<uint8_t>(c);
    const int setting = op >> 3;
    handler->SetMaxLineAction(setting & 1 ? net::maSplit : net::maException);
    handler->SetLargeStream(setting & 2);
    try {
      switch (op & 7) {
        case 0:
          handler->ReadLine(u"\n", -1, setting & 4 ? 4 : -1);
          break;
        case 1:
          handler->ReadLine(setting & 4 ? u"\r\n" : u"ab", -1, setting & 8 ? 3 : -1);
          break;
        case 2: {
          net::TNetBytes block;
          handler->ReadBlock(block, setting & 16 ? -1 : setting + 1);
          break;
        }
        case 3:
          if (setting & 4)
            handler->ReadInteger64(setting & 8);
          else if (setting & 16)
            handler->ReadOctet();
          else
            handler->ReadInteger32(setting & 8);
          break;
        case 4: {
          SparseStream stream;
          // -1: the size comes off the wire first.
          try {
            handler->ReadIntoStream(setting & 4 ? nullptr : &stream, setting & 8 ? setting : -1,
                                    setting & 16);
          } catch (...) {
            if (stream.Size() != stream.Position())
              __builtin_trap();  // no room left for bytes that never came
            throw;
          }
          if (stream.Size() != stream.Position()) __builtin_trap();
          break;
        }
        case 5: {
          ui::TStringList lines;
          handler->SetCaptureLineLimit(setting & 4 ? 2 : -1);
          handler->CaptureLines(lines, setting & 8 ? u"." : u"END", setting & 16);
          break;
        }
        case 6:
          handler->ReadEchoedLine(setting & 4 ? u"*" : u"", setting & 8, setting & 16 ? 0 : 8,
                                  setting & 2 ? 5 : -1);
          break;
        case 7:
          if (setting & 4)
            handler->ReadAllText();
          else
            handler->ReadNonEmptyLine(3);
          break;
      }
    } catch (const net::ENetException&) {
      // The peer closed, or broke a rule the reader enforces with its error.
    }
  }
  ui::Free(handler);
  return 0;
}
