// A serial port as a non-visual component: line settings, flow control,
// parity handling, buffers and time-outs; synchronous and overlapped reads
// and writes; line events watched on a thread of its own and reported as
// events; link objects that hear of data and state changes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/classes/classes.h"
#include "components/support/ports/com_combo_box.h"
#include "components/support/ports/com_port_error.h"
#include "platform/serial/serial_api.h"
#include "platform/runtime/sync.h"
#include "platform/runtime/thread.h"

namespace kit {

enum TComEvent : std::uint8_t {
  evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD, evRx80Full
};
using TComEvents = ui::TSet<TComEvent>;
enum TComSignal : std::uint8_t { csCTS, csDSR, csRing, csRLSD };
using TComSignals = ui::TSet<TComSignal>;
enum TComError : std::uint8_t { ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull };
using TComErrors = ui::TSet<TComError>;
enum TComStateFlag : std::uint8_t { fCtlHold, fDsrHold, fRlsHold, fXoffHold, fXOffSent, fEof, fTxim };
using TComStateFlags = ui::TSet<TComStateFlag>;
enum TSyncMethod : std::uint8_t { smThreadSync, smWindowSync, smNone, smDisableEvents };
enum TDTRFlowControl : std::uint8_t { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl : std::uint8_t { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TStoredProp : std::uint8_t { spBasic, spFlowControl, spBuffer, spTimeouts, spParity, spOthers };
using TStoredProps = ui::TSet<TStoredProp>;
enum TOperationKind : std::uint8_t { okWrite, okRead };
enum TStoreType : std::uint8_t { stRegistry, stIniFile };
// The runtime's steps, mapped to nice values there.
using TThreadPriority = rtl::TThreadPriority;
using enum rtl::TThreadPriority;

constexpr TComEvents AllComEvents{evRxChar, evTxEmpty, evRxFlag, evRing,  evBreak,
                                  evCTS,    evDSR,     evError,  evRLSD,  evRx80Full};

// Platform event masks and back; platform bits without an event are ignored.
std::uint32_t EventsToMask(TComEvents Events);
TComEvents MaskToEvents(std::uint32_t Mask);

// Character text of the stored settings: "#<code>" or the character itself.
rtl::String ComCharToText(char Ch);
char ComTextToChar(const rtl::String& Text);

class TCustomComPort;
class TComThread;

// Option groups. Each tells its port to re-apply its group after a change.
class TComTimeouts : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TComTimeouts(TCustomComPort* Port = nullptr) : FComPort(Port) {}
  void Assign(const ui::TPersistent* Source) override;
  int ReadInterval() const { return FReadInterval; }
  void SetReadInterval(int Value);
  int ReadTotalMultiplier() const { return FReadTotalM; }
  void SetReadTotalMultiplier(int Value);
  int ReadTotalConstant() const { return FReadTotalC; }
  void SetReadTotalConstant(int Value);
  int WriteTotalMultiplier() const { return FWriteTotalM; }
  void SetWriteTotalMultiplier(int Value);
  int WriteTotalConstant() const { return FWriteTotalC; }
  void SetWriteTotalConstant(int Value);

 private:
  void Changed();
  TCustomComPort* FComPort;
  int FReadInterval = -1, FReadTotalM = 0, FReadTotalC = 0, FWriteTotalM = 100, FWriteTotalC = 1000;
};

class TComFlowControl : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TComFlowControl(TCustomComPort* Port = nullptr) : FComPort(Port) {}
  void Assign(const ui::TPersistent* Source) override;
  bool OutCTSFlow() const { return FOutCTSFlow; }
  void SetOutCTSFlow(bool Value);
  bool OutDSRFlow() const { return FOutDSRFlow; }
  void SetOutDSRFlow(bool Value);
  TDTRFlowControl ControlDTR() const { return FControlDTR; }
  void SetControlDTR(TDTRFlowControl Value);
  TRTSFlowControl ControlRTS() const { return FControlRTS; }
  void SetControlRTS(TRTSFlowControl Value);
  bool XonXoffOut() const { return FXonXoffOut; }
  void SetXonXoffOut(bool Value);
  bool XonXoffIn() const { return FXonXoffIn; }
  void SetXonXoffIn(bool Value);
  bool DSRSensitivity() const { return FDSRSensitivity; }
  void SetDSRSensitivity(bool Value);
  bool TxContinueOnXoff() const { return FTxContinueOnXoff; }
  void SetTxContinueOnXoff(bool Value);
  char XonChar() const { return FXonChar; }
  void SetXonChar(char Value);
  char XoffChar() const { return FXoffChar; }
  void SetXoffChar(char Value);
  // Derived from RTS control, CTS flow and Xon/Xoff; fcCustom changes nothing.
  TFlowControl FlowControl() const;
  void SetFlowControl(TFlowControl Value);

