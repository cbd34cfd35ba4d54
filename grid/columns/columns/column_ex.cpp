#include "grid/columns/columns/column_ex.h"

#include <typeinfo>

#include "grid/columns/columns/column_def_values_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/columns_internal.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/columns/db_grid_inplace_edit.h"
#include "grid/columns/filters/st_column_filter_ex.h"
#include "grid/columns/lookup/popup_data_grid_ex.h"
#include "grid/columns/sums/column_footer_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editor_support/data_link_ex.h"
#include "platform/classes/typinfo.h"

namespace grid {

using namespace ui;
using namespace columns_detail;

const TClassInfo& TColumnEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TColumnEx>("TColumnEx", &TCollectionItem::StaticClassInfo()).Unit("DBGridEx").Build();
  return info;
}

TColumnEx::TColumnEx(TCollection* Collection) : TCollectionItem(Collection) {
  TCustomDBGridEx* grid = Grid();
  if (grid) grid->LockLayout();
  try {
    FFont = std::make_unique<TFont>();
    RefreshFont(FFont.get(), DefaultFont());
    FFont->OnChange = [this](TObject*) { FontChanged(); };
    FTitle.reset(CreateTitle());
    FFooter.reset(CreateFooter());
    FFooters.reset(CreateFooters());
    FInitWidth = Width();
    FEditButtons.reset(CreateEditButtons());
    FEditButtons->OnChanged = [this](TObject*) { Changed(false); };
    FDropDownSpecRow = std::make_unique<TSpecRowEx>(this);
    FDropDownSpecRow->OnChanged = [this](TObject* Sender) { SpecRowChanged(Sender); };
    FMRUList = std::make_unique<TMRUListEx>(this);
    FDropDownBox = std::make_unique<TColumnDropDownBoxEx>(this);
    FSTFilter.reset(CreateSTFilter());
  } catch (...) {
    if (grid) grid->CancelLayout();
    throw;
  }
  if (grid) grid->CancelLayout();
}

TColumnEx::~TColumnEx() {
  if (TCustomDBGridEx* grid = Grid()) {
    grid->ColumnGoing(this);
    std::erase(grid->SortMarkedColumns(), this);
    std::erase(grid->FVisibleColumns, this);
    grid->ColumnDestroying(this);
    // An editor that took this column's recent-values list must not read it once it is freed.
    if (auto* editor = dynamic_cast<TDBGridInplaceEdit*>(grid->InplaceEditor())) editor->ForgetMRUList(FMRUList.get());
  }
  if (TDBGridColumnsEx* columns = Columns())
    if (columns->FUpDownBaseColumn == this) columns->FUpDownBaseColumn = nullptr;
  // An editor showing the drop-down grid lets go of it while the column is whole.
  FDataList.reset();
  // Leaves the collection while still whole, so that its change notice sees only whole columns.
  SetCollection(nullptr);
}

TDBGridColumnsEx* TColumnEx::Columns() const {
  // Every property a cell paint reads asks for the grid through here: the
  // exact type, which grid columns always have, is checked far more cheaply
  // than a cast that searches the class tree.
  ui::TCollection* c = Collection();
  if (c && typeid(*c) == typeid(TDBGridColumnsEx)) return static_cast<TDBGridColumnsEx*>(c);
  return dynamic_cast<TDBGridColumnsEx*>(c);
}

TCustomDBGridEx* TColumnEx::Grid() const {
  TDBGridColumnsEx* columns = Columns();
  return columns ? columns->Grid() : nullptr;
}

String TColumnEx::Name() const { return u"Column_" + rtl::IntToStr(Index()) + u"_" + FFieldName; }

String TColumnEx::DisplayName() const {
  if (!FFieldName.empty()) return FFieldName;
  return TCollectionItem::DisplayName();
}

TEditButtonsEx* TColumnEx::CreateEditButtons() {
  return new TEditButtonsEx(this, [](TCollection* C) { return new TVisibleEditButtonEx(C); });
}

TColumnFooterEx* TColumnEx::CreateFooter() { return TColumnFooterEx::CreateApart(this); }

TColumnFootersEx* TColumnEx::CreateFooters() { return new TColumnFootersEx(this); }

TColumnTitleEx* TColumnEx::CreateTitle() { return new TColumnTitleEx(this); }

TSTColumnFilterEx* TColumnEx::CreateSTFilter() { return new TSTColumnFilterEx(this); }

void TColumnEx::SetSTFilter(const TSTColumnFilterEx* Value) { FSTFilter->Assign(Value); }

// The memory-table interface of this system lists no field values, so only
// a filter's list source gives them.
std::shared_ptr<IMemTableDataFieldValueListEx> TColumnEx::GetCurrentFieldValueList() {
  if (!FFieldValueList && FSTFilter->ListSource()) FFieldValueList = FSTFilter->GetFieldValueList();
  return FFieldValueList;
}

void TColumnEx::RepaintGrid() const {
  if (TCustomDBGridEx* grid = Grid()) grid->Invalidate();
}

TCustomDBGridEx* TColumnEx::LoadingGrid() const {
  TCustomDBGridEx* grid = Grid();
  return grid && grid->IsLoading() ? grid : nullptr;
}

