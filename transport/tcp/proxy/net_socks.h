// The SOCKS client: SOCKS 4, its 4A extension (the server resolves the host)
// and SOCKS 5 with the user name and password login. Connect runs over the
// I/O handler's own socket; bind asks the server to listen for one inbound
// connection; the SOCKS 5 UDP relay keeps a control connection of its own.
#pragma once

#include <cstdint>

#include "transport/tcp/proxy/net_transparent_proxy.h"

namespace net {

class TNetIOHandlerStack;

enum TSocksVersion : std::uint8_t { svNoSocks, svSocks4, svSocks4A, svSocks5 };
enum TSocksAuthentication : std::uint8_t { saNoAuthentication, saUsernamePassword };

class TNetSocksInfo : public TNetCustomTransparentProxy {
  JQ_UI_CLASSINFO
 public:
  using TNetCustomTransparentProxy::TNetCustomTransparentProxy;
  ~TNetSocksInfo() override;

  bool IsEnabled() const override;
  void RequestConnect(TNetIOHandler& handler, const rtl::String& host, std::uint16_t port,
                      TNetIPVersion version) override;
  void RequestBind(TNetIOHandlerSocket& handler, const rtl::String& host, std::uint16_t port,
                   TNetIPVersion version) override;
  bool WaitForInbound(TNetIOHandlerSocket& handler, std::int32_t wait) override;
  void OpenUDPRelay(TNetSocketHandle& handle, const rtl::String& host, std::uint16_t port,
                    TNetIPVersion version) override;
  void CloseUDPRelay(TNetSocketHandle& handle) override;
  // Data beyond the buffer's size is dropped; the result counts what was copied.
  std::int32_t ReceiveUDPFrom(TNetSocketHandle& handle, TNetBytes& buffer, rtl::String& peerIP,
                              std::uint16_t& peerPort, TNetIPVersion& version, std::int32_t wait) override;
  void SendUDPTo(TNetSocketHandle& handle, const rtl::String& host, std::uint16_t port, TNetIPVersion version,
                 const TNetBytes& data) override;
  TNetCustomTransparentProxy* CreateSameKind(ui::TComponent* owner) const override;
  void Assign(const ui::TPersistent* Source) override;

  TSocksAuthentication Authentication() const { return authentication_; }
  void SetAuthentication(TSocksAuthentication value) { authentication_ = value; }
  TSocksVersion Version() const { return version_; }
  void SetVersion(TSocksVersion value) { version_ = value; }
  // The relay's control connection; its read time-out bounds the relay's
  // negotiation.
  TNetIOHandlerStack& RelayControl() const { return *relayControl_; }

  // One SOCKS 5 request, sized to its address (a name takes up to 255 bytes).
  static TNetBytes BuildSocks5Request(const rtl::String& host, std::uint16_t port, std::uint8_t command);
  static TNetBytes PackUDPDatagram(const TNetBytes& data, const rtl::String& host, std::uint16_t port);
  // A datagram too short for its header leaves address, port and version
  // as they were and gives no data.
  static void UnpackUDPDatagram(const TNetBytes& datagram, rtl::String& address, std::uint16_t& port,
                                TNetIPVersion& version, TNetBytes& data);

 protected:
  void InitializeComponent() override;

 private:
  void WriteSocks4Request(TNetIOHandler& handler, const rtl::String& host, std::uint16_t port,
                          std::uint8_t command);
  void ConnectSocks4(TNetIOHandler& handler, const rtl::String& host, std::uint16_t port);
  void ConnectSocks5(TNetIOHandler& handler, const rtl::String& host, std::uint16_t port);
  void NegotiateSocks5(TNetIOHandler& handler);

  void OpenControlConnection(TNetIOHandlerSocket& handler, bool useProxyIPVersion);
  void BindSocks4(TNetIOHandlerSocket& handler, const rtl::String& host, std::uint16_t port);
  void BindSocks5(TNetIOHandlerSocket& handler, const rtl::String& host, std::uint16_t port);
  bool WaitSocks4Inbound(TNetIOHandlerSocket& handler, std::int32_t wait);
  bool WaitSocks5Inbound(TNetIOHandlerSocket& handler, std::int32_t wait);

  void OpenSocks5Relay(TNetSocketHandle& handle);
  void CloseSocks5Relay();
  void CheckUDPVersion() const;

  TSocksAuthentication authentication_ = saNoAuthentication;
  TSocksVersion version_ = svNoSocks;
  TNetIOHandlerStack* relayControl_ = nullptr;
};

}  // namespace net