 private:
  void Changed();
  TCustomComPort* FComPort;
  bool FOutCTSFlow = false, FOutDSRFlow = false;
  TDTRFlowControl FControlDTR = dtrDisable;
  TRTSFlowControl FControlRTS = rtsDisable;
  bool FXonXoffOut = false, FXonXoffIn = false, FDSRSensitivity = false, FTxContinueOnXoff = false;
  char FXonChar = 17, FXoffChar = 19;
};

class TComParity : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TComParity(TCustomComPort* Port = nullptr) : FComPort(Port) {}
  void Assign(const ui::TPersistent* Source) override;
  TParityBits Bits() const { return FBits; }
  void SetBits(TParityBits Value);
  bool Check() const { return FCheck; }
  void SetCheck(bool Value);
  bool Replace() const { return FReplace; }
  void SetReplace(bool Value);
  char ReplaceChar() const { return FReplaceChar; }
  void SetReplaceChar(char Value);

 private:
  void Changed();
  TCustomComPort* FComPort;
  TParityBits FBits = prNone;
  bool FCheck = false, FReplace = false;
  char FReplaceChar = 0;
};

class TComBuffer : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TComBuffer(TCustomComPort* Port = nullptr) : FComPort(Port) {}
  void Assign(const ui::TPersistent* Source) override;
  int InputSize() const { return FInputSize; }
  // Odd sizes are lowered by one.
  void SetInputSize(int Value);
  int OutputSize() const { return FOutputSize; }
  void SetOutputSize(int Value);

 private:
  void Changed();
  TCustomComPort* FComPort;
  int FInputSize = 1024, FOutputSize = 1024;
};

// Callbacks a port calls for every registered link; the sender is the port.
class TComLink {
 public:
  virtual ~TComLink() = default;
  std::function<void(ui::TObject* Sender, bool OnOff)> OnConn;
  std::function<void(ui::TObject* Sender, const void* Buffer, int Count)> OnRxBuf;
  std::function<void(ui::TObject* Sender, const void* Buffer, int Count)> OnTxBuf;
  std::function<void(ui::TObject* Sender)> OnTxEmpty;
  std::function<void(ui::TObject* Sender)> OnRxFlag;
  std::function<void(ui::TObject* Sender, bool OnOff)> OnCTSChange;
  std::function<void(ui::TObject* Sender, bool OnOff)> OnDSRChange;
  std::function<void(ui::TObject* Sender, bool OnOff)> OnRLSDChange;
  std::function<void(ui::TObject* Sender)> OnRing;
  std::function<void(ui::TObject* Sender, bool OnOff)> OnTx;
  std::function<void(ui::TObject* Sender, bool OnOff)> OnRx;
};

// One overlapped operation: its platform block, its kind and a copy of its data.
struct TComPortsAsync {
  platform::serial::Overlapped Overlapped;
  TOperationKind Kind = okWrite;
  std::vector<std::uint8_t> Data;
  // While an operation runs: the port it runs on and when a write gives up.
  TCustomComPort* Port = nullptr;
  std::int64_t Deadline = -1;
  bool Pending = false;
};
using PComPortsAsync = TComPortsAsync*;

void CreateAsyncRecord(PComPortsAsync& AsyncPtr);
// Aborts an operation still running on its port first.
void FreeAsyncRecord(PComPortsAsync& AsyncPtr);
void FillAsyncRecord(PComPortsAsync AsyncPtr, TOperationKind Kind, const void* Buffer, int Size);

using TRxCharEvent = std::function<void(ui::TObject* Sender, int Count)>;
using TRxBufEvent = std::function<void(ui::TObject* Sender, const void* Buffer, int Count)>;
using TComSignalEvent = std::function<void(ui::TObject* Sender, bool OnOff)>;
using TComErrorEvent = std::function<void(ui::TObject* Sender, TComErrors Errors)>;

