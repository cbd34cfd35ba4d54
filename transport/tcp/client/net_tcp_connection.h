// A connection component: owns or borrows an I/O handler, answers whether it
// is connected, closes with optional peer notification, carries an intercept
// and offers command/reply exchanges over two reply objects.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>

#include "transport/tcp/client/net_io_handler_socket.h"
#include "transport/tcp/stack/net_reply.h"

namespace net {

class TNetTCPConnection : public TNetComponent {
  JQ_UI_CLASSINFO
 public:
  using TNetComponent::TNetComponent;
  ~TNetTCPConnection() override;

  virtual bool IsConnected();
  void CloseConnection() { CloseConnectionNotify(true); }
  virtual void CloseConnectionNotify(bool notify);
  void RequireConnection();
  virtual void CheckPeerClosed(bool raise);

  TNetIOHandler* IOHandler() const { return ioHandler_; }
  virtual void SetIOHandler(TNetIOHandler* value);
  TNetIOHandlerSocket* SocketIOHandler() const { return socketIOHandler_; }
  bool OwnsIOHandler() const { return ownsIOHandler_; }
  void SetOwnsIOHandler(bool value) { ownsIOHandler_ = value; }
  virtual TNetConnectionIntercept* Intercept() const;
  virtual void SetIntercept(TNetConnectionIntercept* value);
  TNetReply& Greeting() { return *greeting_; }
  TNetReply& LastReply() { return *lastReply_; }

  // Command/reply exchanges.
  virtual void ReadReply(TNetTextEncodingRef encoding = nullptr);
  virtual std::int16_t AwaitReply(std::initializer_list<std::int16_t> allowed, TNetTextEncodingRef encoding = nullptr);
  virtual rtl::String AwaitReply(const rtl::String& allowed, TNetTextEncodingRef encoding = nullptr);
  virtual std::int16_t CheckReplyCode(std::int16_t code, std::initializer_list<std::int16_t> allowed);
  virtual rtl::String CheckReplyCode(const rtl::String& code, const rtl::String& allowed);
  [[noreturn]] virtual void RaiseLastReply();
  [[noreturn]] virtual void RaiseLastReply(TNetExceptionClass exceptionClass);
  virtual std::int16_t SendCommand(const rtl::String& command, std::initializer_list<std::int16_t> allowed,
                                   TNetTextEncodingRef encoding = nullptr);

  std::function<void(ui::TObject* ASender)> OnDisconnected;

 protected:
  void InitializeComponent() override;
  void ComponentNotification(ui::TComponent* AComponent, ui::TOperation Operation) override;
  virtual void NotifyDisconnected();
  virtual void NotifyPeerBeforeClose() {}
  virtual void PrepareCommand(rtl::String&) {}

 private:
  std::unique_ptr<TNetReply> greeting_;
  TNetConnectionIntercept* intercept_ = nullptr;
  TNetIOHandler* ioHandler_ = nullptr;
  std::unique_ptr<TNetReply> lastReply_;
  bool ownsIOHandler_ = false;
  TNetIOHandlerSocket* socketIOHandler_ = nullptr;
};

}  // namespace net
