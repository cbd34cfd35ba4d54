// A short session of the shipped library against a controller simulator: opens the
// link named on the command line, reads the product information and moves an axis.
//   jq-demo tcp <port> | jq-demo uart <device path>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "include/JQ_API.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s tcp <port> | uart <device>\n", argv[0]);
    return 2;
  }
  char* version = nullptr;
  JQ_Get_Dll_Version(&version);
  std::printf("JQ_API %s\n", version);
  JQ_Init();
  int32_t opened = std::strcmp(argv[1], "tcp") == 0
                       ? JQ_Open_Net_Name("127.0.0.1", static_cast<uint16_t>(std::atoi(argv[2])))
                       : JQ_Open_UART(argv[2]);
  if (opened != 0 || JQ_Check() != 0) {
    std::printf("no controller answers on %s %s\n", argv[1], argv[2]);
    JQ_DeInit();
    return 1;
  }
  int32_t axes = 0, resource = 0, v[4] = {};
  char sn[25] = {};
  JQ_Get_Axis_Num(&axes);
  JQ_Get_Product_Resource(&resource);
  JQ_Get_Product_Version2(&v[0], &v[1], &v[2], &v[3]);
  JQ_Get_Product_SN3(sn);
  std::printf("controller: %d axes, resources 0x%X, version %d.%d.%d.%d, serial %s\n", axes, resource,
              v[0], v[1], v[2], v[3], sn);
  JQ_Set_Axis_Mode_Position(0);
  JQ_Set_Axis_Position_V_Max(0, 20000);
  JQ_Set_Axis_Position_P_Target_Rel(0, 5000);
  for (int i = 0; i < 6; ++i) {
    int32_t pos = 0, run = 0;
    JQ_Get_Axis_Software_P_Now(0, &pos);
    JQ_Get_Axis_Status_Run(0, &run);
    std::printf("axis 0: position %6d %s\n", pos, run ? "running" : "stopped");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  JQ_DeInit();
  return 0;
}
