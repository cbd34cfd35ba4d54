#include "transport/tcp/client/net_io_handler.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "transport/tcp/stack/net_anti_freeze.h"
#include "transport/tcp/core/net_exception.h"

namespace net {

const ui::TClassInfo& TNetIOHandler::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TNetIOHandler>("TNetIOHandler", &TNetComponent::StaticClassInfo()).Build();
  return info;
}

void TNetIOHandler::InitializeComponent() {
  TNetComponent::InitializeComponent();
  // Read work is counted when a reader takes the bytes, not when they arrive.
  inBuffer_ = std::make_unique<TNetBuffer>([this](TNetBuffer*, std::int32_t count) { AddWork(wmRead, count); });
  defaultByteEncoding_ = TextEncodingFor(EncodingASCII);
  defaultTextEncoding_ = TextEncodingFor(EncodingOSDefault);
}

TNetIOHandler::~TNetIOHandler() {
  try {
    if (inBuffer_) CloseHandler();
  } catch (...) {
    // A failing close must not stop the destruction.
  }
  inBuffer_.reset();
  outBuffer_.reset();
}

void TNetIOHandler::ComponentNotification(ui::TComponent* AComponent, ui::TOperation Operation) {
  if (Operation == ui::opRemove && AComponent == intercept_) intercept_ = nullptr;
  TNetComponent::ComponentNotification(AComponent, Operation);
}

void TNetIOHandler::SetIntercept(TNetConnectionIntercept* value) {
  if (value == intercept_) return;
  if (intercept_) intercept_->RemoveFreeNotification(this);
  intercept_ = value;
  if (intercept_) intercept_->FreeNotification(this);
}

std::int32_t TNetIOHandler::ResolveTimeout(std::int32_t timeout) const {
  if (timeout == NetTimeoutDefault) return readTimeout_ == -1 || readTimeout_ == 0 ? NetTimeoutInfinite : readTimeout_;
  return timeout;
}

bool TNetIOHandler::IsConnected() {
  CheckDisconnected(false, false);
  return isOpen_ && (!peerClosed_ || !InBufferEmpty());
}

bool TNetIOHandler::WaitForData(std::int32_t timeout) {
  const std::int32_t before = inBuffer_->Size();
  if (!IsConnected()) return false;
  if (inBuffer_->Size() > before) return true;
  return FillInBuffer(false, timeout, false) > 0;
}

void TNetIOHandler::OpenHandler() {
  isOpen_ = false;
  peerClosed_ = false;
  ClearWriteBuffer();
  inBuffer_->Reset();
  isOpen_ = true;
}

void TNetIOHandler::CloseHandler() {
  struct Finally {
    TNetIOHandler* self;
    ~Finally() {
      self->isOpen_ = false;
      self->ClearWriteBuffer();
    }
  } finally{this};
  if (intercept_) intercept_->InterceptDisconnect();
}

bool TNetIOHandler::IsReadable(std::int32_t) { return false; }

void TNetIOHandler::WriteBlock(const TNetBytes& bytes, std::int32_t length, std::int32_t offset) {
  const std::int32_t count = ClampByteCount(bytes, length, offset);
  if (count < 1) return;
  if (!outBuffer_) {
    SendDirect(bytes, count, offset);
    return;
  }
  outBuffer_->Append(bytes, count, offset);
  while (outBufferThreshold_ > 0 && outBuffer_ && outBuffer_->Size() >= outBufferThreshold_)
    FlushWriteBuffer(outBufferThreshold_);
}

std::int32_t TNetIOHandler::FillInBuffer(bool raiseIfDisconnected, std::int32_t timeout, bool raiseOnTimeout,
                                         TNetBytes* direct) {
  timeout = ResolveTimeout(timeout);
  std::int32_t result = 0;
  CheckDisconnected(raiseIfDisconnected, false);
  if (!HasSource()) {
    if (raiseIfDisconnected) RaiseNet<ENetNotConnected>("rsnotconnected");
    return 0;
  }
  std::int32_t n;
  do {
    n = 0;
    if (!FetchWaits(timeout) && !IsReadable(timeout)) {
      if (raiseOnTimeout) RaiseNet<ENetReadTimeout>("rsreadtimeout");
      return -1;
    }
    if (isOpen_) {
      if (HasSource()) {
        // One array for every fetch: a fresh one per fetch cleared 32 KiB for
        // each small reply.
        receiveBlock_.resize(static_cast<std::size_t>(std::max<std::int32_t>(recvBufferSize_, 1)));
        n = FetchFromSource(receiveBlock_);
        if (n > 0 && intercept_) {
          TNetBytes block(receiveBlock_.begin(), receiveBlock_.begin() + n);
          intercept_->InterceptReceive(block);
          n = static_cast<std::int32_t>(block.size());
          inBuffer_->Append(block);
        } else if (n > 0 && direct) {
          direct->insert(direct->end(), receiveBlock_.begin(), receiveBlock_.begin() + n);
          AddWork(wmRead, n);
        } else if (n > 0) {
          inBuffer_->Append(receiveBlock_, n, 0);
        }
      } else if (raiseIfDisconnected) {
        RaiseNet<ENetClosedSocket>("rsstatusdisconnected");
      }
    } else if (raiseIfDisconnected) {
      RaiseNet<ENetNotConnected>("rsnotconnected");
    }
    if (n < 0) {
      const std::int32_t code = ErrorFromResult(n);
      if (code == Id_WSAETIMEDOUT) {
        if (raiseOnTimeout) RaiseNet<ENetReadTimeout>("rsreadtimeout");
        return -1;
      }
      peerClosed_ = true;
      CloseHandler();
      if (InBufferEmpty() && raiseIfDisconnected) RaiseSocketFailure(code);
      n = 0;
    }
    if (n == 0) peerClosed_ = true;
    CheckDisconnected(raiseIfDisconnected, false);
    result = n;
  } while (n == 0 && HasSource());
  return result;
}

