// Line speeds in bits per second through termios2, which takes any rate
// (BOTHER) where the classic termios interface knows only its fixed codes.
// Kept apart from termios_serial.cpp because the kernel's termios2 header
// cannot be included beside glibc's <termios.h>.
#pragma once

#include <cstdint>

namespace platform::serial {

// Sets input and output speed of the open terminal `fd` to `baud`; false
// with errno set when the driver refuses.
bool Set_Line_Speed(int fd, uint32_t baud);
// The output speed the driver runs at now, 0 when it cannot be read.
uint32_t Line_Speed(int fd);

}  // namespace platform::serial
