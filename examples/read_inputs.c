/* Reads the controller's optical inputs, all at once and one by one.
 *     read_inputs uart COM1 | read_inputs usb | read_inputs tcp <host> <port> */
#include "example_link.h"

int main(int argc, char** argv) {
  if (example_open(argc, argv) != 0) return 1;
  int status = 1;
  int32_t count = 0, bits = 0;
  if (JQ_M_Get_Optic_In_Num(EXAMPLE_SLOT, &count) == 0 && JQ_M_Get_Optic_In_All(EXAMPLE_SLOT, &bits) == 0) {
    printf("%d inputs, all: 0x%08X\n", count, (unsigned)bits);
    status = 0;
    for (int32_t ch = 0; ch < count; ++ch) {
      int32_t state = 0;
      if (JQ_M_Get_Optic_In_Single(EXAMPLE_SLOT, (uint16_t)ch, &state) != 0) {
        status = 1;
        break;
      }
      printf("input %d: %s\n", ch, state ? "on" : "off");
    }
  }
  example_close(argv);
  return status;
}
