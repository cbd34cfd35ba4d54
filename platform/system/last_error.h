// The calling thread's last OS error in Windows numbering, the map from
// errno to those numbers and their English texts. One piece for the whole
// program: the runtime, the serial port and the device library set and read
// the same per-thread code, as callers compare codes by those numbers.
#pragma once

#include <cstdint>
#include <string>

namespace rtl {

std::uint32_t GetLastError();
void SetLastError(std::uint32_t code);

// errno -> the Windows code of the same meaning: ENOENT, ENXIO, ENODEV 2;
// EACCES, EPERM, EBUSY 5 (a port in use is "access denied"); EINVAL 87;
// EIO 1117; EINTR 995; ENOTTY 1; anything unknown 31.
std::uint32_t WinErrorFromErrno(int err);
// SetLastError(WinErrorFromErrno(errno)) and returns that code.
std::uint32_t SetLastErrorFromErrno();

// English text (UTF-8) of a Windows error code, without a line end;
// "Unknown error <n>" for a code without one.
std::string WinErrorText(std::uint32_t code);

}  // namespace rtl
