#include "fuzz/grid/columns/transfer/fuzz_grid.h"

#include <stdlib.h>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "platform/classes/string_list.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"

namespace fuzz {
namespace {

constexpr int kRecords = 3;

void AppendRows(ext::TExtMemoryData& Ds) {
  const char16_t* texts[kRecords] = {u"alpha", u"", u"第三"};
  for (int r = 0; r < kRecords; ++r) {
    Ds.Append();
    Ds.Fields(0)->SetAsString(texts[r]);
    Ds.Fields(1)->SetAsInteger(r * 7 - 3);
    Ds.Fields(2)->SetAsFloat(r * 2.5);
    Ds.Fields(3)->SetAsBoolean(r & 1);
    Ds.Fields(4)->SetAsFloat(45000.25 + r);
    if (r != 1) Ds.Fields(5)->SetAsString(texts[2 - r]);
    Ds.Fields(6)->SetAsInteger(r + 1);
    Ds.Post();
  }
}

}  // namespace

FuzzGrid& FuzzGrid::Get() {
  // Never destroyed: the window layer's statics may go first at exit.
  static FuzzGrid* const grid = new FuzzGrid();
  return *grid;
}

FuzzGrid::FuzzGrid() {
  RunFolder();
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int argc = 0;
  ui::InitApplication(argc, nullptr);
  grid::InitDBGridEx();
  ui::SetMessageBoxHook([this](const ui::TMessageBoxRequest&) { return answer_; });
  auto* form = new ui::TForm(ui::Application);
  form->AfterConstruction();
  grid_ = new grid::TDBGridEx(form);
  grid_->SetParent(form);
  grid_->SetBounds(0, 0, 400, 200);
  ds_ = new ext::TExtMemoryData(nullptr);
  ds_->FieldDefs().Add(u"S", db::ftString, 8);
  ds_->FieldDefs().Add(u"I", db::ftInteger);
  ds_->FieldDefs().Add(u"F", db::ftFloat);
  ds_->FieldDefs().Add(u"B", db::ftBoolean);
  ds_->FieldDefs().Add(u"D", db::ftDateTime);
  ds_->FieldDefs().Add(u"W", db::ftWideString, 12);
  ds_->FieldDefs().Add(u"K", db::ftInteger);
  ds_->Open();
  src_ = new db::TDataSource(nullptr);
  src_->SetDataSet(ds_);
  grid_->SetDataSource(src_);
  ui::TStringList picks, keys;
  picks.Add(u"one");
  picks.Add(u"two");
  keys.Add(u"1");
  keys.Add(u"2");
  grid::TColumnEx* keyed = grid_->Columns()->ColumnAt(6);
  keyed->SetPickList(&picks);
  keyed->SetKeyList(&keys);
}

void FuzzGrid::Reset(Bytes& Control) {
  const std::uint8_t a = Control.Byte(), b = Control.Byte();
  if (ds_->State() != db::dsBrowse) ds_->Cancel();
  // A read-only column makes its field read-only too.
  grid::TColumnEx* readOnly = grid_->Columns()->ColumnAt(1);
  readOnly->SetReadOnly(false);
  ds_->DisableControls();
  ds_->EmptyTable();
  // 3: an empty table, so the data goes in as new records.
  if ((a & 3) != 3) AppendRows(*ds_);
  ds_->First();
  for (int r = 0; r < (a & 3) && !ds_->Eof(); ++r) ds_->Next();
  ds_->EnableControls();
  grid_->SetSelectedIndex((a >> 2) % grid_->Columns()->Count());
  const grid::TDBGridExAllowedOperations ops = grid_->AllowedOperations();
  grid_->SetAllowedOperations(a & 0x20 ? ops - grid::alopAppendEx : ops + grid::alopAppendEx);
  importAll_ = a & 0x40;
  readOnly->SetReadOnly(a & 0x80);
  static const int answers[] = {ui::mrYes, ui::mrNo, ui::mrAll, ui::mrYes};
  answer_ = answers[b & 3];
}

}  // namespace fuzz