bool TColumnEx::DefaultColumnOfActiveLink() const {
  TCustomDBGridEx* grid = Grid();
  return DefaultColumn() && grid && grid->DataLink()->Active() && Field();
}

void TColumnEx::RefreshFont(TFont* Own, const TFont* Source) const {
  if (!Source || Own->SameAs(*Source)) return;
  FCopyingFont = true;
  Own->Assign(Source);
  FCopyingFont = false;
}

void TColumnEx::FontChanged() {
  if (FCopyingFont) return;
  Assigned(cvFont);
  if (FTitle) FTitle->RefreshDefaultFont();
  Changed(false);
}

// --- field ---------------------------------------------------------------------

db::TField* TColumnEx::Field() const {
  TCustomDBGridEx* grid = Grid();
  if (!FField && !FFieldName.empty() && grid) {
    db::TDataSet* ds = grid->DataLink()->DataSet();
    if (ds && (ds->Active() || !ds->DefaultFields())) {
      db::TField* found = ds->FindField(FFieldName);
      if (found && found != FField) {
        FField = found;
        FFieldName = found->FieldName();
        const_cast<TColumnEx*>(this)->EnsureSumValues();
        const_cast<TColumnEx*>(this)->BindDataListAtDesignTime(found);
      }
    }
  }
  return FField;
}

void TColumnEx::WriteField(db::TField* Value) {
  if (Value == FField) return;
  FField = Value;
  if (Value) FFieldName = Value->FieldName();
  if (DefaultColumn()) {
    if (!Value) FFieldName.clear();
    RestoreDefaults();
    FInitWidth = Width();
  }
  BindDataListAtDesignTime(Value);
  EnsureSumValues();
  Changed(false);
}

// --- the drop-down data grid ---------------------------------------------------------------

TPopupDataGridEx* TColumnEx::PopupDataList() {
  if (!FDataList) {
    FDataList = std::make_unique<TPopupDataGridEx>(nullptr);
    FDataList->SetName(u"DataList");
  }
  return FDataList.get();
}

TCustomDBGridEx* TColumnEx::DataList() { return PopupDataList(); }

void TColumnEx::BindDataListAtDesignTime(db::TField* F) {
  TCustomDBGridEx* grid = Grid();
  if (!F || !grid || !grid->Designing() || F->FieldKind() != db::fkLookup) return;
  if (!FDTListSource) FDTListSource = std::make_unique<db::TDataSource>(nullptr);
  FDTListSource->SetDataSet(F->LookupDataSet());
  TPopupDataGridEx* list = PopupDataList();
  list->SetListSource(FDTListSource.get());
  list->SetKeyField(F->LookupKeyFields());
  list->SetListField(LookupDisplayFields());
}

std::uint32_t TColumnEx::DropDownGridOptions() {
  return static_cast<std::uint32_t>(PopupDataList()->Options().Bits());
}

void TColumnEx::SetDropDownGridOptions(std::uint32_t Options) {
  PopupDataList()->SetOptions(TDBLookupGridExOptions::FromBits(Options));
}

TCheckTitleExBtnEvent TColumnEx::OnDropDownBoxCheckButton() { return DataList()->OnCheckButton; }
void TColumnEx::SetOnDropDownBoxCheckButton(TCheckTitleExBtnEvent Value) {
  DataList()->OnCheckButton = std::move(Value);
}
TDrawColumnExCellEvent TColumnEx::OnDropDownBoxDrawColumnCell() { return DataList()->OnDrawColumnCell; }
void TColumnEx::SetOnDropDownBoxDrawColumnCell(TDrawColumnExCellEvent Value) {
  DataList()->OnDrawColumnCell = std::move(Value);
}
TGetCellExParamsEvent TColumnEx::OnDropDownBoxGetCellParams() { return DataList()->OnGetCellParams; }
void TColumnEx::SetOnDropDownBoxGetCellParams(TGetCellExParamsEvent Value) {
  DataList()->OnGetCellParams = std::move(Value);
}
TNotifyEvent TColumnEx::OnDropDownBoxSortMarkingChanged() { return DataList()->OnSortMarkingChanged; }
void TColumnEx::SetOnDropDownBoxSortMarkingChanged(TNotifyEvent Value) {
  DataList()->OnSortMarkingChanged = std::move(Value);
}
TTitleExClickEvent TColumnEx::OnDropDownBoxTitleBtnClick() { return DataList()->OnTitleBtnClick; }
void TColumnEx::SetOnDropDownBoxTitleBtnClick(TTitleExClickEvent Value) {
  DataList()->OnTitleBtnClick = std::move(Value);
}

void TColumnEx::SetFieldName(const String& Value) {
  db::TField* found = nullptr;
  TCustomDBGridEx* grid = Grid();
  if (grid && !Value.empty() && !grid->IsLoading())
    if (db::TDataSet* ds = grid->DataLink()->DataSet()) found = ds->FindField(Value);
  FFieldName = Value;
  WriteField(found);
  FInitWidth = Width();
  Changed(false);
}

