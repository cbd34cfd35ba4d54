/* The public header from a C translation unit. */
#include <string.h>

#include "include/JQ_API.h"

int jq_surface_c_calls(void);

/* 0 when every call gave what it should, else the number of the first that did not. */
int jq_surface_c_calls(void) {
  char* version = 0;
  int32_t steps = JQ_Help_Step_Line_Real_To_Steps(1.8, 16, 5.0, 1.0, 10.0);
  double real = JQ_Help_Grating_Circle_Steps_To_Real(1000, 2000);
  float factor = JQ_Help_Encoder_Factor(1.8, 16, 1000);
  int32_t pos = 7;

  if (steps != 6400) return 1;
  if (real < 179.999999 || real > 180.000001) return 2;
  if (factor < 0.7999f || factor > 0.8001f) return 3;
  JQ_Get_Dll_Version(&version);
  if (!version || strcmp(version, "4.0.0.0") != 0) return 4;
  /* No slot 8: -1 and the default, without a device or JQ_Init. */
  if (JQ_M_Get_Encoder_Pos(8, 0, &pos) != -1 || pos != 0) return 5;
  return 0;
}
