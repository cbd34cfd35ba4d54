// The buffered byte channel between a TCP connection and its transport: the
// input buffer that collects received bytes until a reader takes them, an
// optional write buffer, read time-outs and the line-length policy. The
// transport steps (fetch, push, readability, disconnect check) belong to the
// descendants.
#pragma once

#include <cstdint>
#include <climits>
#include <memory>

#include "transport/tcp/stack/net_buffer.h"
#include "transport/tcp/stack/net_component.h"
#include "transport/tcp/stack/net_intercept.h"
#include "transport/tcp/core/net_text_encoding.h"
#include "platform/runtime/streams.h"

namespace net {

// The socket error codes a transport tolerates as the end of a connection.
inline constexpr std::int32_t Id_WSAECONNABORTED = 10053;
inline constexpr std::int32_t Id_WSAECONNRESET = 10054;
inline constexpr std::int32_t Id_WSAESHUTDOWN = 10058;
inline constexpr std::int32_t Id_WSAETIMEDOUT = 10060;


// Time-outs: -1 stands for ReadTimeout, -2 for no limit, 1 or more for ms.
inline constexpr std::int32_t NetTimeoutDefault = -1;
inline constexpr std::int32_t NetTimeoutInfinite = -2;

class TNetIOHandler : public TNetComponent {
  JQ_UI_CLASSINFO
 public:
  using TNetComponent::TNetComponent;
  ~TNetIOHandler() override;

  virtual rtl::String Destination() const { return destination_; }
  virtual void SetDestination(const rtl::String& value) { destination_ = value; }
  const rtl::String& Host() const { return host_; }
  virtual void SetHost(const rtl::String& value) { host_ = value; }
  std::int32_t Port() const { return port_; }
  virtual void SetPort(std::int32_t value) { port_ = value; }
  TNetConnectionIntercept* Intercept() const { return intercept_; }
  virtual void SetIntercept(TNetConnectionIntercept* value);

  virtual bool IsConnected();
  virtual void CheckDisconnected(bool raiseIfDisconnected, bool ignoreBuffer) = 0;
  virtual bool WaitForData(std::int32_t timeout = NetTimeoutDefault);
  virtual void OpenHandler();
  virtual void CloseHandler();
  virtual void MarkPeerClosed() { peerClosed_ = true; }
  virtual void WriteBlock(const TNetBytes& bytes, std::int32_t length = -1, std::int32_t offset = 0);
  virtual bool IsReadable(std::int32_t timeout);
  virtual void ReadBlock(TNetBytes& bytes, std::int32_t count, bool append = false);
  virtual void AdoptAcceptedSocket() {}
  virtual void CancelWriteBuffer();
  virtual void ClearWriteBuffer();
  virtual void CloseWriteBuffer();
  virtual void FlushWriteBuffer(std::int32_t count = -1);
  virtual void OpenWriteBuffer(std::int32_t threshold = -1);

