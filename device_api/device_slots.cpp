#include "device_api/device_slots.h"

#include <array>
#include <atomic>
#include <mutex>

#include "device_api/link_backend.h"

namespace jq {
namespace {

struct Library_State {
  Ticket_Lock command_lock;
  // Written under command_lock; read without it by nothing but diagnostics.
  std::array<std::atomic<uint8_t>, Slot_Count> link_kind{};
  std::atomic<bool> initialised{false};
  // Replaced under command_lock and backends_lock; read under either.
  std::mutex backends_lock;
  std::shared_ptr<Link_Backend> uart, usb, net;
};

Library_State& State() {
  // Never destroyed: exports may still run while static destructors do.
  static Library_State* state = new Library_State;
  return *state;
}

std::shared_ptr<Link_Backend>* Slot_Of(Library_State& s, TLink_Kind kind) {
  switch (kind) {
    case Link_UART: return &s.uart;
    case Link_USB: return &s.usb;
    case Link_Net: return &s.net;
    default: return nullptr;
  }
}

}  // namespace

Ticket_Lock& Command_Lock() { return State().command_lock; }

bool Library_Initialised() { return State().initialised.load(std::memory_order_acquire); }

TLink_Kind Get_Link_Kind(int32_t slot) {
  if (!Valid_Slot(slot)) return Link_None;
  return static_cast<TLink_Kind>(State().link_kind[slot].load());
}

void Set_Link_Kind(int32_t slot, TLink_Kind kind) {
  if (Valid_Slot(slot)) State().link_kind[slot].store(kind);
}

std::shared_ptr<Link_Backend> Backend_Of(TLink_Kind kind) {
  Library_State& s = State();
  std::lock_guard<std::mutex> lock(s.backends_lock);
  std::shared_ptr<Link_Backend>* slot = Slot_Of(s, kind);
  return slot ? *slot : nullptr;
}

// Runs the exchange on the link of the slot's kind; Command_Lock is held.
static int32_t Dispatch_Transport(int32_t slot, const TCommand_Request& request, TReply_Block& block) {
  Library_State& s = State();
  std::shared_ptr<Link_Backend>* link = Slot_Of(s, Get_Link_Kind(slot));
  if (!link || !*link) return Result_Fail;  // Link_None and unknown kinds
  try {
    return (*link)->Transaction(slot, request, block) == Result_OK ? Result_OK : Result_Fail;
  } catch (...) {
    return Result_Fail;
  }
}

int32_t Send_Command(int32_t slot, uint16_t command, uint16_t index, int32_t value,
                     TCommand_Reply& reply) {
  reply.Result = Result_Fail;
  if (!Library_Initialised()) return Result_Fail;
  std::lock_guard<Ticket_Lock> lock(Command_Lock());
  if (!Valid_Slot(slot) || !Library_Initialised()) return Result_Fail;
  const TCommand_Request request{command, index, value};
  TReply_Block block;
  reply.Result = Dispatch_Transport(slot, request, block);
  reply.Reply = block;
  return reply.Result;
}

namespace {

// Stops and frees the link backends, the USB reader first, so no handle is read
// while it is being closed.
void Stop_Backends(Library_State& s) {
  for (const auto& b : {s.usb, s.uart, s.net}) {
    try {
      if (b) b->Stop();
    } catch (...) {
    }
  }
  std::lock_guard<std::mutex> lock(s.backends_lock);
  s.usb.reset();
  s.uart.reset();
  s.net.reset();
}

}  // namespace

int32_t Library_Init() {
  Library_State& s = State();
  std::lock_guard<Ticket_Lock> lock(s.command_lock);
  if (s.initialised.load()) return Result_OK;  // a second JQ_Init changes nothing
  for (auto& kind : s.link_kind) kind.store(Link_None);
  try {
    std::shared_ptr<Link_Backend> uart = Make_UART_Link(), net = Make_Net_Link(), usb = Make_USB_Link();
    {
      std::lock_guard<std::mutex> backends(s.backends_lock);
      s.uart = uart;
      s.net = net;
      s.usb = usb;
    }
    for (Link_Backend* b : {uart.get(), net.get(), usb.get()})  // the USB reader starts last
      if (b) b->Start();
  } catch (...) {
    Stop_Backends(s);  // a half-started library would leak its reader thread
    return Result_Fail;
  }
  s.initialised.store(true, std::memory_order_release);
  return Result_OK;
}

int32_t Library_DeInit() {
  Library_State& s = State();
  std::lock_guard<Ticket_Lock> lock(s.command_lock);
  if (!s.initialised.load()) return Result_OK;
  s.initialised.store(false, std::memory_order_release);
  for (auto& kind : s.link_kind) kind.store(Link_None);
  Stop_Backends(s);
  return Result_OK;
}

}  // namespace jq
