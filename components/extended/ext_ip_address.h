// The IP-address edit: four numeric fields separated by dots, the address
// as one 32-bit value (first field in the highest byte) and as four octets,
// a range per field, Tab through the fields, and a data connector.
#pragma once

#include <array>
#include <memory>

#include "components/extended/ext_base_controls.h"
#include "components/extended/ext_data_source_intf.h"
#include "platform/ui/mask_edit.h"

namespace ext {

// Messages of the address control.
constexpr std::uint32_t IPM_CLEARADDRESS = ui::WM_USER + 100;
constexpr std::uint32_t IPM_SETADDRESS = ui::WM_USER + 101;
constexpr std::uint32_t IPM_GETADDRESS = ui::WM_USER + 102;
constexpr std::uint32_t IPM_SETRANGE = ui::WM_USER + 103;
constexpr std::uint32_t IPM_SETFOCUS = ui::WM_USER + 104;
constexpr std::uint32_t IPM_ISBLANK = ui::WM_USER + 105;
constexpr LPARAM MakeIPRange(int Low, int High) { return static_cast<LPARAM>(((High & 0xFF) << 8) | (Low & 0xFF)); }
constexpr std::uint32_t MakeIPAddress(int B1, int B2, int B3, int B4) {
  return (static_cast<std::uint32_t>(B1 & 0xFF) << 24) | (static_cast<std::uint32_t>(B2 & 0xFF) << 16) |
         (static_cast<std::uint32_t>(B3 & 0xFF) << 8) | static_cast<std::uint32_t>(B4 & 0xFF);
}

class TExtIPAddress;

struct TExtIPAddressMinMax {
  std::uint8_t Min;
  std::uint8_t Max;
};
using TExtIpAddrFieldChangeEvent =
    std::function<void(ui::TObject* Sender, int Field, TExtIPAddressMinMax Range, int& Value)>;
using TExtIPAddressChanging =
    std::function<void(ui::TObject* Sender, int Index, bool& Allow, std::uint8_t NewValue)>;

class TExtIPAddressValues : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  std::uint32_t Address() const;
  void SetAddress(std::uint32_t Value);
  std::uint8_t Values(int Index) const { return Index >= 0 && Index < 4 ? values_[Index] : 0; }
  void SetValues(int Index, std::uint8_t Value);
  std::uint8_t Value1() const { return values_[0]; }
  std::uint8_t Value2() const { return values_[1]; }
  std::uint8_t Value3() const { return values_[2]; }
  std::uint8_t Value4() const { return values_[3]; }
  void SetValue1(std::uint8_t V) { SetValues(0, V); }
  void SetValue2(std::uint8_t V) { SetValues(1, V); }
  void SetValue3(std::uint8_t V) { SetValues(2, V); }
  void SetValue4(std::uint8_t V) { SetValues(3, V); }

  ui::TNotifyEvent OnChange;
  TExtIPAddressChanging OnChanging;

 private:
  std::array<std::uint8_t, 4> values_{};
};

class TExtIPAddressRange : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TExtIPAddressRange(TExtIPAddress* Control) : control_(Control) {}
  TExtIPAddressMinMax Field(int Index) const { return range_.at(Index); }
  void SetMin(int Index, std::uint8_t Value);
  void SetMax(int Index, std::uint8_t Value);
  std::uint8_t Field1Min() const { return range_[0].Min; }
  std::uint8_t Field1Max() const { return range_[0].Max; }
  std::uint8_t Field2Min() const { return range_[1].Min; }
  std::uint8_t Field2Max() const { return range_[1].Max; }
  std::uint8_t Field3Min() const { return range_[2].Min; }
  std::uint8_t Field3Max() const { return range_[2].Max; }
  std::uint8_t Field4Min() const { return range_[3].Min; }
  std::uint8_t Field4Max() const { return range_[3].Max; }
  void SetField1Min(std::uint8_t V) { SetMin(0, V); }
  void SetField1Max(std::uint8_t V) { SetMax(0, V); }
  void SetField2Min(std::uint8_t V) { SetMin(1, V); }
  void SetField2Max(std::uint8_t V) { SetMax(1, V); }
  void SetField3Min(std::uint8_t V) { SetMin(2, V); }
  void SetField3Max(std::uint8_t V) { SetMax(2, V); }
  void SetField4Min(std::uint8_t V) { SetMin(3, V); }
  void SetField4Max(std::uint8_t V) { SetMax(3, V); }

 private:
  TExtIPAddress* control_;
  std::array<TExtIPAddressMinMax, 4> range_{{{0, 255}, {0, 255}, {0, 255}, {0, 255}}};
};

class TExtIPField;

// Sits between one field and its own handling: key messages go to the
// address control first, and Tab never reaches the field.
class TExtIPEditControlHelper {
 public:
  explicit TExtIPEditControlHelper(TExtIPAddress* Owner) : ipAddress_(Owner) {}
  void Hook(TExtIPField* Field);
  void Unhook();
  TExtIPField* Handle() const { return handle_; }
  void WndProc(TMessage& M);

