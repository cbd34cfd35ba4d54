#include "components/extended/ext_ip_address.h"

#include <algorithm>
#include <functional>

#include "platform/runtime/convert.h"
#include "components/extended/core/core_strings.h"
#include "components/extended/ext_draw_utils.h"

namespace ext {

// --- TExtIPAddressValues ---------------------------------------------------------------

const ui::TClassInfo& TExtIPAddressValues::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TExtIPAddressValues>("TExtIPAddressValues", &ui::TPersistent::StaticClassInfo())
          .Int64("Address", &TExtIPAddressValues::Address, &TExtIPAddressValues::SetAddress)
          .Integer("Value1", &TExtIPAddressValues::Value1, &TExtIPAddressValues::SetValue1)
          .Integer("Value2", &TExtIPAddressValues::Value2, &TExtIPAddressValues::SetValue2)
          .Integer("Value3", &TExtIPAddressValues::Value3, &TExtIPAddressValues::SetValue3)
          .Integer("Value4", &TExtIPAddressValues::Value4, &TExtIPAddressValues::SetValue4)
          .Build();
  return info;
}

std::uint32_t TExtIPAddressValues::Address() const {
  return MakeIPAddress(values_[0], values_[1], values_[2], values_[3]);
}

void TExtIPAddressValues::SetAddress(std::uint32_t Value) {
  if (Value == Address()) return;
  bool stored = false;
  for (int i = 0; i < 4; ++i) {
    auto octet = static_cast<std::uint8_t>(Value >> (24 - 8 * i));
    bool allow = true;
    if (OnChanging) OnChanging(this, i, allow, octet);
    if (allow && values_[i] != octet) {
      values_[i] = octet;
      stored = true;
    }
  }
  if (stored && OnChange) OnChange(this);
}

void TExtIPAddressValues::SetValues(int Index, std::uint8_t Value) {
  if (Index < 0 || Index > 3 || values_[Index] == Value) return;
  values_[Index] = Value;
  if (OnChange) OnChange(this);
}

// --- TExtIPAddressRange -------------------------------------------------------------------

const ui::TClassInfo& TExtIPAddressRange::StaticClassInfo() {
  using R = TExtIPAddressRange;
  static const ui::TClassInfo info = ui::TClassBuilder<R>("TExtIPAddressRange", &ui::TPersistent::StaticClassInfo())
                                         .Integer("Field1Min", &R::Field1Min, &R::SetField1Min, 0)
                                         .Integer("Field1Max", &R::Field1Max, &R::SetField1Max, 255)
                                         .Integer("Field2Min", &R::Field2Min, &R::SetField2Min, 0)
                                         .Integer("Field2Max", &R::Field2Max, &R::SetField2Max, 255)
                                         .Integer("Field3Min", &R::Field3Min, &R::SetField3Min, 0)
                                         .Integer("Field3Max", &R::Field3Max, &R::SetField3Max, 255)
                                         .Integer("Field4Min", &R::Field4Min, &R::SetField4Min, 0)
                                         .Integer("Field4Max", &R::Field4Max, &R::SetField4Max, 255)
                                         .Build();
  return info;
}

void TExtIPAddressRange::SetMin(int Index, std::uint8_t Value) {
  range_.at(Index).Min = Value;
  if (control_) control_->SendRanges();
}

void TExtIPAddressRange::SetMax(int Index, std::uint8_t Value) {
  range_.at(Index).Max = Value;
  if (control_) control_->SendRanges();
}

// --- fields and their hooks -----------------------------------------------------------------

namespace {
constexpr std::uint32_t kLastKeyMessage = 0x0107;  // WM_SYSDEADCHAR
}

void TExtIPEditControlHelper::Hook(TExtIPField* Field) {
  handle_ = Field;
  Field->hook_ = this;
}

void TExtIPEditControlHelper::Unhook() {
  if (handle_) handle_->hook_ = nullptr;
  handle_ = nullptr;
}

