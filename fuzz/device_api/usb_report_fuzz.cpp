// USB input reports as the reader thread stores them: replies for the waiting
// caller and pushed words, from any slot, in any order.
//
// Input: a run of steps. Step byte: low 3 bits the slot; 0x80 set starts a
// wait for a reply (the command follows, 2 bytes); 0x40 set takes the stored
// reply as the caller does; otherwise a report of up to 65 bytes follows
// (a length byte, then the bytes; the rest of the report stays zero, as the
// reader clears its buffer before each read).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "device_api/usb_reports.h"
#include "fuzz/support/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Bytes in(data, size);
  static jq::Receive_State* rx = new jq::Receive_State;  // kept: its mutex outlives every input
  {
    std::lock_guard<std::mutex> lock(rx->Receive_Lock);
    rx->Awaiting = false;
    rx->Reply_Ready = false;
    std::memset(rx->Push_Table, 0, sizeof rx->Push_Table);
  }
  while (!in.Empty()) {
    const uint8_t step = in.Byte();
    const int32_t slot = step & 7;
    if (step & 0x80) {
      const uint16_t command = in.U16();
      std::lock_guard<std::mutex> lock(rx->Receive_Lock);
      rx->Reply_Ready = false;
      rx->Awaiting = true;
      rx->Awaited_Slot = slot;
      rx->Awaited_Command = command;
    } else if (step & 0x40) {
      std::lock_guard<std::mutex> lock(rx->Receive_Lock);
      if (rx->Reply_Ready) {
        jq::TReply_Block reply;
        rx->Take_Reply(rx->Awaited_Slot, reply);
        // Only the awaited command's reply is ever taken.
        if (reply.Command != rx->Awaited_Command) __builtin_trap();
      }
      rx->Awaiting = false;
    } else {
      uint8_t report[jq::USB_In_Report_Size] = {};
      const std::string_view bytes = in.Take(in.Byte() % (sizeof report + 1));
      std::memcpy(report, bytes.data(), bytes.size());
      const int32_t awaited = rx->Slot_Awaiting_Reply();
      if (rx->Store_Report(slot, report) && awaited != slot) __builtin_trap();
    }
  }
  return 0;
}
