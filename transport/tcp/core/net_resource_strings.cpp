#include "transport/tcp/core/net_resource_strings.h"

#include <map>
#include <mutex>
#include <string>

namespace net {
namespace {

struct Entry {
  const char* table;
  const char* name;
  const char16_t* text;
};

constexpr const char* kMain = "netresourcestrings";
constexpr const char* kCore = "netresourcestringscore";

constexpr Entry kEntries[] = {
    {kMain, "rsinvalidsourcearray", u"Invalid source array"},
    {kMain, "rsinvaliddestinationarray", u"Invalid destination array"},
    {kMain, "rscharindexoutofbounds", u"Character index out of bounds (%d)"},
    {kMain, "rsinvalidcharcount", u"Invalid count (%d)"},
    {kMain, "rsinvaliddestinationindex", u"Invalid destination index (%d)"},
    {kMain, "rsinvalidcodepage", u"Invalid codepage (%d)"},
    {kMain, "rswinsockcallerror", u"Error on call to Winsock2 library function %s"},
    {kMain, "rswinsockloaderror", u"Error on loading Winsock2 library (%s)"},
    {kMain, "rsstatusresolving", u"Resolving hostname %s."},
    {kMain, "rsstatusconnecting", u"Connecting to %s."},
    {kMain, "rsstatusconnected", u"Connected."},
    {kMain, "rsstatusdisconnecting", u"Disconnecting."},
    {kMain, "rsstatusdisconnected", u"Disconnected."},
    {kMain, "rsstatustext", u"%s"},
    {kMain, "rsstackerror", u"Socket Error # %d\r\n%s"},
    {kMain, "rsstackeintr", u"Interrupted system call."},
    {kMain, "rsstackebadf", u"Bad file number."},
    {kMain, "rsstackeacces", u"Access denied."},
    {kMain, "rsstackefault", u"Buffer fault."},
    {kMain, "rsstackeinval", u"Invalid argument."},
    {kMain, "rsstackemfile", u"Too many open files."},
    {kMain, "rsstackewouldblock", u"Operation would block."},
    {kMain, "rsstackeinprogress", u"Operation now in progress."},
    {kMain, "rsstackealready", u"Operation already in progress."},
    {kMain, "rsstackenotsock", u"Socket operation on non-socket."},
    {kMain, "rsstackedestaddrreq", u"Destination address required."},
    {kMain, "rsstackemsgsize", u"Message too long."},
    {kMain, "rsstackeprototype", u"Protocol wrong type for socket."},
    {kMain, "rsstackenoprotoopt", u"Bad protocol option."},
    {kMain, "rsstackeprotonosupport", u"Protocol not supported."},
    {kMain, "rsstackesocktnosupport", u"Socket type not supported."},
    {kMain, "rsstackeopnotsupp", u"Operation not supported on socket."},
    {kMain, "rsstackepfnosupport", u"Protocol family not supported."},
    {kMain, "rsstackeafnosupport", u"Address family not supported by protocol family."},
    {kMain, "rsstackeaddrinuse", u"Address already in use."},
    {kMain, "rsstackeaddrnotavail", u"Cannot assign requested address."},
    {kMain, "rsstackenetdown", u"Network is down."},
    {kMain, "rsstackenetunreach", u"Network is unreachable."},
    {kMain, "rsstackenetreset", u"Net dropped connection or reset."},
    {kMain, "rsstackeconnaborted", u"Software caused connection abort."},
    {kMain, "rsstackeconnreset", u"Connection reset by peer."},
    {kMain, "rsstackenobufs", u"No buffer space available."},
    {kMain, "rsstackeisconn", u"Socket is already connected."},
    {kMain, "rsstackenotconn", u"Socket is not connected."},
    {kMain, "rsstackeshutdown", u"Cannot send or receive after socket is closed."},
    {kMain, "rsstacketoomanyrefs", u"Too many references, cannot splice."},
    {kMain, "rsstacketimedout", u"Connection timed out."},
    {kMain, "rsstackeconnrefused", u"Connection refused."},
    {kMain, "rsstackeloop", u"Too many levels of symbolic links."},
    {kMain, "rsstackenametoolong", u"File name too long."},
    {kMain, "rsstackehostdown", u"Host is down."},
    {kMain, "rsstackehostunreach", u"No route to host."},
    {kMain, "rsstackenotempty", u"Directory not empty"},
    {kMain, "rsstackhost_not_found", u"Host not found."},
    {kMain, "rsstackclassundefined", u"Stack Class is undefined."},
    {kMain, "rsstackalreadycreated", u"Stack already created."},
    {kMain, "rsantifreezeonlyone", u"Only one TNetAntiFreeze can exist per application."},
    {kMain, "rscannotsetipversionwhenconnected", u"Cannot change IPVersion when connected"},
    {kMain, "rscannotbindrange", u"Can not bind in port range (%d - %d)"},
    {kMain, "rsconnectionclosedgracefully", u"Connection Closed Gracefully."},
    {kMain, "rscouldnotbindsocket", u"Could not bind socket."},
    {kMain, "rsinvalidportrange", u"Invalid Port Range (%d - %d)"},
    {kMain, "rsinvalidservicename", u"%s is not a valid service."},
    {kMain, "rsinvalidipv6address", u"%s is not a valid IPv6 address"},
    {kMain, "rsipversionunsupported", u"The requested IPVersion / Address family is not supported."},
    {kMain, "rsnotallbytessent", u"Not all bytes sent."},
    {kMain, "rspackagesizetoobig", u"Package Size Too Big."},
    {kMain, "rssetsizeexceeded", u"Set Size Exceeded."},

    {kCore, "rssocksudpnotsupported", u"UDP is not support in this SOCKS version."},
    {kCore, "rssocksrequestfailed", u"Request rejected or failed."},
    {kCore, "rssocksrequestserverfailed", u"Request rejected because SOCKS server cannot connect."},
    {kCore, "rssocksrequestidentfailed",
     u"Request rejected because the client program and identd report different user-ids."},
    {kCore, "rssocksunknownerror", u"Unknown socks error."},
    {kCore, "rssocksserverresponderror", u"Socks server did not respond."},
    {kCore, "rssocksauthmethoderror", u"Invalid socks authentication method."},
    {kCore, "rssocksautherror", u"Authentication error to socks server."},
    {kCore, "rssocksservergeneralerror", u"General SOCKS server failure."},
    {kCore, "rssocksserverpermissionerror", u"Connection not allowed by ruleset."},
    {kCore, "rssocksservernetunreachableerror", u"Network unreachable."},
    {kCore, "rssocksserverhostunreachableerror", u"Host unreachable."},
    {kCore, "rssocksserverconnectionrefusederror", u"Connection refused."},
    {kCore, "rssocksserverttlexpirederror", u"TTL expired."},
    {kCore, "rssocksservercommanderror", u"Command not supported."},
    {kCore, "rssocksserveraddresserror", u"Address type not supported."},
    {kCore, "rsinterceptcircularlink", u"%s: Circular links are not allowed"},
    {kCore, "rsnotenoughdatainbuffer", u"Not enough data in buffer."},
    {kCore, "rstoomuchdatainbuffer", u"Too much data in buffer."},
    {kCore, "rsfilenotfound", u"File \"%s\" not found"},
    {kCore, "rsnotconnected", u"Not Connected"},
    {kCore, "rsobjecttypenotsupported", u"Object type not supported."},
    {kCore, "rsidnodatatoread", u"No data to read."},
    {kCore, "rsreadtimeout", u"Read timed out."},
    {kCore, "rsreadlnwaitmaxattemptsexceeded", u"Max line read attempts exceeded."},
    {kCore, "rsreadlnmaxlinelengthexceeded", u"Max line length exceeded."},
    {kCore, "rsrequireslargestream", u"Set LargeStream to True to send streams greater than 2GB"},
    {kCore, "rsdatatoolarge", u"Data is too large for stream"},
    {kCore, "rsconnecttimeout", u"Connect timed out."},
    {kCore, "rsalreadyconnected", u"Already connected."},
    {kCore, "rsmaximumnumberofcapturelineexceeded", u"Maximum number of line allowed exceeded"},
    {kCore, "rsinterceptisdifferent", u"The IOHandler already has a different Intercept assigned"},
    {kCore, "rstransparentproxycannotbind", u"Transparent proxy cannot bind."},
    {kCore, "rstransparentproxycannotsupportudp", u"UDP Not supported by this proxy."},
    {kCore, "rsbuffermissingterminator", u"Buffer terminator must be specified."},
    {kCore, "rsbufferinvalidstartpos", u"Buffer start position is invalid."},
    {kCore, "rsreplyinvalidcode", u"Reply Code is not valid: %s"},
    {kCore, "rsreplycodealreadyexists", u"Reply Code already exists: %s"},
};

const Entry* FindEntry(std::string_view name) {
  for (const Entry& e : kEntries)
    if (name == e.name) return &e;
  return nullptr;
}

// Replaced texts; lookups are rare (one per raise), so one lock is enough.
std::mutex& OverrideLock() {
  static std::mutex m;
  return m;
}
std::map<std::string, rtl::String, std::less<>>& Overrides() {
  static std::map<std::string, rtl::String, std::less<>> m;
  return m;
}

}  // namespace

rtl::String NetResourceString(std::string_view name) {
  const Entry* e = FindEntry(name);
  if (!e) return {};
  std::lock_guard<std::mutex> lock(OverrideLock());
  auto it = Overrides().find(name);
  return it != Overrides().end() ? it->second : rtl::String(e->text);
}

bool SetNetResourceString(std::string_view name, const rtl::String& text) {
  if (!FindEntry(name)) return false;
  std::lock_guard<std::mutex> lock(OverrideLock());
  Overrides()[std::string(name)] = text;
  return true;
}

void ResetNetResourceStrings() {
  std::lock_guard<std::mutex> lock(OverrideLock());
  Overrides().clear();
}

bool IsNetResourceString(std::string_view table, std::string_view name) {
  const Entry* e = FindEntry(name);
  return e && table == e->table;
}

}  // namespace net
