// Registry of the program's translatable resource strings: for each, the
// address of its table entry and its identifier, so that a language manager
// could later replace texts by name. The program's texts never come from
// here; they are read from the program's own table as they are.
#pragma once

#include <memory>
#include <vector>

#include "platform/runtime/rtl_string.h"

namespace aux {

class TAuxResourceStringObj {
 public:
  TAuxResourceStringObj(const void* StringRecAddr, rtl::String StringName)
      : FStringRecAddr(StringRecAddr), FStringName(std::move(StringName)) {}
  TAuxResourceStringObj(const TAuxResourceStringObj&) = delete;
  TAuxResourceStringObj& operator=(const TAuxResourceStringObj&) = delete;

  const void* StringRecAddr() const { return FStringRecAddr; }
  const rtl::String& StringName() const { return FStringName; }
  // The translated text; nothing translates yet, so it stays empty.
  const rtl::String& DstStr() const { return FDstStr; }

 private:
  const void* FStringRecAddr;  // not owned
  rtl::String FStringName;
  rtl::String FDstStr;
};

using TAuxResourceStringList = std::vector<std::unique_ptr<TAuxResourceStringObj>>;

// Appends one entry when ResStringRec is not null; duplicates are kept.
// Before module start-up (or after shut-down) there is no registry and the
// call changes nothing.
void Add_Res_String_Item(const void* ResStringRec, const rtl::String& Name);

// The registry as it stands, or nullptr outside start-up and shut-down.
const TAuxResourceStringList* Res_String_List();

// Module start-up and shut-down of the language, constants and common
// modules, in that order (and reverse). Called explicitly by the program.
void Res_String_Registry_Startup();
void Res_String_Registry_Shutdown();

}  // namespace aux
