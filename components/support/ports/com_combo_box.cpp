#include "components/support/ports/com_combo_box.h"

#include <array>
#include <span>

#include "components/support/ports/com_port.h"
#include "platform/runtime/registry.h"
#include "platform/classes/string_list.h"

namespace kit {

namespace {

constexpr std::array<const char16_t*, 16> kBaudRates = {u"Custom", u"110",   u"300",   u"600",    u"1200",  u"2400",
                                                        u"4800",   u"9600",  u"14400", u"19200",  u"38400", u"56000",
                                                        u"57600",  u"115200", u"128000", u"256000"};
constexpr std::array<const char16_t*, 3> kStopBits = {u"1", u"1.5", u"2"};
constexpr std::array<const char16_t*, 4> kDataBits = {u"5", u"6", u"7", u"8"};
constexpr std::array<const char16_t*, 5> kParity = {u"None", u"Odd", u"Even", u"Mark", u"Space"};
constexpr std::array<const char16_t*, 4> kFlowControl = {u"Hardware", u"Software", u"None", u"Custom"};

int FromName(std::span<const char16_t* const> Table, const rtl::String& Name, int Fallback) {
  const rtl::String upper = rtl::UpperCase(Name);
  for (std::size_t i = 0; i < Table.size(); ++i)
    if (rtl::UpperCase(Table[i]) == upper) return static_cast<int>(i);
  return Fallback;
}

rtl::String NameOf(std::span<const char16_t* const> Table, int Value) {
  return Value >= 0 && static_cast<std::size_t>(Value) < Table.size() ? rtl::String(Table[Value]) : rtl::String();
}

void Fill(ui::TStrings* Items, std::span<const char16_t* const> Table) {
  Items->Clear();
  for (const char16_t* t : Table) Items->Add(t);
}

// Closes a registry key on every way out.
struct KeyCloser {
  rtl::HKEY key;
  ~KeyCloser() { rtl::RegCloseKey(key); }
};

}  // namespace

void ListComPortNames(ui::TStrings* List) {
  rtl::HKEY key = 0;
  if (rtl::RegOpenKeyEx(rtl::HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, rtl::KEY_READ, &key) !=
      rtl::ERROR_SUCCESS) {
    List->Clear();
    return;
  }
  // The key is closed on the error path as well as after the last value.
  KeyCloser closer{key};
  ui::TStringList names;
  for (std::uint32_t index = 0;; ++index) {
    char16_t name[256];
    std::uint32_t nameChars = 256;
    std::uint8_t data[256];
    std::uint32_t dataSize = sizeof data;
    std::uint32_t type = 0;
    const rtl::LONG r = rtl::RegEnumValue(key, index, name, &nameChars, &type, data, &dataSize);
    if (r == rtl::ERROR_NO_MORE_ITEMS) break;
    if (r != rtl::ERROR_SUCCESS) throw EComPort(CError_RegError, r, u"registry read");
    rtl::String text(reinterpret_cast<const char16_t*>(data), dataSize / 2);
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    names.Add(text);
  }
  names.Sort();
  List->Clear();
  for (int i = 0; i < names.Count(); ++i) List->Add(names[i]);
}

rtl::String BaudRateName(TBaudRate Value) { return NameOf(kBaudRates, Value); }
rtl::String StopBitsName(TStopBits Value) { return NameOf(kStopBits, Value); }
rtl::String DataBitsName(TDataBits Value) { return NameOf(kDataBits, Value); }
rtl::String ParityName(TParityBits Value) { return NameOf(kParity, Value); }
rtl::String FlowControlName(TFlowControl Value) { return NameOf(kFlowControl, Value); }
TBaudRate BaudRateFromName(const rtl::String& Name) { return TBaudRate(FromName(kBaudRates, Name, br9600)); }
TStopBits StopBitsFromName(const rtl::String& Name) { return TStopBits(FromName(kStopBits, Name, sbOneStopBit)); }
TDataBits DataBitsFromName(const rtl::String& Name) { return TDataBits(FromName(kDataBits, Name, dbEight)); }
TParityBits ParityFromName(const rtl::String& Name) { return TParityBits(FromName(kParity, Name, prNone)); }
TFlowControl FlowControlFromName(const rtl::String& Name) {
  return TFlowControl(FromName(kFlowControl, Name, fcCustom));
}

void TComSelect::SelectPort() {
  FItems->Clear();
  ListComPortNames(FItems);
}
void TComSelect::SelectBaudRate() { Fill(FItems, kBaudRates); }
void TComSelect::SelectDataBits() { Fill(FItems, kDataBits); }
void TComSelect::SelectStopBits() { Fill(FItems, kStopBits); }
void TComSelect::SelectParity() { Fill(FItems, kParity); }
void TComSelect::SelectFlowControl() { Fill(FItems, kFlowControl); }

void TComSelect::SetComProperty(TComProperty Value) {
  FComProperty = Value;
  FItems->Clear();
  switch (Value) {
    case cpPort: SelectPort(); break;
    case cpBaudRate: SelectBaudRate(); break;
    case cpDataBits: SelectDataBits(); break;
    case cpStopBits: SelectStopBits(); break;
    case cpParity: SelectParity(); break;
    case cpFlowControl: SelectFlowControl(); break;
    default: break;
  }
}

void TComSelect::Change(const rtl::String& Text) {
  switch (FComProperty) {
    case cpPort: FPort = Text; break;
    case cpBaudRate: FBaudRate = BaudRateFromName(Text); break;
    case cpDataBits: FDataBits = DataBitsFromName(Text); break;
    case cpStopBits: FStopBits = StopBitsFromName(Text); break;
    case cpParity: FParity = ParityFromName(Text); break;
    case cpFlowControl: FFlowControl = FlowControlFromName(Text); break;
    default: break;
  }
  if (FAutoApply) ApplySettings();
}

void TComSelect::ApplySettings() {
  if (!FComPort) return;
  switch (FComProperty) {
    // A list that does not hold the port's name records none: keep the name.
    case cpPort:
      if (!FPort.empty()) FComPort->SetPort(FPort);
      break;
    case cpBaudRate: FComPort->SetBaudRate(FBaudRate); break;
    case cpDataBits: FComPort->SetDataBits(FDataBits); break;
    case cpStopBits: FComPort->SetStopBits(FStopBits); break;
    case cpParity: FComPort->Parity().SetBits(FParity); break;
    case cpFlowControl: FComPort->FlowControl().SetFlowControl(FFlowControl); break;
    default: break;
  }
}

void TComSelect::UpdateSettings(int& ItemIndex) {
  if (!FComPort) return;
  rtl::String text;
  switch (FComProperty) {
    case cpPort: text = FComPort->Port(); break;
    case cpBaudRate: text = BaudRateName(FComPort->BaudRate()); break;
    case cpDataBits: text = DataBitsName(FComPort->DataBits()); break;
    case cpStopBits: text = StopBitsName(FComPort->StopBits()); break;
    case cpParity: text = ParityName(FComPort->Parity().Bits()); break;
    case cpFlowControl: text = FlowControlName(FComPort->FlowControl().FlowControl()); break;
    default: return;
  }
  ItemIndex = FItems->IndexOf(text);
  if (ItemIndex < 0) return;
  const rtl::String found = FItems->Strings(ItemIndex);
  switch (FComProperty) {
    case cpPort: FPort = found; break;
    case cpBaudRate: FBaudRate = BaudRateFromName(found); break;
    case cpDataBits: FDataBits = DataBitsFromName(found); break;
    case cpStopBits: FStopBits = StopBitsFromName(found); break;
    case cpParity: FParity = ParityFromName(found); break;
    case cpFlowControl: FFlowControl = FlowControlFromName(found); break;
    default: break;
  }
}

const ui::TClassInfo& TComComboBox::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TComComboBox>("TComComboBox", &ui::TComboBox::StaticClassInfo()).Build();
  return info;
}

