#include <cerrno>
#include <chrono>
#include <string>

#include "serial_api.h"

namespace platform::serial {
namespace {
thread_local uint32_t t_last_error = 0;
}  // namespace

uint32_t GetLastError() { return t_last_error; }
void SetLastError(uint32_t code) { t_last_error = code; }

std::string Port_Device_Path(int port_number) { return "/dev/ttyS" + std::to_string(port_number); }

std::string Error_Message(int32_t code) {
  switch (static_cast<uint32_t>(code)) {
    case Error_Success: return "The operation completed successfully.";
    case Error_Invalid_Function: return "Incorrect function.";
    case Error_File_Not_Found: return "The system cannot find the file specified.";
    case Error_Path_Not_Found: return "The system cannot find the path specified.";
    case Error_Access_Denied: return "Access is denied.";
    case Error_Invalid_Handle: return "The handle is invalid.";
    case Error_Not_Enough_Memory: return "Not enough memory resources are available to process this command.";
    case Error_Gen_Failure: return "A device attached to the system is not functioning.";
    case Error_Sharing_Violation:
      return "The process cannot access the file because it is being used by another process.";
    case Error_Not_Supported: return "The request is not supported.";
    case Error_Invalid_Parameter: return "The parameter is incorrect.";
    case Error_Operation_Aborted:
      return "The I/O operation has been aborted because of either a thread exit or an application request.";
    case Error_IO_Incomplete: return "Overlapped I/O event is not in a signaled state.";
    case Error_IO_Pending: return "Overlapped I/O operation is in progress.";
    case Error_IO_Device: return "The request could not be performed because of an I/O device error.";
    case Error_Device_Not_Connected: return "The device is not connected.";
    default: {
      std::string text = "Unknown error ";
      text.append(std::to_string(code));
      text.push_back('.');
      return text;
    }
  }
}

uint32_t Error_From_Errno(int err) {
  switch (err) {
    case 0: return Error_Success;
    case ENOENT: case ENXIO: case ENODEV: return Error_File_Not_Found;
    case ENOTDIR: return Error_Path_Not_Found;
    case EACCES: case EPERM: case EBUSY: case EWOULDBLOCK: return Error_Access_Denied;
    case EBADF: return Error_Invalid_Handle;
    case ENOMEM: return Error_Not_Enough_Memory;
    case EINVAL: case ERANGE: return Error_Invalid_Parameter;
    case ENOTTY: case EOPNOTSUPP: return Error_Invalid_Function;
    case EIO: return Error_IO_Device;
    case EINTR: return Error_Operation_Aborted;
    default: return Error_Gen_Failure;
  }
}

int64_t Now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace platform::serial
