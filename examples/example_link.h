/* Opening a link of each kind, shared by the examples. Every example takes the
 * link on its command line:
 *     uart <port>          e.g. uart COM1 (/dev/ttyS0) or uart /dev/ttyUSB0
 *     usb [serial-number]  the first controller on USB, or the one with that number
 *     tcp <host> <port>    e.g. tcp 192.168.1.30 8888
 * and drives the controller in slot 0. */
#ifndef JQ_EXAMPLE_LINK_H
#define JQ_EXAMPLE_LINK_H

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <JQ_API.h>

#define EXAMPLE_SLOT 0

static void example_usage(const char* program) {
  fprintf(stderr, "usage: %s uart <port> | usb [serial-number] | tcp <host> <port>\n", program);
}

/* JQ_Init, then the link named by the arguments, then a presence check.
 * 0 when a controller answers; otherwise the library is shut down again. */
static int example_open(int argc, char** argv) {
  if (argc < 2) {
    example_usage(argv[0]);
    return -1;
  }
  if (JQ_Init() != 0) {
    fprintf(stderr, "JQ_Init failed\n");
    return -1;
  }
  int32_t opened = -1;
  if (strcmp(argv[1], "uart") == 0 && argc == 3) {
    /* Returns 0 even when the port cannot be opened: the check below tells. */
    opened = JQ_M_Open_UART(EXAMPLE_SLOT, argv[2]);
  } else if (strcmp(argv[1], "usb") == 0 && argc <= 3) {
    opened = argc == 3 ? JQ_M_Open_USB_SN(EXAMPLE_SLOT, argv[2]) : JQ_M_Open_USB(EXAMPLE_SLOT);
  } else if (strcmp(argv[1], "tcp") == 0 && argc == 4) {
    opened = JQ_M_Open_Net_Name(EXAMPLE_SLOT, argv[2], (uint16_t)atoi(argv[3]));
  } else {
    example_usage(argv[0]);
    JQ_DeInit();
    return -1;
  }
  if (opened != 0 || JQ_M_Check(EXAMPLE_SLOT) != 0) {
    fprintf(stderr, "no controller answers on %s %s\n", argv[1], argc > 2 ? argv[2] : "");
    JQ_DeInit();
    return -1;
  }
  return 0;
}

/* Closes the link of the kind that was opened, then shuts the library down. */
static void example_close(char** argv) {
  if (strcmp(argv[1], "uart") == 0)
    JQ_M_Close_UART(EXAMPLE_SLOT);
  else if (strcmp(argv[1], "usb") == 0)
    JQ_M_Close_USB(EXAMPLE_SLOT);
  else
    JQ_M_Close_Net(EXAMPLE_SLOT);
  JQ_DeInit();
}

#endif
