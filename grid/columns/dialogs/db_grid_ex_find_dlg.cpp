#include "grid/columns/dialogs/db_grid_ex_find_dlg.h"

#include <algorithm>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/mem_table_intf_ex.h"
#include "platform/data/dataset.h"
#include "platform/ui/form_layout.h"

namespace grid {

using namespace ui;

namespace {

TDBGridExFindDlg* TheFindDialog = nullptr;

const char16_t* const kAllColumns = u"<All>";

TDBComboBoxEx* PlaceCombo(TDBGridExFindDlg* Form, const char16_t* Name, int Left, int Top, int Width,
                          std::initializer_list<const char16_t*> Items) {
  auto* combo = Place<TDBComboBoxEx>(Form, Form, Name, Left, Top, Width, 21);
  combo->DropDownBox()->SetRows(17);
  combo->DropDownBox()->SetSizable(true);
  for (const char16_t* item : Items) combo->Items()->Add(item);
  if (Items.size() > 0) combo->SetItemIndex(0);
  return combo;
}

db::TDataSet* ActiveDataSet(TCustomDBGridEx* Grid) {
  db::TDataSource* source = Grid ? Grid->DataSource() : nullptr;
  db::TDataSet* ds = source ? source->DataSet() : nullptr;
  return ds && ds->Active() ? ds : nullptr;
}

}  // namespace

TLocateTextMatchingEx FindMatchingOfIndex(int Index) {
  return Index >= 0 && Index <= ltmFromBegingEx ? static_cast<TLocateTextMatchingEx>(Index) : ltmAnyPartEx;
}

TLocateTextDirectionEx FindDirectionOfIndex(int Index) {
  return Index >= 0 && Index <= ltdAllEx ? static_cast<TLocateTextDirectionEx>(Index) : ltdUpEx;
}

TLocateTextTreeFindRangeEx FindTreeRangeOfIndex(int Index) {
  return Index >= 0 && Index <= lttInCurrentNodeEx ? static_cast<TLocateTextTreeFindRangeEx>(Index)
                                                   : lttInAllNodesEx;
}

const TClassInfo& TDBGridExFindDlg::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TDBGridExFindDlg>("TDBGridExFindDlg", &TForm::StaticClassInfo())
          .Unit("DBGridExFindDlgs")
          .Build();
  return info;
}

TDBGridExFindDlg::TDBGridExFindDlg(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"DBGridExFindDlg");
  SetCaption(u"Find text");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  Font()->SetHeight(-10);
  SetClientWidth(505);
  SetClientHeight(150);

  // Created in tab order: the boxes first, then "Find next" (6) and "Close" (7).
  Label1 = Place<TLabel>(this, this, u"Label1", u"Fi&nd What:", 10, 12, 70, 13);
  cbText = PlaceCombo(this, u"cbText", 88, 9, 316, {});
  Label2 = Place<TLabel>(this, this, u"Label2", u"Find &in:", 10, 35, 70, 13);
  cbFindIn = PlaceCombo(this, u"cbFindIn", 88, 32, 192, {});
  cbMatchType = Place<TLabel>(this, this, u"cbMatchType", u"Matc&h:", 10, 58, 70, 13);
  cbMatchinType = PlaceCombo(this, u"cbMatchinType", 88, 55, 144,
                             {u"From any part of field", u"Whole field", u"From beging of field"});
  Label3 = Place<TLabel>(this, this, u"Label3", u"Sea&rch:", 10, 82, 70, 13);
  cbFindDirection = PlaceCombo(this, u"cbFindDirection", 88, 79, 144, {u"Up", u"Down", u"All"});
  cbFindDirection->SetItemIndex(ltdAllEx);
  cbCharCase = Place<TDBCheckBoxEx>(this, this, u"cbCharCase", 88, 105, 144, 14);
  cbCharCase->SetCaption(u"Match &Case");
  cbUseFormat = Place<TDBCheckBoxEx>(this, this, u"cbUseFormat", 260, 105, 144, 14);
  cbUseFormat->SetCaption(u"Match F&ormat");
  cbUseFormat->SetChecked(true);
  bFind = Place<TButton>(this, this, u"bFind", u"&Find next", 413, 9, 82, 23);
  bCancel = Place<TButton>(this, this, u"bCancel", u"Close", 413, 37, 82, 22);
  bCancel->SetCancel(true);
  bCancel->SetModalResult(mrCancel);
  Label4 = Place<TLabel>(this, this, u"Label4", u"Find in Tree:", 10, 128, 70, 13);
  dbcTreeFindRange =
      PlaceCombo(this, u"dbcTreeFindRange", 88, 124, 145,
                 {u"In all nodes", u"In expanded nodes", u"In current level", u"In current node"});

  cbText->OnChange = [this](TObject* S) { cbTextChange(S); };
  cbFindIn->OnChange = [this](TObject* S) { cbFindInChange(S); };
  cbFindDirection->OnChange = [this](TObject* S) { cbTextChange(S); };
  dbcTreeFindRange->OnChange = [this](TObject* S) { cbTextChange(S); };
  bFind->OnClick = [this](TObject* S) { bFindClick(S); };
  bCancel->OnClick = [this](TObject* S) { bCancelClick(S); };
  OnKeyDown = [this](TObject* S, std::uint16_t& Key, TShiftState Shift) { FormKeyDown(S, Key, Shift); };
  OnCreate = [this](TObject* S) { FormCreate(S); };
  OnDestroy = [this](TObject* S) { FormDestroy(S); };
}

