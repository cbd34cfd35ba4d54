#include "components/support/ports/com_port.h"

#include <algorithm>
#include <array>

#include "platform/ui/application.h"
#include "components/support/ports/com_thread.h"
#include "platform/runtime/rtl_string.h"
#include "platform/classes/scoped_change.h"

namespace kit {

namespace ser = platform::serial;

namespace {

// Platform event bits in the order of TComEvent.
constexpr std::array<std::uint32_t, 10> kEventMasks = {ser::EV_RxChar, ser::EV_TxEmpty, ser::EV_RxFlag, ser::EV_Ring,
                                                       ser::EV_Break,  ser::EV_Cts,     ser::EV_Dsr,    ser::EV_Err,
                                                       ser::EV_Rlsd,   ser::EV_Rx80Full};
// Platform communication errors in the order of TComError.
constexpr std::array<std::uint32_t, 8> kErrorMasks = {ser::CE_Frame, ser::CE_RxParity, ser::CE_Overrun, ser::CE_Break,
                                                      ser::CE_IO,    ser::CE_Mode,     ser::CE_RxOver,  ser::CE_TxFull};
constexpr std::array<std::uint32_t, 16> kBaudValues = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                                                       14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
// "COM<n>" is the n-th serial port; a path stands for itself; any other name
// is a device of /dev.
std::string DevicePath(const rtl::String& Port) {
  const std::string name = rtl::StringToUtf8(Port);
  if (name.size() > 3 && (name[0] == 'C' || name[0] == 'c') && (name[1] == 'O' || name[1] == 'o') &&
      (name[2] == 'M' || name[2] == 'm') && name.find_first_not_of("0123456789", 3) == std::string::npos &&
      name.size() < 10) {
    const int n = std::stoi(name.substr(3));
    if (n >= 1) return ser::Port_Device_Path(n - 1);
  }
  if (!name.empty() && name[0] == '/') return name;
  return "/dev/" + name;
}

}  // namespace

std::uint32_t EventsToMask(TComEvents Events) {
  std::uint32_t mask = 0;
  for (std::size_t i = 0; i < kEventMasks.size(); ++i)
    if (Events.Contains(TComEvent(i))) mask |= kEventMasks[i];
  return mask;
}

TComEvents MaskToEvents(std::uint32_t Mask) {
  TComEvents events;
  for (std::size_t i = 0; i < kEventMasks.size(); ++i)
    if (Mask & kEventMasks[i]) events.Include(TComEvent(i));
  return events;
}

// --- the port's hidden notification window --------------------------------

// Receives the event thread's notifications on the window thread.
struct TCustomComPort::TNotifyWindow : ui::TObject {
  explicit TNotifyWindow(TCustomComPort* Port) : port(Port) {}
  void Dispatch(ui::TMessage& Message) override {
    if (Message.Msg == CM_ComPortEvent) port->WindowNotification(static_cast<std::uint32_t>(Message.WParam));
    else ui::TObject::Dispatch(Message);
  }
  TCustomComPort* port;
};

// --- operation records -------------------------------------------------------

void CreateAsyncRecord(PComPortsAsync& AsyncPtr) {
  if (!AsyncPtr) AsyncPtr = new TComPortsAsync;
}

void FreeAsyncRecord(PComPortsAsync& AsyncPtr) {
  if (!AsyncPtr) return;
  if (AsyncPtr->Pending && AsyncPtr->Port) {
    // The backend still writes into the record: end the operation first.
    TCustomComPort* port = AsyncPtr->Port;
    port->SerialApi().PurgeComm(port->FHandle, AsyncPtr->Kind == okWrite ? ser::Purge_TxAbort : ser::Purge_RxAbort);
    port->Forget(AsyncPtr);
  }
  delete AsyncPtr;
  AsyncPtr = nullptr;
}

void FillAsyncRecord(PComPortsAsync AsyncPtr, TOperationKind Kind, const void* Buffer, int Size) {
  AsyncPtr->Kind = Kind;
  AsyncPtr->Data.assign(static_cast<std::size_t>(std::max(Size, 0)), 0);
  if (Buffer && Size > 0) std::copy_n(static_cast<const std::uint8_t*>(Buffer), Size, AsyncPtr->Data.begin());
}

// --- option objects ------------------------------------------------------------

const ui::TClassInfo& TComTimeouts::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TComTimeouts>("TComTimeouts", &ui::TPersistent::StaticClassInfo()).Build();
  return info;
}

void TComTimeouts::Assign(const ui::TPersistent* Source) {
  if (auto* s = dynamic_cast<const TComTimeouts*>(Source)) {
    FReadInterval = s->FReadInterval;
    FReadTotalM = s->FReadTotalM;
    FReadTotalC = s->FReadTotalC;
    FWriteTotalM = s->FWriteTotalM;
    FWriteTotalC = s->FWriteTotalC;
    Changed();
    return;
  }
  ui::TPersistent::Assign(Source);
}

void TComTimeouts::Changed() {
  if (FComPort) FComPort->ApplyTimeouts();
}

