/* Opens a link to a controller, checks that it answers and closes it again.
 *     open_link uart COM1 | open_link usb | open_link tcp 192.168.1.30 8888 */
#include "example_link.h"

int main(int argc, char** argv) {
  char* version = NULL;
  JQ_Get_Dll_Version(&version); /* the library's own text: not freed */
  printf("JQ_API %s\n", version);
  if (example_open(argc, argv) != 0) return 1;
  printf("a controller answers on %s\n", argv[1]);
  example_close(argv);
  return 0;
}
