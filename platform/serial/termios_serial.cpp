// Serial ports on Linux: termios for the line, ioctls for lines, queues and
// break, poll for the waits. A port is opened non-blocking; "overlapped" work
// that cannot finish at once stays pending in the caller's Overlapped record and
// is driven to completion inside the wait calls, since the transport above waits
// on each operation before it starts the next.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <linux/serial.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/serial/line_speed.h"
#include "platform/serial/serial_api.h"

namespace platform::serial {
namespace {

bool Fail_Errno() { return Fail(Error_From_Errno(errno)); }

struct Speed {
  uint32_t baud;
  speed_t code;
};

constexpr Speed Speeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

bool Speed_Code(uint32_t baud, speed_t& code) {
  for (const Speed& s : Speeds)
    if (s.baud == baud) {
      code = s.code;
      return true;
    }
  return false;
}

uint32_t Speed_Baud(speed_t code) {
  for (const Speed& s : Speeds)
    if (s.code == code) return s.baud;
  return 0;
}

struct Port {
  int fd = -1;
  DCB dcb;
  CommTimeouts timeouts;
  uint32_t mask = 0;
  uint32_t in_queue = 4096, out_queue = 0;
  Overlapped* pending_write = nullptr;
  Overlapped* pending_read = nullptr;
  Overlapped* pending_event = nullptr;
  // A write happened since the last reported EV_TxEmpty. Set by the writing
  // thread, taken by an event wait on another one.
  std::atomic<bool> tx_since_empty{false};
  // Bytes queued when input was last reported or read: EV_RxChar stands for
  // bytes that arrived since, not for bytes still waiting.
  std::atomic<int> rx_level{0};
  bool have_icount = false;
  serial_icounter_struct icount{};
};

class Termios_Serial_Api final : public Serial_Api {
 public:
  Handle CreateFile(const std::string& name) override {
    const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      Fail_Errno();
      return Invalid_Handle;
    }
    if (!::isatty(fd)) {
      ::close(fd);
      Fail(Error_Invalid_Function);
      return Invalid_Handle;
    }
    // "No sharing": TIOCEXCL does not stop root, an exclusive lock does.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      Fail(Error_Access_Denied);
      return Invalid_Handle;
    }
    ::ioctl(fd, TIOCEXCL);
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
      const int err = errno;
      ::close(fd);
      Fail(Error_From_Errno(err));
      return Invalid_Handle;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::tcsetattr(fd, TCSANOW, &tio);

    auto port = std::make_shared<Port>();
    port->fd = fd;
    port->dcb = Dcb_From_Termios(tio, fd);
    port->have_icount = ::ioctl(fd, TIOCGICOUNT, &port->icount) == 0;
    std::lock_guard<std::mutex> lock(lock_);
    ports_[fd] = port;
    SetLastError(Error_Success);
    return fd;
  }

  bool CloseHandle(Handle h) override {
    std::shared_ptr<Port> port;
    {
      std::lock_guard<std::mutex> lock(lock_);
      auto it = ports_.find(h);
      if (it == ports_.end()) return Fail(Error_Invalid_Handle);
      port = it->second;
      ports_.erase(it);
    }
    for (Overlapped* ov : {port->pending_write, port->pending_read, port->pending_event})
      if (ov) ov->Status = Error_Operation_Aborted;
    ::ioctl(port->fd, TIOCNXCL);
    ::close(port->fd);
    return true;
  }

  bool GetCommState(Handle h, DCB& dcb) override {
    Port* p = Find(h);
    if (!p) return false;
    dcb = p->dcb;
    return true;
  }

