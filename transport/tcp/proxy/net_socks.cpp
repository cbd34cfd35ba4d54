#include "transport/tcp/proxy/net_socks.h"

#include "platform/runtime/convert.h"
#include "transport/tcp/client/net_io_handler_stack.h"
#include "transport/tcp/proxy/net_socks_wire.h"
#include "transport/tcp/stack/net_stack.h"

namespace net {

using namespace detail;

namespace {
constexpr std::uint8_t kCommandConnect = 1;
constexpr std::uint8_t kMethodNone = 0;
constexpr std::uint8_t kMethodLogin = 2;
constexpr std::uint8_t kNoAcceptableMethod = 255;

TNetBytes LoginField(const rtl::String& text) {
  TNetBytes bytes = TextEncodingFor(EncodingDefault)->EncodeChars(text);
  // The length field is one byte; a longer value cannot be sent.
  if (bytes.size() > 255) bytes.resize(255);
  return bytes;
}
}  // namespace

const ui::TClassInfo& TNetSocksInfo::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TNetSocksInfo>("TNetSocksInfo", &TNetCustomTransparentProxy::StaticClassInfo())
          .Unit("NetSocks")
          .Enum("Authentication", "TSocksAuthentication", {"saNoAuthentication", "saUsernamePassword"},
                &TNetSocksInfo::Authentication, &TNetSocksInfo::SetAuthentication, saNoAuthentication)
          .Str("Host", &TNetSocksInfo::Host, &TNetSocksInfo::SetHost)
          .Str("Password", &TNetSocksInfo::Password, &TNetSocksInfo::SetPassword)
          .Integer("Port", &TNetSocksInfo::Port, &TNetSocksInfo::SetPort, 1080)
          .Enum("IPVersion", "TNetIPVersion", {"Id_IPv4", "Id_IPv6"}, &TNetSocksInfo::IPVersion,
                &TNetSocksInfo::SetIPVersion, Id_IPv4)
          .Str("Username", &TNetSocksInfo::Username, &TNetSocksInfo::SetUsername)
          .Enum("Version", "TSocksVersion", {"svNoSocks", "svSocks4", "svSocks4A", "svSocks5"}, &TNetSocksInfo::Version,
                &TNetSocksInfo::SetVersion, svNoSocks)
          .Object("ChainedProxy", "TNetCustomTransparentProxy", &TNetSocksInfo::ChainedProxy,
                  &TNetSocksInfo::SetChainedProxy)
          .Build();
  return info;
}

void TNetSocksInfo::InitializeComponent() {
  TNetCustomTransparentProxy::InitializeComponent();
  authentication_ = saNoAuthentication;
  version_ = svNoSocks;
  SetPort(1080);
  relayControl_ = NetCreate<TNetIOHandlerStack>(nullptr);
}

TNetSocksInfo::~TNetSocksInfo() {
  if (relayControl_) ui::Free(relayControl_);
}

TNetCustomTransparentProxy* TNetSocksInfo::CreateSameKind(ui::TComponent* owner) const {
  return NetCreate<TNetSocksInfo>(owner);
}

void TNetSocksInfo::Assign(const ui::TPersistent* Source) {
  if (const auto* other = dynamic_cast<const TNetSocksInfo*>(Source)) {
    authentication_ = other->authentication_;
    version_ = other->version_;
  }
  TNetCustomTransparentProxy::Assign(Source);
}

bool TNetSocksInfo::IsEnabled() const {
  return version_ == svSocks4 || version_ == svSocks4A || version_ == svSocks5;
}

void TNetSocksInfo::RequestConnect(TNetIOHandler& handler, const rtl::String& host, std::uint16_t port,
                                   TNetIPVersion) {
  switch (version_) {
    case svSocks4:
    case svSocks4A:
      ConnectSocks4(handler, host, port);
      break;
    case svSocks5:
      ConnectSocks5(handler, host, port);
      break;
    case svNoSocks:
      break;
  }
}