  // Text and line operations. A missing byte encoding is the handler's
  // DefaultByteEncoding, else ASCII.
  virtual void WriteText(const rtl::String& text, TNetTextEncodingRef byteEncoding = nullptr);
  virtual void WriteLine(const rtl::String& text = {}, TNetTextEncodingRef byteEncoding = nullptr);
  virtual void WriteDotStuffedLine(const rtl::String& text, TNetTextEncodingRef byteEncoding = nullptr);
  // Sent as one write unless write buffering was already open.
  virtual void WriteLines(const ui::TStrings& lines, bool writeCount = false,
                          TNetTextEncodingRef byteEncoding = nullptr);
  // An empty terminator is LF; with LF a CR before it is dropped too. Returns
  // an empty text with LineTimedOut set when the time-out passed.
  virtual rtl::String ReadLine(const rtl::String& terminator = u"\n", std::int32_t timeout = NetTimeoutDefault,
                               std::int32_t maxLength = -1, TNetTextEncodingRef byteEncoding = nullptr);
  virtual rtl::String ReadNonEmptyLine(std::int32_t attemptLimit = INT32_MAX,
                                       TNetTextEncodingRef byteEncoding = nullptr);
  virtual rtl::String ReadAllText(TNetTextEncodingRef byteEncoding = nullptr);
  // Reads characters up to an LF with line editing (backspace, tab
  // expansion); a max length below 0 is MaxLineLength.
  virtual rtl::String ReadEchoedLine(const rtl::String& mask = {}, bool echo = true, std::int32_t tabWidth = 8,
                                     std::int32_t maxLength = -1, TNetTextEncodingRef byteEncoding = nullptr,
                                     TNetTextEncodingRef textEncoding = nullptr);
  // One character off the wire in the byte encoding, returned as the first
  // byte of its form in the text encoding (system code page by default).
  char ReadCharacter(TNetTextEncodingRef byteEncoding = nullptr, TNetTextEncodingRef textEncoding = nullptr);
  // Lines up to the delimiter line, into a list or as CR LF lines into a
  // stream; returns the number of lines taken.
  virtual std::int32_t CaptureLines(ui::TStrings& destination, const rtl::String& delimiter = u".",
                                    bool dotTransparency = true, TNetTextEncodingRef byteEncoding = nullptr);
  virtual std::int32_t CaptureLines(rtl::TStream& destination, const rtl::String& delimiter = u".",
                                    bool dotTransparency = true, TNetTextEncodingRef byteEncoding = nullptr);
  // Size < 0: from the position to the end; 0: the whole stream from its
  // start. With writeSize the size goes first, 32 or 64 bits by LargeStream.
  virtual void WriteStream(rtl::TStream& stream, std::int64_t size = 0, bool writeSize = false);
  // Count -1 without untilDisconnect reads the size from the wire first; a
  // null stream discards what is read.
  virtual void ReadIntoStream(rtl::TStream* stream, std::int64_t count = -1, bool untilDisconnect = false);
  // Returns the bytes sent.
  virtual std::int64_t SendFile(const rtl::String& fileName, bool allowSystemTransfer = false);

  void WriteOctet(std::uint8_t value);
  void WriteCharacter(char16_t value, TNetTextEncodingRef byteEncoding = nullptr);
  void WriteInteger16(std::int16_t value, bool convert = true);
  void WriteInteger32(std::int32_t value, bool convert = true);
  void WriteInteger64(std::int64_t value, bool convert = true);
  std::uint8_t ReadOctet();
  std::int32_t ReadInteger32(bool convert = true);
  std::int64_t ReadInteger64(bool convert = true);

  // Bytes added (> 0), 0 when the peer closed or nothing could be read, -1
  // on a time-out. The one place where received bytes enter InBuffer; with
  // `direct`, and no intercept to see them, they are appended there instead.
  std::int32_t FillInBuffer(bool raiseIfDisconnected = true, std::int32_t timeout = NetTimeoutDefault,
                            bool raiseOnTimeout = true, TNetBytes* direct = nullptr);
  // Appends what has arrived to `bytes`: the unread input, or else what one
  // fetch brings within `timeout` ms (handed over without passing through
  // InBuffer). Raises as ReadBlock does: "Read timed out." when nothing
  // comes in time, a closed-connection error once the peer has gone.
  void ReadArrived(TNetBytes& bytes, std::int32_t timeout);
  void SendDirect(const TNetBytes& bytes, std::int32_t length = -1, std::int32_t offset = 0);
  bool InBufferEmpty() const { return inBuffer_->Size() == 0; }
  bool IsWriteBuffering() const { return outBuffer_ != nullptr; }
  [[noreturn]] void RaiseClosedGracefully();
  // ReadTimeout -1 or 0 resolves to no limit.
  std::int32_t ResolveTimeout(std::int32_t timeout) const;