void TColumnEx::EnsureSumValues() {
  if (FFooter) FFooter->EnsureSumValue();
  if (FFooters)
    for (int i = 0; i < FFooters->Count(); ++i) FFooters->FooterAt(i)->EnsureSumValue();
}

void TColumnEx::SetIndex(int Value) {
  TCustomDBGridEx* grid = Grid();
  if (grid && DefaultColumn() && grid->DataLink()->Active() && Field() && Value >= 0) {
    if (db::TField* target = grid->DataLink()->FieldForColumn(Value)) Field()->SetIndex(target->Index());
  }
  TCollectionItem::SetIndex(Value);
}

// --- defaults --------------------------------------------------------------------

TAlignment TColumnEx::DefaultAlignment() const {
  db::TField* f = Field();
  return f ? static_cast<TAlignment>(f->Alignment()) : taLeftJustify;
}

TColor TColumnEx::DefaultColor() const {
  TCustomDBGridEx* grid = Grid();
  return grid ? grid->Color() : clWindow;
}

TFont* TColumnEx::DefaultFont() const {
  TCustomDBGridEx* grid = Grid();
  return grid ? grid->Font() : FFont.get();
}

TImeMode TColumnEx::DefaultImeMode() const {
  TCustomDBGridEx* grid = Grid();
  return grid ? grid->ImeMode() : FImeMode;
}

String TColumnEx::DefaultImeName() const {
  TCustomDBGridEx* grid = Grid();
  return grid ? grid->ImeName() : FImeName;
}

bool TColumnEx::DefaultReadOnly() const {
  TCustomDBGridEx* grid = Grid();
  db::TField* f = Field();
  return (grid && grid->ReadOnly()) || (f && f->ReadOnly());
}

int TColumnEx::MeasureDefaultWidth(db::TField* F) const {
  TCustomDBGridEx* grid = Grid();
  TCanvas* canvas = grid->Canvas();
  FontScope scope(canvas, FFont.get());
  return canvas->TextWidth(u"0") * F->DisplayWidth() + 4;
}

int TColumnEx::DefaultWidth() const {
  TCustomDBGridEx* grid = Grid();
  if (!grid) return 64;
  if (db::TField* f = Field()) return MeasureDefaultWidth(f);
  return grid->DefaultColWidth();
}

bool TColumnEx::DefaultWordWrap() const {
  db::TField* f = Field();
  if (!Grid() || !f) return false;
  switch (f->DataType()) {
    case db::ftString: case db::ftMemo: case db::ftFmtMemo: case db::ftWideString: case db::ftOraClob:
    case db::ftWideMemo:
      return true;
    default:
      return false;
  }
}

bool TColumnEx::DefaultTextEditing() const {
  TColumnExType t = GetColumnType();
  return t != ctKeyImageList && t != ctCheckboxes;
}

bool TColumnEx::DefaultCheckboxes() const {
  db::TField* f = Field();
  return f && f->DataType() == db::ftBoolean;
}

String TColumnEx::DefaultLookupDisplayFields() const {
  db::TField* f = Field();
  return f ? f->LookupResultField() : String();
}

// The grid's column default values, or nil without a grid.
static TColumnDefValuesEx* DefValuesOf(const TColumnEx* C) {
  TCustomDBGridEx* grid = C->Grid();
  return grid ? grid->ColumnDefValues() : nullptr;
}

// --- getters ---------------------------------------------------------------------

#define JQ_ASSIGNED_OR(Bit, Own, Default) return FAssignedValues.Contains(Bit) ? (Own) : (Default)

TAlignment TColumnEx::Alignment() const { JQ_ASSIGNED_OR(cvAlignment, FAlignment, DefaultAlignment()); }
TColor TColumnEx::Color() const { JQ_ASSIGNED_OR(cvColor, FColor, DefaultColor()); }
TImeMode TColumnEx::ImeMode() const { JQ_ASSIGNED_OR(cvImeMode, FImeMode, DefaultImeMode()); }
String TColumnEx::ImeName() const { JQ_ASSIGNED_OR(cvImeName, FImeName, DefaultImeName()); }
bool TColumnEx::ReadOnly() const { JQ_ASSIGNED_OR(cvReadOnly, FReadonly, DefaultReadOnly()); }
int TColumnEx::Width() const { JQ_ASSIGNED_OR(cvWidth, FWidth, DefaultWidth()); }
bool TColumnEx::WordWrap() const { JQ_ASSIGNED_OR(cvWordWrap, FWordWrap, DefaultWordWrap()); }
bool TColumnEx::TextEditing() const { JQ_ASSIGNED_OR(cvTextEditing, FTextEditing, DefaultTextEditing()); }
bool TColumnEx::Checkboxes() const { JQ_ASSIGNED_OR(cvCheckboxes, FCheckboxes, DefaultCheckboxes()); }
String TColumnEx::LookupDisplayFields() const {
  JQ_ASSIGNED_OR(cvLookupDisplayFields, FLookupDisplayFields, DefaultLookupDisplayFields());
}
TBiDiMode TColumnEx::BiDiMode() const {
  TCustomDBGridEx* grid = Grid();
  JQ_ASSIGNED_OR(cvBiDiMode, FBiDiMode, grid ? grid->BiDiMode() : FBiDiMode);
}

