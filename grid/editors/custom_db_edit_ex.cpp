#include "grid/editors/custom_db_edit_ex.h"

#include "grid/editor_support/button_faces.h"
#include "platform/data/data_source.h"
#include "platform/data/dataset.h"
#include "platform/ui/keys.h"
#include "platform/ui/menus.h"
#include "platform/ui/themes.h"
#include "grid/editor_support/tool_routines.h"

namespace grid {

using namespace ui;

namespace {

bool IsMemoField(const db::TField* F) {
  return F && (F->DataType() == db::ftMemo || F->DataType() == db::ftWideMemo);
}

TAlignment FieldAlignment(const db::TField* F) {
  switch (F->Alignment()) {
    case db::TField::taRightJustify:
      return taRightJustify;
    case db::TField::taCenter:
      return taCenter;
    default:
      return taLeftJustify;
  }
}

}  // namespace

TCustomDBEditEx::TCustomDBEditEx(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
  SetControlStyle(ControlStyle() + csCaptureMouse + csReplicatable);
  dataLink_ = CreateDataLink();
  dataLink_->SetControl(this);
  dataLink_->OnDataChange = [this](TObject*) {
    DataChanged();
    UpdateEditButtonControlsState();
  };
  dataLink_->OnEditingChange = [this](TObject*) { ReflectEditingState(); };
  dataLink_->OnUpdateData = [this](TObject*) { UpdateData(); };
  dataLink_->OnActiveChange = [this](TObject*) { ActiveChanged(); };
  mruList_ = std::make_unique<TMRUListEx>(this);
  mruList_->OnSetDropDown = [this](TObject* Sender) { MRUListDropDown(Sender); };
  mruList_->OnSetCloseUp = [this](TObject* Sender, bool Accept) { MRUListCloseUp(Sender, Accept); };
  UpdateEditReadOnly();
}

TCustomDBEditEx::~TCustomDBEditEx() {
  // The link must not call back into a half-destroyed editor.
  dataLink_->OnDataChange = nullptr;
  dataLink_->OnEditingChange = nullptr;
  dataLink_->OnUpdateData = nullptr;
  dataLink_->OnActiveChange = nullptr;
  dataLink_->SetDataSource(nullptr);
  // Button controls are children and go with the editor; the settings must
  // not ask for a re-layout on the way out.
  if (editButton_) editButton_->OnChanged = nullptr;
  if (editButtons_) editButtons_->OnChanged = nullptr;
  editImage_.reset();
  editButton_.reset();
  editButtons_.reset();
  if (mruListControl_) mruListControl_->OnMouseUp = nullptr;
  mruList_->OnSetDropDown = nullptr;
  mruList_->OnSetCloseUp = nullptr;
}

std::unique_ptr<TFieldDataLinkEx> TCustomDBEditEx::CreateDataLink() {
  return std::make_unique<TFieldDataLinkEx>();
}

bool TCustomDBEditEx::EditButtonsActive() const { return Enabled() && dataLink_->Active(); }

TAlignment TCustomDBEditEx::DefaultAlignment() const {
  return Field() ? FieldAlignment(Field()) : taLeftJustify;
}

String TCustomDBEditEx::DefaultEditMask() const { return Field() ? Field()->EditMask() : String(); }

void TCustomDBEditEx::ReadValue(Variant& Value) const { Value = Variant(Text()); }

Variant TCustomDBEditEx::Value() const {
  Variant v;
  ReadValue(v);
  return v;
}

bool TCustomDBEditEx::IsValidChar(char16_t Key) const { return !Field() || Field()->IsValidChar(Key); }

void TCustomDBEditEx::ActiveChanged() {
  ResetMaxLength();
  UpdateEditButtonControlsState();
}

void TCustomDBEditEx::CloseUp(bool) {
  droppedDown_ = false;
  if (ButtonControlCount() > 0) editButtonControlList_[0].EditButtonControl->SetAlwaysDown(false);
}

void TCustomDBEditEx::DropDown() {
  if (MRUListVisible()) mruList_->CloseUp(false);
  droppedDown_ = true;
  if (ButtonControlCount() > 0) editButtonControlList_[0].EditButtonControl->SetAlwaysDown(true);
}

void TCustomDBEditEx::PutText(const String& Value) { TCustomMaskEdit::SetTextInternal(Value); }

void TCustomDBEditEx::PutValue(const Variant& Value) {
  String text;
  if (!Value.IsArray()) {
    try {
      text = Value.IsNull() || Value.IsEmpty() ? String() : Value.AsString();
    } catch (...) {
      text.clear();
    }
  }
  PutText(text);
}

void TCustomDBEditEx::WriteFieldText() {
  // Unbound, the raw edit text is the value, mask literals and all.
  dataLink_->SetText(dataLink_->DataIndepended() ? EditText() : Text());
}

void TCustomDBEditEx::WriteThrough(const std::function<void()>& Put) {
  if (!dataLink_->DataIndepended()) dataLink_->Edit();
  Put();
  if (dataPosting_) return;
  try {
    UpdateData();
  } catch (...) {
    dataLink_->Reset();
    throw;
  }
}

void TCustomDBEditEx::SetText(const String& Value) {
  if (Designing() && !dataLink_->DataIndepended()) return;
  WriteThrough([&] { PutText(Value); });
}

void TCustomDBEditEx::StoreValue(const Variant& Value) {
  if (Designing() && !dataLink_->DataIndepended()) return;
  WriteThrough([&] { PutValue(Value); });
}

void TCustomDBEditEx::Undo() {
  if (!dataLink_->DataIndepended()) dataLink_->Edit();
  Perform(EM_UNDO);
  if (dataPosting_ || focused_) return;
  try {
    UpdateData();
  } catch (...) {
    dataLink_->Reset();
    throw;
  }
}

void TCustomDBEditEx::Reset() {
  dataLink_->Reset();
  SelectAll();
}

bool TCustomDBEditEx::CanModifyText() { return dataLink_->Edit(); }

void TCustomDBEditEx::SetEditMask(const String& Value) {
  if (assignedEditMask_ && EditMask() == Value) return;
  const bool keep = IsLoading() && dataLink_->DataIndepended();
  const String kept = keep ? EditText() : String();
  TCustomMaskEdit::SetEditMask(Value);
  assignedEditMask_ = true;
  if (keep) SetEditText(kept);
  if (dataLink_->DataIndepended())
    WriteFieldText();
  else
    DataChanged();
}

TAlignment TCustomDBEditEx::Alignment() const {
  return assignedAlignment_ ? alignment_ : DefaultAlignment();
}

void TCustomDBEditEx::SetAlignment(TAlignment Value) {
  if (assignedAlignment_ && alignment_ == Value) return;
  alignment_ = Value;
  assignedAlignment_ = true;
  if (!IsLoading() && HandleAllocated()) RecreateWnd();
  Invalidate();
}

void TCustomDBEditEx::SetReadOnly(bool Value) {
  if (readOnly_ == Value) return;
  readOnly_ = Value;
  ReflectEditingState();
}

void TCustomDBEditEx::SetDataSource(db::TDataSource* Value) {
  if (!(IsLoading() && dataLink_->DataSource() && dataLink_->DataSource() != Value)) dataLink_->SetDataSource(Value);
  if (Value) Value->FreeNotification(this);
  DataChanged();
  Invalidate();
}

void TCustomDBEditEx::SetDataField(const String& Value) {
  if (!Designing()) ResetMaxLength();
  dataLink_->SetFieldName(Value);
  Invalidate();
}

void TCustomDBEditEx::ResetMaxLength() {
  if (MaxLength() <= 0 || !DataSource() || !DataSource()->DataSet()) return;
  db::TField* f = DataSource()->DataSet()->FindField(DataField());
  if (IsStringField(f) && f->Size() == MaxLength()) SetMaxLength(0);
}

void TCustomDBEditEx::UpdateEditReadOnly() {
  bool writable = !readOnly_;
  if (writable && !dataLink_->Editing()) {
    db::TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    writable = OnUpdateData && ds && (ds->State() == db::dsEdit || ds->State() == db::dsInsert);
  }
  if (writable && inplaceMode_ && intfInplaceEditHolder_) writable = intfInplaceEditHolder_->InplaceEditCanModify(this);
  TCustomEdit::SetReadOnly(!writable);
}

void TCustomDBEditEx::DataChanged() {
  if (db::TField* f = Field()) {
    if (assignedAlignment_ && FieldAlignment(f) != alignment_) Invalidate();
    if (!assignedEditMask_ && EditMask() != f->EditMask()) TCustomMaskEdit::SetEditMask(f->EditMask());
    SetTextAlignment(WindowAlignment());
    if (!Designing() && IsStringField(f) && MaxLength() == 0) SetMaxLength(f->Size());
    // Starting to edit reloads the same text; the user's selection must
    // survive it, or the key that started editing lands in the wrong place.
    const int selStart = SelStart(), selLength = SelLength();
    const String before = EditText();
    auto keepSelection = [&] {
      if (EditText() != before) return;
      SetSelStart(selStart);
      SetSelLength(selLength);
    };
    if (focused_ && dataLink_->CanModify()) {
      PutText(IsMemoField(f) ? f->AsString() : f->Text());
      keepSelection();
      UpdateEditReadOnly();
      SetModified(false);
      return;
    }
    SetEditText(IsMemoField(f) ? f->AsString() : f->DisplayText());
    keepSelection();
  } else {
    if (!assignedEditMask_ && !EditMask().empty()) TCustomMaskEdit::SetEditMask(String());
    SetTextAlignment(WindowAlignment());
    if (dataLink_->DataIndepended()) {
      String text;
      const Variant& v = dataLink_->DataIndependentValue;
      if (!v.IsArray() && !v.IsNull() && !v.IsEmpty()) {
        try {
          text = v.AsString();
        } catch (...) {
        }
      }
      SetEditText(text);
    } else {
      SetEditText(String());
    }
  }
  UpdateEditReadOnly();
  SetModified(false);
}

void TCustomDBEditEx::UpdateData() {
  if (focused_) ValidateEdit();
  bool handled = false;
  if (OnUpdateData) {
    dataPosting_ = true;
    try {
      OnUpdateData(this, handled);
    } catch (...) {
      dataPosting_ = false;
      throw;
    }
    dataPosting_ = false;
  }
  if (!handled) WriteFieldText();
  SetModified(false);
  if (mruList_->AutoAdd() && mruList_->Active() && Showing()) mruList_->Add(Text());
}

void TCustomDBEditEx::SetFocused(bool Value) {
  if (focused_ == Value) return;
  focused_ = Value;
  if (Alignment() != taLeftJustify && !IsMasked()) Invalidate();
  dataLink_->Reset();
}

void TCustomDBEditEx::Change() {
  if (userMessageDepth_ > 0 || pendingUserChar_) userTextChanged_ = true;
  dataLink_->Modified();
  SetModified(true);
  auto alive = alive_;
  TCustomMaskEdit::Change();
  if (!*alive) return;
  UpdateImageIndex();
  // A character the edit window takes after its message changes the text here.
  if (userMessageDepth_ == 0 && pendingUserChar_) {
    const char16_t ch = pendingUserChar_;
    pendingUserChar_ = 0;
    AfterUserTextChange(ch);
  }
}

void TCustomDBEditEx::AfterUserTextChange(char16_t Ch) {
  if (userTextChanged_) {
    userTextChanged_ = false;
    UserTextChanged();
  }
  if (Ch == 8 && mruList_->Active() && focused_ && !droppedDown_ && !MRUListVisible() && EditText() == EmptyText())
    mruList_->DropDown();
}

void TCustomDBEditEx::Loaded() {
  TCustomMaskEdit::Loaded();
  ResetMaxLength();
  if (Designing()) DataChanged();
  UpdateBorderActive();
}

void TCustomDBEditEx::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomMaskEdit::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (dataLink_ && AComponent == DataSource()) SetDataSource(nullptr);
  if (AComponent == inplaceEditHolder_) SetInplaceEditHolder(nullptr);
  if (editImage_ && AComponent == editImage_->Images()) editImage_->SetImages(nullptr);
  auto clearMenu = [AComponent](TEditButtonEx* B) {
    if (B && B->DropdownMenu() == AComponent) B->SetDropdownMenu(nullptr);
  };
  clearMenu(editButton_.get());
  if (editButtons_)
    for (int i = 0; i < editButtons_->Count(); ++i) clearMenu(editButtons_->Items(i));
}

