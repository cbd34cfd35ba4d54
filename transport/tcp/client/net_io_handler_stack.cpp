#include "transport/tcp/client/net_io_handler_stack.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "transport/tcp/stack/net_anti_freeze.h"
#include "transport/tcp/core/net_exception.h"
#include "transport/tcp/stack/net_stack.h"
#include "transport/tcp/proxy/net_transparent_proxy.h"

namespace net {

namespace {
constexpr std::size_t kConnectThreadStack = 4194304;
constexpr std::int32_t kConnectSlice = 125;
constexpr std::int32_t kPumpingConnectLimit = 120000;

TNetIOHandler* MakeStackHandler(ui::TComponent* owner) { return NetCreate<TNetIOHandlerStack>(owner); }

// Every TCP client gets this class unless another is made the default.
const bool g_registered = (UseAsDefaultClass(&MakeStackHandler), true);
}  // namespace

const ui::TClassInfo& TNetIOHandlerStack::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TNetIOHandlerStack>("TNetIOHandlerStack", &TNetIOHandlerSocket::StaticClassInfo()).Build();
  (void)g_registered;
  return info;
}

std::int32_t TNetIOHandlerStack::FetchFromSource(TNetBytes& bytes) {
  const bool waits = std::exchange(fetchWaits_, false);
  try {
    return SocketBinding()->ReceiveBytes(bytes);
  } catch (const ENetSocketError& e) {
    // The socket's receive time-out passed: a read time-out like a readability
    // wait that ended empty, which the caller knows by this code.
    if (!waits || e.LastError != Id_WSAETIMEDOUT) throw;
    GlobalStack()->SetLastSocketError(Id_WSAETIMEDOUT);
    return -1;
  }
}

std::int32_t TNetIOHandlerStack::PushToTarget(const TNetBytes& bytes, std::int32_t offset, std::int32_t count) {
  return SocketBinding()->SendBytes(bytes, offset, count);
}

// A read that waits goes to the socket as one receive with the socket's own
// time-out: a readability wait before each receive cost a system call per
// read. A zero wait (the connected test) and a wait that pumps messages in
// slices still look first.
bool TNetIOHandlerStack::FetchWaits(std::int32_t timeout) {
  if (timeout == 0 || (timeout < 0 && timeout != NetTimeoutInfinite)) return false;
  if (!HasSocket() || TNetAntiFreezeBase::ShouldPump()) return false;
  SocketBinding()->SetReceiveTimeout(timeout == NetTimeoutInfinite ? 0 : timeout);
  fetchWaits_ = true;
  return true;
}

bool TNetIOHandlerStack::IsReadable(std::int32_t timeout) {
  return SocketBinding() && SocketBinding()->WaitReadable(timeout == NetTimeoutInfinite ? -1 : timeout);
}

bool TNetIOHandlerStack::IsConnected() {
  try {
    FillInBuffer(false, 0, false);
  } catch (const ENetSocketError& e) {
    if (e.LastError == Id_WSAESHUTDOWN || e.LastError == Id_WSAECONNABORTED || e.LastError == Id_WSAECONNRESET)
      return false;
    throw;
  }
  return TNetIOHandlerSocket::IsConnected();
}

void TNetIOHandlerStack::CheckDisconnected(bool raiseIfDisconnected, bool ignoreBuffer) {
  bool disconnected;
  if (peerClosed_) {
    disconnected = true;
    if (HasSocket()) {
      CloseHandler();
      ReportStatus(hsDisconnected);
    }
  } else {
    disconnected = !HasSocket();
  }
  if (disconnected && (InBufferEmpty() || ignoreBuffer) && raiseIfDisconnected) RaiseClosedGracefully();
}

