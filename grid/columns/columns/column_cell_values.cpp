// What a column computes for the cell of the current record: its kind, the
// shown and edited texts, check-box states, images, edit checks, writing
// edited values back and stepping values.
#include <cmath>
#include <limits>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/columns_internal.h"
#include "grid/columns/columns/db_grid_inplace_edit.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/core/mem_table_intf_ex.h"
#include "grid/editor_support/button_faces.h"
#include "grid/editor_support/tool_routines.h"
#include "grid/foundation/inplace_edit.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/datetime.h"
#include "platform/ui/themes.h"

namespace grid {

using namespace ui;
using namespace columns_detail;

namespace {

// The first ";"-part of a key-list entry (what a check box writes).
String FirstKeyPart(const String& Entry) {
  auto pos = Entry.find(u';');
  return pos == String::npos ? Entry : Entry.substr(0, pos);
}

// Whether one of the ";"-parts of a key-list entry names the text, ignoring
// letter case; an empty entry or one ending in ";" matches an empty text.
bool KeyEntryMatches(const String& Entry, const String& Text) {
  std::size_t start = 0;
  while (true) {
    std::size_t end = Entry.find(u';', start);
    String part = Entry.substr(start, end == String::npos ? String::npos : end - start);
    if (rtl::AnsiSameText(part, Text)) return true;
    if (end == String::npos) return false;
    start = end + 1;
    if (start == Entry.size()) return Text.empty();
  }
}

// The value as a column formats its cells with a display format.
String FormatFieldValue(db::TField* F, const String& Format) {
  if (Format.empty()) return F->DisplayText();
  if (F->IsNull()) return String();
  if (F->IsNumeric()) return rtl::FormatFloat(Format, F->AsFloat());
  if (F->IsDateTime()) return rtl::FormatDateTime(Format, F->AsDateTime());
  return String();
}

}  // namespace

TColumnExType TColumnEx::GetColumnType() const {
  if (Checkboxes()) return ctCheckboxes;
  db::TField* f = Field();
  // Asked several times for every painted cell: the cheap test first.
  if (f && f->DataType() == db::ftGraphic && dynamic_cast<db::TBlobField*>(f)) {
    TCustomDBGridEx* grid = Grid();
    if (grid && grid->DrawGraphicData()) return ctGraphicData;
  }
  if (f && f->FieldKind() == db::fkLookup) return ctLookupField;
  if (HasPickItems() && !HasKeyItems()) return ctPickList;
  if (FImageList && !FShowImageAndText) return ctKeyImageList;
  if (HasKeyItems() && HasPickItems()) return ctKeyPickList;
  return ctCommon;
}

String TColumnEx::DisplayText() const {
  db::TField* f = Field();
  if (!f || GetColumnType() == ctKeyImageList) return String();
  if (HasKeyItems()) {
    int count = FPickList ? FPickList->Count() : 0;
    int i = FKeyList->IndexOf(f->Text());
    if (i >= 0 && i < count) return FPickList->Get(i);
    if (FNotInKeyListIndex >= 0 && FNotInKeyListIndex < count) return FPickList->Get(FNotInKeyListIndex);
    return String();
  }
  TCustomDBGridEx* grid = Grid();
  if (grid && grid->DrawMemoText() && IsMemoType(f->DataType())) return f->AsString();
  if (f->FieldKind() == db::fkLookup && FDropDownSpecRow->Visible() && !f->KeyFields().empty()) {
    rtl::Variant key = f->DataSet()->FieldValues(f->KeyFields());
    db::TDataSet* lookup = f->LookupDataSet();
    bool noLookupValue = !lookup || !lookup->Active() || f->IsNull();
    if (key == FDropDownSpecRow->Value() || (FDropDownSpecRow->ShowIfNotInKeyList() && noLookupValue))
      return FDropDownSpecRow->CellTextAt(0);
  }
  return FormatFieldValue(f, FDisplayFormat);
}

String TColumnEx::EditText() const {
  db::TField* f = Field();
  if (!f || GetColumnType() == ctKeyImageList) return String();
  if (!HasKeyItems()) {
    TCustomDBGridEx* grid = Grid();
    if (grid && grid->DrawMemoText() && IsMemoType(f->DataType())) return f->AsString();
    if (f->FieldKind() != db::fkLookup) return f->Text();
  }
  return DisplayText();
}

void TColumnEx::InplaceEditText() {
  TCustomDBGridEx* grid = Grid();
  if (!grid) return;
  String text;
  if (!grid->DataLink()->Active()) {
    grid->SetEditText(text);
    return;
  }
  db::TField* f = Field();
  if (f) {
    if (HasKeyItems()) {
      int i = FKeyList->IndexOf(f->Text());
      if (i >= 0 && FPickList && i < FPickList->Count()) text = FPickList->Get(i);
    } else if (grid->DrawMemoText() && IsMemoType(f->DataType())) {
      text = CrLfLineBreaks(f->AsString());
    } else {
      text = f->Text();
    }
    if (f->FieldKind() == db::fkLookup && !f->KeyFields().empty()) {
      rtl::Variant key = f->DataSet()->FieldValues(f->KeyFields());
      db::TDataSet* lookup = f->LookupDataSet();
      bool notFound = !lookup || !lookup->Locate(f->LookupKeyFields(), key, db::loCaseInsensitive);
      if (FDropDownSpecRow->Visible() &&
          (key == FDropDownSpecRow->Value() || (FDropDownSpecRow->ShowIfNotInKeyList() && notFound))) {
        grid->SetEditKeyValue(FDropDownSpecRow->Value());
        text = FDropDownSpecRow->CellTextAt(0);
      } else {
        grid->SetEditKeyValue(key);
      }
    } else {
      grid->SetEditKeyValue(rtl::Variant::Null());
    }
  }
  TColCellParamsEx params;
  params.SetText(text);
  params.SetFont(grid->Canvas()->Font());
  GetColCellParams(true, params);
  grid->SetEditText(params.Text());
}

String TColumnEx::InplaceEditMask() const {
  TCustomDBGridEx* grid = Grid();
  if (grid && !grid->DataLink()->Active()) return String();
  if (!FEditMask.empty()) return FEditMask;
  db::TField* f = Field();
  if (!f || HasKeyItems()) return String();
  return f->EditMask();
}

TCheckBoxState TColumnEx::CheckboxState() const {
  db::TField* f = Field();
  if (!f) return cbUnchecked;
  if (!HasKeyItems()) {
    if (f->DataType() == db::ftBoolean) return f->IsNull() ? cbGrayed : (f->AsBoolean() ? cbChecked : cbUnchecked);
    if (IsNumericFieldType(f->DataType()) && f->DataType() != db::ftWord)
      return f->IsNull() ? cbGrayed : (f->AsFloat() == 1 ? cbChecked : cbUnchecked);
  }
  // Without key values nothing matches: the field's text (asked for every
  // painted cell) is not needed.
  if (!FKeyList || FKeyList->Count() == 0) return cbGrayed;
  String text = f->Text();
  if (KeyEntryMatches(FKeyList->Get(0), text)) return cbChecked;
  if (FKeyList && FKeyList->Count() > 1 && KeyEntryMatches(FKeyList->Get(1), text)) return cbUnchecked;
  return cbGrayed;
}

void TColumnEx::SetCheckboxState(TCheckBoxState Value) {
  db::TField* f = Field();
  if (!f) return;
  if (Value == cbGrayed) {
    UpdateDataValue(String(), rtl::Variant::Null(), false);
  } else if (f->DataType() == db::ftBoolean && !HasKeyItems()) {
    UpdateDataValue(String(), rtl::Variant(Value == cbChecked), false);
  } else if (IsNumericFieldType(f->DataType()) && f->DataType() != db::ftWord && !HasKeyItems()) {
    UpdateDataValue(String(), rtl::Variant(std::int32_t{Value == cbChecked ? 1 : 0}), false);
  } else {
    int entry = Value == cbChecked ? 0 : 1;
    String text = FKeyList && FKeyList->Count() > entry ? FirstKeyPart(FKeyList->Get(entry)) : String();
    UpdateDataValue(text, rtl::Variant(text), true);
  }
}

int TColumnEx::GetImageIndex() const {
  db::TField* f = Field();
  if (!f) return -1;
  int index = -1;
  if (HasKeyItems()) {
    index = FKeyList->IndexOf(f->Text());
  } else if (HasPickItems()) {
    index = FPickList->IndexOf(f->Text());
  } else if (IsNumericFieldType(f->DataType()) && !f->IsNull()) {
    double v = f->AsFloat();
    if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())
      index = static_cast<int>(v);
  }
  return index == -1 ? FNotInKeyListIndex : index;
}