void TNetSocksInfo::WriteSocks4Request(TNetIOHandler& handler, const rtl::String& host, std::uint16_t port,
                                       std::uint8_t command) {
  const bool opened = !handler.IsWriteBuffering();
  if (opened) handler.OpenWriteBuffer(-1);
  try {
    handler.WriteOctet(4);
    handler.WriteOctet(command);
    handler.WriteInteger16(static_cast<std::int16_t>(port));
    // 0.0.0.1 tells a 4A server to resolve the name that follows the user id.
    const rtl::String address = version_ == svSocks4A ? rtl::String(u"0.0.0.1")
                                                      : GlobalStack()->ResolveAddress(host, Id_IPv4);
    // A missing part reads as an empty number, which raises the conversion error.
    std::u16string_view rest = address;
    for (int part = 0; part < 4; ++part) {
      const std::size_t dot = rest.find(u'.');
      handler.WriteOctet(static_cast<std::uint8_t>(rtl::StrToInt(rtl::Trim(rest.substr(0, dot))) & 0xFF));
      rest = dot == std::u16string_view::npos ? std::u16string_view() : rest.substr(dot + 1);
    }
    handler.WriteText(Username());
    handler.WriteOctet(0);
    if (version_ == svSocks4A) {
      handler.WriteText(host);
      handler.WriteOctet(0);
    }
    if (opened) handler.CloseWriteBuffer();
  } catch (...) {
    if (opened) handler.CancelWriteBuffer();
    throw;
  }
}

void TNetSocksInfo::ConnectSocks4(TNetIOHandler& handler, const rtl::String& host, std::uint16_t port) {
  WriteSocks4Request(handler, host, port, kCommandConnect);
  TNetBytes reply;
  handler.ReadBlock(reply, 8);
  CheckSocks4Reply(reply[1]);
}

void TNetSocksInfo::NegotiateSocks5(TNetIOHandler& handler) {
  const std::uint8_t method = authentication_ == saUsernamePassword ? kMethodLogin : kMethodNone;
  handler.SendDirect(TNetBytes{5, 1, method});
  TNetBytes reply;
  ServerMustRespond([&] { handler.ReadBlock(reply, 2); });
  if (reply[1] != method || reply[1] == kNoAcceptableMethod)
    RaiseNet<ENetSocksAuthMethodError>("rssocksauthmethoderror");
  if (authentication_ != saUsernamePassword) return;
  const TNetBytes user = LoginField(Username());
  const TNetBytes password = LoginField(Password());
  TNetBytes login{1, static_cast<std::uint8_t>(user.size())};
  login.insert(login.end(), user.begin(), user.end());
  login.push_back(static_cast<std::uint8_t>(password.size()));
  login.insert(login.end(), password.begin(), password.end());
  handler.SendDirect(login);
  ServerMustRespond([&] { handler.ReadBlock(reply, 2); });
  if (reply[1] != 0) RaiseNet<ENetSocksAuthError>("rssocksautherror");
}

TNetBytes TNetSocksInfo::BuildSocks5Request(const rtl::String& host, std::uint16_t port, std::uint8_t command) {
  TNetBytes request{5, command, 0};
  AppendSocks5Address(request, host);
  AppendPort(request, port);
  return request;
}

void TNetSocksInfo::ConnectSocks5(TNetIOHandler& handler, const rtl::String& host, std::uint16_t port) {
  NegotiateSocks5(handler);
  handler.SendDirect(BuildSocks5Request(host, port, kCommandConnect));
  TNetBytes head;
  ServerMustRespond([&] { handler.ReadBlock(head, 4); });
  CheckSocks5Reply(head[1]);
  // The bound address is of no use to a connect, but it must leave the
  // stream before the target's bytes.
  ServerMustRespond([&] { ReadSocks5Address(handler, head[3]); });
}

}  // namespace net
