// The one last error of the program: errno map, texts, per-thread value.
#include <errno.h>
#include <gtest/gtest.h>

#include <thread>

#include "platform/runtime/exceptions.h"
#include "platform/system/last_error.h"

using namespace rtl;

TEST(LastError, ErrnoMapAndTexts) {
  struct Case {
    int err;
    std::uint32_t code;
    const char* text;
  } cases[] = {
      {0, 0, "The operation completed successfully."},
      {ENOENT, 2, "The system cannot find the file specified."},
      {ENXIO, 2, "The system cannot find the file specified."},  // device node without a device
      {ENOTDIR, 3, "The system cannot find the path specified."},
      {EACCES, 5, "Access is denied."},
      {EBUSY, 5, "Access is denied."},  // a port held by another process
      {EINVAL, 87, "The parameter is incorrect."},
      {ENOTTY, 1, "Incorrect function."},
      {EIO, 1117, "The request could not be performed because of an I/O device error."},
      {EINTR, 995, "The I/O operation has been aborted because of either a thread exit or an application request."},
      {ECONNREFUSED, 10061, "No connection could be made because the target machine actively refused it."},
      {EDOM, 31, "A device attached to the system is not functioning."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.err);
    EXPECT_EQ(WinErrorFromErrno(c.err), c.code);
    EXPECT_EQ(WinErrorText(c.code), c.text);
    EXPECT_EQ(SysErrorMessage(c.code), Utf8ToString(c.text));
  }
  EXPECT_EQ(WinErrorText(4242), "Unknown error 4242");
}

TEST(LastError, IsPerThread) {
  errno = ENOENT;
  EXPECT_EQ(SetLastErrorFromErrno(), 2u);
  std::uint32_t other = 99;
  std::thread([&] { other = GetLastError(); }).join();
  EXPECT_EQ(other, 0u);
  EXPECT_EQ(GetLastError(), 2u);
  SetLastError(0);
}
