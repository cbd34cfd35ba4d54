#include "device_api/frames.h"

namespace jq {
namespace {
uint8_t Sum(const uint8_t* data, size_t from, size_t to) {
  unsigned sum = 0;
  for (size_t i = from; i <= to; ++i) sum += data[i];
  return static_cast<uint8_t>(sum);
}
}  // namespace

TRequest_Frame Build_Request_Frame(const TCommand_Request& request) {
  const uint32_t v = static_cast<uint32_t>(request.Value);
  TRequest_Frame f{Head0,
                   Head1,
                   static_cast<uint8_t>(request.Command),
                   static_cast<uint8_t>(request.Command >> 8),
                   static_cast<uint8_t>(request.Index),
                   static_cast<uint8_t>(request.Index >> 8),
                   static_cast<uint8_t>(v),
                   static_cast<uint8_t>(v >> 8),
                   static_cast<uint8_t>(v >> 16),
                   static_cast<uint8_t>(v >> 24),
                   0,
                   Tail0,
                   Tail1};
  f[10] = Sum(f.data(), 2, 9);
  return f;
}

bool Accept_Reply_Frame(const TRequest_Frame& request, const uint8_t* d, size_t size,
                        TReply_Block& reply) {
  if (size != Reply_Frame_Size) return false;
  if (d[0] != Head0 || d[1] != Head1) return false;
  if (d[3] != request[2] || d[4] != request[3]) return false;
  if (d[12] != Tail0 || d[13] != Tail1) return false;
  if (d[11] != Sum(d, 2, 10)) return false;
  reply.Status = d[2];
  reply.Command = static_cast<uint16_t>(d[3] | d[4] << 8);
  reply.Index = static_cast<uint16_t>(d[5] | d[6] << 8);
  reply.Value = static_cast<int32_t>(static_cast<uint32_t>(d[7]) | static_cast<uint32_t>(d[8]) << 8 |
                                     static_cast<uint32_t>(d[9]) << 16 | static_cast<uint32_t>(d[10]) << 24);
  return true;
}

}  // namespace jq
