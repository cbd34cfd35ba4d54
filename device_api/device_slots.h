// Library-wide state: the initialised flag, the link kind of each slot, the link
// backends and the command lock that serialises every transaction and every open
// or close.
#pragma once

#include <cstdint>
#include <memory>

#include "device_api/command.h"
#include "device_api/ticket_lock.h"

namespace jq {

class Link_Backend;

// Re-entrant (an open export calls a close export while holding it, and every
// export holds it over its whole command sequence) and fair (arrival order).
Ticket_Lock& Command_Lock();

bool Library_Initialised();
TLink_Kind Get_Link_Kind(int32_t slot);
void Set_Link_Kind(int32_t slot, TLink_Kind kind);

// The library's backend of a link kind, from JQ_Init to JQ_DeInit; null outside.
// Callers that do not hold Command_Lock keep the returned pointer alive themselves.
std::shared_ptr<Link_Backend> Backend_Of(TLink_Kind kind);

// The backend of `kind` as its concrete class; for the exports of that link, which
// run under Command_Lock after checking that the library is initialised.
template <class T>
T& Backend(TLink_Kind kind) {
  return static_cast<T&>(*Backend_Of(kind));
}

int32_t Library_Init();
int32_t Library_DeInit();

}  // namespace jq