void TExtIPEditControlHelper::WndProc(TMessage& M) {
  TExtIPField* field = handle_;
  if (M.Msg >= ui::WM_KEYDOWN && M.Msg <= kLastKeyMessage) {
    if (ipAddress_->FieldKey(field, M)) return;
  }
  field->OriginalWndProc(M);
}

const ui::TClassInfo& TExtIPField::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TExtIPField>("TExtIPField", &ui::TCustomMaskEdit::StaticClassInfo()).Build();
  return info;
}

TExtIPField::TExtIPField(TExtIPAddress* Owner, int Index) : ui::TCustomMaskEdit(Owner), ip_(Owner), index_(Index) {
  SetBorderStyle(ui::bsNone);
  SetTextAlignment(ui::taCenter);
  SetMaxLength(3);
  SetParentColor(true);
  SetTabStop(false);
}

TExtIPField::~TExtIPField() {
  BeginDestroy();
  // The hook lets go first, so no message reaches a helper of a field gone.
  if (hook_) hook_->Unhook();
}

int TExtIPField::Number() const { return rtl::StrToIntDef(Text(), 0); }

void TExtIPField::WndProc(TMessage& M) {
  if (hook_ && M.Msg == ui::WM_SETFOCUS) {
    OriginalWndProc(M);
    ip_->FieldFocusGained(this);
    return;
  }
  if (hook_ && M.Msg == ui::WM_KILLFOCUS) {
    bool edited = edited_;
    edited_ = false;
    OriginalWndProc(M);
    ip_->FieldFocusLost(this, edited);
    return;
  }
  if (hook_) hook_->WndProc(M);
  else OriginalWndProc(M);
}

void TExtIPField::Change() {
  ui::TCustomMaskEdit::Change();
  if (ip_->syncing_) return;
  edited_ = true;
  // A number beyond the field's range is held at its maximum, never wrapped.
  String t = Text();
  if (!t.empty()) {
    int v = rtl::StrToIntDef(t, 0);
    int hi = ip_->nativeRange_[index_].Max;
    if (v > hi) {
      ip_->syncing_ = true;
      SetText(rtl::IntToStr(hi));
      ip_->syncing_ = false;
      SetSelStart(static_cast<int>(Text().size()));
    }
  }
  ip_->FieldTextChanged(this);
  // Three digits move on to the next field.
  if (Text().size() >= 3 && SelStart() >= 3 && index_ < 3 && Focused()) ip_->MoveToField(index_ + 1);
}

void TExtIPField::DoKeyPress(char16_t& Key) {
  ui::TCustomMaskEdit::DoKeyPress(Key);
  if (Key == u'.' || Key == u' ') {
    if (!Text().empty() && SelLength() == 0 && index_ < 3) ip_->MoveToField(index_ + 1);
    Key = 0;
    return;
  }
  if (Key >= 0x20 && (Key < u'0' || Key > u'9')) {
    ui::MessageBeep();
    Key = 0;
  }
}

// --- data connector ----------------------------------------------------------------------

void TExtIPAddressDataConnector::ShowRecord() {
  TExtDataConnectorField* f = Field();
  if (f && f->IsValid()) {
    editControl_->SetEnabled(f->CanModify());
    editControl_->SetText(f->AsWideString());
  } else {
    editControl_->SetText(String());
    editControl_->SetEnabled(false);
  }
}

void TExtIPAddressDataConnector::StoreRecord() {
  TExtDataConnectorField* f = Field();
  if (!f || !f->IsValid()) return;
  f->SetAsWideString(editControl_->Text());
  editControl_->SetText(f->AsWideString());
}

// --- TExtIPAddress -------------------------------------------------------------------------

const ui::TClassInfo& TExtIPAddress::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TExtIPAddress>("TExtIPAddress", &TExtBaseCustomControl::StaticClassInfo())
          .Int64("Address", &TExtIPAddress::Address, &TExtIPAddress::SetAddress)
          .Object("AddressValues", "TExtIPAddressValues", &TExtIPAddress::AddressValues,
                  &TExtIPAddress::SetAddressValues)
          .Object("Range", "TExtIPAddressRange", &TExtIPAddress::Range, &TExtIPAddress::SetRange)
          .Boolean("TabThroughFields", &TExtIPAddress::TabThroughFields, &TExtIPAddress::SetTabThroughFields, 1)
          .Str("Text", &TExtIPAddress::IPText, &TExtIPAddress::SetIPText)
          .Build();
  return info;
}