class TCustomComPort : public ui::TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TCustomComPort(ui::TComponent* AOwner);
  ~TCustomComPort() override;

  // The backend the port talks to (the system's by default); changed only while closed.
  platform::serial::Serial_Api& SerialApi() const { return *FApi; }
  void SetSerialApi(platform::serial::Serial_Api& Api);

  const rtl::String& Port() const { return FPort; }
  void SetPort(const rtl::String& Value);
  TBaudRate BaudRate() const { return FBaudRate; }
  void SetBaudRate(TBaudRate Value);
  int CustomBaudRate() const { return FCustomBaudRate; }
  void SetCustomBaudRate(int Value);
  TDataBits DataBits() const { return FDataBits; }
  void SetDataBits(TDataBits Value);
  TStopBits StopBits() const { return FStopBits; }
  void SetStopBits(TStopBits Value);
  bool DiscardNull() const { return FDiscardNull; }
  void SetDiscardNull(bool Value);
  char EventChar() const { return FEventChar; }
  void SetEventChar(char Value);
  TComParity& Parity() { return *FParity; }
  void SetParity(const TComParity& Value);
  TComFlowControl& FlowControl() { return *FFlowControl; }
  void SetFlowControl(const TComFlowControl& Value);
  TComTimeouts& Timeouts() { return *FTimeouts; }
  void SetTimeouts(const TComTimeouts& Value);
  TComBuffer& Buffer() { return *FBuffer; }
  void SetBuffer(const TComBuffer& Value);
  bool Connected() const { return FConnected; }
  void SetConnected(bool Value);
  TSyncMethod SyncMethod() const { return FSyncMethod; }
  void SetSyncMethod(TSyncMethod Value);
  // The event thread's; a step above normal that the system refuses leaves it
  // at the process's priority.
  TThreadPriority EventThreadPriority() const { return FEventThreadPriority; }
  void SetEventThreadPriority(TThreadPriority Value);
  // False while a link listens for received data.
  bool TriggersOnRxChar() const;
  void SetTriggersOnRxChar(bool Value);
  bool Overlapped() const { return FOverlapped; }
  void SetOverlapped(bool Value);
  TComEvents Events() const { return FEvents; }
  void SetEvents(TComEvents Value) { FEvents = Value; }
  TStoredProps StoredProps() const { return FStoredProps; }
  void SetStoredProps(TStoredProps Value) { FStoredProps = Value; }
  int ReadAsyncErrorCount() const { return FReadAsyncErrorCount; }
  std::uint32_t ReadAsyncLastError() const { return FReadAsyncLastError; }
  int SyncWriteErrors() const { return FSyncWriteErrors; }
  bool ReadAsyncExceptionsEnabled() const { return FReadAsyncExceptionsEnabled; }
  void SetReadAsyncExceptionsEnabled(bool Value) { FReadAsyncExceptionsEnabled = Value; }
  // Marks the driver's queue counts as unavailable: InputCount answers 0
  // and received characters raise no events.
  bool InputCountNotSupported() const { return FInputCountNotSupported; }
  void SetInputCountNotSupported(bool Value) { FInputCountNotSupported = Value; }
  // Whether the event thread runs (for tests and the window notifications).
  bool HasEventThread() const { return FEventThread != nullptr; }
  bool HasNotifyWindow() const { return FWindow != nullptr; }

  void Open();
  void Close();
  void BeginUpdate();
  // The last one re-applies every setting.
  void EndUpdate();
  // Modal dialog with the six selector boxes; OK applies them in one update.
  void ShowSetupDialog();
  void StoreSettings(TStoreType StoreType, const rtl::String& StoreTo);
  void LoadSettings(TStoreType StoreType, const rtl::String& LoadFrom);
  void RegisterLink(TComLink* Link);
  void UnRegisterLink(TComLink* Link);

  int InputCount();
  int OutputCount();
  TComStateFlags StateFlags();
  // The errors since the last call (clears them).
  TComErrors LastErrors();
  TComSignals Signals();
  void SetBreak(bool OnOff);
  void SetDTR(bool OnOff);
  void SetRTS(bool OnOff);
  void SetXonXoff(bool OnOff);
  void ClearBuffer(bool Input, bool Output);
  void TransmitChar(char Ch);

  // Answers the bytes written (a write that times out answers what went out).
  int Write(const void* Buffer, int Count);
  int WriteStr(const rtl::AnsiString& Str);
  int Read(void* Buffer, int Count);
  // The bytes read, as 8-bit text.
  int ReadStr(rtl::AnsiString& Str, int Count);
  int WriteAsync(const void* Buffer, int Count, PComPortsAsync& AsyncPtr);
  int WriteStrAsync(const rtl::AnsiString& Str, PComPortsAsync& AsyncPtr);
  int ReadAsync(void* Buffer, int Count, PComPortsAsync& AsyncPtr);
  // Str is sized to Count first and must stay alive until the read ends.
  int ReadStrAsync(rtl::AnsiString& Str, int Count, PComPortsAsync& AsyncPtr);
  // Waits for the operation to end (a write at most its write time-out) and
  // answers the bytes moved.
  int WaitForAsync(PComPortsAsync& AsyncPtr);
  bool IsAsyncCompleted(PComPortsAsync AsyncPtr);
  void AbortAllAsync();
  // Waits at most Timeout ms (or until StopEvent is set) for one of Events;
  // Events becomes what occurred (empty after a time-out or stop).
  void WaitForEvent(TComEvents& Events, rtl::TEvent* StopEvent, int Timeout);

  TRxCharEvent OnRxChar;
  TRxBufEvent OnRxBuf;
  ui::TNotifyEvent OnTxEmpty, OnBreak, OnRing, OnRxFlag, OnRx80Full;
  TComSignalEvent OnCTSChange, OnDSRChange, OnRLSDChange;
  TComErrorEvent OnError;
  ui::TNotifyEvent OnAfterOpen, OnAfterClose, OnBeforeOpen, OnBeforeClose;

  // --- for the event thread and the notification window
  // Runs the handlers of one batch of events, in their fixed order.
  void CallEvents(TComEvents Events);
  // One window notification (a platform event mask), while connected.
  void WindowNotification(std::uint32_t Code);

 protected:
  void Loaded() override;
  void ApplyDCB();
  void ApplyTimeouts();
  void ApplyBuffer();
  void SetupComPort();

 private:
  friend class TComTimeouts;
  friend class TComFlowControl;
  friend class TComParity;
  friend class TComBuffer;
  friend void FreeAsyncRecord(PComPortsAsync& AsyncPtr);

  bool CanApply() const;
  bool Designing() const { return ComponentState().Contains(ui::csDesigning); }
  void CreateHandle();
  void DestroyHandle();
  [[noreturn]] void Raise(int Code, std::uint32_t WinCode) const;
  [[noreturn]] void RaiseLast(int Code) const;
  void StartOperation(PComPortsAsync AsyncPtr);
  void FinishPending(TOperationKind Kind);
  void DriveToEnd(PComPortsAsync AsyncPtr);
  void Forget(PComPortsAsync AsyncPtr);
  void StopThread();
  bool ListensForRx() const;
  template <class F>
  void ForLinks(F&& f);
  void CallRxChar();
  void CallTxEmpty();
  void CallSignal(TComSignal Signal, bool OnOff);

  platform::serial::Serial_Api* FApi;
  bool FInputCountNotSupported = false;
  std::unique_ptr<TComThread> FEventThread;
  // Threads stopped from their own handlers, joined once they are out of them.
  std::vector<std::unique_ptr<TComThread>> FRetiredThreads;
  void JoinRetiredThreads();
  bool FThreadCreated = false;
  platform::serial::Handle FHandle = platform::serial::Invalid_Handle;
  struct TNotifyWindow;
  std::unique_ptr<TNotifyWindow> FWindow;
  int FUpdateCount = 0;
  std::vector<TComLink*> FLinks;
  bool FTriggersOnRxChar = true;
  TThreadPriority FEventThreadPriority = tpNormal;
  bool FHasLink = false;
  bool FConnected = false;
  TBaudRate FBaudRate = br9600;
  int FCustomBaudRate = 9600;
  rtl::String FPort = u"COM1";
  TStopBits FStopBits = sbOneStopBit;
  TDataBits FDataBits = dbEight;
  bool FDiscardNull = false;
  char FEventChar = 0;
  TComEvents FEvents = AllComEvents;
  std::unique_ptr<TComBuffer> FBuffer;
  std::unique_ptr<TComParity> FParity;
  std::unique_ptr<TComTimeouts> FTimeouts;
  std::unique_ptr<TComFlowControl> FFlowControl;
  TSyncMethod FSyncMethod = smThreadSync;
  TStoredProps FStoredProps{spBasic};
  bool FReadAsyncExceptionsEnabled = false;
  int FReadAsyncErrorCount = 0;
  std::uint32_t FReadAsyncLastError = 0;
  int FSyncWriteErrors = 0;
  bool FOverlapped = true;
  PComPortsAsync FReadAsyncPtr = nullptr;
  PComPortsAsync FWriteAsyncPtr = nullptr;
  // Operations started on this port and not yet finished, one per kind.
  PComPortsAsync FPendingWrite = nullptr;
  PComPortsAsync FPendingRead = nullptr;
};

}  // namespace kit
