#include "transport/tcp/proxy/net_socks_wire.h"

#include <algorithm>

#include "transport/tcp/client/net_io_handler.h"
#include "transport/tcp/proxy/net_ip_address.h"

namespace net::detail {

void CheckSocks4Reply(std::uint8_t code) {
  switch (code) {
    case 90:
      return;
    case 91:
      RaiseNet<ENetSocksRequestFailed>("rssocksrequestfailed");
    case 92:
      RaiseNet<ENetSocksRequestServerFailed>("rssocksrequestserverfailed");
    case 93:
      RaiseNet<ENetSocksRequestIdentFailed>("rssocksrequestidentfailed");
    default:
      RaiseNet<ENetSocksUnknownError>("rssocksunknownerror");
  }
}

void CheckSocks5Reply(std::uint8_t code) {
  switch (code) {
    case 0:
      return;
    case 1:
      RaiseNet<ENetSocksServerGeneralError>("rssocksservergeneralerror");
    case 2:
      RaiseNet<ENetSocksServerPermissionError>("rssocksserverpermissionerror");
    case 3:
      RaiseNet<ENetSocksServerNetUnreachableError>("rssocksservernetunreachableerror");
    case 4:
      RaiseNet<ENetSocksServerHostUnreachableError>("rssocksserverhostunreachableerror");
    case 5:
      RaiseNet<ENetSocksServerConnectionRefusedError>("rssocksserverconnectionrefusederror");
    case 6:
      RaiseNet<ENetSocksServerTTLExpiredError>("rssocksserverttlexpirederror");
    case 7:
      RaiseNet<ENetSocksServerCommandError>("rssocksservercommanderror");
    case 8:
      RaiseNet<ENetSocksServerAddressError>("rssocksserveraddresserror");
    default:
      RaiseNet<ENetSocksUnknownError>("rssocksunknownerror");
  }
}

void AppendSocks5Address(TNetBytes& out, const rtl::String& host) {
  if (const std::unique_ptr<TNetIPAddress> ip = TNetIPAddress::ParseAddress(host)) {
    out.push_back(ip->AddressVersion == Id_IPv6 ? 4 : 1);
    const TNetBytes bytes = ip->ToNetworkBytes();
    out.insert(out.end(), bytes.begin(), bytes.end());
    return;
  }
  TNetBytes name = TextEncodingFor(EncodingDefault)->EncodeChars(host);
  // The length field is one byte.
  if (name.size() > 255) name.resize(255);
  out.push_back(3);
  out.push_back(static_cast<std::uint8_t>(name.size()));
  out.insert(out.end(), name.begin(), name.end());
}

void AppendPort(TNetBytes& out, std::uint16_t port) {
  out.push_back(static_cast<std::uint8_t>(port >> 8));
  out.push_back(static_cast<std::uint8_t>(port & 0xFF));
}

rtl::String IPv4TextAt(const TNetBytes& bytes, std::size_t at) {
  return rtl::IntToStr(bytes[at]) + u"." + rtl::IntToStr(bytes[at + 1]) + u"." + rtl::IntToStr(bytes[at + 2]) + u"." +
         rtl::IntToStr(bytes[at + 3]);
}

rtl::String IPv6TextAt(const TNetBytes& bytes, std::size_t at) {
  rtl::String text;
  for (std::size_t group = 0; group < 8; ++group) {
    if (group > 0) text += u":";
    text += rtl::IntToHex(bytes[at + 2 * group] * 256u + bytes[at + 2 * group + 1], 4);
  }
  return text;
}

TSocks5Address ReadSocks5Address(TNetIOHandler& handler, std::uint8_t type) {
  TSocks5Address result;
  result.type = type;
  TNetBytes tail;
  std::size_t length;
  switch (type) {
    case 1:
      length = 4;
      break;
    case 4:
      length = 16;
      break;
    case 3: {
      TNetBytes size;
      handler.ReadBlock(size, 1);
      length = size[0];
      break;
    }
    default:
      RaiseNet<ENetSocksServerRespondError>("rssocksserverresponderror");
  }
  handler.ReadBlock(tail, static_cast<std::int32_t>(length + 2));
  result.address.assign(tail.begin(), tail.begin() + static_cast<std::ptrdiff_t>(length));
  result.port = PortAt(tail, length);
  return result;
}

rtl::String Socks5AddressText(const TSocks5Address& address) {
  switch (address.type) {
    case 1:
      return IPv4TextAt(address.address, 0);
    case 4:
      return IPv6TextAt(address.address, 0);
    default:
      return TextEncodingFor(EncodingDefault)->DecodeToText(address.address);
  }
}

}  // namespace net::detail