TExtIPAddress::TExtIPAddress(ui::TComponent* AOwner) : TExtBaseCustomControl(AOwner) {
  RegisterExtCursors();
  dataConnector_ = CreateDataConnector();
  range_ = std::make_unique<TExtIPAddressRange>(this);
  values_ = std::make_unique<TExtIPAddressValues>();
  values_->OnChange = [this](ui::TObject* s) { ApplyValues(s); };
  values_->OnChanging = [this](ui::TObject* s, int i, bool& allow, std::uint8_t v) { AllowOctet(s, i, allow, v); };
  SetColor(ui::clWindow);
  SetParentColor(false);
  SetTabStop(true);
  for (auto& h : editControls_) h = std::make_unique<TExtIPEditControlHelper>(this);
  changing_ = true;
  for (int i = 0; i < 4; ++i) {
    fields_[i] = new TExtIPField(this, i);
    fields_[i]->SetParent(this);
    editControls_[editControlCount_++]->Hook(fields_[i]);
  }
  changing_ = false;
  ui::TBitmap probe(1, 1);
  probe.Canvas()->SetFont(Font());
  SetBounds(Left(), Top(), 150, probe.Canvas()->TextHeight(u"0") + 8);
}

TExtIPAddress::~TExtIPAddress() {
  BeginDestroy();
  for (auto& h : editControls_) h->Unhook();
}

std::unique_ptr<TExtIPAddressDataConnector> TExtIPAddress::CreateDataConnector() {
  return std::make_unique<TExtIPAddressDataConnector>(this);
}

void TExtIPAddress::SetRange(TExtIPAddressRange* Value) {
  if (!Value) return;
  for (int i = 0; i < 4; ++i) {
    range_->SetMin(i, Value->Field(i).Min);
    range_->SetMax(i, Value->Field(i).Max);
  }
}

void TExtIPAddress::SetAddress(std::uint32_t Value) {
  if (Value == address_) return;
  address_ = Value;
  if (HandleAllocated()) Perform(IPM_SETADDRESS, 0, static_cast<LPARAM>(Value));
  values_->SetAddress(Value);
}

void TExtIPAddress::ApplyValues(ui::TObject*) { SetAddress(values_->Address()); }

void TExtIPAddress::AllowOctet(ui::TObject*, int Index, bool& Allow, std::uint8_t Value) {
  Allow = Index >= 0 && Index <= 3 && Value >= range_->Field(Index).Min && Value <= range_->Field(Index).Max;
}

void TExtIPAddress::NotifyAddressChange() {
  dataConnector_->Modify();
  if (OnChange) OnChange(this);
}

void TExtIPAddress::NotifyFieldChange(int Field, int& Value) {
  if (OnFieldChange) OnFieldChange(this, Field, range_->Field(Field), Value);
}

void TExtIPAddress::ClearAddress() {
  if (HandleAllocated()) Perform(IPM_CLEARADDRESS);
  values_->SetAddress(0);
}

bool TExtIPAddress::IsBlank() { return HandleAllocated() && Perform(IPM_ISBLANK) != 0; }

String TExtIPAddress::IPText() const {
  // The control's text: the four fields, an empty field reading as 0;
  // before the window exists, the address.
  String t;
  for (int i = 0; i < 4; ++i) {
    if (i) t += u'.';
    if (!HandleAllocated()) t += rtl::IntToStr((address_ >> (24 - 8 * i)) & 0xFF);
    else t += rtl::IntToStr(fields_[i]->Blank() ? 0 : fields_[i]->Number());
  }
  // Reading the text brings the octets up to date with it.
  auto* self = const_cast<TExtIPAddress*>(this);
  String rest = t;
  for (int i = 0; i < 4; ++i) {
    String part = i < 3 ? TakeToken(rest, u'.') : rest;
    self->values_->SetValues(i, static_cast<std::uint8_t>(std::clamp(rtl::StrToIntDef(part, 0), 0, 255)));
  }
  return t;
}

