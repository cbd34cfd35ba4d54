#include "device_api/export_table.h"

namespace {
char g_version_text[] = JQ_DLL_VERSION;
}

JQ_EXPORT int32_t JQ_CALL JQ_Init(void) { return jq::Guard([] { return jq::Library_Init(); }); }

JQ_EXPORT int32_t JQ_CALL JQ_DeInit(void) {
  jq::Guard([] { return jq::Library_DeInit(); });
  return jq::Result_OK;
}

JQ_EXPORT void JQ_CALL JQ_Get_Dll_Version(char** version) {
  if (version) *version = g_version_text;
}