#define JQ_DEF_VALUE(Name, Bit, Own, DefaultValue)                        \
  bool TColumnEx::Name() const {                                         \
    if (FAssignedValues.Contains(Bit)) return Own;                       \
    TColumnDefValuesEx* def = DefValuesOf(this);                         \
    return def ? def->Name() : DefaultValue;                             \
  }
JQ_DEF_VALUE(AlwaysShowEditButton, cvAlwaysShowEditButton, FAlwaysShowEditButton, false)
JQ_DEF_VALUE(AutoDropDown, cvAutoDropDown, FAutoDropDown, false)
JQ_DEF_VALUE(DblClickNextVal, cvDblClickNextVal, FDblClickNextVal, false)
JQ_DEF_VALUE(DropDownShowTitles, cvDropDownShowTitles, FDropDownShowTitles, false)
JQ_DEF_VALUE(DropDownSizing, cvDropDownSizing, FDropDownSizing, false)
JQ_DEF_VALUE(EndEllipsis, cvEndEllipsis, FEndEllipsis, false)
JQ_DEF_VALUE(HighlightRequired, cvHighlightRequired, FHighlightRequired, false)
JQ_DEF_VALUE(ToolTips, cvToolTips, FToolTips, false)
#undef JQ_DEF_VALUE

TTextLayout TColumnEx::Layout() const {
  if (FAssignedValues.Contains(cvLayout)) return FLayout;
  TColumnDefValuesEx* def = DefValuesOf(this);
  return def ? def->Layout() : tlTop;
}

TFont* TColumnEx::Font() const {
  if (!FAssignedValues.Contains(cvFont)) RefreshFont(FFont.get(), DefaultFont());
  return FFont.get();
}

// --- setters ---------------------------------------------------------------------

// Family 1: nothing when assigned and equal; else store, mark and notify.
#define JQ_PLAIN_SETTER(Setter, Type, Bit, Own)                        \
  void TColumnEx::Setter(Type Value) {                                 \
    if (FAssignedValues.Contains(Bit) && Value == Own) return;         \
    Own = Value;                                                       \
    Assigned(Bit);                                                     \
    Changed(false);                                                    \
  }
JQ_PLAIN_SETTER(SetColor, TColor, cvColor, FColor)
JQ_PLAIN_SETTER(SetCheckboxes, bool, cvCheckboxes, FCheckboxes)
JQ_PLAIN_SETTER(SetAlwaysShowEditButton, bool, cvAlwaysShowEditButton, FAlwaysShowEditButton)
JQ_PLAIN_SETTER(SetEndEllipsis, bool, cvEndEllipsis, FEndEllipsis)
JQ_PLAIN_SETTER(SetLayout, TTextLayout, cvLayout, FLayout)
JQ_PLAIN_SETTER(WriteHighlightRequired, bool, cvHighlightRequired, FHighlightRequired)
JQ_PLAIN_SETTER(SetBiDiMode, TBiDiMode, cvBiDiMode, FBiDiMode)
#undef JQ_PLAIN_SETTER

void TColumnEx::SetHighlightRequired(bool Value) { WriteHighlightRequired(Value); }

void TColumnEx::WriteAlignment(TAlignment Value) {
  if (DefaultColumnOfActiveLink()) {
    Field()->SetAlignment(static_cast<db::TField::TAlignment>(Value));
    Changed(false);
    return;
  }
  if (FAssignedValues.Contains(cvAlignment) && Value == FAlignment) return;
  FAlignment = Value;
  Assigned(cvAlignment);
  Changed(false);
}

void TColumnEx::WriteReadOnly(bool Value) {
  if (DefaultColumnOfActiveLink()) {
    Field()->SetReadOnly(Value);
    Changed(false);
    return;
  }
  if (FAssignedValues.Contains(cvReadOnly) && Value == FReadonly) return;
  FReadonly = Value;
  Assigned(cvReadOnly);
  Changed(false);
}

// Family 2: store and mark when not assigned or different; no notification.
#define JQ_QUIET_SETTER(Setter, Bit, Own)                              \
  void TColumnEx::Setter(bool Value) {                                 \
    if (!FAssignedValues.Contains(Bit) || Value != Own) {              \
      Own = Value;                                                     \
      Assigned(Bit);                                                   \
    }                                                                  \
  }
JQ_QUIET_SETTER(SetToolTips, cvToolTips, FToolTips)
JQ_QUIET_SETTER(SetAutoDropDown, cvAutoDropDown, FAutoDropDown)
JQ_QUIET_SETTER(SetDblClickNextVal, cvDblClickNextVal, FDblClickNextVal)
JQ_QUIET_SETTER(SetDropDownSizing, cvDropDownSizing, FDropDownSizing)
JQ_QUIET_SETTER(SetDropDownShowTitles, cvDropDownShowTitles, FDropDownShowTitles)
#undef JQ_QUIET_SETTER