void TCustomDBEditEx::DoEnter() {
  SetFocused(true);
  TCustomMaskEdit::DoEnter();
  if (autoSelect_ && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
  UpdateBorderActive();
}

void TCustomDBEditEx::KeepCaretInMask() {
  if (!HandleAllocated() || !IsMasked() || SelLength() != 0) return;
  SetSelStart(std::max(0, SelStart() - 2));
}

void TCustomDBEditEx::DoExit() {
  if (IsMasked() && !Designing()) {
    ValidateEdit();
    KeepCaretInMask();
  }
  TEdit::DoExit();  // the exit event, before the store can fail
  try {
    dataLink_->UpdateRecord();
  } catch (...) {
    SelectAll();
    SetFocus();
    throw;
  }
  SetFocused(false);
  KeepCaretInMask();
  UpdateBorderActive();
}

void TCustomDBEditEx::StartEditing() {
  if (!readOnly_) dataLink_->Edit();
}

void TCustomDBEditEx::DoKeyDown(std::uint16_t& Key, TShiftState Shift) {
  if (inplaceMode_ && intfInplaceEditHolder_) {
    intfInplaceEditHolder_->InplaceEditKeyDown(this, Key, Shift);
    if (Key == 0) return;
  }
  TCustomMaskEdit::DoKeyDown(Key, Shift);
  if (Key == 0) return;
  auto alive = alive_;
  if (PressButtonByShortCut(Key, Shift)) {
    if (*alive) Key = 0;
    return;
  }
  const bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift), alt = Shift.Contains(ssAlt);
  if (Key == 'A' && ctrl && !shift && !alt) {
    SelectAll();
    Key = 0;
    return;
  }
  if (Key == VK_DELETE || (Key == VK_INSERT && shift) || (Key == VK_RETURN && wantReturns_) ||
      (Key == VK_TAB && wantTabs_))
    StartEditing();
}