// The field whose permissions decide: a lookup field's first key field.
db::TField* TColumnEx::StandingField(db::TField* F) const {
  if (F->FieldKind() != db::fkLookup) return F;
  if (F->KeyFields().empty()) return nullptr;
  std::vector<db::TField*> keys;
  F->DataSet()->GetFieldList(keys, F->KeyFields());
  for (db::TField* k : keys)
    if (!k->CanModify()) return nullptr;
  return keys.empty() ? nullptr : keys.front();
}

bool TColumnEx::CanModifyChecks() {
  TCustomDBGridEx* grid = Grid();
  bool allowed = !grid || (!grid->ReadOnly() && grid->DataLink()->Active() && !grid->DataLink()->ReadOnly());
  if (allowed && ReadOnly()) allowed = false;
  db::TField* f = Field();
  if (!allowed || !f) return false;
  db::TField* standing = StandingField(f);
  if (!standing || !standing->CanModify()) return false;
  bool operationAllowed = true;
  if (grid) {
    db::TDataSet* ds = grid->DataLink()->DataSet();
    bool inserting = ds && (ds->State() == db::dsInsert);
    auto ops = grid->AllowedOperations();
    operationAllowed = inserting ? (ops.Contains(alopInsertEx) || ops.Contains(alopAppendEx))
                                 : ops.Contains(alopUpdateEx);
  }
  if (!standing->IsBlob() || standing->HasOnSetText()) {
    if (!operationAllowed) return false;
  } else if (!(grid && grid->DrawMemoText() && IsMemoType(standing->DataType()) && operationAllowed)) {
    return false;
  }
  if (!grid) return true;
  TColCellParamsEx* params = grid->CellParams();
  params->SetReadOnly(ReadOnly());
  GetColCellParams(true, *params);
  return !params->ReadOnly();
}

