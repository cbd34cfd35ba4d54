#include "components/support/hint/aux_consts.h"

#include <memory>

namespace aux {
namespace {
std::unique_ptr<TAuxConstTexts> g_texts;
}

const TAuxConstTexts* Aux_Const_Texts() { return g_texts.get(); }

void Aux_Consts_Startup() {
  g_texts = std::make_unique<TAuxConstTexts>(TAuxConstTexts{
      u"Information", u"Warning", u"Error", u"Enabled", u"Disabled", u"&OK", u"&Cancel",
      u"Unknow error", u"Error code:"});
}

void Aux_Consts_Shutdown() { g_texts.reset(); }

}  // namespace aux