void TComTimeouts::SetReadInterval(int Value) {
  ui::SetChanged(FReadInterval, Value, [this] { Changed(); });
}
void TComTimeouts::SetReadTotalMultiplier(int Value) {
  ui::SetChanged(FReadTotalM, Value, [this] { Changed(); });
}
void TComTimeouts::SetReadTotalConstant(int Value) {
  ui::SetChanged(FReadTotalC, Value, [this] { Changed(); });
}
void TComTimeouts::SetWriteTotalMultiplier(int Value) {
  ui::SetChanged(FWriteTotalM, Value, [this] { Changed(); });
}
void TComTimeouts::SetWriteTotalConstant(int Value) {
  ui::SetChanged(FWriteTotalC, Value, [this] { Changed(); });
}

const ui::TClassInfo& TComFlowControl::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TComFlowControl>("TComFlowControl", &ui::TPersistent::StaticClassInfo()).Build();
  return info;
}

void TComFlowControl::Assign(const ui::TPersistent* Source) {
  if (auto* s = dynamic_cast<const TComFlowControl*>(Source)) {
    FOutCTSFlow = s->FOutCTSFlow;
    FOutDSRFlow = s->FOutDSRFlow;
    FControlDTR = s->FControlDTR;
    FControlRTS = s->FControlRTS;
    FXonXoffOut = s->FXonXoffOut;
    FXonXoffIn = s->FXonXoffIn;
    FDSRSensitivity = s->FDSRSensitivity;
    FTxContinueOnXoff = s->FTxContinueOnXoff;
    FXonChar = s->FXonChar;
    FXoffChar = s->FXoffChar;
    Changed();
    return;
  }
  ui::TPersistent::Assign(Source);
}

void TComFlowControl::Changed() {
  if (FComPort) FComPort->ApplyDCB();
}

void TComFlowControl::SetOutCTSFlow(bool Value) {
  ui::SetChanged(FOutCTSFlow, Value, [this] { Changed(); });
}
void TComFlowControl::SetOutDSRFlow(bool Value) {
  ui::SetChanged(FOutDSRFlow, Value, [this] { Changed(); });
}
void TComFlowControl::SetControlDTR(TDTRFlowControl Value) {
  ui::SetChanged(FControlDTR, Value, [this] { Changed(); });
}
void TComFlowControl::SetControlRTS(TRTSFlowControl Value) {
  ui::SetChanged(FControlRTS, Value, [this] { Changed(); });
}
void TComFlowControl::SetXonXoffOut(bool Value) {
  ui::SetChanged(FXonXoffOut, Value, [this] { Changed(); });
}
void TComFlowControl::SetXonXoffIn(bool Value) {
  ui::SetChanged(FXonXoffIn, Value, [this] { Changed(); });
}
void TComFlowControl::SetDSRSensitivity(bool Value) {
  ui::SetChanged(FDSRSensitivity, Value, [this] { Changed(); });
}
void TComFlowControl::SetTxContinueOnXoff(bool Value) {
  ui::SetChanged(FTxContinueOnXoff, Value, [this] { Changed(); });
}
void TComFlowControl::SetXonChar(char Value) {
  ui::SetChanged(FXonChar, Value, [this] { Changed(); });
}
void TComFlowControl::SetXoffChar(char Value) {
  ui::SetChanged(FXoffChar, Value, [this] { Changed(); });
}

TFlowControl TComFlowControl::FlowControl() const {
  if (FControlRTS == rtsHandshake && FOutCTSFlow && !FXonXoffIn && !FXonXoffOut) return fcHardware;
  if (FControlRTS == rtsDisable && !FOutCTSFlow && FXonXoffIn && FXonXoffOut) return fcSoftware;
  if (FControlRTS != rtsDisable || FOutCTSFlow || FXonXoffIn || FXonXoffOut) return fcCustom;
  return fcNone;
}

void TComFlowControl::SetFlowControl(TFlowControl Value) {
  if (Value != fcCustom) {
    FControlRTS = rtsDisable;
    FOutCTSFlow = false;
    FXonXoffIn = FXonXoffOut = false;
    if (Value == fcHardware) {
      FControlRTS = rtsHandshake;
      FOutCTSFlow = true;
    } else if (Value == fcSoftware) {
      FXonXoffIn = FXonXoffOut = true;
    }
  }
  Changed();
}

const ui::TClassInfo& TComParity::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TComParity>("TComParity", &ui::TPersistent::StaticClassInfo()).Build();
  return info;
}

void TComParity::Assign(const ui::TPersistent* Source) {
  if (auto* s = dynamic_cast<const TComParity*>(Source)) {
    FBits = s->FBits;
    FCheck = s->FCheck;
    FReplace = s->FReplace;
    FReplaceChar = s->FReplaceChar;
    Changed();
    return;
  }
  ui::TPersistent::Assign(Source);
}

void TComParity::Changed() {
  if (FComPort) FComPort->ApplyDCB();
}

void TComParity::SetBits(TParityBits Value) {
  ui::SetChanged(FBits, Value, [this] { Changed(); });
}
void TComParity::SetCheck(bool Value) {
  ui::SetChanged(FCheck, Value, [this] { Changed(); });
}
void TComParity::SetReplace(bool Value) {
  ui::SetChanged(FReplace, Value, [this] { Changed(); });
}
void TComParity::SetReplaceChar(char Value) {
  ui::SetChanged(FReplaceChar, Value, [this] { Changed(); });
}