void TExtIPAddress::SetIPText(const String& Value) {
  String rest = Value;
  for (int i = 0; i < 4; ++i) {
    String part = i < 3 ? TakeToken(rest, u'.') : rest;
    std::int64_t n = rtl::StrToInt64Def(rtl::Trim(part), 0);
    // A part beyond its field's range is held at the nearest bound.
    n = std::clamp<std::int64_t>(n, range_->Field(i).Min, range_->Field(i).Max);
    values_->SetValues(i, static_cast<std::uint8_t>(n));
  }
  const auto& v = *values_;
  String text = rtl::Format(u"%d.%d.%d.%d", {v.Value1(), v.Value2(), v.Value3(), v.Value4()});
  syncing_ = true;
  String parts = text;
  for (int i = 0; i < 4; ++i) fields_[i]->SetText(i < 3 ? TakeToken(parts, u'.') : parts);
  syncing_ = false;
  int filled = 0;
  address_ = FieldsAddress(&filled);
}

std::uint32_t TExtIPAddress::FieldsAddress(int* Filled) const {
  std::uint32_t a = 0;
  int filled = 0;
  for (int i = 0; i < 4; ++i) {
    if (!fields_[i]->Blank()) ++filled;
    a = (a << 8) | static_cast<std::uint32_t>(std::clamp(fields_[i]->Number(), 0, 255));
  }
  if (Filled) *Filled = filled;
  return a;
}

void TExtIPAddress::SendRanges() {
  for (int i = 0; i < 4; ++i) {
    TExtIPAddressMinMax r = range_->Field(i);
    Perform(IPM_SETRANGE, i, MakeIPRange(r.Min, r.Max));
  }
}

void TExtIPAddress::InitWidget() {
  TExtBaseCustomControl::InitWidget();
  changing_ = true;
  SendRanges();
  if (saveBlank_) {
    ClearAddress();
  } else {
    Perform(IPM_SETADDRESS, 0, static_cast<LPARAM>(address_));
    values_->SetAddress(address_);
  }
  changing_ = false;
  LayoutFields();
}

void TExtIPAddress::DestroyHandle() {
  // A blank control comes back blank.
  saveBlank_ = IsBlank();
  TExtBaseCustomControl::DestroyHandle();
}

void TExtIPAddress::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case IPM_CLEARADDRESS:
      syncing_ = true;
      for (TExtIPField* f : fields_) f->SetText(String());
      syncing_ = false;
      return;
    case IPM_SETADDRESS: {
      auto a = static_cast<std::uint32_t>(M.LParam);
      syncing_ = true;
      for (int i = 0; i < 4; ++i) fields_[i]->SetText(rtl::IntToStr((a >> (24 - 8 * i)) & 0xFF));
      syncing_ = false;
      for (TExtIPField* f : fields_) FieldTextChanged(f);
      return;
    }
    case IPM_GETADDRESS: {
      int filled = 0;
      std::uint32_t a = FieldsAddress(&filled);
      if (M.LParam) *reinterpret_cast<std::uint32_t*>(M.LParam) = a;
      M.Result = filled;
      return;
    }
    case IPM_SETRANGE:
      if (M.WParam < 4) {
        nativeRange_[M.WParam] = {static_cast<std::uint8_t>(M.LParam & 0xFF),
                                  static_cast<std::uint8_t>((M.LParam >> 8) & 0xFF)};
        M.Result = 1;
      }
      return;
    case IPM_SETFOCUS:
      MoveToField(static_cast<int>(std::min<WPARAM>(M.WParam, 3)));
      return;
    case IPM_ISBLANK:
      M.Result = std::all_of(fields_.begin(), fields_.end(), [](TExtIPField* f) { return f->Blank(); }) ? 1 : 0;
      return;
    default:
      break;
  }
  TExtBaseCustomControl::Dispatch(M);
}

