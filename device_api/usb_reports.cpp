#include "device_api/usb_reports.h"

#include <cstring>

namespace jq {
namespace {

int32_t Read_I32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

uint16_t Read_U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

bool Receive_State::Store_Report(int32_t slot, const uint8_t (&report)[USB_In_Report_Size]) {
  if (!Valid_Slot(slot)) return false;
  std::lock_guard<std::mutex> lock(Receive_Lock);
  if (report[0] == Report_Push) {
    Push_Table[slot][0] = Read_I32(report + 1);
    Push_Table[slot][1] = Read_I32(report + 5);
  } else if (report[0] == Report_Reply) {
    if (Awaiting && !Reply_Ready && Awaited_Slot == slot && Read_U16(report + 2) == Awaited_Command) {
      std::memcpy(Reply_Report, report, sizeof Reply_Report);
      Reply_Ready = true;
      Reply_Arrived.notify_all();
      return true;
    }
  }
  return false;
}

int32_t Receive_State::Slot_Awaiting_Reply() {
  std::lock_guard<std::mutex> lock(Receive_Lock);
  return Awaiting && !Reply_Ready ? Awaited_Slot : -1;
}

void Receive_State::Take_Reply(int32_t slot, TReply_Block& reply) {
  const uint8_t* r = Reply_Report;
  reply.Status = r[1];
  reply.Command = Read_U16(r + 2);
  reply.Index = Read_U16(r + 4);
  reply.Value = Read_I32(r + 6);
  if (Valid_Slot(slot)) Push_Table[slot][0] = Read_I32(r + 10);
}

}  // namespace jq