// Family 3: marked only when already assigned or different from the default;
// always notifies.
void TColumnEx::WriteImeMode(TImeMode Value) { WriteDefaultAware(cvImeMode, FImeMode, Value, DefaultImeMode()); }

void TColumnEx::WriteImeName(const String& Value) { WriteDefaultAware(cvImeName, FImeName, Value, DefaultImeName()); }

void TColumnEx::WriteWordWrap(bool Value) {
  WriteDefaultAware(cvWordWrap, FWordWrap, Value, DefaultWordWrap(), LoadingGrid() != nullptr);
}

void TColumnEx::SetTextEditing(bool Value) {
  WriteDefaultAware(cvTextEditing, FTextEditing, Value, DefaultTextEditing(), LoadingGrid() != nullptr);
}

void TColumnEx::WriteLookupDisplayFields(const String& Value) {
  WriteDefaultAware(cvLookupDisplayFields, FLookupDisplayFields, Value, DefaultLookupDisplayFields());
  PopupDataList()->SetListField(Value);
}

void TColumnEx::SetFont(const TFont* Value) {
  FFont->Assign(Value);
  Assigned(cvFont);
  Changed(false);
}

void TColumnEx::WriteWidth(int Value) {
  TCustomDBGridEx* grid = Grid();
  if (grid && DefaultColumn() && grid->HandleAllocated() && grid->UpdateFields())
    if (db::TField* f = Field()) {
      TCanvas* canvas = grid->Canvas();
      FontScope scope(canvas, Font());
      int digit = canvas->TextWidth(u"0");
      // A font without a measurable digit leaves the field's display width alone.
      if (digit > 0) f->SetDisplayWidth((Value + canvas->TextWidth(u"x") / 2 - 3) / digit);
    }
  if (grid && DefaultColumn() && grid->LayoutFromDataset() && !FAssignedValues.Contains(cvWidth)) return;
  if ((FAssignedValues.Contains(cvWidth) || Value != DefaultWidth()) && Value != -1) {
    FWidth = Value;
    Assigned(cvWidth);
    if (FMaxWidth > 0 && FWidth > FMaxWidth) FWidth = FMaxWidth;
    if (FWidth < FMinWidth) FWidth = FMinWidth;
  }
  Changed(false);
}

void TColumnEx::SetMaxWidth(int Value) {
  FMaxWidth = Value;
  if (Value > 0 && Width() > Value) SetWidth(Value);
}

void TColumnEx::SetMinWidth(int Value) {
  FMinWidth = Value;
  if (Value > 0 && Width() < Value) SetWidth(Value);
}

void TColumnEx::WriteAutoFitColWidth(bool Value) {
  if (Value == FAutoFitColWidth) return;
  FAutoFitColWidth = Value;
  TCustomDBGridEx* grid = Grid();
  if (grid && grid->AutoFitColWidths() && !grid->IsLoading() && !grid->ComponentState().Contains(csDesigning)) SetWidth(FInitWidth);
  Changed(false);
}

void TColumnEx::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Changed(true);
}

#define JQ_NOTIFY_SETTER(Setter, Type, Own)                          \
  void TColumnEx::Setter(Type Value) {                               \
    if (Value == Own) return;                                        \
    Own = Value;                                                     \
    Changed(false);                                                  \
  }
JQ_NOTIFY_SETTER(SetButtonStyle, TColumnButtonStyleEx, FButtonStyle)
JQ_NOTIFY_SETTER(SetDropDownWidth, int, FDropDownWidth)
JQ_NOTIFY_SETTER(WriteHideDuplicates, bool, FHideDuplicates)
JQ_NOTIFY_SETTER(SetShowImageAndText, bool, FShowImageAndText)
JQ_NOTIFY_SETTER(SetDisplayFormat, const String&, FDisplayFormat)
JQ_NOTIFY_SETTER(SetEditMask, const String&, FEditMask)
#undef JQ_NOTIFY_SETTER

TStrings* TColumnEx::KeyList() const {
  if (!FKeyList) {
    FKeyList = std::make_unique<TStringList>();
    FKeyList->SetCaseSensitive(true);
  }
  return FKeyList.get();
}

TStrings* TColumnEx::PickList() const {
  if (!FPickList) FPickList = std::make_unique<TStringList>();
  return FPickList.get();
}

void TColumnEx::SetKeyList(const TStrings* Value) {
  if (!Value)
    FKeyList.reset();
  else
    KeyList()->Assign(Value);
  RepaintGrid();
}

void TColumnEx::SetPickList(const TStrings* Value) {
  if (!Value)
    FPickList.reset();
  else
    PickList()->Assign(Value);
}

void TColumnEx::SetNotInKeyListIndex(int Value) {
  FNotInKeyListIndex = Value;
  RepaintGrid();
}

void TColumnEx::SetImageList(TImageList* Value) {
  TCustomDBGridEx* grid = Grid();
  if (FImageList && grid) FImageList->RemoveFreeNotification(grid);
  FImageList = Value;
  if (FImageList && grid) FImageList->FreeNotification(grid);
  RepaintGrid();
}

void TColumnEx::SetOnGetCellParams(TColCellParamsEventEx Value) {
  OnGetCellParams = std::move(Value);
  RepaintGrid();
}