const ui::TClassInfo& TComBuffer::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TComBuffer>("TComBuffer", &ui::TPersistent::StaticClassInfo()).Build();
  return info;
}

void TComBuffer::Assign(const ui::TPersistent* Source) {
  if (auto* s = dynamic_cast<const TComBuffer*>(Source)) {
    FInputSize = s->FInputSize;
    FOutputSize = s->FOutputSize;
    Changed();
    return;
  }
  ui::TPersistent::Assign(Source);
}

void TComBuffer::Changed() {
  if (FComPort) FComPort->ApplyBuffer();
}

void TComBuffer::SetInputSize(int Value) {
  Value -= Value % 2;
  if (Value == FInputSize) return;
  FInputSize = Value;
  Changed();
}

void TComBuffer::SetOutputSize(int Value) {
  Value -= Value % 2;
  if (Value == FOutputSize) return;
  FOutputSize = Value;
  Changed();
}

// --- the port ------------------------------------------------------------------

const ui::TClassInfo& TCustomComPort::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TCustomComPort>("TCustomComPort", &ui::TComponent::StaticClassInfo())
          .Str("Port", &TCustomComPort::Port, &TCustomComPort::SetPort)
          .Build();
  return info;
}

TCustomComPort::TCustomComPort(ui::TComponent* AOwner)
    : ui::TComponent(AOwner),
      FApi(&ser::System_Serial_Api()),
      FBuffer(std::make_unique<TComBuffer>(this)),
      FParity(std::make_unique<TComParity>(this)),
      FTimeouts(std::make_unique<TComTimeouts>(this)),
      FFlowControl(std::make_unique<TComFlowControl>(this)) {}

TCustomComPort::~TCustomComPort() {
  BeginDestroy();
  try {
    Close();
  } catch (...) {
    // Freeing goes on whatever the port says.
  }
  FEventThread.reset();
  JoinRetiredThreads();
  FreeAsyncRecord(FReadAsyncPtr);
  FreeAsyncRecord(FWriteAsyncPtr);
}

void TCustomComPort::SetSerialApi(ser::Serial_Api& Api) {
  if (FConnected) throw EComPort::CreateNoWinCode(CError_ConnChangeProp);
  FApi = &Api;
}

void TCustomComPort::Raise(int Code, std::uint32_t WinCode) const {
  throw EComPort(Code, static_cast<int>(WinCode), FPort);
}

void TCustomComPort::RaiseLast(int Code) const { Raise(Code, ser::GetLastError()); }

bool TCustomComPort::CanApply() const {
  return FConnected && FUpdateCount == 0 && !IsLoading() && !Designing();
}

// --- settings

void TCustomComPort::SetPort(const rtl::String& Value) {
  if (Value == FPort) return;
  FPort = Value;
  if (FConnected && !IsLoading()) {
    Close();
    Open();
  }
}

void TCustomComPort::SetBaudRate(TBaudRate Value) {
  if (Value == FBaudRate) return;
  FBaudRate = Value;
  ApplyDCB();
}

void TCustomComPort::SetCustomBaudRate(int Value) {
  if (Value == FCustomBaudRate) return;
  FCustomBaudRate = Value;
  ApplyDCB();
}

void TCustomComPort::SetDataBits(TDataBits Value) {
  if (Value == FDataBits) return;
  FDataBits = Value;
  ApplyDCB();
}

void TCustomComPort::SetStopBits(TStopBits Value) {
  if (Value == FStopBits) return;
  FStopBits = Value;
  ApplyDCB();
}

void TCustomComPort::SetDiscardNull(bool Value) {
  if (Value == FDiscardNull) return;
  FDiscardNull = Value;
  ApplyDCB();
}

void TCustomComPort::SetEventChar(char Value) {
  if (Value == FEventChar) return;
  FEventChar = Value;
  ApplyDCB();
}

void TCustomComPort::SetParity(const TComParity& Value) { FParity->Assign(&Value); }
void TCustomComPort::SetFlowControl(const TComFlowControl& Value) { FFlowControl->Assign(&Value); }
void TCustomComPort::SetTimeouts(const TComTimeouts& Value) { FTimeouts->Assign(&Value); }
void TCustomComPort::SetBuffer(const TComBuffer& Value) { FBuffer->Assign(&Value); }

void TCustomComPort::SetConnected(bool Value) {
  if (IsLoading() || Designing()) {
    FConnected = Value;
    return;
  }
  if (Value) Open();
  else Close();
}

void TCustomComPort::SetSyncMethod(TSyncMethod Value) {
  if (Value == FSyncMethod) return;
  if (FConnected) throw EComPort::CreateNoWinCode(CError_ConnChangeProp);
  FSyncMethod = Value;
}

void TCustomComPort::SetEventThreadPriority(TThreadPriority Value) {
  if (Value == FEventThreadPriority) return;
  if (FConnected) throw EComPort::CreateNoWinCode(CError_ConnChangeProp);
  FEventThreadPriority = Value;
}

bool TCustomComPort::ListensForRx() const {
  return std::any_of(FLinks.begin(), FLinks.end(), [](TComLink* l) { return static_cast<bool>(l->OnRxBuf); });
}