void TCustomDBEditEx::DoKeyUp(std::uint16_t& Key, TShiftState Shift) {
  if (inplaceMode_ && intfInplaceEditHolder_) {
    intfInplaceEditHolder_->InplaceEditKeyUp(this, Key, Shift);
    if (Key == 0) return;
  }
  TCustomMaskEdit::DoKeyUp(Key, Shift);
}

void TCustomDBEditEx::DoKeyPress(char16_t& Key) {
  if (inplaceMode_ && intfInplaceEditHolder_) {
    intfInplaceEditHolder_->InplaceEditKeyPress(this, Key);
    if (Key == 0) return;
  }
  TCustomMaskEdit::DoKeyPress(Key);
  if (Key == 0) return;
  if (Key >= 32 && Field() && !dataLink_->DataIndepended() && !IsValidChar(Key)) {
    MessageBeep();
    Key = 0;
    return;
  }
  if (Key == 27) {
    Reset();
    Key = 0;
    return;
  }
  if (Key == 8 || Key == 22 || Key == 24 || Key >= 32) StartEditing();
}

void TCustomDBEditEx::Dispatch(TMessage& Message) {
  if (InplaceWindowMessage(Message) || MRUWindowMessage(Message)) return;
  if (IsUserTextMessage(Message.Msg)) {
    // The text changes the user makes open or refresh the recent-texts list
    // once the edit window has taken them.
    auto alive = alive_;
    ++userMessageDepth_;
    try {
      DispatchEditMessage(Message);
    } catch (...) {
      if (*alive) --userMessageDepth_;
      throw;
    }
    if (!*alive) return;
    --userMessageDepth_;
    const char16_t ch = Message.Msg == WM_CHAR ? static_cast<char16_t>(Message.WParam) : 0;
    if (userMessageDepth_ == 0 && userTextChanged_) {
      AfterUserTextChange(ch);
    } else if (ch != 0 && Message.Result == 0) {
      // The edit window inserts the character after this message.
      pendingUserChar_ = ch;
    }
    return;
  }
  if (Message.Msg == WM_KEYUP) pendingUserChar_ = 0;
  DispatchEditMessage(Message);
}