void TColumnEx::SetPopupMenu(TPopupMenu* Value) {
  FPopupMenu = Value;
  if (Value)
    if (TCustomDBGridEx* grid = Grid()) Value->FreeNotification(grid);
}

void TColumnEx::SetTitle(const TColumnTitleEx* Value) { FTitle->Assign(Value); }

void TColumnEx::SetFooter(const TColumnFooterEx* Value) { FFooter->Assign(Value); }

void TColumnEx::SetFooters(const TColumnFootersEx* Value) { FFooters->Assign(Value); }

void TColumnEx::SpecRowChanged(TObject*) {
  Changed(false);
  PopupDataList()->SetSpecRow(FDropDownSpecRow.get());
}

int TColumnEx::FullWidth() const {
  int width = Width();
  TCustomDBGridEx* grid = Grid();
  if (grid && !grid->VisibleColumns().empty() && grid->VisibleColumns().front() == this)
    width += grid->ExtraFirstColumnWidth();
  return width;
}

TColumnFooterEx* TColumnEx::UsedFooter(int Index) const {
  if (Index >= 0 && FFooters->Count() > Index) return FFooters->FooterAt(Index);
  return FFooter.get();
}

// --- restoring and copying --------------------------------------------------------

void TColumnEx::RestoreDefaults() {
  bool hadFont = FAssignedValues.Contains(cvFont);
  FTitle->RestoreDefaults();
  FAssignedValues = TColumnExValues();
  RefreshFont(FFont.get(), DefaultFont());
  FPickList.reset();
  FKeyList.reset();
  FButtonStyle = cbsAuto;
  Changed(hadFont);
}

void TColumnEx::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TColumnEx*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  TCollection* collection = Collection();
  if (collection) collection->BeginUpdate();
  try {
    RestoreDefaults();
    SetFieldName(src->FieldName());
    TColumnExValues v = src->FAssignedValues;
    if (v.Contains(cvColor)) SetColor(src->Color());
    if (v.Contains(cvWidth)) SetWidth(src->Width());
    if (v.Contains(cvFont)) SetFont(src->Font());
    if (v.Contains(cvImeMode)) SetImeMode(src->ImeMode());
    if (v.Contains(cvImeName)) SetImeName(src->ImeName());
    if (v.Contains(cvAlignment)) SetAlignment(src->Alignment());
    if (v.Contains(cvReadOnly)) SetReadOnly(src->ReadOnly());
    if (v.Contains(cvWordWrap)) SetWordWrap(src->WordWrap());
    if (v.Contains(cvLookupDisplayFields)) SetLookupDisplayFields(src->LookupDisplayFields());
    if (v.Contains(cvCheckboxes)) SetCheckboxes(src->Checkboxes());
    SetTitle(src->Title());
    SetSTFilter(src->STFilter());
    SetDropDownRows(src->DropDownRows());
    SetButtonStyle(src->ButtonStyle());
    SetPickList(src->FPickList.get());
    SetPopupMenu(src->PopupMenu());
    FInitWidth = src->FInitWidth;
    SetAutoFitColWidth(src->AutoFitColWidth());
    SetEndEllipsis(src->EndEllipsis());
    SetDropDownWidth(src->DropDownWidth());
    SetAutoDropDown(src->AutoDropDown());
    SetAlwaysShowEditButton(src->AlwaysShowEditButton());
    SetFooter(src->Footer());
    SetKeyList(src->FKeyList.get());
    SetIncrement(src->Increment());
    SetToolTips(src->ToolTips());
    SetFooters(src->Footers());
    SetTag(src->Tag());
    SetVisible(src->Visible());
    SetImageList(src->ImageList());
    SetNotInKeyListIndex(src->NotInKeyListIndex());
    SetMinWidth(src->MinWidth());
    SetMaxWidth(src->MaxWidth());
    SetDblClickNextVal(src->DblClickNextVal());
    SetDropDownSizing(src->DropDownSizing());
    SetDropDownShowTitles(src->DropDownShowTitles());
    OnGetCellParams = src->OnGetCellParams;
    OnNotInList = src->OnNotInList;
    OnUpdateData = src->OnUpdateData;
    OnEditButtonClick = src->OnEditButtonClick;
    OnEditButtonDown = src->OnEditButtonDown;
    SetEditButtons(src->EditButtons());
    SetDropDownBox(src->DropDownBox());
    SetMRUList(src->MRUList());
    // The special row is a published setting like the rest: a copy (and a
    // column read back from a saved layout) keeps it.
    SetDropDownSpecRow(src->DropDownSpecRow());
    if (!src->DropDownSpecRow()->ColorAssigned()) FDropDownSpecRow->RestoreDefaultColor();
    SetDisplayFormat(src->DisplayFormat());
    SetEditMask(src->EditMask());
    SetShowImageAndText(src->ShowImageAndText());
    SetHideDuplicates(src->HideDuplicates());
    SetLayout(src->Layout());
  } catch (...) {
    if (collection) collection->EndUpdate();
    throw;
  }
  if (collection) collection->EndUpdate();
}