bool TColumnEx::CanModify(bool TryEdit) {
  bool result = CanModifyChecks();
  TCustomDBGridEx* grid = Grid();
  if (TryEdit && result && grid) {
    grid->DataLink()->Edit();
    result = grid->DataLink()->Editing();
    if (result) grid->DataLink()->Modified();
  }
  return result;
}

void TColumnEx::UpdateDataValue(String Text, rtl::Variant Value, bool UseText) {
  TCustomDBGridEx* grid = Grid();
  if (!grid) return;
  bool handled = false;
  if (OnUpdateData) OnUpdateData(this, Text, Value, UseText, handled);
  db::TField* f = Field();
  if (handled || !f) return;
  if (!UseText) {
    if (f->FieldKind() == db::fkLookup && !f->KeyFields().empty()) {
      std::vector<db::TField*> keys;
      f->DataSet()->GetFieldList(keys, f->KeyFields());
      if (Value.IsNull() || keys.size() == 1) {
        for (db::TField* k : keys) k->SetValue(Value);
      } else {
        for (std::size_t i = 0; i < keys.size(); ++i) keys[i]->SetValue(Value[Value.LowBound() + static_cast<int>(i)]);
      }
    } else {
      f->SetValue(Value);
    }
  } else if (grid->DrawMemoText() && IsMemoType(f->DataType())) {
    f->SetAsString(Text);
  } else {
    f->SetText(Text);
  }
  if (FMRUList->Active() && FMRUList->AutoAdd() && grid->InplaceEditor() && grid->InplaceEditor()->Visible()) FMRUList->Add(Text);
}

