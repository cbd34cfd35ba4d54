#include "transport/tcp/client/net_io_handler_socket.h"

#include "platform/runtime/convert.h"
#include "transport/tcp/core/net_exception.h"
#include "transport/tcp/proxy/net_socks.h"
#include "transport/tcp/stack/net_stack.h"

namespace net {

const ui::TClassInfo& TNetIOHandlerSocket::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TNetIOHandlerSocket>("TNetIOHandlerSocket", &TNetIOHandler::StaticClassInfo()).Build();
  return info;
}

void TNetIOHandlerSocket::InitializeComponent() {
  TNetIOHandler::InitializeComponent();
  useNagle_ = true;
  ipVersion_ = Id_IPv4;
}

TNetIOHandlerSocket::~TNetIOHandlerSocket() {
  SetTransparentProxy(nullptr);
  try {
    CloseHandler();
  } catch (...) {
    // A failing close must not stop the destruction.
  }
  binding_.reset();
}

bool TNetIOHandlerSocket::HasSocket() const { return binding_ && binding_->HasHandle(); }

bool TNetIOHandlerSocket::IsConnected() {
  return (HasSocket() && TNetIOHandler::IsConnected()) || !InBufferEmpty();
}

std::int32_t TNetIOHandlerSocket::ErrorFromResult(std::int32_t result) {
  return GlobalStack()->CheckSocketResult(result,
                                          {Id_WSAESHUTDOWN, Id_WSAECONNABORTED, Id_WSAECONNRESET, Id_WSAETIMEDOUT});
}

void TNetIOHandlerSocket::RaiseSocketFailure(std::int32_t code) { GlobalStack()->RaiseSocketCode(code); }

void TNetIOHandlerSocket::OpenHandler() {
  TNetIOHandler::OpenHandler();
  if (!binding_)
    binding_ = std::make_unique<TNetSocketHandle>(nullptr);
  else
    binding_->ClearBinding(true);
  binding_->SetClientPortMin(boundPortMin_);
  binding_->SetClientPortMax(boundPortMax_);
  if (!Host().empty() && Port() > 0) ConnectSocket();
}

void TNetIOHandlerSocket::CloseHandler() {
  if (binding_) binding_->ShutSocket();
  TNetIOHandler::CloseHandler();
}

void TNetIOHandlerSocket::ConnectSocket() {
  FireBeforeBind();
  // Through a proxy the socket speaks to the proxy server, so it takes the
  // proxy's address family, whatever family the target has.
  TNetCustomTransparentProxy* proxy = AssignedProxy();
  binding_->SetIPVersion(proxy && proxy->IsEnabled() ? proxy->IPVersion() : ipVersion_);
  binding_->OpenSocket(Id_SOCK_STREAM, 0);
  FireSocketAllocated();
  if (!boundIP_.empty()) binding_->SetIP(boundIP_);
  binding_->SetPort(boundPort_);
  binding_->SetClientPortMin(boundPortMin_);
  binding_->SetClientPortMax(boundPortMax_);
  binding_->SetReuseSocket(reuseSocket_);
  binding_->BindLocal();
  // The socket is new, so the choice is applied even when it did not change.
  binding_->SetUseNagle(useNagle_);
  binding_->ApplyNagle();
  FireAfterBind();
}

void TNetIOHandlerSocket::FireBeforeBind() {
  if (OnBeforeBind) OnBeforeBind(this);
}
void TNetIOHandlerSocket::FireAfterBind() {
  if (OnAfterBind) OnAfterBind(this);
}
void TNetIOHandlerSocket::FireSocketAllocated() {
  if (OnSocketAllocated) OnSocketAllocated(this);
}

void TNetIOHandlerSocket::AdoptAcceptedSocket() {
  if (binding_) ipVersion_ = binding_->IPVersion();
}

rtl::String TNetIOHandlerSocket::Destination() const {
  rtl::String text = Host();
  if (Port() != defaultPort_ && Port() > 0) text += u":" + rtl::IntToStr(Port());
  return text;
}

void TNetIOHandlerSocket::SetDestination(const rtl::String& value) {
  const auto colon = value.rfind(u':');
  if (colon == rtl::String::npos) return;
  SetHost(value.substr(0, colon));
  rtl::String portText = value.substr(colon + 1, 255);
  // Spaces and control characters around the number do not count.
  std::size_t first = 0;
  std::size_t last = portText.size();
  while (first < last && portText[first] <= u' ') ++first;
  while (last > first && portText[last - 1] <= u' ') --last;
  SetPort(rtl::StrToIntDef(std::u16string_view(portText).substr(first, last - first), defaultPort_));
}

bool TNetIOHandlerSocket::UseNagle() const { return binding_ ? binding_->UseNagle() : useNagle_; }

void TNetIOHandlerSocket::SetUseNagle(bool value) {
  useNagle_ = value;
  if (binding_) binding_->SetUseNagle(value);
}

TNetReuseSocket TNetIOHandlerSocket::ReuseSocket() const { return binding_ ? binding_->ReuseSocket() : reuseSocket_; }

void TNetIOHandlerSocket::SetReuseSocket(TNetReuseSocket value) {
  reuseSocket_ = value;
  if (binding_) binding_->SetReuseSocket(value);
}

}  // namespace net

namespace net {

TNetCustomTransparentProxy* TNetIOHandlerSocket::TransparentProxy() {
  if (!transparentProxy_) {
    transparentProxy_ = NetCreate<TNetSocksInfo>(this);
    ownsProxy_ = true;
  }
  return transparentProxy_;
}

void TNetIOHandlerSocket::DetachTransparentProxy() {
  if (transparentProxy_ && !ownsProxy_) RemoveFreeNotification(transparentProxy_);
  transparentProxy_ = nullptr;
  ownsProxy_ = false;
}

void TNetIOHandlerSocket::SetTransparentProxy(TNetCustomTransparentProxy* value) {
  // Setting the proxy in use again must not free it, even one of our own.
  if (value == transparentProxy_) return;
  TNetCustomTransparentProxy* own = ownsProxy_ ? transparentProxy_ : nullptr;
  if (!value || value->Owner() || (own && &own->ClassInfo() != &value->ClassInfo())) {
    DetachTransparentProxy();
    if (own) ui::Free(own);
    own = nullptr;
  } else if (!own) {
    DetachTransparentProxy();
  }
  if (!value) return;
  if (value->Owner()) {
    transparentProxy_ = value;
    FreeNotification(value);
    return;
  }
  if (!own) {
    own = value->CreateSameKind(this);
    transparentProxy_ = own;
    ownsProxy_ = true;
  }
  own->Assign(value);
}

void TNetIOHandlerSocket::ComponentNotification(ui::TComponent* AComponent, ui::TOperation Operation) {
  if (Operation == ui::opRemove && AComponent == transparentProxy_) {
    transparentProxy_ = nullptr;
    ownsProxy_ = false;
  }
  TNetIOHandler::ComponentNotification(AComponent, Operation);
}

}  // namespace net