bool TCustomComPort::TriggersOnRxChar() const { return FTriggersOnRxChar && !ListensForRx(); }

void TCustomComPort::SetTriggersOnRxChar(bool Value) {
  if (ListensForRx()) throw EComPort::CreateNoWinCode(CError_HasLink);
  FTriggersOnRxChar = Value;
}

void TCustomComPort::SetOverlapped(bool Value) {
  if (!FConnected) FOverlapped = Value;
}

void TCustomComPort::ApplyDCB() {
  if (!CanApply()) return;
  ser::DCB dcb;
  dcb.DCBlength = sizeof dcb;
  dcb.BaudRate = FBaudRate == brCustom ? static_cast<std::uint32_t>(FCustomBaudRate) : kBaudValues[FBaudRate];
  dcb.Flags = ser::Dcb_Binary;
  const TComFlowControl& f = *FFlowControl;
  if (FDiscardNull) dcb.Flags |= ser::Dcb_Null;
  if (f.OutCTSFlow()) dcb.Flags |= ser::Dcb_OutxCtsFlow;
  if (f.OutDSRFlow()) dcb.Flags |= ser::Dcb_OutxDsrFlow;
  dcb.Flags |= static_cast<std::uint32_t>(f.ControlDTR()) << 4;
  dcb.Flags |= static_cast<std::uint32_t>(f.ControlRTS()) << 12;
  if (f.XonXoffOut()) dcb.Flags |= ser::Dcb_OutX;
  if (f.XonXoffIn()) dcb.Flags |= ser::Dcb_InX;
  if (f.DSRSensitivity()) dcb.Flags |= ser::Dcb_DsrSensitivity;
  if (f.TxContinueOnXoff()) dcb.Flags |= ser::Dcb_TxContinueOnXoff;
  dcb.XonChar = f.XonChar();
  dcb.XoffChar = f.XoffChar();
  dcb.XonLim = dcb.XoffLim = static_cast<std::uint16_t>(FBuffer->InputSize() / 4);
  dcb.ByteSize = static_cast<std::uint8_t>(5 + FDataBits);
  dcb.Parity = FParity->Bits();
  dcb.StopBits = FStopBits;
  dcb.EvtChar = FEventChar;
  if (FParity->Check()) {
    dcb.Flags |= ser::Dcb_Parity;
    if (FParity->Replace()) {
      dcb.Flags |= ser::Dcb_ErrorChar;
      dcb.ErrorChar = FParity->ReplaceChar();
    }
  }
  if (!FApi->SetCommState(FHandle, dcb)) RaiseLast(CError_SetStateFailed);
}

void TCustomComPort::ApplyTimeouts() {
  if (!CanApply()) return;
  ser::CommTimeouts t;
  t.ReadIntervalTimeout = static_cast<std::uint32_t>(FTimeouts->ReadInterval());
  t.ReadTotalTimeoutMultiplier = static_cast<std::uint32_t>(FTimeouts->ReadTotalMultiplier());
  t.ReadTotalTimeoutConstant = static_cast<std::uint32_t>(FTimeouts->ReadTotalConstant());
  t.WriteTotalTimeoutMultiplier = static_cast<std::uint32_t>(FTimeouts->WriteTotalMultiplier());
  t.WriteTotalTimeoutConstant = static_cast<std::uint32_t>(FTimeouts->WriteTotalConstant());
  if (!FApi->SetCommTimeouts(FHandle, t)) RaiseLast(CError_TimeoutsFailed);
}

void TCustomComPort::ApplyBuffer() {
  if (!CanApply()) return;
  if (!FApi->SetupComm(FHandle, static_cast<std::uint32_t>(FBuffer->InputSize()),
                       static_cast<std::uint32_t>(FBuffer->OutputSize())))
    RaiseLast(CError_SetupComFailed);
}

void TCustomComPort::SetupComPort() {
  ApplyBuffer();
  ApplyDCB();
  ApplyTimeouts();
}

void TCustomComPort::BeginUpdate() { ++FUpdateCount; }

void TCustomComPort::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetupComPort();
}

void TCustomComPort::Loaded() {
  ui::TComponent::Loaded();
  if (FConnected && !Designing()) {
    FConnected = false;
    try {
      Open();
    } catch (...) {
      if (ui::Application) ui::Application->HandleException(this);
    }
  }
}

// --- open and close

void TCustomComPort::CreateHandle() {
  FHandle = FApi->CreateFile(DevicePath(FPort));
  if (FHandle == ser::Invalid_Handle) RaiseLast(CError_OpenFailed);
}

void TCustomComPort::DestroyHandle() {
  if (FHandle != ser::Invalid_Handle) FApi->CloseHandle(FHandle);
  FHandle = ser::Invalid_Handle;
}

