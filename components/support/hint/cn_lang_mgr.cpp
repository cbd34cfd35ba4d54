#include "cn_lang_mgr.h"

#include "cn_consts.h"
#include "sync.h"

namespace cn {
namespace {

struct TLangModule {
  // Guards the class utilities of the library; kept for their sake.
  rtl::TCriticalSection ClassLock;
  TCnResourceStringList ResStrings;
  // The library's second owning list; nothing in the program fills it.
  std::vector<std::unique_ptr<TCnResourceStringObj>> Unused;
};

std::unique_ptr<TLangModule> g_module;

}  // namespace

void Add_Res_String_Item(const void* ResStringRec, const rtl::String& Name) {
  if (!ResStringRec || !g_module) return;
  g_module->ResStrings.push_back(std::make_unique<TCnResourceStringObj>(ResStringRec, Name));
}

const TCnResourceStringList* Res_String_List() { return g_module ? &g_module->ResStrings : nullptr; }

void Res_String_Registry_Startup() {
  if (!g_module) g_module = std::make_unique<TLangModule>();
  if (!Cn_Const_Texts()) Cn_Consts_Startup();
}

void Res_String_Registry_Shutdown() {
  // Entries first, then the lists and the lock, then the texts.
  if (g_module) {
    g_module->ResStrings.clear();
    g_module->Unused.clear();
    g_module.reset();
  }
  Cn_Consts_Shutdown();
}

}  // namespace cn
