#include "platform/net/file_handles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/system/last_error.h"

namespace platform::net {

ws::HANDLE OpenFileForSending(const std::string& path) {
  int fd;
  do fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    rtl::SetLastError(rtl::WinErrorFromErrno(errno));
    return INVALID_FILE_HANDLE;
  }
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    rtl::SetLastError(5);  // access denied: only regular files are sent
    ::close(fd);
    return INVALID_FILE_HANDLE;
  }
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return fd;
}

bool FileHandleSize(ws::HANDLE file, std::uint64_t& size) {
  struct stat st{};
  if (file < 0 || ::fstat(static_cast<int>(file), &st) != 0) return false;
  size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

void CloseFileHandle(ws::HANDLE file) {
  if (file >= 0) ::close(static_cast<int>(file));
}

}  // namespace platform::net
