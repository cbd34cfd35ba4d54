// The socket stack over the run-time bound system socket library, with the
// BSD-style base it shares with any such interface, and the socket list as a
// select set of at most 64 sockets.
#pragma once

#include "transport/tcp/stack/net_stack.h"

namespace net {

class TNetStackBSDBase : public TNetStack {
 public:
  TNetStackBSDBase();
  ~TNetStackBSDBase() override;

  TNetStackSocketHandle MakeSocket(std::int32_t socketType, std::int32_t protocol, TNetIPVersion version,
                                   bool overlapped) override;
  std::int32_t ReadOption(TNetStackSocketHandle socket, std::int32_t level, std::int32_t option) override;
  void WriteOption(TNetStackSocketHandle socket, std::int32_t level, std::int32_t option,
                   std::int32_t value) override;
  std::int32_t ReceiveOn(TNetStackSocketHandle socket, TNetBytes& bytes) override;
  std::int32_t SendOn(TNetStackSocketHandle socket, const TNetBytes& bytes, std::int32_t offset = 0,
                      std::int32_t count = -1) override;
  std::int32_t ReceiveFromOn(TNetStackSocketHandle socket, TNetBytes& bytes, rtl::String& address,
                             std::uint16_t& port, TNetIPVersion& version) override;
  void SendToOn(TNetStackSocketHandle socket, const rtl::String& address, std::uint16_t port, TNetIPVersion version,
                const TNetBytes& bytes, std::int32_t offset = 0, std::int32_t count = -1) override;
  void SetMulticastHops(TNetStackSocketHandle socket, std::int32_t value, TNetIPVersion version) override;
  void SetMulticastLoop(TNetStackSocketHandle socket, bool flag, TNetIPVersion version) override;
  void LeaveMulticastGroup(TNetStackSocketHandle socket, const rtl::String& group, const rtl::String& local,
                           TNetIPVersion version) override;
  void JoinMulticastGroup(TNetStackSocketHandle socket, const rtl::String& group, const rtl::String& local,
                          TNetIPVersion version) override;

  virtual std::int32_t CloseSocketCall(TNetStackSocketHandle socket) = 0;
  virtual std::int32_t RecvCall(TNetStackSocketHandle socket, void* buffer, std::int32_t length,
                                std::int32_t flags) = 0;
  virtual std::int32_t SendCall(TNetStackSocketHandle socket, const void* buffer, std::int32_t length,
                                std::int32_t flags) = 0;
  virtual std::int32_t ShutdownCall(TNetStackSocketHandle socket, std::int32_t how) = 0;
  virtual void GetOptionCall(TNetStackSocketHandle socket, std::int32_t level, std::int32_t option, void* value,
                             std::int32_t& length) = 0;
  virtual void SetOptionCall(TNetStackSocketHandle socket, std::int32_t level, std::int32_t option,
                             const void* value, std::int32_t length) = 0;
  virtual bool CheckIPVersionSupport(TNetIPVersion version) = 0;
  virtual std::uint16_t ServicePort(const rtl::String& serviceName) = 0;
  // A new list the caller owns; nothing is left behind when the lookup raises.
  virtual std::unique_ptr<ui::TStringList> ServiceNames(std::uint16_t port);
  virtual void AddServiceNames(std::uint16_t port, ui::TStrings& list) = 0;
  virtual std::int32_t RecvFromCall(TNetStackSocketHandle socket, void* buffer, std::int32_t length,
                                    std::int32_t flags, rtl::String& address, std::uint16_t& port,
                                    TNetIPVersion& version) = 0;
  virtual void SendToCall(TNetStackSocketHandle socket, const void* buffer, std::int32_t length, std::int32_t flags,
                          const rtl::String& address, std::uint16_t port, TNetIPVersion version) = 0;
  virtual TNetStackSocketHandle SocketCall(std::int32_t family, std::int32_t socketType, std::int32_t protocol,
                                           bool overlapped) = 0;
  virtual void SetBlocking(TNetStackSocketHandle socket, bool blocking) = 0;
  virtual bool IsWouldBlock(std::int32_t code) = 0;

