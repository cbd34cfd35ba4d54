/* Moves one axis by a relative distance in position mode and waits until it
 * stands still, with a time-out.
 *     move_and_wait <axis> <steps> <speed> <link...>
 * e.g. move_and_wait 0 4000 2000 tcp 192.168.1.30 8888 */
#include <time.h>

#include "example_link.h"

static double seconds_now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + t.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
  if (argc < 5) {
    fprintf(stderr, "usage: %s <axis> <steps> <speed> uart <port> | usb [serial-number] | tcp <host> <port>\n",
            argv[0]);
    return 1;
  }
  const uint16_t axis = (uint16_t)atoi(argv[1]);
  const int32_t steps = atoi(argv[2]);
  const int32_t speed = atoi(argv[3]);
  /* The link arguments follow the motion's: hand them on as a command line of their own. */
  char** link_argv = argv + 3;
  link_argv[0] = argv[0];
  if (example_open(argc - 3, link_argv) != 0) return 1;

  int status = 1;
  int32_t from = 0;
  if (JQ_M_Set_Axis_Mode_Position(EXAMPLE_SLOT, axis) != 0 ||
      JQ_M_Set_Axis_Position_V_Max(EXAMPLE_SLOT, axis, speed) != 0 ||
      JQ_M_Get_Axis_P_Now(EXAMPLE_SLOT, axis, &from) != 0 ||
      JQ_M_Set_Axis_Position_P_Target_Rel(EXAMPLE_SLOT, axis, steps) != 0) {
    fprintf(stderr, "the controller refused the move\n");
  } else {
    /* Poll the run bit; give up after 60 s and stop the axis. */
    const double deadline = seconds_now() + 60.0;
    int32_t running = 1;
    while (seconds_now() < deadline) {
      if (JQ_M_Get_Axis_Status_Run(EXAMPLE_SLOT, axis, &running) != 0) break;
      if (!running) break;
      nanosleep(&(struct timespec){0, 20 * 1000 * 1000}, NULL);
    }
    int32_t to = 0;
    if (running) {
      JQ_M_Set_Axis_Position_Stop(EXAMPLE_SLOT, axis);
      fprintf(stderr, "axis %u still moving: stopped\n", axis);
    } else if (JQ_M_Get_Axis_P_Now(EXAMPLE_SLOT, axis, &to) == 0) {
      printf("axis %u moved from %d to %d\n", axis, from, to);
      status = 0;
    }
  }
  example_close(link_argv);
  return status;
}
