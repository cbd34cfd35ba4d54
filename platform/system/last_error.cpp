#include "platform/system/last_error.h"

#include <errno.h>

#include <string>

namespace rtl {

namespace {
thread_local std::uint32_t t_lastError = 0;

struct ErrorText {
  std::uint32_t code;
  const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {13, "The data is invalid."},
    {14, "Not enough memory resources are available to complete this operation."},
    {15, "The system cannot find the drive specified."},
    {21, "The device is not ready."},
    {22, "The device does not recognize the command."},
    {23, "Data error (cyclic redundancy check)."},
    {31, "A device attached to the system is not functioning."},
    {32, "The process cannot access the file because it is being used by another process."},
    {39, "The disk is full."},
    {50, "The request is not supported."},
    {80, "The file exists."},
    {87, "The parameter is incorrect."},
    {110, "The system cannot open the device or file specified."},
    {112, "There is not enough space on the disk."},
    {121, "The semaphore timeout period has expired."},
    {122, "The data area passed to a system call is too small."},
    {123, "The filename, directory name, or volume label syntax is incorrect."},
    {126, "The specified module could not be found."},
    {127, "The specified procedure could not be found."},
    {145, "The directory is not empty."},
    {170, "The requested resource is in use."},
    {183, "Cannot create a file when that file already exists."},
    {206, "The filename or extension is too long."},
    {234, "More data is available."},
    {259, "No more data is available."},
    {995, "The I/O operation has been aborted because of either a thread exit or an application request."},
    {996, "Overlapped I/O event is not in a signaled state."},
    {997, "Overlapped I/O operation is in progress."},
    {1117, "The request could not be performed because of an I/O device error."},
    {1167, "The device is not connected."},
    {1460, "This operation returned because the timeout period expired."},
    {10004, "A blocking operation was interrupted by a call to WSACancelBlockingCall."},
    {10009, "The file handle supplied is not valid."},
    {10013, "An attempt was made to access a socket in a way forbidden by its access permissions."},
    {10014, "The system detected an invalid pointer address in attempting to use a pointer argument in a call."},
    {10022, "An invalid argument was supplied."},
    {10024, "Too many open sockets."},
    {10035, "A non-blocking socket operation could not be completed immediately."},
    {10036, "A blocking operation is currently executing."},
    {10037, "An operation was attempted on a non-blocking socket that already had an operation in progress."},
    {10038, "An operation was attempted on something that is not a socket."},
    {10040, "A message sent on a datagram socket was larger than the internal message buffer or some other network limit, or the buffer used to receive a datagram into was smaller than the datagram itself."},
    {10047, "An address incompatible with the requested protocol was used."},
    {10048, "Only one usage of each socket address (protocol/network address/port) is normally permitted."},
    {10049, "The requested address is not valid in its context."},
    {10050, "A socket operation encountered a dead network."},
    {10051, "A socket operation was attempted to an unreachable network."},
    {10053, "An established connection was aborted by the software in your host machine."},
    {10054, "An existing connection was forcibly closed by the remote host."},
    {10055, "An operation on a socket could not be performed because the system lacked sufficient buffer space or because a queue was full."},
    {10056, "A connect request was made on an already connected socket."},
    {10057, "A request to send or receive data was disallowed because the socket is not connected and (when sending on a datagram socket using a sendto call) no address was supplied."},
    {10058, "A request to send or receive data was disallowed because the socket had already been shut down in that direction with a previous shutdown call."},
    {10060, "A connection attempt failed because the connected party did not properly respond after a period of time, or established connection failed because connected host has failed to respond."},
    {10061, "No connection could be made because the target machine actively refused it."},
    {10064, "A socket operation failed because the destination host was down."},
    {10065, "A socket operation was attempted to an unreachable host."},
    {10091, "WSAStartup cannot function at this time because the underlying system it uses to provide network services is currently unavailable."},
    {10092, "The Windows Sockets version requested is not supported."},
    {10093, "Either the application has not called WSAStartup, or WSAStartup failed."},
    {11001, "No such host is known."},
    {11002, "This is usually a temporary error during hostname resolution and means that the local server did not receive a response from an authoritative server."},
    {11003, "A non-recoverable error occurred during a database lookup."},
    {11004, "The requested name is valid, but no data of the requested type was found."},
};
}  // namespace

std::uint32_t GetLastError() { return t_lastError; }
void SetLastError(std::uint32_t code) { t_lastError = code; }

std::string WinErrorText(std::uint32_t code) {
  for (const auto& e : kErrorTexts)
    if (e.code == code) return e.text;
  return "Unknown error " + std::to_string(code);
}

std::uint32_t WinErrorFromErrno(int err) {
  switch (err) {
    case 0: return 0;
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS: return 5;
    case EBADF: return 6;
    case ENOMEM: return 8;
    // A device node without a device, or a port someone else holds, reads
    // as a missing file or denied access, as opening a COM port does.
    case ENXIO:
    case ENODEV: return 2;
    case EBUSY: return 5;
    case EIO: return 1117;
    case EINTR: return 995;
    case ENOTTY: return 1;
    case ERANGE: return 87;
    case EEXIST: return 183;
    case ENOTEMPTY: return 145;
    case ENOSPC: return 112;
    case EFBIG: return 112;
    case EINVAL: return 87;
    case ENAMETOOLONG: return 206;
    case ETIMEDOUT: return 1460;
    case EAGAIN: return 10035;
    case ECONNREFUSED: return 10061;
    case ECONNRESET: return 10054;
    case ECONNABORTED: return 10053;
    case EHOSTUNREACH: return 10065;
    case ENETUNREACH: return 10051;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENOTCONN: return 10057;
    case ENOTSOCK: return 10038;
    case ENOSYS:
    case EOPNOTSUPP: return 50;
    default: return 31;
  }
}

std::uint32_t SetLastErrorFromErrno() {
  const std::uint32_t code = WinErrorFromErrno(errno);
  SetLastError(code);
  return code;
}

}  // namespace rtl
