// Presence check and product information: identifier, serial number, version and
// resource flags. Commands 0 to 10 carry neither index nor value.
#include <initializer_list>

#include "device_api/export_table.h"

namespace jq {
namespace {

// Lays the reply values of `codes` into `bytes`, four little-endian bytes per
// command, and stops at the first failure: what earlier commands wrote stays,
// the rest of the caller's buffer is left as it was.
int32_t Read_Words(int32_t slot, std::initializer_list<uint16_t> codes, uint8_t* bytes) {
  size_t at = 0;
  for (uint16_t code : codes) {
    TCommand_Reply reply;
    if (Send_Command(slot, code, 0, 0, reply) != Result_OK) return Result_Fail;
    if (bytes)
      for (int n = 0; n < 4; ++n) bytes[at + n] = Value_Byte(reply.Reply.Value, n);
    at += 4;
  }
  return Result_OK;
}

// The serial number as 24 upper-case hex digits, written only once all of it arrived.
int32_t Read_Serial_Text(int32_t slot, char* text) {
  uint8_t serial[12];
  if (Read_Words(slot, {5, 6, 7}, serial) != Result_OK) return Result_Fail;
  static constexpr char digits[] = "0123456789ABCDEF";
  if (text)
    for (size_t i = 0; i < sizeof serial; ++i) {
      text[2 * i] = digits[serial[i] >> 4];
      text[2 * i + 1] = digits[serial[i] & 0x0F];
    }
  return Result_OK;
}

int32_t Read_Version(int32_t slot, int32_t* first, int32_t* second) {
  TCommand_Reply reply;
  const int32_t result = Send_Command(slot, 8, 0, 0, reply);
  const bool ok = result == Result_OK;
  Put(first, ok ? Value_Byte(reply.Reply.Value, 0) : 0);
  Put(second, ok ? Value_Byte(reply.Reply.Value, 1) : 0);
  return result;
}

int32_t Read_Version4(int32_t slot, int32_t* a, int32_t* b, int32_t* c, int32_t* d) {
  TCommand_Reply reply;
  const bool ok = Send_Command(slot, 8, 0, 0, reply) == Result_OK;
  Put(a, ok ? Value_Byte(reply.Reply.Value, 0) : 0);
  Put(b, ok ? Value_Byte(reply.Reply.Value, 1) : 0);
  Put(c, ok ? Value_Byte(reply.Reply.Value, 2) : 0);
  Put(d, 0);
  if (!ok) return Result_Fail;
  return Get(slot, 10, 0, d);
}

}  // namespace
}  // namespace jq

using namespace jq;

// clang-format off
JQ_EXPORT_PAIR(Check,                (),                                 (),               Set(slot, 0, 0, 0))
JQ_EXPORT_PAIR(Get_Product_Resource, (int32_t* resource),                (resource),       Get(slot, 9, 0, resource))
JQ_EXPORT_PAIR(Get_Product_ID,       (uint8_t* id),                      (id),             (Read_Words(slot, {1, 2, 3, 4}, id)))
JQ_EXPORT_PAIR(Get_Product_SN,       (uint8_t* serial),                  (serial),         (Read_Words(slot, {5, 6, 7}, serial)))
JQ_EXPORT_PAIR(Get_Product_SN2,      (uint8_t* serial),                  (serial),         (Read_Words(slot, {5, 6, 7}, serial)))
JQ_EXPORT_PAIR(Get_Product_SN3,      (char* text),                       (text),           Read_Serial_Text(slot, text))
JQ_EXPORT_PAIR(Get_Product_Version,  (int32_t* first, int32_t* second),  (first, second),  Read_Version(slot, first, second))
JQ_EXPORT_PAIR(Get_Product_Version2, (int32_t* first, int32_t* second, int32_t* third, int32_t* fourth),
                                     (first, second, third, fourth),
                                     Read_Version4(slot, first, second, third, fourth))
// clang-format on
