// A link carries requests to the controller of a slot. Each kind (serial, USB,
// network) is one backend behind this interface; the library owns one instance of
// each for its lifetime (JQ_Init to JQ_DeInit).
#pragma once

#include <cstdint>
#include <memory>

#include "device_api/command.h"

namespace jq {

class Link_Backend {
 public:
  virtual ~Link_Backend() = default;
  // JQ_Init: creates the per-slot objects (all closed). JQ_DeInit: closes and frees them.
  virtual void Start() {}
  virtual void Stop() {}
  // One exchange on `slot`; called with Command_Lock held. Leaves the accepted
  // reply in `reply` and returns 0, or returns -1.
  virtual int32_t Transaction(int32_t slot, const TCommand_Request& request,
                              TReply_Block& reply) = 0;
};

// Factories, one per link source file.
std::unique_ptr<Link_Backend> Make_UART_Link();
std::unique_ptr<Link_Backend> Make_USB_Link();
std::unique_ptr<Link_Backend> Make_Net_Link();

}  // namespace jq
