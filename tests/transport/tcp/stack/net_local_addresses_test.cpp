// The machine's own addresses through the adapter-listing functions, with
// the listing fed from crafted interface lists.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/net/iphlpapi/interface_addresses.h"
#include "transport/tcp/stack/net_local_addresses.h"
#include "tests/transport/tcp/net_stack_fixture.h"

using namespace net;
using platform::net::InterfaceAddress;

namespace {

std::vector<InterfaceAddress> g_interfaces;

InterfaceAddress V4(const char* adapter, std::uint32_t index, std::uint32_t hostOrder, std::uint8_t prefix,
                    bool loopback = false) {
  InterfaceAddress a{};
  a.adapter = adapter;
  a.index = index;
  a.loopback = loopback;
  a.family = ws::WS_AF_INET;
  for (int i = 0; i < 4; ++i) a.address[i] = static_cast<std::uint8_t>(hostOrder >> (24 - 8 * i));
  a.prefixLength = prefix;
  a.dadState = ws::WS_IpDadStatePreferred;
  return a;
}

InterfaceAddress V6(const char* adapter, std::uint32_t index, std::initializer_list<std::uint8_t> bytes, int dad,
                    bool loopback = false) {
  InterfaceAddress a{};
  a.adapter = adapter;
  a.index = index;
  a.loopback = loopback;
  a.family = ws::WS_AF_INET6;
  std::memcpy(a.address, bytes.begin(), bytes.size());
  a.prefixLength = 64;
  a.dadState = dad;
  return a;
}

std::uint32_t FakeAdapters(std::uint32_t, std::uint32_t, void*, ws::IP_ADAPTER_ADDRESSES* buffer, std::uint32_t* size) {
  return platform::net::FillAdaptersAddresses(g_interfaces, buffer, size);
}
std::uint32_t FakeAdapterInfo(ws::IP_ADAPTER_INFO* buffer, std::uint32_t* size) {
  return platform::net::FillAdaptersInfo(g_interfaces, buffer, size);
}
std::uint32_t NotSupported(std::uint32_t, std::uint32_t, void*, ws::IP_ADAPTER_ADDRESSES*, std::uint32_t* size) {
  *size = 0;
  return 50;
}
std::uint32_t AccessDenied(std::uint32_t, std::uint32_t, void*, ws::IP_ADAPTER_ADDRESSES*, std::uint32_t*) {
  return 5;
}

class LocalAddresses : public NetStackFixture {
 protected:
  void TearDown() override {
    iphlp::GetAdaptersAddresses.Reset();
    iphlp::GetAdaptersInfo.Reset();
    NetStackFixture::TearDown();
  }
  struct Item {
    std::u16string address, mask, adapter;
    TNetIPVersion version;
    std::int32_t index;
    bool operator==(const Item&) const = default;
  };
  static std::vector<Item> Collect() {
    TNetStackLocalAddressList list;
    GlobalStack()->CollectLocalAddresses(list);
    std::vector<Item> out;
    for (int i = 0; i < list.Count(); ++i) {
      TNetStackLocalAddress* a = list.Address(i);
      auto* v4 = dynamic_cast<TNetStackLocalAddressIPv4*>(a);
      out.push_back({a->AddressText(), v4 ? v4->NetMask() : u"-", a->AdapterName(), a->AddressIPVersion(),
                     a->AdapterIndex()});
    }
    return out;
  }
};

TEST_F(LocalAddresses, LoopbackAndTentativeAddressesAreSkipped) {
  iphlp::GetAdaptersAddresses.Set(&FakeAdapters);
  g_interfaces = {V4("lo", 1, 0x7F000001, 8, true), V6("lo", 1, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 4, true),
                  V4("eth0", 2, 0xC0000205, 24),
                  V6("eth0", 2, {0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, ws::WS_IpDadStateTentative),
                  V6("eth0", 2, {0x20, 0x01, 0x0D, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5}, ws::WS_IpDadStatePreferred),
                  V4("eth1", 3, 0x0A000001, 16)};
  EXPECT_EQ(Collect(), (std::vector<Item>{{u"192.0.2.5", u"255.255.255.0", u"eth0", Id_IPv4, 2},
                                          {u"2001:DB8:0:0:0:0:0:5", u"-", u"eth0", Id_IPv6, 2},
                                          {u"10.0.0.1", u"255.255.0.0", u"eth1", Id_IPv4, 3}}));

  g_interfaces = {V4("lo", 1, 0x7F000001, 8, true)};
  EXPECT_TRUE(Collect().empty());
  g_interfaces.clear();
  EXPECT_TRUE(Collect().empty());
}

TEST_F(LocalAddresses, AdapterInformationWhenAddressesAreNotSupported) {
  iphlp::GetAdaptersAddresses.Set(&NotSupported);
  iphlp::GetAdaptersInfo.Set(&FakeAdapterInfo);
  g_interfaces = {V4("eth0", 2, 0, 0), V4("eth0", 2, 0xC0000209, 24), V4("lo", 1, 0x7F000001, 8, true)};
  EXPECT_EQ(Collect(), (std::vector<Item>{{u"192.0.2.9", u"255.255.255.0", u"eth0", Id_IPv4, 2}}));
}

TEST_F(LocalAddresses, OtherFailuresRaise) {
  iphlp::GetAdaptersAddresses.Set(&AccessDenied);
  TNetStackLocalAddressList list;
  try {
    GlobalStack()->CollectLocalAddresses(list);
    FAIL();
  } catch (const rtl::EOSError& e) {
    EXPECT_EQ(e.ErrorCode, 5u);
  }
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(LocalAddresses, ThisMachineListsNoLoopback) {
  for (const Item& item : Collect()) {
    EXPECT_NE(item.address, u"127.0.0.1");
    EXPECT_NE(item.address, u"0:0:0:0:0:0:0:1");
  }
  EXPECT_EQ(MaskFromPrefix(20), u"255.255.240.0");
  EXPECT_EQ(MaskFromPrefix(33), u"");
  ui::TStringList masks;
  IPv4MaskList(masks);
  EXPECT_EQ(masks.Values(u"127.0.0.1"), u"255.0.0.0");
}

TEST_F(LocalAddresses, MissingLibraryFallsBack) {
  UnloadIphlpapiLibrary();
  platform::net::SetLibraryFile("IPHLPAPI.DLL", "");
  LoadIphlpapiLibrary();
  EXPECT_EQ(IphlpapiLibraryHandle(), nullptr);
  TNetStackLocalAddressList list;
  EXPECT_FALSE(LocalAddressesFromAdapters(list));
  GlobalStack()->CollectLocalAddresses(list);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(MaskFromPrefix(24), u"");
  std::uint32_t mask = 0;
  EXPECT_EQ(iphlp::ConvertLengthToIpv4Mask(40, &mask), 87u);
  EXPECT_EQ(mask, 0xFFFFFFFFu);
}

}  // namespace