void TExtIPAddress::FieldTextChanged(TExtIPField*) {
  if (syncing_) return;
  std::uint32_t a = 0;
  Perform(IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&a));
  address_ = a;
  // The octets follow every change of a field.
  values_->SetAddress(a);
  if (!changing_) NotifyAddressChange();
}

void TExtIPAddress::FieldFocusGained(TExtIPField* Field) {
  // Focus reached a field directly (click, Tab): the control's own
  // set-focus handling must not send it back to the first field.
  focusFromField_ = true;
  Field->SelectAll();
  focusFromField_ = false;
}

void TExtIPAddress::FieldFocusLost(TExtIPField* Field, bool Edited) {
  if (Edited && !Field->Blank()) {
    int v = Field->Number();
    TExtIPAddressMinMax r = nativeRange_[Field->Index()];
    v = std::clamp(v, static_cast<int>(r.Min), static_cast<int>(r.Max));
    NotifyFieldChange(Field->Index(), v);
    v = std::clamp(v, static_cast<int>(r.Min), static_cast<int>(r.Max));
    if (v != Field->Number()) Field->SetText(rtl::IntToStr(v));
  }
  // Leaving the whole control: fill empty fields and write the record.
  bool toSibling = false;
  for (TExtIPField* f : fields_)
    if (f != Field && f->Focused()) toSibling = true;
  if (toSibling) return;
  if (!IsBlank()) Perform(IPM_SETADDRESS, 0, static_cast<LPARAM>(address_));
  dataConnector_->UpdateRecord();
}

bool TExtIPAddress::FieldKey(TExtIPField* Field, TMessage& M) {
  auto key = static_cast<std::uint16_t>(M.WParam);
  if (M.Msg == ui::WM_KEYDOWN || M.Msg == ui::WM_SYSKEYDOWN) {
    ui::TShiftState shift;
    if (ui::GetKeyState(ui::VK_SHIFT) < 0) shift.Include(ui::ssShift);
    if (ui::GetKeyState(ui::VK_CONTROL) < 0) shift.Include(ui::ssCtrl);
    if (ui::GetKeyState(ui::VK_MENU) < 0) shift.Include(ui::ssAlt);
    DoKeyDown(key, shift);
    if (key == 0) {
      M.Result = 1;
      return true;
    }
    if (key == ui::VK_ESCAPE && dataConnector_->Active()) {
      dataConnector_->Reset();
      M.Result = 1;
      return true;
    }
    if (key == ui::VK_TAB && tabThroughFields_ && !shift.Contains(ui::ssCtrl) && !shift.Contains(ui::ssAlt)) {
      bool back = shift.Contains(ui::ssShift);
      int next = Field->Index() + (back ? -1 : 1);
      if (next >= 0 && next < 4) {
        MoveToField(next);
      } else if (ui::TWinControl* c = NextTabControl(!back)) {
        c->SetFocus();
      }
      M.Result = 1;
      return true;
    }
    if (key == ui::VK_BACK && Field->SelStart() == 0 && Field->SelLength() == 0 && Field->Index() > 0) {
      MoveToField(Field->Index() - 1);
      fields_[Field->Index() - 1]->SetSelStart(static_cast<int>(fields_[Field->Index() - 1]->Text().size()));
      M.Result = 1;
      return true;
    }
    return false;
  }
  if (M.Msg == ui::WM_KEYUP && key == ui::VK_TAB && tabThroughFields_) return true;
  if (M.Msg == ui::WM_CHAR) {
    if (key == u'\t' && tabThroughFields_) return true;
    char16_t c = static_cast<char16_t>(key);
    DoKeyPress(c);
    if (c == 0) return true;
    M.WParam = c;
  }
  if (M.Msg == ui::WM_KEYUP) {
    DoKeyUp(key, {});
    if (key == 0) return true;
  }
  return false;
}

void TExtIPAddress::MoveToField(int Index) {
  TExtIPField* f = fields_.at(Index);
  if (f->CanFocus()) f->SetFocus();
  f->SelectAll();
}

