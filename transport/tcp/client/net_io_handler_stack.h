// The I/O handler every TCP client uses: moves bytes through its socket
// binding, answers the connected test and the disconnect check, and connects
// with a time-out by running the blocking connect on a helper thread while
// the caller waits.
#pragma once

#include <condition_variable>
#include <exception>
#include <mutex>

#include "transport/tcp/client/net_io_handler_socket.h"
#include "platform/runtime/thread.h"

namespace net {

class TNetIOHandlerStack : public TNetIOHandlerSocket {
  JQ_UI_CLASSINFO
 public:
  using TNetIOHandlerSocket::TNetIOHandlerSocket;

  bool IsConnected() override;
  void CheckDisconnected(bool raiseIfDisconnected, bool ignoreBuffer) override;
  bool IsReadable(std::int32_t timeout) override;

 protected:
  std::int32_t FetchFromSource(TNetBytes& bytes) override;
  bool FetchWaits(std::int32_t timeout) override;
  std::int32_t PushToTarget(const TNetBytes& bytes, std::int32_t offset, std::int32_t count) override;
  void ConnectSocket() override;

 private:
  void WaitConnectThread(std::int32_t timeout);

  // The next fetch waits on the socket's receive time-out.
  bool fetchWaits_ = false;
};

// One connect attempt of a binding on its own thread. The waiting side sees
// the end through Wait; the thread keeps the connect's exception for it.
class TNetConnectThread : public rtl::TThread {
 public:
  explicit TNetConnectThread(TNetSocketHandle& binding);
  ~TNetConnectThread() override;

  // True when the connect ended within the time-out (ms; below 0 waits
  // without limit).
  bool Wait(std::int32_t timeout);
  bool ConnectFailed() const { return connectFailed_; }
  // Raises the connect's own exception in the calling thread.
  void RaiseConnectError();

 protected:
  void Execute() override;

 private:
  TNetSocketHandle& binding_;
  std::exception_ptr keptException_;
  bool connectFailed_ = false;
  std::mutex lock_;
  std::condition_variable finished_;
  bool done_ = false;
};

}  // namespace net