void TColumnEx::StepCellValue(double Step) {
  TCustomDBGridEx* grid = Grid();
  if (!CanModifyChecks() || !grid) return;
  grid->DataLink()->Edit();
  if (!grid->DataLink()->Editing()) return;
  grid->DataLink()->Modified();
  db::TField* f = Field();
  bool forward = Step == 1;
  switch (GetColumnType()) {
    case ctCheckboxes:
      SetCheckboxState(CheckboxState() == cbChecked ? cbUnchecked : cbChecked);
      return;
    case ctKeyPickList:
    case ctKeyImageList: {
      int count = FKeyList->Count();
      int i = FKeyList->IndexOf(f->Text());
      int next;
      if (forward)
        next = (i < 0 || i >= count - 1) ? 0 : i + 1;
      else
        next = (i <= 0) ? count - 1 : i - 1;
      UpdateDataValue(String(), rtl::Variant(FKeyList->Get(next)), false);
      return;
    }
    case ctPickList: {
      int count = FPickList->Count();
      int i = FPickList->IndexOf(f->Text());
      if (forward && (i < 0 || i >= count - 1)) {
        f->SetText(FPickList->Get(0));
      } else if (!forward && i <= 0) {
        f->SetText(FPickList->Get(count - 1));
      } else {
        String text = FPickList->Get(forward ? i + 1 : i - 1);
        UpdateDataValue(text, rtl::Variant(text), true);
      }
      return;
    }
    case ctLookupField: {
      db::TDataSet* list = LookupListDataSet();
      if (!list) return;
      rtl::Variant key = f->DataSet()->FieldValues(f->KeyFields());
      if (key.IsNull() || !list->Locate(f->LookupKeyFields(), key, 0)) {
        list->First();
      } else if (!forward) {
        if (list->Bof()) {
          list->Last();
        } else {
          list->Prior();
          if (list->Bof()) list->Last();
        }
      } else {
        if (list->Eof()) {
          list->First();
        } else {
          list->Next();
          if (list->Eof()) list->First();
        }
      }
      UpdateDataValue(String(), list->FieldValues(f->LookupKeyFields()), false);
      if (db::TField* result = list->FindField(f->LookupResultField())) f->SetText(result->Text());
      return;
    }
    default:
      break;
  }
  if (f && IsNumericFieldType(f->DataType())) {
    double value = f->IsNull() ? -Step : f->AsFloat();
    try {
      UpdateDataValue(String(), rtl::Variant(value + Step), false);
    } catch (const rtl::EDatabaseError&) {
    }
  }
}

bool TColumnEx::CanEditAcceptKey(char16_t Key) const {
  db::TField* f = Field();
  if (!f) return static_cast<bool>(OnUpdateData);
  if (HasKeyItems()) return true;
  return f->IsValidChar(Key);
}

String TColumnEx::GetAcceptableEditText(const String& Input) const {
  String result;
  for (char16_t c : Input)
    if (CanEditAcceptKey(c)) result += c;
  return result;
}

void TColumnEx::FillColCellParams(TColCellParamsEx& Params) const {
  Params.SetRow(-1);
  Params.SetCol(-1);
  Params.SetState(TGridDrawState());
  TCustomDBGridEx* grid = Grid();
  if (grid) Params.SetFont(grid->SpareFont());
  Params.SetBackground(Color());
  Params.SetAlignment(Alignment());
  Params.SetImageIndex(GetImageIndex());
  Params.SetText(DisplayText());
  Params.SetCheckboxState(CheckboxState());
  Params.SetReadOnly(ReadOnly());
  Params.SetTextEditing(TextEditing());
  Params.SetBlankCell(false);
}

void TColumnEx::GetColCellParams(bool EditMode, TColCellParamsEx& Params) {
  if (OnGetCellParams) OnGetCellParams(this, EditMode, Params);
}

bool TColumnEx::CellTextEditing() {
  // One object serves every grid: the answer is read right after it is filled.
  static TColCellParamsEx shared;
  FillColCellParams(shared);
  TCustomDBGridEx* grid = Grid();
  if (!grid || !grid->IsLoading()) GetColCellParams(false, shared);
  return shared.TextEditing();
}

bool TColumnEx::CurLineWordWrap(int RowHeight) const {
  TCustomDBGridEx* grid = Grid();
  if (!grid) return false;
  FontScope scope(grid->Canvas(), Font());
  return grid->Canvas()->TextHeight(u"Wg") + grid->Interlinear() < RowHeight;
}

int TColumnEx::CalcRowHeight() const {
  TCustomDBGridEx* grid = Grid();
  if (!grid) return 0;
  const int standard = grid->StdDefaultRowHeight();
  IMemTableEx* memTable = grid->MemTable();
  if (!grid->OptionsEx().Contains(dghAutoFitRowHeight) || (memTable && memTable->RecordViewsAreTree()))
    return standard;
  if (GetColumnType() == ctGraphicData) {
    TPicture picture;
    // An empty cell keeps the standard height rather than a row of none.
    if (!LoadGraphicFieldPicture(Field(), picture)) return standard;
    const int width = Width();
    if (picture.Width() > width)
      return static_cast<int>(std::lround(static_cast<double>(picture.Height()) * width / picture.Width()));
    return picture.Height();
  }
  TCanvas* canvas = grid->Canvas();
  FontScope scope(canvas, Font());
  int margin = AlwaysShowEditButton() ? EditButtonsWidth() + 4 : 4;
  const std::vector<TColumnEx*>& visible = grid->VisibleColumns();
  if (!visible.empty() && visible.front() == this) margin += grid->GetCellTreeElmentsAreaWidth();
  if (FShowImageAndText && FImageList) margin += FImageList->Width() + 4;
  TRect r{0, 0, std::max(0, Width() - margin), 0};
  canvas->DrawText(DisplayText(), r, DT_CALCRECT | DT_NOPREFIX | (WordWrap() ? DT_WORDBREAK : DT_SINGLELINE));
  const int height = r.Bottom - r.Top;
  if (height <= standard) return standard;
  const bool rowLines = grid->Options().Contains(dgRowLines);
  return height + (grid->Flat() ? 1 : 3) + (rowLines ? grid->GridLineWidth() : 0);
}

