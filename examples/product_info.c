/* Reads what a controller tells about itself: identifier, serial number,
 * firmware version and resource flags.
 *     product_info uart COM1 | product_info usb | product_info tcp <host> <port> */
#include "example_link.h"

int main(int argc, char** argv) {
  if (example_open(argc, argv) != 0) return 1;
  int status = 0;

  /* 16 bytes without a terminator: one more byte makes it printable. */
  uint8_t id[17] = {0};
  if (JQ_M_Get_Product_ID(EXAMPLE_SLOT, id) == 0)
    printf("identifier: %s\n", (const char*)id);
  else
    status = 1;

  /* 24 hexadecimal digits without a terminator. */
  char serial[25] = {0};
  if (JQ_M_Get_Product_SN3(EXAMPLE_SLOT, serial) == 0)
    printf("serial number: %s\n", serial);
  else
    status = 1;

  int32_t v[4];
  if (JQ_M_Get_Product_Version2(EXAMPLE_SLOT, &v[0], &v[1], &v[2], &v[3]) == 0)
    printf("firmware: %d.%d.%d.%d\n", v[0], v[1], v[2], v[3]);
  else
    status = 1;

  int32_t resource = 0, axes = 0;
  if (JQ_M_Get_Product_Resource(EXAMPLE_SLOT, &resource) == 0 && JQ_M_Get_Axis_Num(EXAMPLE_SLOT, &axes) == 0)
    printf("resources: 0x%X, %d axes%s%s%s\n", (unsigned)resource, axes,
           resource & 0x8 ? ", optical inputs" : "", resource & 0x10 ? ", optical outputs" : "",
           resource & 0x800 ? ", encoders" : "");
  else
    status = 1;

  example_close(argv);
  return status;
}