void TCustomComPort::Open() {
  if (FConnected || Designing()) return;
  JoinRetiredThreads();
  if (OnBeforeOpen) OnBeforeOpen(this);
  CreateHandle();
  FConnected = true;
  try {
    SetupComPort();
  } catch (...) {
    DestroyHandle();
    FConnected = false;
    throw;
  }
  if (!FEvents.Empty() && FSyncMethod != smDisableEvents) {
    if (FSyncMethod == smWindowSync) FWindow = std::make_unique<TNotifyWindow>(this);
    if (FOverlapped) {
      FEventThread = std::make_unique<TComThread>(this, FHandle, EventsToMask(FEvents), FWindow.get());
      FEventThread->SetPriority(FEventThreadPriority);
      FEventThread->Start();
      FThreadCreated = true;
    }
  }
  ForLinks([&](TComLink* l) {
    if (l->OnConn) l->OnConn(this, true);
  });
  if (OnAfterOpen) OnAfterOpen(this);
  // Devices without modem lines (a pty) report them all off.
  TComSignals s;
  try {
    s = Signals();
  } catch (const EComPort&) {
  }
  CallSignal(csCTS, s.Contains(csCTS));
  CallSignal(csDSR, s.Contains(csDSR));
  CallSignal(csRLSD, s.Contains(csRLSD));
}

void TCustomComPort::StopThread() {
  if (FEventThread) {
    if (FEventThread->IsCurrentThread()) {
      FEventThread->Abandon();
      FRetiredThreads.push_back(std::move(FEventThread));
    } else {
      FEventThread->Stop();
      FEventThread.reset();
    }
    FThreadCreated = false;
  }
  FWindow.reset();
}

void TCustomComPort::JoinRetiredThreads() {
  std::erase_if(FRetiredThreads, [](const std::unique_ptr<TComThread>& t) {
    if (t->IsCurrentThread()) return false;
    t->WaitFor();
    return true;
  });
}

void TCustomComPort::Close() {
  if (!FConnected || Designing()) return;
  CallSignal(csCTS, false);
  CallSignal(csDSR, false);
  CallSignal(csRLSD, false);
  if (OnBeforeClose) OnBeforeClose(this);
  try {
    AbortAllAsync();
  } catch (...) {
    // Closing the handle ends whatever could not be aborted.
  }
  StopThread();
  DestroyHandle();
  FConnected = false;
  ForLinks([&](TComLink* l) {
    if (l->OnConn) l->OnConn(this, false);
  });
  if (OnAfterClose) OnAfterClose(this);
}

// --- links

void TCustomComPort::RegisterLink(TComLink* Link) {
  if (!Link || std::find(FLinks.begin(), FLinks.end(), Link) != FLinks.end())
    throw EComPort::CreateNoWinCode(CError_RegFailed);
  FLinks.push_back(Link);
  FHasLink = ListensForRx();
}

void TCustomComPort::UnRegisterLink(TComLink* Link) {
  auto it = std::find(FLinks.begin(), FLinks.end(), Link);
  if (it == FLinks.end()) throw EComPort::CreateNoWinCode(CError_RegFailed);
  FLinks.erase(it);
  FHasLink = ListensForRx();
}

template <class F>
void TCustomComPort::ForLinks(F&& f) {
  // A callback may unregister links: walk a copy.
  const std::vector<TComLink*> links = FLinks;
  for (TComLink* l : links)
    if (std::find(FLinks.begin(), FLinks.end(), l) != FLinks.end()) f(l);
}

// --- line state

int TCustomComPort::InputCount() {
  if (FInputCountNotSupported) return 0;
  std::uint32_t errors = 0;
  ser::ComStat stat;
  if (!FApi->ClearCommError(FHandle, errors, &stat)) RaiseLast(CError_ClearComFailed);
  return static_cast<int>(stat.InQueue);
}

int TCustomComPort::OutputCount() {
  std::uint32_t errors = 0;
  ser::ComStat stat;
  if (!FApi->ClearCommError(FHandle, errors, &stat)) RaiseLast(CError_ClearComFailed);
  return static_cast<int>(stat.OutQueue);
}

TComStateFlags TCustomComPort::StateFlags() {
  std::uint32_t errors = 0;
  ser::ComStat stat;
  if (!FApi->ClearCommError(FHandle, errors, &stat)) RaiseLast(CError_ClearComFailed);
  return TComStateFlags::FromBits(stat.Flags & 0x7F);
}

TComErrors TCustomComPort::LastErrors() {
  std::uint32_t errors = 0;
  if (!FApi->ClearCommError(FHandle, errors, nullptr)) RaiseLast(CError_ClearComFailed);
  TComErrors result;
  for (std::size_t i = 0; i < kErrorMasks.size(); ++i)
    if (errors & kErrorMasks[i]) result.Include(TComError(i));
  if (!FParity->Check()) result.Exclude(ceRxParity);
  return result;
}

TComSignals TCustomComPort::Signals() {
  if (!FOverlapped) return {};
  std::uint32_t status = 0;
  if (!FApi->GetCommModemStatus(FHandle, status)) RaiseLast(CError_ModemStatFailed);
  TComSignals s;
  if (status & ser::MS_Cts_On) s.Include(csCTS);
  if (status & ser::MS_Dsr_On) s.Include(csDSR);
  if (status & ser::MS_Ring_On) s.Include(csRing);
  if (status & ser::MS_Rlsd_On) s.Include(csRLSD);
  return s;
}

void TCustomComPort::SetBreak(bool OnOff) {
  if (!FApi->EscapeCommFunction(FHandle, OnOff ? ser::Esc_SetBreak : ser::Esc_ClrBreak))
    RaiseLast(CError_EscapeComFailed);
}