void TNetIOHandlerStack::ConnectSocket() {
  TNetIOHandlerSocket::ConnectSocket();
  TNetStack& stack = *GlobalStack();
  // With a proxy in use the socket goes to the proxy server, which then
  // connects on to our host.
  TNetCustomTransparentProxy* proxy = AssignedProxy();
  const bool viaProxy = proxy && proxy->IsEnabled();
  const rtl::String host = viaProxy ? proxy->Host() : Host();
  const std::uint16_t port = viaProxy ? proxy->Port() : static_cast<std::uint16_t>(Port());
  const TNetIPVersion version = viaProxy ? proxy->IPVersion() : IPVersion();
  rtl::String address;
  if (version == Id_IPv6) {
    bool failed = false;
    TNetIPv6Address parsed{};
    IPv6TextToAddress(host, parsed, failed);
    if (!failed) {
      address = host;
    } else {
      if (OnStatus) ReportStatus(hsResolving, {host});
      address = stack.ResolveName(host, Id_IPv6);
    }
  } else if (stack.IsIPv4Text(host)) {
    address = host;
  } else {
    if (OnStatus) ReportStatus(hsResolving, {host});
    address = stack.ResolveAddress(host, Id_IPv4);
  }
  SocketBinding()->SetPeerAddress(address, port, version);
  if (OnStatus) ReportStatus(hsConnecting, {SocketBinding()->RemoteIP()});
  std::int32_t timeout = ConnectTimeout();
  if (timeout == -1 || timeout == 0) timeout = NetTimeoutInfinite;
  if (timeout == NetTimeoutInfinite) {
    if (TNetAntiFreezeBase::ShouldPump())
      WaitConnectThread(kPumpingConnectLimit);
    else
      SocketBinding()->ConnectPeer();
  } else {
    WaitConnectThread(timeout);
  }
  proxy = AssignedProxy();
  if (proxy && proxy->IsEnabled())
    proxy->ConnectToTarget(*this, Host(), static_cast<std::uint16_t>(Port()), IPVersion());
}

void TNetIOHandlerStack::WaitConnectThread(std::int32_t timeout) {
  const bool pumping = TNetAntiFreezeBase::ShouldPump();
  std::int32_t slice = kConnectSlice;
  if (pumping) {
    if (const TNetAntiFreezeBase* antiFreeze = SharedAntiFreeze(); antiFreeze && antiFreeze->IdleTimeOut() > 0)
      slice = std::min(antiFreeze->IdleTimeOut(), kConnectSlice);
  }
  // Freed on every way out, so no thread outlives the call.
  TNetConnectThread thread(*SocketBinding());
  bool ended;
  if (!pumping) {
    ended = thread.Wait(timeout);
  } else {
    std::int32_t remaining = timeout;
    ended = false;
    while (remaining > 0) {
      const std::int32_t wait = std::min(remaining, slice);
      if (thread.Wait(wait)) {
        ended = true;
        break;
      }
      TNetAntiFreezeBase::PumpIfDue();
      remaining -= wait;
    }
  }
  if (ended) {
    thread.WaitFor();
    thread.RaiseConnectError();
    return;
  }
  thread.Terminate();
  // Closing the socket breaks the pending connect; its failure stays in the
  // thread and is dropped with it.
  CloseHandler();
  thread.WaitFor();
  RaiseNet<ENetConnectTimeout>("rsconnecttimeout");
}

TNetConnectThread::TNetConnectThread(TNetSocketHandle& binding)
    : rtl::TThread(kConnectThreadStack), binding_(binding) {
  Start();
}

TNetConnectThread::~TNetConnectThread() { TerminateAndWait(); }

void TNetConnectThread::Execute() {
  try {
    binding_.ConnectPeer();
  } catch (...) {
    connectFailed_ = true;
    keptException_ = std::current_exception();
  }
  {
    std::lock_guard<std::mutex> guard(lock_);
    done_ = true;
  }
  finished_.notify_all();
}

bool TNetConnectThread::Wait(std::int32_t timeout) {
  std::unique_lock<std::mutex> guard(lock_);
  if (timeout < 0) {
    finished_.wait(guard, [this] { return done_; });
    return true;
  }
  return finished_.wait_for(guard, std::chrono::milliseconds(timeout), [this] { return done_; });
}

void TNetConnectThread::RaiseConnectError() {
  if (!connectFailed_) return;
  std::exception_ptr kept = std::move(keptException_);
  keptException_ = nullptr;
  if (!kept) throw ENetConnectException(rtl::String());
  std::rethrow_exception(kept);
}

}  // namespace net
