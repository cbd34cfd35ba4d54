/* Links against an installed libJQ_API and checks that the library it loads is
 * the one the header came with: consumer <expected version text>. */
#define _POSIX_C_SOURCE 200809L
#include <JQ_API.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

/* The network link loads its socket module from beside the installed library:
 * opening a link to a listener of our own must succeed. */
static int network_link_opens(void) {
  struct sockaddr_in addr;
  socklen_t len = sizeof addr;
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  int opened = -1;
  memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (listener < 0 || bind(listener, (struct sockaddr*)&addr, sizeof addr) != 0 || listen(listener, 1) != 0 ||
      getsockname(listener, (struct sockaddr*)&addr, &len) != 0) {
    fprintf(stderr, "consumer: no loopback listener\n");
    if (listener >= 0) close(listener);
    return 0;
  }
  if (JQ_Init() == 0) {
    opened = JQ_Open_Net(127, 0, 0, 1, ntohs(addr.sin_port));
    JQ_Close_Net();
    JQ_DeInit();
  }
  close(listener);
  if (opened != 0) fprintf(stderr, "consumer: the network link did not open\n");
  return opened == 0;
}

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
  if (!network_link_opens()) return 1;
  printf("consumer: JQ_API %s\n", version);
  return 0;
}