  // Address bytes (4 or 16, network order) <-> text.
  rtl::String AddressToText(const std::uint8_t* address, TNetIPVersion version);
  void TextToAddress(const rtl::String& text, std::uint8_t* address, TNetIPVersion version);
  static std::int32_t FamilyOf(TNetIPVersion version);
};

class TNetStackWindows : public TNetStackBSDBase {
 public:
  // Loads and starts the system libraries the first time in a process;
  // ENetStackInitializationFailed when that fails.
  TNetStackWindows();
  ~TNetStackWindows() override;

  rtl::String ResolveName(const rtl::String& host, TNetIPVersion version) override;
  rtl::String LocalHostName() override;
  TNetStackSocketHandle AcceptConnection(TNetStackSocketHandle socket, rtl::String& address, std::uint16_t& port,
                                         TNetIPVersion& version) override;
  void BindSocket(TNetStackSocketHandle socket, const rtl::String& address, std::uint16_t port,
                  TNetIPVersion version) override;
  void ConnectSocketTo(TNetStackSocketHandle socket, const rtl::String& address, std::uint16_t port,
                       TNetIPVersion version) override;
  void ShutdownAndClose(TNetStackSocketHandle socket) override;
  std::int32_t ControlSocket(TNetStackSocketHandle socket, std::int32_t command, std::uint32_t& argument) override;
  void PeerAddressOf(TNetStackSocketHandle socket, rtl::String& address, std::uint16_t& port,
                     TNetIPVersion& version) override;
  void LocalAddressOf(TNetStackSocketHandle socket, rtl::String& address, std::uint16_t& port,
                      TNetIPVersion& version) override;
  rtl::String NameOfAddress(const rtl::String& address, TNetIPVersion version) override;
  std::uint16_t HostToNet16(std::uint16_t value) override;
  std::uint32_t HostToNet32(std::uint32_t value) override;
  std::uint64_t HostToNet64(std::uint64_t value) override;
  std::uint16_t NetToHost16(std::uint16_t value) override;
  std::uint32_t NetToHost32(std::uint32_t value) override;
  std::uint64_t NetToHost64(std::uint64_t value) override;
  void ListenOn(TNetStackSocketHandle socket, std::int32_t backlog) override;
  std::int32_t LastSocketError() override;
  void SetLastSocketError(std::int32_t code) override;
  rtl::String SocketErrorText(std::int32_t code) override;
  std::int32_t ReceiveWithInfo(TNetStackSocketHandle socket, TNetBytes& bytes,
                               TNetDatagramDetails& details) override;
  bool HasIPv4Support() override;
  bool HasIPv6Support() override;
  void SetKeepAlive(TNetStackSocketHandle socket, bool enabled, std::int32_t timeMs,
                    std::int32_t intervalMs) override;
  void StoreChecksum(TNetStackSocketHandle socket, TNetBytes& bytes, std::int32_t offset, const rtl::String& address,
                     std::uint16_t port, TNetIPVersion version) override;
  void CollectLocalAddresses(TNetStackLocalAddressList& list) override;