// --- stored tests -------------------------------------------------------------------

#define JQ_STORED_TEST(Test, Bit, Getter, Default) \
  bool TColumnEx::Test() const { return FAssignedValues.Contains(Bit) && Getter() != Default(); }
JQ_STORED_TEST(IsAlignmentStored, cvAlignment, Alignment, DefaultAlignment)
JQ_STORED_TEST(IsColorStored, cvColor, Color, DefaultColor)
JQ_STORED_TEST(IsImeModeStored, cvImeMode, ImeMode, DefaultImeMode)
JQ_STORED_TEST(IsImeNameStored, cvImeName, ImeName, DefaultImeName)
JQ_STORED_TEST(IsReadOnlyStored, cvReadOnly, ReadOnly, DefaultReadOnly)
JQ_STORED_TEST(IsWidthStored, cvWidth, Width, DefaultWidth)
JQ_STORED_TEST(IsLookupDisplayFieldsStored, cvLookupDisplayFields, LookupDisplayFields, DefaultLookupDisplayFields)
JQ_STORED_TEST(IsTextEditingStored, cvTextEditing, TextEditing, DefaultTextEditing)
JQ_STORED_TEST(IsWordWrapStored, cvWordWrap, WordWrap, DefaultWordWrap)
#undef JQ_STORED_TEST

// Properties whose default comes from the grid's column default values.
#define JQ_DEF_STORED_TEST(Test, Bit, Getter, Own, DefaultValue)               \
  bool TColumnEx::Test() const {                                                \
    if (!FAssignedValues.Contains(Bit)) return false;                           \
    TColumnDefValuesEx* def = DefValuesOf(this);                                \
    return Own != (def ? def->Getter() : DefaultValue);                         \
  }
JQ_DEF_STORED_TEST(IsAlwaysShowEditButtonStored, cvAlwaysShowEditButton, AlwaysShowEditButton, FAlwaysShowEditButton,
                   false)
JQ_DEF_STORED_TEST(IsAutoDropDownStored, cvAutoDropDown, AutoDropDown, FAutoDropDown, false)
JQ_DEF_STORED_TEST(IsDblClickNextValStored, cvDblClickNextVal, DblClickNextVal, FDblClickNextVal, false)
JQ_DEF_STORED_TEST(IsDropDownShowTitlesStored, cvDropDownShowTitles, DropDownShowTitles, FDropDownShowTitles, false)
JQ_DEF_STORED_TEST(IsDropDownSizingStored, cvDropDownSizing, DropDownSizing, FDropDownSizing, false)
JQ_DEF_STORED_TEST(IsEndEllipsisStored, cvEndEllipsis, EndEllipsis, FEndEllipsis, false)
JQ_DEF_STORED_TEST(IsHighlightRequiredStored, cvHighlightRequired, HighlightRequired, FHighlightRequired, false)
JQ_DEF_STORED_TEST(IsLayoutStored, cvLayout, Layout, FLayout, tlTop)
JQ_DEF_STORED_TEST(IsToolTipsStored, cvToolTips, ToolTips, FToolTips, false)
#undef JQ_DEF_STORED_TEST

// --- published form ---------------------------------------------------------------

