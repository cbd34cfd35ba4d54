// Library-wide state: the initialised flag, the link kind of each slot and the
// command lock that serialises every transaction and every open or close.
#pragma once

#include <cstdint>
#include <mutex>

#include "command.h"

namespace jq {

// Re-entrant: an open export calls a close export while holding it.
std::recursive_mutex& Command_Lock();

bool Library_Initialised();
TLink_Kind Get_Link_Kind(int32_t slot);
void Set_Link_Kind(int32_t slot, TLink_Kind kind);

int32_t Library_Init();
int32_t Library_DeInit();

}  // namespace jq