void TCustomComPort::SetDTR(bool OnOff) {
  if (!FApi->EscapeCommFunction(FHandle, OnOff ? ser::Esc_SetDtr : ser::Esc_ClrDtr)) RaiseLast(CError_EscapeComFailed);
}

void TCustomComPort::SetRTS(bool OnOff) {
  if (!FApi->EscapeCommFunction(FHandle, OnOff ? ser::Esc_SetRts : ser::Esc_ClrRts)) RaiseLast(CError_EscapeComFailed);
}

void TCustomComPort::SetXonXoff(bool OnOff) {
  if (!FApi->EscapeCommFunction(FHandle, OnOff ? ser::Esc_SetXon : ser::Esc_SetXoff))
    RaiseLast(CError_EscapeComFailed);
}

void TCustomComPort::ClearBuffer(bool Input, bool Output) {
  const std::uint32_t flags = (Input ? ser::Purge_RxClear : 0) | (Output ? ser::Purge_TxClear : 0);
  if (!FApi->PurgeComm(FHandle, flags)) RaiseLast(CError_PurgeFailed);
}

void TCustomComPort::TransmitChar(char Ch) {
  if (!FApi->TransmitCommChar(FHandle, Ch)) RaiseLast(CError_TransmitFailed);
}

// --- reading and writing

void TCustomComPort::Forget(PComPortsAsync AsyncPtr) {
  AsyncPtr->Pending = false;
  AsyncPtr->Port = nullptr;
  if (FPendingWrite == AsyncPtr) FPendingWrite = nullptr;
  if (FPendingRead == AsyncPtr) FPendingRead = nullptr;
}

void TCustomComPort::FinishPending(TOperationKind Kind) {
  PComPortsAsync p = Kind == okWrite ? FPendingWrite : FPendingRead;
  if (p && p->Pending) DriveToEnd(p);
}

void TCustomComPort::StartOperation(PComPortsAsync AsyncPtr) {
  AsyncPtr->Pending = true;
  AsyncPtr->Port = this;
  (AsyncPtr->Kind == okWrite ? FPendingWrite : FPendingRead) = AsyncPtr;
}

// The backend moves pending bytes inside its waits; a write that outlives its
// time-out is cut off there and counts as done with what went out.
void TCustomComPort::DriveToEnd(PComPortsAsync AsyncPtr) {
  ser::Overlapped& ov = AsyncPtr->Overlapped;
  while (AsyncPtr->Pending && ov.Status == ser::Error_IO_Pending) {
    std::uint32_t slice = 20;
    if (AsyncPtr->Deadline >= 0) {
      const std::int64_t left = AsyncPtr->Deadline - ser::Now_ms();
      if (left <= 0) {
        FApi->PurgeComm(FHandle, ser::Purge_TxAbort);
        ov.Status = ser::Error_Success;
        break;
      }
      slice = static_cast<std::uint32_t>(std::min<std::int64_t>(left, slice));
    }
    if (FApi->WaitForSingleObject(FHandle, slice) == ser::Wait_Failed) {
      if (ov.Status == ser::Error_IO_Pending) ov.Status = ser::GetLastError();
      break;
    }
  }
  Forget(AsyncPtr);
}

int TCustomComPort::WriteAsync(const void* Buffer, int Count, PComPortsAsync& AsyncPtr) {
  if (!AsyncPtr) throw EComPort::CreateNoWinCode(CError_InvalidAsync);
  if (AsyncPtr->Pending) DriveToEnd(AsyncPtr);
  FinishPending(okWrite);
  FillAsyncRecord(AsyncPtr, okWrite, Buffer, Count);
  const std::uint64_t total = std::uint64_t(std::uint32_t(FTimeouts->WriteTotalMultiplier())) * AsyncPtr->Data.size() +
                              std::uint32_t(FTimeouts->WriteTotalConstant());
  AsyncPtr->Deadline = total ? ser::Now_ms() + static_cast<std::int64_t>(total) : -1;
  std::uint32_t written = 0;
  const bool done = FApi->WriteFile(FHandle, AsyncPtr->Data.data(), static_cast<std::uint32_t>(AsyncPtr->Data.size()),
                                    written, AsyncPtr->Overlapped);
  if (!done) {
    if (ser::GetLastError() != ser::Error_IO_Pending) RaiseLast(CError_WriteFailed);
    StartOperation(AsyncPtr);
  }
  ForLinks([&](TComLink* l) {
    if (l->OnTx) l->OnTx(this, true);
  });
  if (!FOverlapped && AsyncPtr->Pending) DriveToEnd(AsyncPtr);
  return static_cast<int>(written);
}

int TCustomComPort::WriteStrAsync(const rtl::AnsiString& Str, PComPortsAsync& AsyncPtr) {
  if (Str.empty()) return 0;
  return WriteAsync(Str.data(), static_cast<int>(Str.size()), AsyncPtr);
}

int TCustomComPort::Write(const void* Buffer, int Count) {
  if (!FConnected) return 0;
  CreateAsyncRecord(FWriteAsyncPtr);
  if (FOverlapped) {
    WriteAsync(Buffer, Count, FWriteAsyncPtr);
    return WaitForAsync(FWriteAsyncPtr);
  }
  try {
    WriteAsync(Buffer, Count, FWriteAsyncPtr);
    std::uint32_t written = 0;
    if (FApi->GetOverlappedResult(FHandle, FWriteAsyncPtr->Overlapped, written, false))
      return static_cast<int>(written);
  } catch (const EComPort&) {
  }
  ++FSyncWriteErrors;
  return 0;
}