  TNetBuffer& InBuffer() { return *inBuffer_; }
  TNetBuffer* OutBuffer() { return outBuffer_.get(); }
  bool LargeStream() const { return largeStream_; }
  void SetLargeStream(bool value) { largeStream_ = value; }
  bool PeerClosed() const { return peerClosed_; }
  std::int32_t ConnectTimeout() const { return connectTimeout_; }
  void SetConnectTimeout(std::int32_t value) { connectTimeout_ = value; }
  std::int32_t CaptureLineLimit() const { return captureLineLimit_; }
  void SetCaptureLineLimit(std::int32_t value) { captureLineLimit_ = value; }
  TNetMaxLineAction MaxLineAction() const { return maxLineAction_; }
  void SetMaxLineAction(TNetMaxLineAction value) { maxLineAction_ = value; }
  std::int32_t MaxLineLength() const { return maxLineLength_; }
  void SetMaxLineLength(std::int32_t value) { maxLineLength_ = value; }
  bool IsOpen() const { return isOpen_; }
  bool LineWasSplit() const { return lineWasSplit_; }
  bool LineTimedOut() const { return lineTimedOut_; }
  std::int32_t ReadTimeout() const { return readTimeout_; }
  void SetReadTimeout(std::int32_t value) { readTimeout_ = value; }
  std::int32_t RecvBufferSize() const { return recvBufferSize_; }
  void SetRecvBufferSize(std::int32_t value) { recvBufferSize_ = value; }
  std::int32_t SendBufferSize() const { return sendBufferSize_; }
  void SetSendBufferSize(std::int32_t value) { sendBufferSize_ = value; }
  std::int32_t OutBufferThreshold() const { return outBufferThreshold_; }
  TNetTextEncodingRef DefaultByteEncoding() const { return defaultByteEncoding_; }
  void SetDefaultByteEncoding(TNetTextEncodingRef value) { defaultByteEncoding_ = std::move(value); }
  TNetTextEncodingRef DefaultTextEncoding() const { return defaultTextEncoding_; }
  void SetDefaultTextEncoding(TNetTextEncodingRef value) { defaultTextEncoding_ = std::move(value); }

 protected:
  void InitializeComponent() override;
  void ComponentNotification(ui::TComponent* AComponent, ui::TOperation Operation) override;

  // At most bytes.size() bytes; > 0 count, 0 closed by the peer, < 0 failure.
  virtual std::int32_t FetchFromSource(TNetBytes& bytes) = 0;
  // Bytes written, 0 closed, < 0 failure.
  virtual std::int32_t PushToTarget(const TNetBytes& bytes, std::int32_t offset, std::int32_t count) = 0;
  virtual bool HasSource() const = 0;
  // True when the next FetchFromSource itself waits up to `timeout` (ms, or
  // NetTimeoutInfinite) and answers a wait that passed with a 10060 failure;
  // then a read makes one call instead of a readability wait and a fetch.
  virtual bool FetchWaits(std::int32_t) { return false; }
  // Returns the tolerated error code of a failed result, or raises.
  virtual std::int32_t ErrorFromResult(std::int32_t result) = 0;
  [[noreturn]] virtual void RaiseSocketFailure(std::int32_t code) = 0;

  bool peerClosed_ = false;
  bool lineWasSplit_ = false;
  bool lineTimedOut_ = false;

 private:
  bool largeStream_ = false;
  std::int32_t connectTimeout_ = 0;
  rtl::String destination_;
  rtl::String host_;
  std::unique_ptr<TNetBuffer> inBuffer_;
  TNetConnectionIntercept* intercept_ = nullptr;
  std::int32_t captureLineLimit_ = -1;
  TNetMaxLineAction maxLineAction_ = maException;
  std::int32_t maxLineLength_ = 16384;
  bool isOpen_ = false;
  std::int32_t port_ = 0;
  std::int32_t readTimeout_ = -1;
  std::int32_t recvBufferSize_ = 32768;
  std::int32_t sendBufferSize_ = 32768;
  std::unique_ptr<TNetBuffer> outBuffer_;
  std::int32_t outBufferThreshold_ = 0;
  TNetBytes receiveBlock_;
  TNetTextEncodingRef defaultByteEncoding_;
  TNetTextEncodingRef defaultTextEncoding_;
};

// The class registry of I/O handlers: the default class is what a TCP
// client gets when it needs a handler.
using TNetIOHandlerFactory = TNetIOHandler* (*)(ui::TComponent* owner);
void RegisterHandlerClass(TNetIOHandlerFactory factory);
void UseAsDefaultClass(TNetIOHandlerFactory factory);
bool IsRegisteredHandlerClass(TNetIOHandlerFactory factory);
// nullptr while no class was made the default.
TNetIOHandler* CreateDefaultHandler(ui::TComponent* owner);

}  // namespace net
