#include "cn_consts.h"

#include <memory>

namespace cn {
namespace {
std::unique_ptr<TCnConstTexts> g_texts;
}

const TCnConstTexts* Cn_Const_Texts() { return g_texts.get(); }

void Cn_Consts_Startup() {
  g_texts = std::make_unique<TCnConstTexts>(TCnConstTexts{
      u"Information", u"Warning", u"Error", u"Enabled", u"Disabled", u"&OK", u"&Cancel",
      u"Unknow error", u"Error code:"});
}

void Cn_Consts_Shutdown() { g_texts.reset(); }

}  // namespace cn