int TCustomComPort::WriteStr(const rtl::AnsiString& Str) {
  return Write(Str.data(), static_cast<int>(Str.size()));
}

int TCustomComPort::ReadAsync(void* Buffer, int Count, PComPortsAsync& AsyncPtr) {
  if (!AsyncPtr) throw EComPort::CreateNoWinCode(CError_InvalidAsync);
  if (AsyncPtr->Pending) DriveToEnd(AsyncPtr);
  FinishPending(okRead);
  // The record's own copy receives the bytes only when it is the buffer.
  const bool intoRecord = !AsyncPtr->Data.empty() && Buffer == AsyncPtr->Data.data();
  AsyncPtr->Kind = okRead;
  if (!intoRecord) AsyncPtr->Data.clear();
  AsyncPtr->Deadline = -1;
  AsyncPtr->Overlapped = ser::Overlapped{};
  if (Count <= 0) return 0;
  static_cast<std::uint8_t*>(Buffer)[0] = 0;
  std::uint32_t read = 0;
  if (FApi->ReadFile(FHandle, Buffer, static_cast<std::uint32_t>(Count), read, AsyncPtr->Overlapped)) return int(read);
  const std::uint32_t err = ser::GetLastError();
  if (err == ser::Error_IO_Pending) {
    StartOperation(AsyncPtr);
    if (!FOverlapped) DriveToEnd(AsyncPtr);
    return static_cast<int>(read);
  }
  // A failed start leaves the record as done with nothing read.
  AsyncPtr->Overlapped = ser::Overlapped{};
  if (FReadAsyncExceptionsEnabled) Raise(CError_ReadFailed, err);
  ++FReadAsyncErrorCount;
  FReadAsyncLastError = err;
  return 0;
}

int TCustomComPort::ReadStrAsync(rtl::AnsiString& Str, int Count, PComPortsAsync& AsyncPtr) {
  if (Count <= 0) return 0;
  Str.assign(static_cast<std::size_t>(Count), '\0');
  return ReadAsync(Str.data(), Count, AsyncPtr);
}

int TCustomComPort::Read(void* Buffer, int Count) {
  if (!FConnected || Count <= 0) return 0;
  CreateAsyncRecord(FReadAsyncPtr);
  const int errorsBefore = FReadAsyncErrorCount;
  ReadAsync(Buffer, Count, FReadAsyncPtr);
  if (FReadAsyncErrorCount != errorsBefore) return 0;
  return WaitForAsync(FReadAsyncPtr);
}

int TCustomComPort::ReadStr(rtl::AnsiString& Str, int Count) {
  Str.clear();
  if (!FConnected || Count <= 0) return 0;
  CreateAsyncRecord(FReadAsyncPtr);
  FillAsyncRecord(FReadAsyncPtr, okRead, nullptr, Count);
  const int n = Read(FReadAsyncPtr->Data.data(), Count);
  Str.assign(reinterpret_cast<const char*>(FReadAsyncPtr->Data.data()), static_cast<std::size_t>(std::max(n, 0)));
  return n;
}

int TCustomComPort::WaitForAsync(PComPortsAsync& AsyncPtr) {
  if (!AsyncPtr) throw EComPort::CreateNoWinCode(CError_InvalidAsync);
  if (AsyncPtr->Pending) DriveToEnd(AsyncPtr);
  std::uint32_t transferred = 0;
  if (!FApi->GetOverlappedResult(FHandle, AsyncPtr->Overlapped, transferred, false))
    RaiseLast(AsyncPtr->Kind == okWrite ? CError_WriteFailed : CError_ReadFailed);
  if (!FInputCountNotSupported) {
    if (AsyncPtr->Kind == okWrite) {
      // Only what went out is reported as sent.
      if (transferred > 0)
        ForLinks([&](TComLink* l) {
          if (l->OnTxBuf) l->OnTxBuf(this, AsyncPtr->Data.data(), static_cast<int>(transferred));
        });
    } else if (InputCount() == 0) {
      ForLinks([&](TComLink* l) {
        if (l->OnRx) l->OnRx(this, false);
      });
    }
  }
  return static_cast<int>(transferred);
}

bool TCustomComPort::IsAsyncCompleted(PComPortsAsync AsyncPtr) {
  if (!AsyncPtr) throw EComPort::CreateNoWinCode(CError_InvalidAsync);
  if (AsyncPtr->Pending) {
    if (AsyncPtr->Deadline >= 0 && ser::Now_ms() >= AsyncPtr->Deadline) DriveToEnd(AsyncPtr);
    else FApi->WaitForSingleObject(FHandle, 0);
  }
  std::uint32_t transferred = 0;
  if (FApi->GetOverlappedResult(FHandle, AsyncPtr->Overlapped, transferred, false)) {
    if (AsyncPtr->Pending) Forget(AsyncPtr);
    return true;
  }
  const std::uint32_t err = ser::GetLastError();
  if (err == ser::Error_IO_Incomplete || err == ser::Error_IO_Pending) return false;
  Raise(CError_AsyncCheck, err);
}