TDBGridExFindDlg::~TDBGridExFindDlg() {
  if (TheFindDialog == this) TheFindDialog = nullptr;
}

void TDBGridExFindDlg::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  // The dialog outlives every grid; the columns it lists go with theirs.
  if (Operation == opRemove && AComponent == FGrid) {
    FGrid = nullptr;
    FFindColumnsList.clear();
    for (int i = 0; i < cbFindIn->Items()->Count(); ++i) cbFindIn->Items()->SetObjects(i, nullptr);
  }
}

void TDBGridExFindDlg::FormCreate(TObject*) { FSourceHeight = Height(); }

void TDBGridExFindDlg::FormDestroy(TObject*) { FFindColumnsList.clear(); }

void TDBGridExFindDlg::Execute(TCustomDBGridEx* AGrid, const String& Text, const String&,
                               const std::vector<String>&, bool Modal) {
  db::TDataSet* ds = ActiveDataSet(AGrid);
  auto* memTable = dynamic_cast<IMemTableEx*>(ds);
  if (memTable && memTable->RecordViewsAreTree()) {
    SetHeight(FSourceHeight);
    Label4->SetVisible(true);
    dbcTreeFindRange->SetVisible(true);
  } else {
    SetClientHeight(dbcTreeFindRange->Top());
    Label4->SetVisible(false);
    dbcTreeFindRange->SetVisible(false);
  }

  FCurInListColIndex = -1;
  cbText->SetText(Text);
  if (FGrid != AGrid) {
    if (FGrid) FGrid->RemoveFreeNotification(this);
    FGrid = AGrid;
    if (FGrid) FGrid->FreeNotification(this);
  }
  FillColumnsList();

  int selected = -1;
  if (FGrid) {
    // The selected index counts hidden columns too; the list holds the visible ones.
    const int index = FGrid->SelectedIndex();
    if (index >= 0 && index < FGrid->Columns()->Count()) {
      void* column = FGrid->Columns()->ColumnAt(index);
      for (int i = 0; i < cbFindIn->Items()->Count() && selected < 0; ++i)
        if (cbFindIn->Items()->GetObject(i) == column) selected = i;
    }
  }
  auto change = cbFindIn->OnChange;
  cbFindIn->OnChange = nullptr;
  cbFindIn->SetItemIndex(selected);
  cbFindIn->OnChange = change;

  IsFirstTry = true;
  if (Visible()) Close();
  SetActiveControl(cbText);
  FillFindColumnsList();

  if (Modal) {
    SetFormStyle(fsNormal);
    ShowModal();
  } else {
    SetFormStyle(fsStayOnTop);
    Show();
    SetFocus();
  }
}

void TDBGridExFindDlg::FillColumnsList() {
  auto change = cbFindIn->OnChange;
  cbFindIn->OnChange = nullptr;
  cbFindIn->Items()->Clear();
  if (FGrid)
    for (TColumnEx* column : FGrid->VisibleColumns())
      cbFindIn->Items()->AddObject(column->Title()->Caption(), column);
  cbFindIn->Items()->Add(kAllColumns);
  cbFindIn->KeyItems()->Assign(cbFindIn->Items());
  cbFindIn->OnChange = change;
}

