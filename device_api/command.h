// Requests, replies and the one transaction entry every export runs through.
#pragma once

#include <cstdint>

namespace jq {

constexpr int32_t Result_OK = 0;
constexpr int32_t Result_Fail = -1;
constexpr int32_t Slot_Count = 8;

enum TLink_Kind : uint8_t { Link_None = 0, Link_UART = 1, Link_USB = 2, Link_Net = 3 };

#pragma pack(push, 1)
struct TCommand_Request {
  uint16_t Command = 0;
  uint16_t Index = 0;
  int32_t Value = 0;
};

struct TReply_Block {
  uint16_t Command = 0;
  uint8_t Status = 0;
  uint8_t Reserved1 = 0;
  uint16_t Index = 0;
  uint16_t Reserved2 = 0;
  int32_t Value = 0;
};

struct TCommand_Reply {
  int32_t Result = Result_Fail;
  TReply_Block Reply;
};
#pragma pack(pop)

static_assert(sizeof(TCommand_Request) == 8);
static_assert(sizeof(TReply_Block) == 12);
static_assert(sizeof(TCommand_Reply) == 16);

inline bool Valid_Slot(int32_t slot) { return slot >= 0 && slot < Slot_Count; }

// Runs one request/reply exchange with the controller in `slot`: takes the command
// lock, checks the slot, dispatches on its link kind. Fails (-1) before JQ_Init,
// after JQ_DeInit, for a slot outside 0..7 and on any link failure.
int32_t Send_Command(int32_t slot, uint16_t command, uint16_t index, int32_t value,
                     TCommand_Reply& reply);

}  // namespace jq
