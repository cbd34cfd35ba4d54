#include "components/support/hint/aux_lang_mgr.h"

#include "components/support/hint/aux_consts.h"
#include "platform/runtime/sync.h"

namespace aux {
namespace {

struct TLangModule {
  // Guards the class utilities of the library; kept for their sake.
  rtl::TCriticalSection ClassLock;
  TAuxResourceStringList ResStrings;
  // The library's second owning list; nothing in the program fills it.
  std::vector<std::unique_ptr<TAuxResourceStringObj>> Unused;
};

std::unique_ptr<TLangModule> g_module;

}  // namespace

void Add_Res_String_Item(const void* ResStringRec, const rtl::String& Name) {
  if (!ResStringRec || !g_module) return;
  g_module->ResStrings.push_back(std::make_unique<TAuxResourceStringObj>(ResStringRec, Name));
}

const TAuxResourceStringList* Res_String_List() { return g_module ? &g_module->ResStrings : nullptr; }

void Res_String_Registry_Startup() {
  if (!g_module) g_module = std::make_unique<TLangModule>();
  if (!Aux_Const_Texts()) Aux_Consts_Startup();
}

void Res_String_Registry_Shutdown() {
  // Entries first, then the lists and the lock, then the texts.
  if (g_module) {
    g_module->ResStrings.clear();
    g_module->Unused.clear();
    g_module.reset();
  }
  Aux_Consts_Shutdown();
}

}  // namespace aux