namespace {
void CollectTabStops(ui::TWinControl* Parent, const ui::TWinControl* Skip, std::vector<ui::TWinControl*>& Out) {
  std::vector<ui::TWinControl*> kids;
  for (int i = 0; i < Parent->ControlCount(); ++i)
    if (auto* w = dynamic_cast<ui::TWinControl*>(Parent->Controls(i))) kids.push_back(w);
  std::stable_sort(kids.begin(), kids.end(),
                   [](ui::TWinControl* a, ui::TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
  for (ui::TWinControl* w : kids) {
    if (!w->Visible()) continue;
    if (w == Skip || (w->TabStop() && w->ControlCount() == 0)) Out.push_back(w);
    else if (w->TabStop()) Out.push_back(w);
    if (w != Skip) CollectTabStops(w, Skip, Out);
  }
}
}  // namespace

ui::TWinControl* TExtIPAddress::NextTabControl(bool Forward) const {
  ui::TCustomForm* form = ui::GetParentForm(this);
  if (!form) return nullptr;
  std::vector<ui::TWinControl*> order;
  CollectTabStops(form, this, order);
  auto it = std::find(order.begin(), order.end(), this);
  if (it == order.end() || order.size() < 2) return nullptr;
  std::size_t i = static_cast<std::size_t>(it - order.begin());
  for (std::size_t step = 1; step < order.size(); ++step) {
    std::size_t j = Forward ? (i + step) % order.size() : (i + order.size() - step) % order.size();
    if (order[j]->CanFocus()) return order[j];
  }
  return nullptr;
}

void TExtIPAddress::LayoutFields() {
  int inner = std::max(Width() - 4, 4);
  int slot = inner / 4;
  for (int i = 0; i < 4; ++i) fields_[i]->SetBounds(2 + i * slot + 1, 2, std::max(slot - 5, 1), std::max(Height() - 4, 1));
}

void TExtIPAddress::Paint() {
  ui::TCanvas* c = Canvas();
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  ui::TRect r = ClientRect();
  c->DrawEdge(r, ui::EDGE_SUNKEN, ui::BF_RECT);
  // A dot midway between each pair of fields, level with the field tops.
  if (editControlCount_ >= 2) {
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(ui::bsClear);
    for (int i = 0; i + 1 < 4; ++i) {
      int gapLeft = fields_[i]->Left() + fields_[i]->Width();
      int gapRight = fields_[i + 1]->Left();
      int x = (gapLeft + gapRight) / 2 - c->TextWidth(u".") / 2;
      c->TextOut(x, fields_[i]->Top(), u".");
    }
    c->Brush()->SetStyle(ui::bsSolid);
  }
}

void TExtIPAddress::NotifyBoundsChanged() { LayoutFields(); }

void TExtIPAddress::NotifyFontChanged() {
  TExtBaseCustomControl::NotifyFontChanged();
  ui::TBitmap probe(1, 1);
  probe.Canvas()->SetFont(Font());
  SetHeight(probe.Canvas()->TextHeight(u"0") + 8);
}

void TExtIPAddress::NotifyEnabledChanged() {
  TExtBaseCustomControl::NotifyEnabledChanged();
  bool designing = ComponentState().Contains(ui::csDesigning);
  bool on = Enabled() && !designing;
  // Themed fields of a disabled control stay enabled, so they keep the
  // theme's look; the disabled control already keeps input from them.
  if (!on && !designing && ui::ThemesEnabled()) return;
  for (TExtIPField* f : fields_) f->SetEnabled(on);
}

void TExtIPAddress::NotifyFocusGained(ui::TWinControl* Previous) {
  TExtBaseCustomControl::NotifyFocusGained(Previous);
  // Focus given to the control itself goes on to its first field.
  if (!focusFromField_) MoveToField(0);
}

void TExtIPAddress::AdjustDialogCodes(TDialogCodes& Codes) {
  Codes.Include(dcWantArrows);
  if (tabThroughFields_) Codes.Include(dcWantTab);
}

}  // namespace ext
