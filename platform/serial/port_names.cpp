#include <string>

#include "platform/serial/serial_api.h"

namespace platform::serial {

std::string Port_Device_Path(int port_number) { return "/dev/ttyS" + std::to_string(port_number); }

}  // namespace platform::serial