void TCustomComPort::AbortAllAsync() {
  if (!FOverlapped) return;
  const bool ok = FApi->PurgeComm(FHandle, ser::Purge_TxAbort | ser::Purge_RxAbort);
  for (PComPortsAsync p : {FPendingWrite, FPendingRead})
    if (p) Forget(p);
  if (!ok) RaiseLast(CError_PurgeFailed);
}

void TCustomComPort::WaitForEvent(TComEvents& Events, rtl::TEvent* StopEvent, int Timeout) {
  if (FEventThread) throw EComPort::CreateNoWinCode(CError_ThreadCreated);
  if (!FApi->SetCommMask(FHandle, EventsToMask(Events))) RaiseLast(CError_WaitFailed);
  std::uint32_t occurred = 0;
  ser::Overlapped ov;
  if (!FApi->WaitCommEvent(FHandle, occurred, ov)) {
    const std::uint32_t err = ser::GetLastError();
    if (err != ser::Error_IO_Pending) {
      FApi->SetCommMask(FHandle, 0);
      Raise(CError_WaitFailed, err);
    }
    const std::int64_t deadline = Timeout < 0 ? -1 : ser::Now_ms() + Timeout;
    for (;;) {
      if (StopEvent && StopEvent->IsSet()) break;
      std::int64_t left = deadline < 0 ? 20 : deadline - ser::Now_ms();
      if (left <= 0) break;
      const std::uint32_t r = FApi->WaitForEvent(FHandle, ov, static_cast<std::uint32_t>(std::min<std::int64_t>(left, 20)));
      if (r == ser::Wait_Object_0) break;
      if (r == ser::Wait_Failed) {
        const std::uint32_t failure = ser::GetLastError();
        FApi->SetCommMask(FHandle, 0);
        Raise(CError_WaitFailed, failure);
      }
    }
  }
  // Ends a wait still pending (its events then read as none).
  FApi->SetCommMask(FHandle, 0);
  Events = ov.Status == ser::Error_Success ? MaskToEvents(occurred) : TComEvents{};
}

// --- events

void TCustomComPort::CallSignal(TComSignal Signal, bool OnOff) {
  ForLinks([&](TComLink* l) {
    auto& cb = Signal == csCTS ? l->OnCTSChange : Signal == csDSR ? l->OnDSRChange : l->OnRLSDChange;
    if (cb) cb(this, OnOff);
  });
  auto& ev = Signal == csCTS ? OnCTSChange : Signal == csDSR ? OnDSRChange : OnRLSDChange;
  if (ev) ev(this, OnOff);
}

void TCustomComPort::CallTxEmpty() {
  ForLinks([&](TComLink* l) {
    if (l->OnTx) l->OnTx(this, false);
  });
  ForLinks([&](TComLink* l) {
    if (l->OnTxEmpty) l->OnTxEmpty(this);
  });
  if (OnTxEmpty) OnTxEmpty(this);
}

void TCustomComPort::CallRxChar() {
  if (FInputCountNotSupported) return;
  int n = InputCount();
  if (n > 0)
    ForLinks([&](TComLink* l) {
      if (l->OnRx) l->OnRx(this, true);
    });
  if (!TriggersOnRxChar() && n > 0) {
    std::vector<std::uint8_t> block(static_cast<std::size_t>(n));
    const int got = Read(block.data(), n);
    if (OnRxBuf) OnRxBuf(this, block.data(), got);
    ForLinks([&](TComLink* l) {
      if (l->OnRxBuf) l->OnRxBuf(this, block.data(), got);
    });
    n = 0;
  }
  if (n > 0 && OnRxChar) OnRxChar(this, n);
}

void TCustomComPort::CallEvents(TComEvents Events) {
  if (Events.Contains(evError)) {
    const TComErrors errors = LastErrors();
    if (!errors.Empty() && OnError) OnError(this, errors);
  }
  if (Events.Contains(evRxChar)) CallRxChar();
  if (Events.Contains(evTxEmpty)) CallTxEmpty();
  if (Events.Contains(evBreak) && OnBreak) OnBreak(this);
  if (Events.Contains(evRing)) {
    ForLinks([&](TComLink* l) {
      if (l->OnRing) l->OnRing(this);
    });
    if (OnRing) OnRing(this);
  }
  if (Events.Contains(evCTS)) CallSignal(csCTS, Signals().Contains(csCTS));
  if (Events.Contains(evDSR)) CallSignal(csDSR, Signals().Contains(csDSR));
  if (Events.Contains(evRxFlag)) {
    ForLinks([&](TComLink* l) {
      if (l->OnRxFlag) l->OnRxFlag(this);
    });
    if (OnRxFlag) OnRxFlag(this);
  }
  if (Events.Contains(evRLSD)) CallSignal(csRLSD, Signals().Contains(csRLSD));
  if (Events.Contains(evRx80Full) && OnRx80Full) OnRx80Full(this);
}

void TCustomComPort::WindowNotification(std::uint32_t Code) {
  if (!FConnected) return;
  const TComEvents events = MaskToEvents(Code);
  if (!events.Empty()) CallEvents(events);
}

}  // namespace kit
