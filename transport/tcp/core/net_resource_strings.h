// The two replaceable message tables of the socket library. Every entry has a
// name and a default text; raisers read the current text at the moment they
// raise, so a translation installed earlier changes later messages.
#pragma once

#include <string_view>

#include "platform/runtime/rtl_string.h"

namespace net {

// The current text of an entry of either table ("rsnotconnected", ...).
// An unknown name gives the empty text.
rtl::String NetResourceString(std::string_view name);
// Replaces an entry's text; false when no entry has that name.
bool SetNetResourceString(std::string_view name, const rtl::String& text);
// Puts every entry back to its default text.
void ResetNetResourceStrings();
// True when the name is an entry of the table ("netresourcestrings" or
// "netresourcestringscore").
bool IsNetResourceString(std::string_view table, std::string_view name);

}  // namespace net