 private:
  TExtIPField* handle_ = nullptr;
  TExtIPAddress* ipAddress_;
};

// One numeric field of the address control.
class TExtIPField : public ui::TCustomMaskEdit {
  JQ_UI_CLASSINFO
 public:
  TExtIPField(TExtIPAddress* Owner, int Index);
  ~TExtIPField() override;
  int Index() const { return index_; }
  bool Blank() const { return Text().empty(); }
  int Number() const;
  void WndProc(TMessage& M) override;
  // The field's own handling, below the hook.
  void OriginalWndProc(TMessage& M) { ui::TCustomMaskEdit::WndProc(M); }

 protected:
  void Change() override;
  void DoKeyPress(char16_t& Key) override;

 private:
  friend class TExtIPEditControlHelper;
  friend class TExtIPAddress;
  TExtIPAddress* ip_;
  int index_;
  TExtIPEditControlHelper* hook_ = nullptr;
  bool edited_ = false;
};

class TExtIPAddressDataConnector : public TExtFieldDataConnector {
 public:
  explicit TExtIPAddressDataConnector(TExtIPAddress* Control) : editControl_(Control) {}

 protected:
  void ShowRecord() override;
  void StoreRecord() override;

 private:
  TExtIPAddress* editControl_;
};

class TExtIPAddress : public TExtBaseCustomControl {
  JQ_UI_CLASSINFO
 public:
  explicit TExtIPAddress(ui::TComponent* AOwner);
  ~TExtIPAddress() override;

  std::uint32_t Address() const { return address_; }
  void SetAddress(std::uint32_t Value);
  TExtIPAddressValues* AddressValues() const { return values_.get(); }
  void SetAddressValues(TExtIPAddressValues*) {}
  TExtIPAddressRange* Range() const { return range_.get(); }
  void SetRange(TExtIPAddressRange* Value);
  bool TabThroughFields() const { return tabThroughFields_; }
  void SetTabThroughFields(bool Value) { tabThroughFields_ = Value; }
  TExtIPAddressDataConnector* DataConnector() const { return dataConnector_.get(); }
  String IPText() const;
  void SetIPText(const String& Value);
  void ClearAddress();
  bool IsBlank();
  TExtIPField* Field(int Index) const { return fields_.at(Index); }
  int EditControlCount() const { return editControlCount_; }

  TExtIpAddrFieldChangeEvent OnFieldChange;
  ui::TNotifyEvent OnChange;

  void Dispatch(TMessage& M) override;

 protected:
  virtual void ApplyValues(ui::TObject* Sender);
  virtual void AllowOctet(ui::TObject* Sender, int Index, bool& Allow, std::uint8_t Value);
  virtual std::unique_ptr<TExtIPAddressDataConnector> CreateDataConnector();
  virtual void NotifyAddressChange();
  virtual void NotifyFieldChange(int Field, int& Value);

  String GetText() const override { return IPText(); }
  void SetTextInternal(const String& Value) override { SetIPText(Value); }
  void InitWidget() override;
  void DestroyHandle() override;
  void Paint() override;
  void NotifyBoundsChanged() override;
  void NotifyFontChanged() override;
  void NotifyEnabledChanged() override;
  void NotifyFocusGained(ui::TWinControl* Previous) override;
  void AdjustDialogCodes(TDialogCodes& Codes) override;

 private:
  friend class TExtIPEditControlHelper;
  friend class TExtIPField;
  friend class TExtIPAddressRange;
  void LayoutFields();
  // Field notices.
  void FieldTextChanged(TExtIPField* Field);
  void FieldFocusGained(TExtIPField* Field);
  void FieldFocusLost(TExtIPField* Field, bool Edited);
  // A key typed in a field; true when it stops here.
  bool FieldKey(TExtIPField* Field, TMessage& M);
  void MoveToField(int Index);
  // Next (or previous) control of the form that takes Tab, or nullptr.
  ui::TWinControl* NextTabControl(bool Forward) const;
  void SendRanges();
  std::uint32_t FieldsAddress(int* Filled) const;

  std::array<std::unique_ptr<TExtIPEditControlHelper>, 4> editControls_;
  int editControlCount_ = 0;
  std::uint32_t address_ = 0;
  bool changing_ = false;
  std::unique_ptr<TExtIPAddressRange> range_;
  std::unique_ptr<TExtIPAddressValues> values_;
  bool saveBlank_ = false;
  bool tabThroughFields_ = true;
  bool focusFromField_ = false;
  std::unique_ptr<TExtIPAddressDataConnector> dataConnector_;
  std::array<TExtIPField*, 4> fields_{};
  std::array<TExtIPAddressMinMax, 4> nativeRange_{{{0, 255}, {0, 255}, {0, 255}, {0, 255}}};
  bool syncing_ = false;
};

}  // namespace ext
