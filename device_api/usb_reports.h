// What the USB reader keeps of the input reports it reads (replies for the
// waiting caller, pushed words per slot) and how a reply report reads; apart
// from the reader thread and hidapi, so the reports can be tried alone.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "device_api/command.h"
#include "device_api/usb_link.h"

namespace jq {

// What the reader thread stores and the callers read; guarded by Receive_Lock.
struct Receive_State {
  std::mutex Receive_Lock;
  std::condition_variable Reply_Arrived;
  uint8_t Reply_Report[USB_In_Report_Size] = {};
  bool Reply_Ready = false;
  // The one transaction waiting for a reply (Command_Lock lets only one wait).
  bool Awaiting = false;
  int32_t Awaited_Slot = -1;
  uint16_t Awaited_Command = 0;
  int32_t Push_Table[Slot_Count][Push_Words] = {};

  // Keeps one input report: a push report updates the slot's push words; a reply
  // report completes the waiting transaction when it is the awaited one. A stale
  // reply to an earlier command, or one from another slot, is skipped; once the
  // awaited reply is stored it stays until the waiter has copied it, since a report
  // read in the same pass (before the waiter runs) must not replace it. True when
  // the report completed the awaited reply. A slot outside the table is ignored.
  bool Store_Report(int32_t slot, const uint8_t (&report)[USB_In_Report_Size]);

  // The slot whose reply a transaction still awaits, or -1.
  int32_t Slot_Awaiting_Reply();

  // The stored reply as the caller's reply block; the push word it carries goes
  // to the slot's first push word. Called with Receive_Lock held.
  void Take_Reply(int32_t slot, TReply_Block& reply);
};

}  // namespace jq