void TNetIOHandler::ReadBlock(TNetBytes& bytes, std::int32_t count, bool append) {
  if (count > 0) {
    while (inBuffer_->Size() < count) {
      const std::int32_t r = FillInBuffer(false, NetTimeoutDefault, true);
      if (r > 0 && inBuffer_->Size() >= count) break;
      CheckDisconnected(true, true);
    }
    inBuffer_->ExtractBytes(bytes, count, append);
  } else if (count < 0) {
    if (InBufferEmpty()) {
      FillInBuffer(false, readTimeout_, false);
      CheckDisconnected(true, true);
    }
    inBuffer_->ExtractBytes(bytes, -1, append);
  }
}

void TNetIOHandler::ReadArrived(TNetBytes& bytes, std::int32_t timeout) {
  for (;;) {
    if (!InBufferEmpty()) {
      inBuffer_->ExtractBytes(bytes, -1, true);
      return;
    }
    const std::size_t before = bytes.size();
    FillInBuffer(false, timeout, true, intercept_ ? nullptr : &bytes);
    if (bytes.size() > before) return;
    if (InBufferEmpty()) CheckDisconnected(true, true);
  }
}

void TNetIOHandler::SendDirect(const TNetBytes& bytes, std::int32_t length, std::int32_t offset) {
  CheckDisconnected(true, true);
  std::int32_t count = ClampByteCount(bytes, length, offset);
  TNetBytes intercepted;
  const TNetBytes* source = &bytes;
  std::int32_t position = offset;
  if (intercept_) {
    intercepted.assign(bytes.begin() + offset, bytes.begin() + offset + std::max(count, 0));
    intercept_->InterceptSend(intercepted);
    source = &intercepted;
    position = 0;
    count = static_cast<std::int32_t>(intercepted.size());
  }
  while (count > 0) {
    const std::int32_t w = PushToTarget(*source, position, count);
    if (w < 0) {
      const std::int32_t code = ErrorFromResult(w);
      if (code != Id_WSAETIMEDOUT) {
        peerClosed_ = true;
        CloseHandler();
      }
      RaiseSocketFailure(code);
    }
    TNetAntiFreezeBase::PumpIfDue();
    if (w == 0) peerClosed_ = true;
    CheckDisconnected(true, false);
    AddWork(wmWrite, w);
    position += w;
    count -= w;
  }
}

void TNetIOHandler::RaiseClosedGracefully() { RaiseNet<ENetConnClosedGracefully>("rsconnectionclosedgracefully"); }

void TNetIOHandler::ClearWriteBuffer() {
  if (outBuffer_) outBuffer_->Reset();
}

void TNetIOHandler::OpenWriteBuffer(std::int32_t threshold) {
  if (outBuffer_)
    outBuffer_->Reset();
  else
    outBuffer_ = std::make_unique<TNetBuffer>();
  outBufferThreshold_ = threshold;
}

void TNetIOHandler::FlushWriteBuffer(std::int32_t count) {
  if (!outBuffer_ || outBuffer_->Size() == 0) return;
  TNetBytes bytes;
  outBuffer_->ExtractBytes(bytes, count < 0 ? -1 : std::min(count, outBuffer_->Size()), false);
  SendDirect(bytes);
}

void TNetIOHandler::CloseWriteBuffer() {
  struct Finally {
    TNetIOHandler* self;
    ~Finally() { self->outBuffer_.reset(); }
  } finally{this};
  FlushWriteBuffer(-1);
}

void TNetIOHandler::CancelWriteBuffer() {
  ClearWriteBuffer();
  CloseWriteBuffer();
}

namespace {
struct HandlerRegistry {
  std::mutex lock;
  std::vector<TNetIOHandlerFactory> classes;
  TNetIOHandlerFactory defaultClass = nullptr;
};
HandlerRegistry& Registry() {
  static HandlerRegistry registry;
  return registry;
}
}  // namespace

void RegisterHandlerClass(TNetIOHandlerFactory factory) {
  HandlerRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  if (std::find(r.classes.begin(), r.classes.end(), factory) == r.classes.end()) r.classes.push_back(factory);
}

void UseAsDefaultClass(TNetIOHandlerFactory factory) {
  {
    std::lock_guard<std::mutex> guard(Registry().lock);
    Registry().defaultClass = factory;
  }
  RegisterHandlerClass(factory);
}

bool IsRegisteredHandlerClass(TNetIOHandlerFactory factory) {
  HandlerRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  return std::find(r.classes.begin(), r.classes.end(), factory) != r.classes.end();
}

TNetIOHandler* CreateDefaultHandler(ui::TComponent* owner) {
  TNetIOHandlerFactory factory;
  {
    std::lock_guard<std::mutex> guard(Registry().lock);
    factory = Registry().defaultClass;
  }
  return factory ? factory(owner) : nullptr;
}

}  // namespace net