void TCustomDBEditEx::DispatchEditMessage(TMessage& Message) {
  switch (Message.Msg) {
    case WM_POPUPCLOSEUP:
      if (HandleAllocated()) RecreateWnd();
      return;
    case CM_MOUSEENTER:
      SetMouseAbove(true);
      break;
    case CM_MOUSELEAVE:
      SetMouseAbove(false);
      break;
    case WM_KILLFOCUS:
    case CM_CANCELMODE:
      CancelButtonCapture();
      break;
    case CM_SYSCOLORCHANGE:
      FlushButtonBitmapCache();
      break;
    case CM_HINTSHOW:
      Message.Result = GetHintInfo(*reinterpret_cast<THintInfo*>(Message.LParam)) ? 0 : 1;
      return;
    case CM_WANTSPECIALKEY:
      if (Message.WParam == VK_RETURN && inplaceMode_) {
        Message.Result = 1;
        return;
      }
      if (Message.WParam == VK_ESCAPE && Modified()) {
        Message.Result = 1;
        return;
      }
      break;
    case WM_MOUSEMOVE: {
      const TPoint p{XPos(Message.LParam), YPos(Message.LParam)};
      const bool overParts = ButtonsRect().Contains(p) || ImageRect().Contains(p);
      ShowControlCursor(this, overParts ? crArrow : crDefault);
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
      // The edit window must not move its caret for a press beside the text.
      const TPoint p{XPos(Message.LParam), YPos(Message.LParam)};
      if (!MouseCapture() && (ButtonsRect().Contains(p) || ImageRect().Contains(p))) return;
      break;
    }
    case WM_CHAR: {
      // Enter, Tab and line feed are not text unless the editor wants them.
      auto ch = static_cast<char16_t>(Message.WParam);
      if ((ch == 13 && !wantReturns_) || (ch == 9 && !wantTabs_) || ch == 10) {
        Message.Result = 0;
        return;
      }
      break;
    }
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
      StartEditing();
      break;
    default:
      break;
  }
  TCustomMaskEdit::Dispatch(Message);
}

}  // namespace grid
