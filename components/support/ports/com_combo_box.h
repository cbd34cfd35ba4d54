// The serial-port list of this machine and a drop-down box that shows it, or
// the fixed choices of one serial line setting.
#pragma once

#include <cstdint>

#include "components/support/ports/com_port_error.h"
#include "platform/ui/ui.h"

namespace kit {

enum TComProperty : std::uint8_t { cpNone, cpPort, cpBaudRate, cpDataBits, cpStopBits, cpParity, cpFlowControl };
enum TBaudRate : std::uint8_t {
  brCustom, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400, br56000, br57600,
  br115200, br128000, br256000
};
enum TStopBits : std::uint8_t { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TDataBits : std::uint8_t { dbFive, dbSix, dbSeven, dbEight };
enum TParityBits : std::uint8_t { prNone, prOdd, prEven, prMark, prSpace };
enum TFlowControl : std::uint8_t { fcHardware, fcSoftware, fcNone, fcCustom };

class TCustomComPort;

// Fills List with the serial port names of the machine, sorted; an empty list
// when the port registry cannot be read.
void ListComPortNames(ui::TStrings* List);

rtl::String BaudRateName(TBaudRate Value);
rtl::String StopBitsName(TStopBits Value);
rtl::String DataBitsName(TDataBits Value);
rtl::String ParityName(TParityBits Value);
rtl::String FlowControlName(TFlowControl Value);
// Case-insensitive; a text that names no value gives the usual default.
TBaudRate BaudRateFromName(const rtl::String& Name);
TStopBits StopBitsFromName(const rtl::String& Name);
TDataBits DataBitsFromName(const rtl::String& Name);
TParityBits ParityFromName(const rtl::String& Name);
TFlowControl FlowControlFromName(const rtl::String& Name);

// What one box shows and the choice it last recorded.
class TComSelect {
 public:
  explicit TComSelect(ui::TStrings* Items) : FItems(Items) {}
  void SelectPort();
  void SelectBaudRate();
  void SelectDataBits();
  void SelectStopBits();
  void SelectParity();
  void SelectFlowControl();
  TComProperty ComProperty() const { return FComProperty; }
  void SetComProperty(TComProperty Value);
  // Records a choice (and writes it to the port with AutoApply).
  void Change(const rtl::String& Text);
  // Writes the recorded choice to the linked port.
  void ApplySettings();
  // Finds the port's current value in the list; ItemIndex is -1 when it is
  // not there and untouched without a port.
  void UpdateSettings(int& ItemIndex);

  rtl::String FPort;
  TBaudRate FBaudRate = brCustom;
  TDataBits FDataBits = dbFive;
  TStopBits FStopBits = sbOneStopBit;
  TParityBits FParity = prNone;
  TFlowControl FFlowControl = fcHardware;
  ui::TStrings* FItems;
  TComProperty FComProperty = cpNone;
  TCustomComPort* FComPort = nullptr;
  bool FAutoApply = false;
};

class TComComboBox : public ui::TComboBox {
  JQ_UI_CLASSINFO
 public:
  explicit TComComboBox(ui::TComponent* AOwner);
  ~TComComboBox() override;

  TComProperty ComProperty() const { return select_->ComProperty(); }
  // Refills the list (cpPort reads the machine's ports now) and selects the
  // first item.
  void SetComProperty(TComProperty Value);
  bool AutoApply() const { return select_->FAutoApply; }
  void SetAutoApply(bool Value) { select_->FAutoApply = Value; }
  const TComSelect& Selection() const { return *select_; }
  TCustomComPort* ComPort() const { return select_->FComPort; }
  // Links the box to a port (not owned) and selects the port's value.
  void SetComPort(TCustomComPort* Value);
  void ApplySettings() { select_->ApplySettings(); }
  void UpdateSettings();

 protected:
  void Change() override;
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;
  // Empty when nothing is selected.
  rtl::String GetText() const override;
  // Selects the item equal to the text (case ignored); other texts change nothing.
  void SetTextInternal(const rtl::String& Value) override;

 private:
  std::unique_ptr<TComSelect> select_;
};

}  // namespace kit