TComComboBox::TComComboBox(ui::TComponent* AOwner) : ui::TComboBox(AOwner) {
  select_ = std::make_unique<TComSelect>(Items());
  SetStyle(ui::csDropDownList);
}

TComComboBox::~TComComboBox() = default;

void TComComboBox::SetComProperty(TComProperty Value) {
  select_->SetComProperty(Value);
  if (Items()->Count() == 0) return;
  if (!select_->FComPort) {
    SetItemIndex(0);
    return;
  }
  int index = -1;
  select_->UpdateSettings(index);
  SetItemIndex(index);
}

void TComComboBox::SetComPort(TCustomComPort* Value) {
  if (Value == select_->FComPort) return;
  if (select_->FComPort) select_->FComPort->RemoveFreeNotification(this);
  select_->FComPort = Value;
  if (Value) {
    Value->FreeNotification(this);
    UpdateSettings();
  }
}

void TComComboBox::UpdateSettings() {
  if (!select_->FComPort) return;
  int index = -1;
  select_->UpdateSettings(index);
  SetItemIndex(index);
}

void TComComboBox::Notification(ui::TComponent* AComponent, ui::TOperation Operation) {
  ui::TComboBox::Notification(AComponent, Operation);
  if (Operation == ui::opRemove && AComponent == select_->FComPort) {
    select_->FComPort = nullptr;
    if (Items()->Count() > 0) SetItemIndex(0);
  }
}

void TComComboBox::Change() {
  select_->Change(GetText());
  ui::TComboBox::Change();
}

rtl::String TComComboBox::GetText() const {
  return ItemIndex() < 0 ? rtl::String() : Items()->Strings(ItemIndex());
}

void TComComboBox::SetTextInternal(const rtl::String& Value) {
  for (int i = 0; i < Items()->Count(); ++i)
    if (rtl::CompareText(Items()->Strings(i), Value) == 0) {
      SetItemIndex(i);
      return;
    }
}

}  // namespace kit