bool LoadGraphicFieldPicture(db::TField* Field, TPicture& Picture) {
  Picture.Assign(nullptr);
  auto* blob = dynamic_cast<db::TBlobField*>(Field);
  if (!blob || blob->IsBlobNull()) return false;
  try {
    Picture.LoadFromData(blob->AsBytes());
  } catch (const rtl::EInvalidGraphic&) {
    return false;
  }
  return !Picture.Empty();
}

bool TColumnEx::IsTabStop() const {
  TCustomDBGridEx* grid = Grid();
  db::TField* f = Field();
  if (!FVisible || ReadOnly() || !grid || !grid->DataLink()->Active() || !f) return false;
  if (f->FieldKind() == db::fkCalculated) return false;
  if (f->FieldKind() == db::fkLookup) {
    std::vector<db::TField*> keys;
    f->DataSet()->GetFieldList(keys, f->KeyFields());
    for (db::TField* k : keys)
      if (!k->ReadOnly()) return true;
    return keys.empty() ? !f->ReadOnly() : false;
  }
  return !f->ReadOnly();
}

int TColumnEx::EditButtonsWidth() const {
  TCustomDBGridEx* grid = Grid();
  bool flat = grid && grid->Flat();
  int defaultWidth = flat ? FlatButtonWidth + (ThemesEnabled() ? 0 : 1) : EditorSystemMetrics().VScrollWidth;
  int width = 0;
  TColumnExType type = GetColumnType();
  bool shows = FButtonStyle != cbsNone &&
               (FButtonStyle != cbsAuto || type == ctPickList || type == ctKeyPickList || type == ctLookupField);
  if (shows) width += defaultWidth;
  for (int i = 0; i < FEditButtons->Count(); ++i) {
    TEditButtonEx* b = FEditButtons->Items(i);
    if (!b->Visible()) continue;
    width += b->Width() != 0 ? b->Width() : defaultWidth;
    if (flat && !ThemesEnabled()) width += 1;
  }
  return width;
}

db::TDataSet* TColumnEx::LookupListDataSet() const {
  if (db::TDataSource* source = FDropDownBox->ListSource()) return source->DataSet();
  db::TField* f = Field();
  return f ? f->LookupDataSet() : nullptr;
}

void TColumnEx::DropDown() {
  TCustomDBGridEx* grid = Grid();
  if (!grid) return;
  if (auto* editor = dynamic_cast<TDBGridInplaceEdit*>(grid->InplaceEditor()); editor && editor->Visible())
    editor->DropDown();
}

void TColumnEx::OptimizeWidth() {
  if (TCustomDBGridEx* grid = Grid()) grid->FitColumnsWidthToData({this});
}

void TColumnEx::NotifyGridOfComponent(TComponent* Component) {
  TCustomDBGridEx* grid = Grid();
  if (Component && grid) Component->FreeNotification(grid);
}

// The window layer reads right to left wherever it is asked to, whatever the
// system locale; the columns answer alike.
bool TColumnEx::UseRightToLeftReading() const { return BiDiMode() != bdLeftToRight; }

unsigned TColumnEx::DrawTextBiDiModeFlagsReadingOnly() const { return UseRightToLeftReading() ? 0x20000u : 0u; }

bool TColumnEx::UseRightToLeftAlignment() const {
  if (BiDiMode() != bdRightToLeft) return false;
  db::TField* f = Field();
  return !f || f->DataType() != db::ftBoolean;
}

bool TColumnEx::UseRightToLeftScrollBar() const {
  TBiDiMode mode = BiDiMode();
  return mode == bdRightToLeft || mode == bdRightToLeftNoAlign;
}

}  // namespace grid