void TDBGridExFindDlg::FillFindColumnsList() {
  FFindColumnsList.clear();
  const int last = cbFindIn->Items()->Count() - 1;
  if (cbFindIn->ItemIndex() < 0 && last >= 0) {
    auto change = cbFindIn->OnChange;
    cbFindIn->OnChange = nullptr;
    cbFindIn->SetItemIndex(last);
    cbFindIn->OnChange = change;
  }
  const int index = cbFindIn->ItemIndex();
  if (index == last) {
    for (int i = 0; i < last; ++i)
      if (auto* column = static_cast<TColumnEx*>(cbFindIn->Items()->Objects(i)))
        FFindColumnsList.push_back(column);
  } else if (TColumnEx* column = SelectedFindInColumn()) {
    FFindColumnsList.push_back(column);
  }
  cbTextChange(cbText);
}

void TDBGridExFindDlg::cbTextChange(TObject*) {
  IsFirstTry = true;
  FCurInListColIndex = FindDirectionOfIndex(cbFindDirection->ItemIndex()) != ltdUpEx
                           ? 0
                           : static_cast<int>(FFindColumnsList.size()) - 1;
}

void TDBGridExFindDlg::cbFindInChange(TObject*) { FillFindColumnsList(); }

void TDBGridExFindDlg::bCancelClick(TObject*) { Close(); }

void TDBGridExFindDlg::FormKeyDown(TObject*, std::uint16_t& Key, TShiftState) {
  if (Key != VK_RETURN && Key != VK_ESCAPE) return;
  TWinControl* active = ActiveControl();
  if (active && active->Perform(CM_WANTSPECIALKEY, Key) != 0) return;
  if (Key == VK_ESCAPE) {
    // A modal dialog ends through its cancel button.
    if (IsModal()) return;
    Key = 0;
    Close();
  } else {
    Key = 0;
    bFindClick(this);
  }
  cbText->SetModified(false);
}

TColumnEx* TDBGridExFindDlg::SelectedFindInColumn() const {
  const int index = cbFindIn->ItemIndex();
  if (!FGrid || index < 0 || index >= cbFindIn->Items()->Count()) return nullptr;
  auto* column = static_cast<TColumnEx*>(cbFindIn->Items()->Objects(index));
  // The grid may have made its columns again while the dialog stayed open.
  TDBGridColumnsEx* columns = FGrid->Columns();
  for (int i = 0; column && i < columns->Count(); ++i)
    if (columns->ColumnAt(i) == column) return column;
  return nullptr;
}

void TDBGridExFindDlg::bFindClick(TObject*) {
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  const String text = cbText->Text();
  if (cbText->Items()->IndexOf(text) < 0) cbText->Items()->Add(text);
  if (!ActiveDataSet(FGrid)) return;

  TLocateTextOptionsEx options;
  if (!cbCharCase->Checked()) options.Include(ltoCaseInsensitiveEx);
  if (cbUseFormat->Checked()) options.Include(ltoMatchFormatEx);
  const bool all = cbFindIn->ItemIndex() == cbFindIn->Items()->Count() - 1;
  if (all) options.Include(ltoAllFieldsEx);

  TLocateTextDirectionEx direction = FindDirectionOfIndex(cbFindDirection->ItemIndex());
  if (ctrl) direction = direction == ltdUpEx ? ltdDownEx : ltdUpEx;
  if (!IsFirstTry && direction == ltdAllEx) direction = ltdDownEx;

  String fieldName;
  if (!all)
    if (TColumnEx* column = SelectedFindInColumn()) fieldName = column->FieldName();

  if (FGrid->LocateText(FGrid, fieldName, text, options, direction,
                        FindMatchingOfIndex(cbMatchinType->ItemIndex()),
                        FindTreeRangeOfIndex(dbcTreeFindRange->ItemIndex())))
    IsFirstTry = false;
}

TDBGridExFindDlg* GridFindDialog() { return TheFindDialog; }

void ShowGridFindDialog(TCustomDBGridEx* Grid, const String& Text, const String& ColumnFieldName,
                        const std::vector<String>& ColumnFields, bool Modal) {
  if (!TheFindDialog) {
    TheFindDialog = new TDBGridExFindDlg(Application);
    TheFindDialog->AfterConstruction();
  }
  TheFindDialog->Execute(Grid, Text, ColumnFieldName, ColumnFields, Modal);
}

void InitDBGridExFindDlgs() { ExecuteFindDialogProc = &ShowGridFindDialog; }

void DoneDBGridExFindDlgs() {
  if (ExecuteFindDialogProc == &ShowGridFindDialog) ExecuteFindDialogProc = nullptr;
}

}  // namespace grid