  bool SetCommState(Handle h, const DCB& dcb) override {
    Port* p = Find(h);
    if (!p) return false;
    if (dcb.BaudRate == 0 || dcb.ByteSize < 5 || dcb.ByteSize > 8 ||
        dcb.Parity > Space_Parity || dcb.StopBits > Two_Stop_Bits ||
        (dcb.StopBits == One5_Stop_Bits && dcb.ByteSize != 5) ||
        (dcb.StopBits == Two_Stop_Bits && dcb.ByteSize == 5))
      return Fail(Error_Invalid_Parameter);
    // Linux drives no flow control by DTR and DSR and cannot drop input while
    // DSR is low: such a line state is refused, not taken and ignored.
    if ((dcb.Flags & Dcb_Dtr_Control_Mask) == Dtr_Control_Handshake ||
        (dcb.Flags & (Dcb_OutxDsrFlow | Dcb_DsrSensitivity)))
      return Fail(Error_Not_Supported);
    termios tio{};
    if (::tcgetattr(p->fd, &tio) != 0) return Fail_Errno();
    const termios before = tio;
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    static constexpr tcflag_t Sizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= Sizes[dcb.ByteSize - 5] | CLOCAL | CREAD;
    switch (dcb.Parity) {
      case Odd_Parity: tio.c_cflag |= PARENB | PARODD; break;
      case Even_Parity: tio.c_cflag |= PARENB; break;
      case Mark_Parity: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
      case Space_Parity: tio.c_cflag |= PARENB | CMSPAR; break;
      default: break;
    }
    // With five data bits the stop-bit flag gives one and a half stop bits.
    if (dcb.StopBits != One_Stop_Bit) tio.c_cflag |= CSTOPB;
    const uint32_t rts = dcb.Flags & Dcb_Rts_Control_Mask;
    if ((dcb.Flags & Dcb_OutxCtsFlow) || rts == Rts_Control_Handshake) tio.c_cflag |= CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | ISTRIP | PARMRK | IGNPAR);
    if (dcb.Flags & Dcb_OutX) tio.c_iflag |= IXON;
    if (dcb.Flags & Dcb_InX) tio.c_iflag |= IXOFF;
    if ((dcb.Flags & Dcb_Parity) && dcb.Parity != No_Parity) tio.c_iflag |= INPCK;
    tio.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    tio.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    // Rates without a classic code (14400, 56000, 128000, 256000, any custom
    // one) go through termios2 once the rest of the line state is in place.
    speed_t speed;
    const bool classic = Speed_Code(dcb.BaudRate, speed);
    if (classic) {
      ::cfsetispeed(&tio, speed);
      ::cfsetospeed(&tio, speed);
    }
    if (::tcsetattr(p->fd, TCSANOW, &tio) != 0) return Fail_Errno();
    if (!classic && !Set_Line_Speed(p->fd, dcb.BaudRate)) {
      const int err = errno;
      ::tcsetattr(p->fd, TCSANOW, &before);
      return Fail(Error_From_Errno(err));
    }
    // Lines that the settings drive; a pty has none, so failures here are not errors.
    const uint32_t dtr = dcb.Flags & Dcb_Dtr_Control_Mask;
    if (dtr == Dtr_Control_Enable) Modem_Bits(p->fd, TIOCM_DTR, true);
    if (dtr == Dtr_Control_Disable) Modem_Bits(p->fd, TIOCM_DTR, false);
    if (rts == Rts_Control_Enable) Modem_Bits(p->fd, TIOCM_RTS, true);
    if (rts == Rts_Control_Disable || rts == Rts_Control_Toggle) Modem_Bits(p->fd, TIOCM_RTS, false);
    p->dcb = dcb;
    return true;
  }

  bool SetupComm(Handle h, uint32_t in_queue, uint32_t out_queue) override {
    Port* p = Find(h);
    if (!p) return false;
    // The kernel sizes its own queues; the sizes are kept for the caller's sake.
    p->in_queue = in_queue;
    p->out_queue = out_queue;
    return true;
  }

  bool SetCommMask(Handle h, uint32_t mask) override {
    Port* p = Find(h);
    if (!p) return false;
    if (Overlapped* ov = p->pending_event) Complete_Event(*p, *ov, 0);
    p->mask = mask;
    return true;
  }

  bool GetCommMask(Handle h, uint32_t& mask) override {
    Port* p = Find(h);
    if (!p) return false;
    mask = p->mask;
    return true;
  }

  bool SetCommTimeouts(Handle h, const CommTimeouts& timeouts) override {
    Port* p = Find(h);
    if (!p) return false;
    p->timeouts = timeouts;
    return true;
  }

  bool GetCommTimeouts(Handle h, CommTimeouts& timeouts) override {
    Port* p = Find(h);
    if (!p) return false;
    timeouts = p->timeouts;
    return true;
  }

  bool PurgeComm(Handle h, uint32_t flags) override {
    Port* p = Find(h);
    if (!p) return false;
    if ((flags & Purge_TxAbort) && p->pending_write) {
      p->pending_write->Status = Error_Operation_Aborted;
      p->pending_write = nullptr;
    }
    if ((flags & Purge_RxAbort) && p->pending_read) {
      p->pending_read->Status = Error_Operation_Aborted;
      p->pending_read = nullptr;
    }
    const bool tx = flags & Purge_TxClear, rx = flags & Purge_RxClear;
    if ((tx || rx) && ::tcflush(p->fd, tx && rx ? TCIOFLUSH : tx ? TCOFLUSH : TCIFLUSH) != 0)
      return Fail_Errno();
    if (rx) p->rx_level = 0;
    return true;
  }

  bool ClearCommError(Handle h, uint32_t& errors, ComStat* stat) override {
    Port* p = Find(h);
    if (!p) return false;
    errors = 0;
    if (p->have_icount) {
      serial_icounter_struct now{};
      if (::ioctl(p->fd, TIOCGICOUNT, &now) == 0) {
        if (now.frame != p->icount.frame) errors |= CE_Frame;
        if (now.overrun != p->icount.overrun) errors |= CE_Overrun;
        if (now.parity != p->icount.parity) errors |= CE_RxParity;
        if (now.buf_overrun != p->icount.buf_overrun) errors |= CE_RxOver;
        if (now.brk != p->icount.brk) errors |= CE_Break;
        p->icount = now;
      }
    }
    if (stat) {
      int in = 0, out = 0;
      if (::ioctl(p->fd, FIONREAD, &in) != 0) return Fail_Errno();
      if (::ioctl(p->fd, TIOCOUTQ, &out) != 0) out = 0;
      stat->Flags = 0;
      stat->InQueue = static_cast<uint32_t>(std::max(in, 0));
      stat->OutQueue = static_cast<uint32_t>(std::max(out, 0));
    }
    return true;
  }

  bool FlushFileBuffers(Handle h) override {
    Port* p = Find(h);
    if (!p) return false;
    if (::tcdrain(p->fd) != 0) return Fail_Errno();
    return true;
  }

  bool EscapeCommFunction(Handle h, uint32_t function) override {
    Port* p = Find(h);
    if (!p) return false;
    switch (function) {
      case Esc_SetRts: return Modem_Bits(p->fd, TIOCM_RTS, true) || Fail_Errno();
      case Esc_ClrRts: return Modem_Bits(p->fd, TIOCM_RTS, false) || Fail_Errno();
      case Esc_SetDtr: return Modem_Bits(p->fd, TIOCM_DTR, true) || Fail_Errno();
      case Esc_ClrDtr: return Modem_Bits(p->fd, TIOCM_DTR, false) || Fail_Errno();
      case Esc_SetBreak: return ::ioctl(p->fd, TIOCSBRK) == 0 || Fail_Errno();
      case Esc_ClrBreak: return ::ioctl(p->fd, TIOCCBRK) == 0 || Fail_Errno();
      case Esc_SetXoff: return ::tcflow(p->fd, TCOOFF) == 0 || Fail_Errno();
      case Esc_SetXon: return ::tcflow(p->fd, TCOON) == 0 || Fail_Errno();
      default: return Fail(Error_Invalid_Parameter);
    }
  }

  bool GetCommModemStatus(Handle h, uint32_t& status) override {
    Port* p = Find(h);
    if (!p) return false;
    int bits = 0;
    if (::ioctl(p->fd, TIOCMGET, &bits) != 0) return Fail_Errno();
    status = Modem_Status(bits);
    return true;
  }

  bool TransmitCommChar(Handle h, char c) override {
    Port* p = Find(h);
    if (!p) return false;
    for (;;) {
      const ssize_t n = ::write(p->fd, &c, 1);
      if (n == 1) {
        p->tx_since_empty = true;
        return true;
      }
      if (n < 0 && errno == EINTR) continue;
      return n < 0 ? Fail_Errno() : Fail(Error_Gen_Failure);
    }
  }

  bool SetCommBreak(Handle h) override { return EscapeCommFunction(h, Esc_SetBreak); }
  bool ClearCommBreak(Handle h) override { return EscapeCommFunction(h, Esc_ClrBreak); }

  bool WaitCommEvent(Handle h, uint32_t& events, Overlapped& ov) override {
    Port* p = Find(h);
    if (!p) return false;
    if (p->mask == 0) return Fail(Error_Invalid_Parameter);
    ov = Overlapped{};
    ov.Events_Out = &events;
    ov.Event_Mask = p->mask;
    int bits = 0;
    if (::ioctl(p->fd, TIOCMGET, &bits) == 0) ov.Modem_Before = Modem_Status(bits);
    if (const int queued = Input_Count(p->fd); (p->mask & EV_RxChar) && queued > p->rx_level) {
      p->rx_level = queued;
      events = EV_RxChar;
      ov.Event_Signalled = true;
      return true;
    }
    ov.Status = Error_IO_Pending;
    p->pending_event = &ov;
    return Fail(Error_IO_Pending);
  }

  uint32_t WaitForEvent(Handle h, Overlapped& ov, uint32_t timeout_ms) override {
    Port* p = Find(h);
    if (!p) return Wait_Failed;
    const int64_t deadline = timeout_ms == Infinite ? -1 : Now_ms() + timeout_ms;
    for (;;) {
      if (ov.Status != Error_IO_Pending) return Wait_Object_0;
      const uint32_t found = Events_Now(*p, ov);
      if (found) {
        Complete_Event(*p, ov, found);
        return Wait_Object_0;
      }
      int64_t left = deadline < 0 ? 1000 : deadline - Now_ms();
      if (left <= 0) return Wait_Timeout;
      // Only input can be polled for; line changes and an empty output queue are sampled.
      const bool sampled = ov.Event_Mask & ~EV_RxChar;
      if (sampled) left = std::min<int64_t>(left, 2);
      pollfd pfd{p->fd, POLLIN, 0};
      if (ov.Event_Mask & EV_RxChar) {
        ::poll(&pfd, 1, static_cast<int>(left));
        // A hung-up or failed device polls ready at once and forever: end the wait
        // with that error instead of spinning until the time-out.
        if ((pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) && Input_Count(p->fd) == 0) {
          ov.Status = Hang_Up_Error(p->fd);
          if (p->pending_event == &ov) p->pending_event = nullptr;
          SetLastError(ov.Status);
          return Wait_Failed;
        }
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(left));
      }
    }
  }

  bool ReadFile(Handle h, void* buffer, uint32_t count, uint32_t& read, Overlapped& ov) override {
    Port* p = Find(h);
    if (!p) return false;
    read = 0;
    ov = Overlapped{};
    const ssize_t n = count ? ::read(p->fd, buffer, count) : 0;
    if (n < 0 && errno != EAGAIN) return Fail_Errno();
    read = n > 0 ? static_cast<uint32_t>(n) : 0;
    ov.Transferred = read;
    p->rx_level = Input_Count(p->fd);
    const CommTimeouts& t = p->timeouts;
    constexpr uint32_t Max = 0xFFFFFFFF;
    const bool at_once = t.ReadIntervalTimeout == Max && t.ReadTotalTimeoutMultiplier == 0 &&
                         t.ReadTotalTimeoutConstant == 0;
    // Both "at most" values maximal: answer whatever came, else wait for the
    // first bytes up to the constant.
    const bool first_bytes = t.ReadIntervalTimeout == Max && t.ReadTotalTimeoutMultiplier == Max &&
                             t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != Max;
    if (at_once || read == count || (first_bytes && read > 0)) return true;
    ov.Status = Error_IO_Pending;
    ov.Read_Data = static_cast<uint8_t*>(buffer);
    ov.Requested = count;
    const uint64_t total = first_bytes ? t.ReadTotalTimeoutConstant
                                       : uint64_t{t.ReadTotalTimeoutMultiplier} * count + t.ReadTotalTimeoutConstant;
    ov.Deadline_ms = total ? Now_ms() + static_cast<int64_t>(total) : -1;
    ov.Return_On_Bytes = first_bytes;
    if (t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != Max) {
      ov.Interval_ms = t.ReadIntervalTimeout;
      if (read > 0) ov.Last_Byte_ms = Now_ms();
    }
    p->pending_read = &ov;
    return Fail(Error_IO_Pending);
  }

  bool WriteFile(Handle h, const void* buffer, uint32_t count, uint32_t& written,
                 Overlapped& ov) override {
    Port* p = Find(h);
    if (!p) return false;
    written = 0;
    ov = Overlapped{};
    if ((p->dcb.Flags & Dcb_Rts_Control_Mask) == Rts_Control_Toggle) Modem_Bits(p->fd, TIOCM_RTS, true);
    ov.Write_Data = static_cast<const uint8_t*>(buffer);
    ov.Requested = count;
    if (!Write_Some(*p, ov)) return Fail(ov.Status);
    written = ov.Transferred;
    if (ov.Transferred == count) {
      Write_Done(*p);
      return true;
    }
    ov.Status = Error_IO_Pending;
    p->pending_write = &ov;
    return Fail(Error_IO_Pending);
  }

  uint32_t WaitForSingleObject(Handle h, uint32_t timeout_ms) override {
    Port* p = Find(h);
    if (!p) return Wait_Failed;
    const int64_t deadline = timeout_ms == Infinite ? -1 : Now_ms() + timeout_ms;
    for (;;) {
      Overlapped* w = p->pending_write;
      Overlapped* r = p->pending_read;
      if (!w && !r) return Wait_Object_0;
      if (w) {
        if (!Write_Some(*p, *w) || w->Transferred == w->Requested) {
          if (w->Status == Error_IO_Pending) w->Status = Error_Success;
          p->pending_write = nullptr;
          Write_Done(*p);
          continue;
        }
      }
      if (r) {
        const ssize_t n = ::read(p->fd, r->Read_Data + r->Transferred, r->Requested - r->Transferred);
        if (n < 0 && errno != EAGAIN) {
          r->Status = Error_From_Errno(errno);
          p->pending_read = nullptr;
          continue;
        }
        if (n > 0) {
          r->Transferred += static_cast<uint32_t>(n);
          p->rx_level = Input_Count(p->fd);
          if (r->Interval_ms >= 0) r->Last_Byte_ms = Now_ms();
        }
        const int64_t due = Read_Due(*r);
        if (r->Transferred == r->Requested || (r->Return_On_Bytes && r->Transferred > 0) ||
            (due >= 0 && Now_ms() >= due)) {
          r->Status = Error_Success;
          p->pending_read = nullptr;
          continue;
        }
      }
      int64_t left = deadline < 0 ? 1000 : deadline - Now_ms();
      const int64_t due = r ? Read_Due(*r) : -1;
      if (due >= 0) left = std::min(left, std::max<int64_t>(due - Now_ms(), 0));
      if (left <= 0 && !(due >= 0 && due <= Now_ms())) return Wait_Timeout;
      pollfd pfd{p->fd, static_cast<short>((w ? POLLOUT : 0) | (r ? POLLIN : 0)), 0};
      ::poll(&pfd, 1, static_cast<int>(std::max<int64_t>(left, 0)));
    }
  }

  bool GetOverlappedResult(Handle h, Overlapped& ov, uint32_t& transferred, bool wait) override {
    Port* p = Find(h);
    if (!p) return false;
    if (ov.Status == Error_IO_Pending && wait) {
      if (&ov == p->pending_event) WaitForEvent(h, ov, Infinite);
      else WaitForSingleObject(h, Infinite);
    }
    transferred = ov.Transferred;
    if (ov.Status == Error_IO_Pending) return Fail(Error_IO_Incomplete);
    if (ov.Status != Error_Success) return Fail(ov.Status);
    return true;
  }

 private:
  Port* Find(Handle h) {
    std::lock_guard<std::mutex> lock(lock_);
    auto it = ports_.find(h);
    if (it == ports_.end()) {
      SetLastError(Error_Invalid_Handle);
      return nullptr;
    }
    // Ports are used by one thread at a time; the map entry outlives the call.
    return it->second.get();
  }

  static DCB Dcb_From_Termios(const termios& tio, int fd) {
    DCB d;
    d.DCBlength = sizeof(DCB);
    d.BaudRate = Line_Speed(fd);
    if (d.BaudRate == 0) d.BaudRate = Speed_Baud(::cfgetospeed(&tio));
    switch (tio.c_cflag & CSIZE) {
      case CS5: d.ByteSize = 5; break;
      case CS6: d.ByteSize = 6; break;
      case CS7: d.ByteSize = 7; break;
      default: d.ByteSize = 8; break;
    }
    if (tio.c_cflag & PARENB) {
      const bool odd = tio.c_cflag & PARODD;
      d.Parity = (tio.c_cflag & CMSPAR) ? (odd ? Mark_Parity : Space_Parity)
                                        : (odd ? Odd_Parity : Even_Parity);
    }
    d.StopBits = (tio.c_cflag & CSTOPB) ? (d.ByteSize == 5 ? One5_Stop_Bits : Two_Stop_Bits)
                                        : One_Stop_Bit;
    d.Flags = Dcb_Binary | Dtr_Control_Enable | Rts_Control_Enable;
    if (tio.c_cflag & CRTSCTS) d.Flags |= Dcb_OutxCtsFlow | Rts_Control_Handshake;
    d.XonChar = static_cast<char>(tio.c_cc[VSTART]);
    d.XoffChar = static_cast<char>(tio.c_cc[VSTOP]);
    return d;
  }

  static bool Modem_Bits(int fd, int bits, bool on) {
    return ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0;
  }

  static uint32_t Modem_Status(int bits) {
    uint32_t s = 0;
    if (bits & TIOCM_CTS) s |= MS_Cts_On;
    if (bits & TIOCM_DSR) s |= MS_Dsr_On;
    if (bits & TIOCM_RI) s |= MS_Ring_On;
    if (bits & TIOCM_CD) s |= MS_Rlsd_On;
    return s;
  }

  // What a read of a hung-up port reports (EIO on a pty whose other side closed).
  static uint32_t Hang_Up_Error(int fd) {
    uint8_t probe;
    const ssize_t n = ::read(fd, &probe, 0);
    if (n < 0 && errno != EAGAIN && errno != EINTR) return Error_From_Errno(errno);
    return Error_Device_Not_Connected;
  }

  // When a pending read ends for lack of bytes: at its total time-out, or
  // once the gap since its last byte passes the interval; -1 for never.
  static int64_t Read_Due(const Overlapped& r) {
    int64_t due = r.Deadline_ms;
    if (r.Interval_ms >= 0 && r.Last_Byte_ms >= 0) {
      const int64_t gap_end = r.Last_Byte_ms + r.Interval_ms;
      due = due < 0 ? gap_end : std::min(due, gap_end);
    }
    return due;
  }

  static int Input_Count(int fd) {
    int n = 0;
    return ::ioctl(fd, FIONREAD, &n) == 0 ? n : 0;
  }

  uint32_t Events_Now(Port& p, const Overlapped& ov) {
    uint32_t found = 0;
    const uint32_t mask = ov.Event_Mask;
    if ((mask & EV_RxChar) && Input_Count(p.fd) > p.rx_level) found |= EV_RxChar;
    // The queue empties once per write, not whenever it is found empty.
    if ((mask & EV_TxEmpty) && p.tx_since_empty) {
      int out = 0;
      if (::ioctl(p.fd, TIOCOUTQ, &out) == 0 && out == 0) found |= EV_TxEmpty;
    }
    if (mask & (EV_Cts | EV_Dsr | EV_Rlsd | EV_Ring)) {
      int bits = 0;
      if (::ioctl(p.fd, TIOCMGET, &bits) == 0) {
        const uint32_t changed = Modem_Status(bits) ^ ov.Modem_Before;
        if ((mask & EV_Cts) && (changed & MS_Cts_On)) found |= EV_Cts;
        if ((mask & EV_Dsr) && (changed & MS_Dsr_On)) found |= EV_Dsr;
        if ((mask & EV_Rlsd) && (changed & MS_Rlsd_On)) found |= EV_Rlsd;
        if ((mask & EV_Ring) && (changed & MS_Ring_On)) found |= EV_Ring;
      }
    }
    return found;
  }

  static void Complete_Event(Port& p, Overlapped& ov, uint32_t events) {
    if (events & EV_TxEmpty) p.tx_since_empty = false;
    if (events & EV_RxChar) p.rx_level = Input_Count(p.fd);
    if (ov.Events_Out) *ov.Events_Out = events;
    ov.Status = Error_Success;
    ov.Event_Signalled = true;
    if (p.pending_event == &ov) p.pending_event = nullptr;
  }

  // Writes what the driver takes now; false when the write failed.
  static bool Write_Some(Port& p, Overlapped& ov) {
    while (ov.Transferred < ov.Requested) {
      const ssize_t n = ::write(p.fd, ov.Write_Data + ov.Transferred, ov.Requested - ov.Transferred);
      if (n > 0) {
        ov.Transferred += static_cast<uint32_t>(n);
        p.tx_since_empty = true;
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN) {
        ov.Status = Error_From_Errno(errno);
        return false;
      }
      break;
    }
    return true;
  }

  static void Write_Done(Port& p) {
    if ((p.dcb.Flags & Dcb_Rts_Control_Mask) != Rts_Control_Toggle) return;
    ::tcdrain(p.fd);
    Modem_Bits(p.fd, TIOCM_RTS, false);
  }

  std::mutex lock_;
  std::map<Handle, std::shared_ptr<Port>> ports_;
};

}  // namespace

Serial_Api& System_Serial_Api() {
  static Termios_Serial_Api* api = new Termios_Serial_Api;  // used until the process ends
  return *api;
}

}  // namespace platform::serial
