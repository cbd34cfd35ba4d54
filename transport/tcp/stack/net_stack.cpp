#include "transport/tcp/stack/net_stack.h"

#include <atomic>

#include "platform/runtime/convert.h"
#include "transport/tcp/stack/net_stack_windows.h"
#include "platform/runtime/rtl_string.h"

namespace net {
namespace {

struct StackState {
  // Made once and never freed, so that users released during process exit
  // still find it.
  TNetCriticalSection* lock = new TNetCriticalSection;
  std::unique_ptr<TNetStack> stack;
  std::atomic<TNetStack*> current{nullptr};
  std::int32_t users = 0;
  TNetStackFactory factory = &NewWindowsStack;
};

StackState& State() {
  static StackState* state = new StackState;
  return *state;
}

struct ListClass {
  std::atomic<TNetSocketListFactory> factory{&NewWindowsSocketList};
  std::atomic<TNetSelectListsFn> select{&WindowsSelectLists};
};
ListClass& Lists() {
  static ListClass lists;
  return lists;
}

struct ErrorEntry {
  std::int32_t code;
  const char* entry;
};
constexpr ErrorEntry kErrorTexts[] = {
    {10004, "rsstackeintr"},          {10009, "rsstackebadf"},           {10013, "rsstackeacces"},
    {10014, "rsstackefault"},         {10022, "rsstackeinval"},          {10024, "rsstackemfile"},
    {10035, "rsstackewouldblock"},    {10036, "rsstackeinprogress"},     {10037, "rsstackealready"},
    {10038, "rsstackenotsock"},       {10039, "rsstackedestaddrreq"},    {10040, "rsstackemsgsize"},
    {10041, "rsstackeprototype"},     {10042, "rsstackenoprotoopt"},     {10043, "rsstackeprotonosupport"},
    {10044, "rsstackesocktnosupport"}, {10045, "rsstackeopnotsupp"},     {10046, "rsstackepfnosupport"},
    {10047, "rsstackeafnosupport"},   {10048, "rsstackeaddrinuse"},      {10049, "rsstackeaddrnotavail"},
    {10050, "rsstackenetdown"},       {10051, "rsstackenetunreach"},     {10052, "rsstackenetreset"},
    {10053, "rsstackeconnaborted"},   {10054, "rsstackeconnreset"},      {10055, "rsstackenobufs"},
    {10056, "rsstackeisconn"},        {10057, "rsstackenotconn"},        {10058, "rsstackeshutdown"},
    {10059, "rsstacketoomanyrefs"},   {10060, "rsstacketimedout"},       {10061, "rsstackeconnrefused"},
    {10062, "rsstackeloop"},          {10063, "rsstackenametoolong"},    {10064, "rsstackehostdown"},
    {10065, "rsstackehostunreach"},   {10066, "rsstackenotempty"},
};

// A part of a dotted address: trimmed, decimal, -1 when no number.
std::int32_t DottedPart(std::u16string_view part) {
  std::int32_t value = 0;
  const rtl::String trimmed = rtl::Trim(part);
  if (trimmed.empty()) return -1;
  for (char16_t c : trimmed)
    if (c < u'0' || c > u'9') return -1;
  if (!rtl::TryStrToInt(trimmed, value)) return -1;
  return value;
}

}  // namespace

void ClearPacketInfo(TNetDatagramDetails& details) { details = TNetDatagramDetails{}; }

// --- local addresses ------------------------------------------------------
TNetStackLocalAddress::TNetStackLocalAddress(TNetStackLocalAddressList* collection, const rtl::String& address,
                                             TNetIPVersion version)
    : ui::TCollectionItem(collection), ipVersion_(version), address_(address) {}

TNetStackLocalAddressIPv4::TNetStackLocalAddressIPv4(TNetStackLocalAddressList* collection,
                                                     const rtl::String& address, const rtl::String& netMask)
    : TNetStackLocalAddress(collection, address, Id_IPv4), netMask_(netMask) {}

TNetStackLocalAddressIPv6::TNetStackLocalAddressIPv6(TNetStackLocalAddressList* collection,
                                                     const rtl::String& address)
    : TNetStackLocalAddress(collection, address, Id_IPv6) {}

TNetStackLocalAddressList::TNetStackLocalAddressList()
    : ui::TCollection([](ui::TCollection* c) -> ui::TCollectionItem* {
        return new TNetStackLocalAddress(static_cast<TNetStackLocalAddressList*>(c), {}, Id_IPv4);
      }) {}

// --- socket lists ---------------------------------------------------------
std::unique_ptr<TNetSocketList> TNetSocketList::NewSocketList() { return Lists().factory.load()(); }

bool TNetStack::WaitReadableOn(TNetStackSocketHandle socket, std::int32_t timeout) {
  const std::unique_ptr<TNetSocketList> list = TNetSocketList::NewSocketList();
  list->AddSocket(socket);
  return list->SelectForRead(timeout);
}

bool TNetSocketList::SelectLists(TNetSocketList* readList, TNetSocketList* writeList, TNetSocketList* errorList,
                                 std::int32_t timeout) {
  const TNetSelectListsFn select = Lists().select.load();
  return select ? select(readList, writeList, errorList, timeout) : false;
}

void SetSocketListClass(TNetSocketListFactory factory, TNetSelectListsFn select) {
  Lists().factory.store(factory);
  Lists().select.store(select);
}

// --- the global stack -----------------------------------------------------
void SetStackClass(TNetStackFactory factory) {
  std::lock_guard<TNetCriticalSection> lock(*State().lock);
  State().factory = factory;
}

TNetStackFactory StackClass() {
  std::lock_guard<TNetCriticalSection> lock(*State().lock);
  return State().factory;
}

TNetStack* GlobalStack() { return State().current.load(std::memory_order_acquire); }

std::int32_t StackUsers() {
  std::lock_guard<TNetCriticalSection> lock(*State().lock);
  return State().users;
}

void TNetStack::IncUsage() {
  StackState& s = State();
  if (!s.lock) throw ENetStackError(u"GStackCriticalSection is nil in TNetStack.IncUsage");
  std::lock_guard<TNetCriticalSection> lock(*s.lock);
  if (s.users == 0) {
    if (s.stack) RaiseNet<ENetStackError>("rsstackalreadycreated");
    if (!s.factory) RaiseNet<ENetStackError>("rsstackclassundefined");
    s.stack = s.factory();
    s.current.store(s.stack.get(), std::memory_order_release);
  }
  ++s.users;
}

void TNetStack::DecUsage() {
  StackState& s = State();
  if (!s.lock) throw ENetStackError(u"GStackCriticalSection is nil in TNetStack.DecUsage");
  std::lock_guard<TNetCriticalSection> lock(*s.lock);
  if (s.users <= 0) return;
  if (--s.users == 0) {
    s.current.store(nullptr, std::memory_order_release);
    s.stack.reset();
  }
}

// --- base operations ------------------------------------------------------
TNetIPv6Address TNetStack::HostToNetIPv6(const TNetIPv6Address& address) {
  TNetIPv6Address out;
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = HostToNet16(address[i]);
  return out;
}

TNetIPv6Address TNetStack::NetToHostIPv6(const TNetIPv6Address& address) {
  TNetIPv6Address out;
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = NetToHost16(address[i]);
  return out;
}

rtl::String TNetStack::SocketErrorText(std::int32_t code) {
  rtl::String text;
  for (const ErrorEntry& e : kErrorTexts)
    if (e.code == code) {
      text = NetResourceString(e.entry);
      break;
    }
  return NetText("rsstackerror", {code, text});
}

void TNetStack::RaiseSocketCode(std::int32_t code) {
  if (code == Id_WSAENOTSOCK) throw ENetNotASocket(code, SocketErrorText(code));
  throw ENetSocketError(code, SocketErrorText(code));
}

void TNetStack::SetKeepAlive(TNetStackSocketHandle socket, bool enabled, std::int32_t, std::int32_t) {
  WriteOption(socket, Id_SOL_SOCKET, Id_SO_KEEPALIVE, enabled ? 1 : 0);
}

std::uint16_t TNetStack::InternetChecksum(const TNetBytes& bytes) {
  std::uint32_t sum = 0;
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) sum += static_cast<std::uint32_t>(bytes[i] | (bytes[i + 1] << 8));
  if (i < bytes.size()) sum += bytes[i];
  sum = (sum >> 16) + (sum & 0xFFFF);
  sum += sum >> 16;
  return static_cast<std::uint16_t>(~sum & 0xFFFF);
}