  std::int32_t CloseSocketCall(TNetStackSocketHandle socket) override;
  std::int32_t RecvCall(TNetStackSocketHandle socket, void* buffer, std::int32_t length, std::int32_t flags) override;
  bool WaitReadableOn(TNetStackSocketHandle socket, std::int32_t timeout) override;
  std::int32_t SendCall(TNetStackSocketHandle socket, const void* buffer, std::int32_t length,
                        std::int32_t flags) override;
  std::int32_t ShutdownCall(TNetStackSocketHandle socket, std::int32_t how) override;
  void GetOptionCall(TNetStackSocketHandle socket, std::int32_t level, std::int32_t option, void* value,
                     std::int32_t& length) override;
  void SetOptionCall(TNetStackSocketHandle socket, std::int32_t level, std::int32_t option, const void* value,
                     std::int32_t length) override;
  bool CheckIPVersionSupport(TNetIPVersion version) override;
  std::uint16_t ServicePort(const rtl::String& serviceName) override;
  void AddServiceNames(std::uint16_t port, ui::TStrings& list) override;
  std::int32_t RecvFromCall(TNetStackSocketHandle socket, void* buffer, std::int32_t length, std::int32_t flags,
                            rtl::String& address, std::uint16_t& port, TNetIPVersion& version) override;
  void SendToCall(TNetStackSocketHandle socket, const void* buffer, std::int32_t length, std::int32_t flags,
                  const rtl::String& address, std::uint16_t port, TNetIPVersion version) override;
  TNetStackSocketHandle SocketCall(std::int32_t family, std::int32_t socketType, std::int32_t protocol,
                                   bool overlapped) override;
  void SetBlocking(TNetStackSocketHandle socket, bool blocking) override;
  bool IsWouldBlock(std::int32_t code) override;

 private:
  // Fills a 128-byte address record; answers its length.
  std::int32_t BuildAddress(ws::sockaddr_storage& record, const rtl::String& address, std::uint16_t port,
                            TNetIPVersion version);
  // Reads a record the system filled; false for a family other than IPv4/IPv6.
  bool DecodeAddress(const ws::sockaddr_storage& record, rtl::String& address, std::uint16_t& port,
                     TNetIPVersion& version);
  bool HasFamilySupport(std::int32_t family, TNetIPVersion version);
};

class TNetSocketListWindows : public TNetSocketList {
 public:
  TNetStackSocketHandle SocketAt(std::int32_t index) override;
  void AddSocket(TNetStackSocketHandle socket) override;
  std::unique_ptr<TNetSocketList> CloneList() override;
  std::int32_t SocketCount() override;
  void RemoveSocket(TNetStackSocketHandle socket) override;
  void ClearList() override;
  bool IncludesSocket(TNetStackSocketHandle socket) override;
  bool SelectForRead(std::int32_t timeout) override;
  bool SelectReadInto(std::unique_ptr<TNetSocketList>& list, std::int32_t timeout) override;

  static bool SelectListsWindows(TNetSocketList* readList, TNetSocketList* writeList, TNetSocketList* errorList,
                                 std::int32_t timeout);
  // The select with copies of the sets; -2 waits without limit.
  static bool RunSelect(ws::fd_set* readSet, ws::fd_set* writeSet, ws::fd_set* errorSet, std::int32_t timeout);

 private:
  ws::fd_set CopySet();
  void TakeSet(const ws::fd_set& set);
  ws::fd_set set_{};
};

// The classes the global stack and NewSocketList make unless told otherwise.
std::unique_ptr<TNetStack> NewWindowsStack();
std::unique_ptr<TNetSocketList> NewWindowsSocketList();
bool WindowsSelectLists(TNetSocketList* readList, TNetSocketList* writeList, TNetSocketList* errorList,
                        std::int32_t timeout);

// The last stack object constructed at each level, nullptr once it is gone.
TNetStackBSDBase* BSDStackInstance();
TNetStackWindows* WindowsStackInstance();

// Sends a whole file on a socket; the file's size when the transmission
// succeeded, else 0. Present on the platform family that has it (always here).
using TNetFileTransmitProc = std::int64_t (*)(TNetStackSocketHandle socket, const rtl::String& fileName);
TNetFileTransmitProc FileTransmitProc();
std::int64_t TransmitWholeFile(TNetStackSocketHandle socket, const rtl::String& fileName);

// Whether a stack constructor already loaded the system libraries in this
// process; UnloadStackLibraries (process or test teardown) frees them again.
bool WinsockStarted();
void UnloadStackLibraries();

}  // namespace net
