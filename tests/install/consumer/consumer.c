/* Links against an installed libJQ_API and checks that the library it loads is
 * the one the header came with: consumer <expected version text>. */
#include <JQ_API.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
  char* version = NULL;
  JQ_Get_Dll_Version(&version);
  if (!version || (argc > 1 && strcmp(version, argv[1]) != 0)) {
    fprintf(stderr, "consumer: library version %s, expected %s\n", version ? version : "(none)",
            argc > 1 ? argv[1] : "");
    return 1;
  }
  /* Before JQ_Init every device call fails, and a getter writes its default. */
  int32_t count = 7;
  if (JQ_M_Get_Axis_Num(0, &count) != -1 || count != 0) {
    fprintf(stderr, "consumer: a getter before JQ_Init did not fail cleanly\n");
    return 1;
  }
  printf("consumer: JQ_API %s\n", version);
  return 0;
}