bool TNetStack::IsIPv4Text(std::u16string_view text) {
  std::u16string_view rest = text;
  for (int i = 0; i < 4; ++i) {
    std::u16string_view part;
    const std::size_t dot = rest.find(u'.');
    if (dot == std::u16string_view::npos) {
      part = rest;
      rest = {};
    } else {
      part = rest.substr(0, dot);
      rest = rest.substr(dot + 1);
    }
    const std::int32_t n = DottedPart(part);
    if (n < 0 || n > 255) return false;
    if (i < 3 && dot == std::u16string_view::npos) return false;
  }
  return rest.empty();
}

rtl::String TNetStack::ResolveAddress(const rtl::String& host, TNetIPVersion version) {
  switch (version) {
    case Id_IPv4:
      if (rtl::SameText(host, u"LOCALHOST")) return u"127.0.0.1";
      if (IsIPv4Text(host)) return host;
      return ResolveName(host, Id_IPv4);
    case Id_IPv6: {
      if (rtl::SameText(host, u"LOCALHOST")) return u"::1";
      TNetIPv6Address address;
      bool failed = false;
      IPv6TextToAddress(host, address, failed);
      if (!failed) return CanonicalIPv6Text(host);
      return ResolveName(host, Id_IPv6);
    }
  }
  RaiseIPVersionUnsupported();
}

std::int32_t TNetStack::CheckSocketResult(std::int32_t result) {
  if (result == Id_SOCKET_ERROR) RaiseLastFailure();
  return result;
}

std::int32_t TNetStack::CheckSocketResult(std::int32_t result, std::initializer_list<std::int32_t> tolerated) {
  if (result != Id_SOCKET_ERROR) return result;
  const std::int32_t code = LastSocketError();
  for (std::int32_t t : tolerated)
    if (t == code) return code;
  RaiseSocketCode(code);
}

void TNetStack::RaiseLastFailure() { RaiseSocketCode(LastSocketError()); }

void TNetStack::RaiseIPVersionUnsupported() { RaiseNet<ENetIPVersionUnsupported>("rsipversionunsupported"); }

bool TNetStack::IsIPv4MulticastGroup(std::u16string_view text) {
  if (!IsIPv4Text(text)) return false;
  const std::int32_t first = DottedPart(text.substr(0, text.find(u'.')));
  return first >= 224 && first <= 239;
}

bool TNetStack::IsIPv6MulticastGroup(std::u16string_view text) {
  TNetIPv6Address address;
  bool failed = false;
  IPv6TextToAddress(text, address, failed);
  if (failed) return false;
  return TextStartsWith(rtl::UpperCase(CanonicalIPv6Text(text)), u"FF");
}

}  // namespace net
