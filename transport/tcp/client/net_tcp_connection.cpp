#include "transport/tcp/client/net_tcp_connection.h"

#include "transport/tcp/core/net_exception.h"
#include "platform/classes/string_list.h"

namespace net {

const ui::TClassInfo& TNetTCPConnection::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TNetTCPConnection>("TNetTCPConnection", &TNetComponent::StaticClassInfo()).Build();
  return info;
}

void TNetTCPConnection::InitializeComponent() {
  TNetComponent::InitializeComponent();
  greeting_ = std::make_unique<TNetReplyRFC>(nullptr, nullptr);
  lastReply_ = std::make_unique<TNetReplyRFC>(nullptr, nullptr);
}

TNetTCPConnection::~TNetTCPConnection() {
  if (ioHandler_) {
    try {
      ioHandler_->CloseHandler();
    } catch (...) {
      // A failing close must not stop the destruction.
    }
    SetIOHandler(nullptr);
  }
  lastReply_.reset();
  greeting_.reset();
}

void TNetTCPConnection::ComponentNotification(ui::TComponent* AComponent, ui::TOperation Operation) {
  if (Operation == ui::opRemove) {
    if (AComponent == intercept_) {
      intercept_ = nullptr;
    } else if (AComponent == ioHandler_) {
      ioHandler_ = nullptr;
      socketIOHandler_ = nullptr;
      ownsIOHandler_ = false;
    }
  }
  TNetComponent::ComponentNotification(AComponent, Operation);
}

bool TNetTCPConnection::IsConnected() { return ioHandler_ && ioHandler_->IsConnected(); }

void TNetTCPConnection::CloseConnectionNotify(bool notify) {
  if (notify) {
    try {
      if (IsConnected()) NotifyPeerBeforeClose();
    } catch (...) {
      // Telling the peer is a courtesy; the close happens regardless.
    }
  }
  if (ioHandler_ && ioHandler_->IsOpen()) {
    ReportStatus(hsDisconnecting);
    ioHandler_->CloseHandler();
    NotifyDisconnected();
    ReportStatus(hsDisconnected);
  }
}

void TNetTCPConnection::RequireConnection() {
  if (!ioHandler_) RaiseNet<ENetNotConnected>("rsnotconnected");
}

void TNetTCPConnection::CheckPeerClosed(bool raise) {
  if (ioHandler_)
    ioHandler_->CheckDisconnected(raise, false);
  else if (raise)
    RaiseNet<ENetException>("rsnotconnected");
}

void TNetTCPConnection::NotifyDisconnected() {
  if (OnDisconnected) OnDisconnected(this);
}

void TNetTCPConnection::SetIOHandler(TNetIOHandler* value) {
  if (value == ioHandler_) return;
  if (value && intercept_ && value->Intercept() && value->Intercept() != intercept_)
    RaiseNet<ENetException>("rsinterceptisdifferent");
  if (ownsIOHandler_) {
    TNetIOHandler* old = ioHandler_;
    ioHandler_ = nullptr;
    socketIOHandler_ = nullptr;
    if (old) ui::Free(old);
    ownsIOHandler_ = false;
  }
  socketIOHandler_ = nullptr;
  if (ioHandler_) {
    ioHandler_->SetWorkTarget(nullptr);
    ioHandler_->RemoveFreeNotification(this);
  }
  if (value) {
    value->FreeNotification(this);
    value->SetWorkTarget(this);
    if (intercept_) value->SetIntercept(intercept_);
    socketIOHandler_ = dynamic_cast<TNetIOHandlerSocket*>(value);
  }
  ioHandler_ = value;
}

TNetConnectionIntercept* TNetTCPConnection::Intercept() const {
  return ioHandler_ ? ioHandler_->Intercept() : intercept_;
}

void TNetTCPConnection::SetIntercept(TNetConnectionIntercept* value) {
  if (value == intercept_) return;
  if (ioHandler_ && value && ioHandler_->Intercept() && ioHandler_->Intercept() != value)
    RaiseNet<ENetException>("rsinterceptisdifferent");
  if (intercept_) intercept_->RemoveFreeNotification(this);
  intercept_ = value;
  if (intercept_) intercept_->FreeNotification(this);
  if (ioHandler_) ioHandler_->SetIntercept(value);
}

void TNetTCPConnection::ReadReply(TNetTextEncodingRef encoding) {
  RequireConnection();
  ui::TStringList lines;
  rtl::String line;
  do {
    line = ioHandler_->ReadNonEmptyLine(INT32_MAX, encoding);
    lines.Add(line);
  } while (!lastReply_->IsEndLine(line));
  lastReply_->SetFormattedReply(lines);
}

std::int16_t TNetTCPConnection::AwaitReply(std::initializer_list<std::int16_t> allowed, TNetTextEncodingRef encoding) {
  ReadReply(std::move(encoding));
  return CheckReplyCode(static_cast<std::int16_t>(lastReply_->NumericCode()), allowed);
}

rtl::String TNetTCPConnection::AwaitReply(const rtl::String& allowed, TNetTextEncodingRef encoding) {
  ReadReply(std::move(encoding));
  return CheckReplyCode(lastReply_->Code(), allowed);
}

std::int16_t TNetTCPConnection::CheckReplyCode(std::int16_t code, std::initializer_list<std::int16_t> allowed) {
  if (allowed.size() > 0 && PositionInList(code, allowed) < 0) RaiseLastReply();
  return code;
}

rtl::String TNetTCPConnection::CheckReplyCode(const rtl::String& code, const rtl::String& allowed) {
  if (!allowed.empty() && !rtl::SameText(code, allowed)) RaiseLastReply();
  return code;
}

void TNetTCPConnection::RaiseLastReply() {
  lastReply_->RaiseAsError();
  // A reply class whose raise returns still must not let the caller go on.
  throw ENetException(lastReply_->Text().Text());
}

void TNetTCPConnection::RaiseLastReply(TNetExceptionClass exceptionClass) {
  exceptionClass(lastReply_->Text().Text());
  throw ENetException(lastReply_->Text().Text());
}

std::int16_t TNetTCPConnection::SendCommand(const rtl::String& command, std::initializer_list<std::int16_t> allowed,
                                            TNetTextEncodingRef encoding) {
  RequireConnection();
  rtl::String text = command;
  PrepareCommand(text);
  ioHandler_->WriteLine(text, encoding);
  return AwaitReply(allowed, std::move(encoding));
}

}  // namespace net