const TClassInfo& TDBGridColumnEx::StaticClassInfo() {
  using C = TColumnEx;
  using P = TDBGridColumnEx;
  static const TClassInfo info =
      TClassBuilder<P>("TDBGridColumnEx", &TColumnEx::StaticClassInfo())
          .Enum("Alignment", "TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}, &C::Alignment,
                &C::SetAlignment)
          .StoredWhen(&C::IsAlignmentStored)
          .Boolean("AlwaysShowEditButton", &C::AlwaysShowEditButton, &C::SetAlwaysShowEditButton)
          .StoredWhen(&C::IsAlwaysShowEditButtonStored)
          .Boolean("AutoDropDown", &C::AutoDropDown, &C::SetAutoDropDown)
          .StoredWhen(&C::IsAutoDropDownStored)
          .Boolean("AutoFitColWidth", &C::AutoFitColWidth, &C::SetAutoFitColWidth, 1)
          .Enum("BiDiMode", "TBiDiMode",
                {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"}, &C::BiDiMode,
                &C::SetBiDiMode)
          .StoredWhen(&C::IsBiDiModeStored)
          .Enum("ButtonStyle", "TColumnButtonStyleEx",
                {"cbsAuto", "cbsEllipsis", "cbsNone", "cbsUpDown", "cbsDropDown", "cbsAltUpDown", "cbsAltDropDown"},
                &C::ButtonStyle, &C::SetButtonStyle, cbsAuto)
          .Boolean("Checkboxes", &C::Checkboxes, &C::SetCheckboxes)
          .StoredWhen(&C::IsCheckboxesStored)
          .Integer("Color", &C::Color, &C::SetColor)
          .StoredWhen(&C::IsColorStored)
          .Boolean("DblClickNextVal", &C::DblClickNextVal, &C::SetDblClickNextVal)
          .StoredWhen(&C::IsDblClickNextValStored)
          .Str("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat)
          .Object("DropDownBox", "TColumnDropDownBoxEx", &P::PublishedDropDownBox, &C::SetDropDownBox)
          .Integer("DropDownRows", &C::DropDownRows, &C::SetDropDownRows, 7)
          .Object("DropDownSpecRow", "TSpecRowEx", &C::DropDownSpecRow, &C::SetDropDownSpecRow)
          .Boolean("DropDownShowTitles", &C::DropDownShowTitles, &C::SetDropDownShowTitles)
          .StoredWhen(&C::IsDropDownShowTitlesStored)
          .Boolean("DropDownSizing", &C::DropDownSizing, &C::SetDropDownSizing)
          .StoredWhen(&C::IsDropDownSizingStored)
          .Integer("DropDownWidth", &C::DropDownWidth, &C::SetDropDownWidth, 0)
          .Object("EditButtons", "TEditButtonsEx", &C::EditButtons, &C::SetEditButtons)
          .Str("EditMask", &C::EditMask, &C::SetEditMask)
          .Boolean("EndEllipsis", &C::EndEllipsis, &C::SetEndEllipsis)
          .StoredWhen(&C::IsEndEllipsisStored)
          .Str("FieldName", &C::FieldName, &C::SetFieldName)
          .Object("Font", "TFont", &P::PublishedFont, &C::SetFont)
          .StoredWhen(&C::IsFontStored)
          .Object("Footer", "TColumnFooterEx", &C::Footer, &C::SetFooter)
          .Object("Footers", "TColumnFootersEx", &C::Footers, &C::SetFooters)
          .Boolean("HideDuplicates", &C::HideDuplicates, &C::SetHideDuplicates, 0)
          .Boolean("HighlightRequired", &C::HighlightRequired, &C::SetHighlightRequired)
          .StoredWhen(&C::IsHighlightRequiredStored)
          .Object("ImageList", "TCustomImageList", &C::ImageList, &C::SetImageList)
          .Enum("ImeMode", "TImeMode",
                {"imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha", "imAlpha", "imHira", "imSKata", "imKata",
                 "imChinese", "imSHanguel", "imHanguel"},
                &C::ImeMode, &C::SetImeMode)
          .StoredWhen(&C::IsImeModeStored)
          .Str("ImeName", &C::ImeName, &C::SetImeName)
          .StoredWhen(&C::IsImeNameStored)
          .Float("Increment", &C::Increment, &C::SetIncrement)
          .StoredWhen(&C::IncrementStored)
          .Object("KeyList", "TStrings", &P::PublishedKeyList, &C::SetKeyList)
          .Enum("Layout", "TTextLayout", {"tlTop", "tlCenter", "tlBottom"}, &C::Layout, &C::SetLayout)
          .StoredWhen(&C::IsLayoutStored)
          .Str("LookupDisplayFields", &C::LookupDisplayFields, &C::SetLookupDisplayFields)
          .StoredWhen(&C::IsLookupDisplayFieldsStored)
          .Integer("MaxWidth", &C::MaxWidth, &C::SetMaxWidth, 0)
          .Integer("MinWidth", &C::MinWidth, &C::SetMinWidth, 0)
          .Object("MRUList", "TMRUListEx", &C::MRUList, &C::SetMRUList)
          .Integer("NotInKeyListIndex", &C::NotInKeyListIndex, &C::SetNotInKeyListIndex, -1)
          .Object("PickList", "TStrings", &P::PublishedPickList, &C::SetPickList)
          .Object("PopupMenu", "TPopupMenu", &C::PopupMenu, &C::SetPopupMenu)
          .Boolean("ReadOnly", &C::ReadOnly, &C::SetReadOnly)
          .StoredWhen(&C::IsReadOnlyStored)
          .Boolean("ShowImageAndText", &C::ShowImageAndText, &C::SetShowImageAndText, 0)
          .Integer("Tag", &C::Tag, &C::SetTag, 0)
          .Boolean("TextEditing", &C::TextEditing, &C::SetTextEditing)
          .StoredWhen(&C::IsTextEditingStored)
          .Object("STFilter", "TSTColumnFilterEx", &P::PublishedSTFilter, &C::SetSTFilter)
          .Object("Title", "TColumnTitleEx", &P::PublishedTitle, &C::SetTitle)
          .Boolean("ToolTips", &C::ToolTips, &C::SetToolTips)
          .StoredWhen(&C::IsToolTipsStored)
          .Boolean("Visible", &C::Visible, &C::SetVisible, 1)
          .Integer("Width", &C::Width, &C::SetWidth)
          .StoredWhen(&C::IsWidthStored)
          .Boolean("WordWrap", &C::WordWrap, &C::SetWordWrap)
          .StoredWhen(&C::IsWordWrapStored)
          .Integer("InRowLinePos", &C::InRowLinePos, &C::SetInRowLinePos)
          .StoredWhen(&C::IsInRowLinePosStored)
          .Integer("InRowLineHeight", &C::InRowLineHeight, &C::SetInRowLineHeight)
          .StoredWhen(&C::IsInRowLineHeightStored)
          .Unit("DBGridEx")
          .Build();
  return info;
}

}  // namespace grid
