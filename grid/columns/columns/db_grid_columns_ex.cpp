#include "grid/columns/columns/db_grid_columns_ex.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/sums/column_footer_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/grid_data_link_ex.h"
#include "platform/classes/component_stream.h"
#include "platform/classes/typinfo.h"

namespace grid {

using namespace ui;

const TClassInfo& TDBGridColumnsEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TDBGridColumnsEx>("TDBGridColumnsEx", &TCollection::StaticClassInfo()).Unit("DBGridEx").Build();
  return info;
}

TDBGridColumnsEx::TDBGridColumnsEx(TCustomDBGridEx* Grid, TColumnFactory ColumnClass)
    : TCollection(
          [this, ColumnClass](TCollection* C) -> TCollectionItem* {
            // A column announces itself while it is still being made: its
            // collection stays quiet until it is whole.
            ++FMaking;
            try {
              TColumnEx* column = ColumnClass(C);
              --FMaking;
              return column;
            } catch (...) {
              --FMaking;
              throw;
            }
          },
          Grid),
      FGrid(Grid),
      FColumnClass(std::move(ColumnClass)) {}

TDBGridColumnsEx::~TDBGridColumnsEx() {
  // Columns look at their collection while they go; they go first.
  BeginUpdate();
  while (Count() > 0) delete Items(Count() - 1);
}

TColumnEx* TDBGridColumnsEx::ColumnAt(int Index) const { return static_cast<TColumnEx*>(Items(Index)); }

TColumnEx* TDBGridColumnsEx::Add() {
  auto* column = static_cast<TColumnEx*>(TCollection::Add());
  Changed();
  return column;
}

TColumnEx* TDBGridColumnsEx::AddDefaultColumn() {
  auto* column = static_cast<TColumnEx*>(TCollection::Add());
  column->MarkStoredFlag(false);
  Changed();
  return column;
}

TDBGridColumnsState TDBGridColumnsEx::State() const {
  if (Count() == 0) return csDefault;
  return ColumnAt(0)->Stored() ? csCustomized : csDefault;
}

void TDBGridColumnsEx::SetState(TDBGridColumnsState Value) {
  if (Value == State()) return;
  if (Value == csCustomized)
    RebuildColumns();
  else
    Clear();
}

void TDBGridColumnsEx::AddAllColumns(bool DeleteExisting) {
  db::TDataSet* ds = FGrid ? FGrid->DataLink()->DataSet() : nullptr;
  if (!ds) {
    if (DeleteExisting) Clear();
    return;
  }
  FGrid->LockLayout();
  try {
    if (DeleteExisting) Clear();
    std::vector<db::TField*> fields;
    FGrid->CollectDataSetFields(fields);
    for (db::TField* f : fields) Add()->SetFieldName(f->FieldName());
  } catch (...) {
    FGrid->UnlockLayout();
    throw;
  }
  FGrid->UnlockLayout();
}

void TDBGridColumnsEx::RestoreDefaults() {
  BeginUpdate();
  try {
    for (int i = 0; i < Count(); ++i) ColumnAt(i)->RestoreDefaults();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TDBGridColumnsEx::ActiveChanged() {
  for (int i = 0; i < Count(); ++i) ColumnAt(i)->ClearCachedField();
}

void TDBGridColumnsEx::Assign(const TPersistent* Source) {
  if (FGrid) FGrid->LockLayout();
  try {
    TCollection::Assign(Source);
  } catch (...) {
    if (FGrid) FGrid->UnlockLayout();
    throw;
  }
  if (FGrid) FGrid->UnlockLayout();
}

// --- streaming ------------------------------------------------------------------

const TClassInfo& TColumnsWrapper::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TColumnsWrapper>("TColumnsWrapper", &TComponent::StaticClassInfo())
          .Object("Columns", "TDBGridColumnsEx", &TColumnsWrapper::Columns, &TColumnsWrapper::SetColumns)
          .Unit("DBGridEx")
          .Build();
  return info;
}

namespace {

// A stored reference names a component of one of the grid's owners, alone
// or after its owner's name.
TComponent* FindOwnersComponent(const TCustomDBGridEx* Grid, const std::string& Path) {
  const String path = rtl::Utf8ToString(Path);
  const std::size_t dot = path.find(u'.');
  for (TComponent* o = Grid ? Grid->Owner() : nullptr; o; o = o->Owner()) {
    if (dot == String::npos) {
      if (TComponent* found = o->FindComponent(path)) return found;
    } else if (rtl::SameText(o->Name(), path.substr(0, dot))) {
      return o->FindComponent(path.substr(dot + 1));
    }
  }
  return nullptr;
}

}  // namespace

void TDBGridColumnsEx::SaveToStream(rtl::TStream& Stream) {
  TColumnsWrapper wrapper(nullptr);
  wrapper.SetColumns(this);
  TWriter writer(Stream);
  writer.WriteRootComponent(&wrapper);
}

void TDBGridColumnsEx::SaveToFile(const String& FileName) {
  // The whole stream is made first and the file replaced in one go, so a
  // failed save leaves the old file.
  rtl::TMemoryStream data;
  SaveToStream(data);
  data.SaveToFile(FileName);
}

void TDBGridColumnsEx::LoadFromStream(rtl::TStream& Stream) {
  std::unique_ptr<TDBGridColumnsEx> fresh(FGrid ? FGrid->CreateColumnCollection()
                                                : new TDBGridColumnsEx(nullptr, FColumnClass));
  // Kept quiet for its whole life: it is not the grid's collection, and
  // its notices would lay the grid out by columns it does not show.
  fresh->BeginUpdate();
  TColumnsWrapper wrapper(nullptr);
  wrapper.SetColumns(fresh.get());
  TReader reader(Stream);
  reader.OnFindComponent = [this](const std::string& Path) { return FindOwnersComponent(FGrid, Path); };
  reader.ReadRootComponent(&wrapper);
  Assign(fresh.get());
}

void TDBGridColumnsEx::LoadFromFile(const String& FileName) {
  // Read whole first: a file that is not a regular one fails at once instead of waiting.
  rtl::TMemoryStream data;
  data.LoadFromFile(FileName);
  LoadFromStream(data);
}

bool TDBGridColumnsEx::ExistFooterValueType(TFooterValueType AFooterValueType) const {
  for (int i = 0; i < Count(); ++i)
    if (ColumnAt(i)->Footer()->ValueType() == AFooterValueType) return true;
  return false;
}

TColumnEx* TDBGridColumnsEx::FindColumnByName(const String& ColumnName) const {
  for (int i = 0; i < Count(); ++i)
    if (ColumnAt(i)->Name() == ColumnName) return ColumnAt(i);
  return nullptr;
}

void TDBGridColumnsEx::GetColumnNames(TStrings* List) const {
  for (int i = 0; i < Count(); ++i) List->Add(ColumnAt(i)->Name());
}

TColumnEx* TDBGridColumnsEx::GetNextTabColumn(TColumnEx* ForColumn, bool GoForward) const {
  if (FGrid->RowPanelActive() && FGrid->RowPanelTabsLeftToRight())
    return GetNextHorzColumn(ForColumn, GoForward, true, true);
  int step = GoForward ? 1 : -1;
  for (int i = ForColumn->Index() + step; i >= 0 && i < Count(); i += step)
    if (ColumnAt(i)->IsTabStop()) return ColumnAt(i);
  return ForColumn;
}

TColumnEx* TDBGridColumnsEx::GetNextHorzColumn(TColumnEx* ForColumn, bool GoForward, bool TabStopsOnly,
                                               bool Wrap) const {
  const TColumnExInRowPanelPlacement& f = ForColumn->RowPlacement();
  auto candidate = [&](TColumnEx* c) { return c != ForColumn && c->Visible() && (!TabStopsOnly || c->IsTabStop()); };
  TColumnEx* best = nullptr;
  for (int i = 0; i < Count(); ++i) {
    TColumnEx* c = ColumnAt(i);
    if (!candidate(c)) continue;
    const TColumnExInRowPanelPlacement& p = c->RowPlacement();
    if (p.Top != f.Top) continue;
    if (GoForward) {
      if (p.DataCellLeft > f.DataCellLeft && (!best || p.Left < best->RowPlacement().Left)) best = c;
    } else if (p.Left < f.Left && (!best || p.Left > best->RowPlacement().Left)) {
      best = c;
    }
  }
  if (best || !Wrap) return best ? best : ForColumn;
  for (int i = 0; i < Count(); ++i) {
    TColumnEx* c = ColumnAt(i);
    if (!candidate(c)) continue;
    const TColumnExInRowPanelPlacement& p = c->RowPlacement();
    if (GoForward ? p.Top <= f.Top : p.Top >= f.Top) continue;
    if (!best) {
      best = c;
      continue;
    }
    const TColumnExInRowPanelPlacement& b = best->RowPlacement();
    if (GoForward ? (p.Top <= b.Top && p.Left <= b.Left) : (p.Top >= b.Top && p.Left >= b.Left)) best = c;
  }
  return best ? best : ForColumn;
}

TColumnEx* TDBGridColumnsEx::GetNextVertColumn(TColumnEx* ForColumn, bool GoForward) const {
  TColumnEx* base = FUpDownBaseColumn ? FUpDownBaseColumn : ForColumn;
  const TColumnExInRowPanelPlacement& b = base->RowPlacement();
  const TColumnExInRowPanelPlacement& f = ForColumn->RowPlacement();
  TColumnEx* best = nullptr;
  for (int i = 0; i < Count(); ++i) {
    TColumnEx* c = ColumnAt(i);
    if (c == ForColumn || !c->Visible()) continue;
    const TColumnExInRowPanelPlacement& p = c->RowPlacement();
    if (p.Left > b.Left + b.Width || p.Left + p.Width < b.Left) continue;
    if (GoForward ? !(p.Top > f.Top + f.Height) : !(p.Top < f.Top)) continue;
    if (!best) {
      best = c;
      continue;
    }
    const TColumnExInRowPanelPlacement& q = best->RowPlacement();
    const bool closer = GoForward ? p.Top < q.Top : p.Top > q.Top;
    if (closer || (p.Top == q.Top && p.Left < q.Left)) best = c;
  }
  return best ? best : ForColumn;
}

TColumnEx* TDBGridColumnsEx::GetTopColumn(TColumnEx* ForColumn) const {
  for (TColumnEx* c = ForColumn;;) {
    TColumnEx* next = GetNextVertColumn(c, false);
    if (next == c) return c;
    c = next;
  }
}

TColumnEx* TDBGridColumnsEx::GetBottomColumn(TColumnEx* ForColumn) const {
  for (TColumnEx* c = ForColumn;;) {
    TColumnEx* next = GetNextVertColumn(c, true);
    if (next == c) return c;
    c = next;
  }
}

void TDBGridColumnsEx::RelayoutCellsInRowPanel() {
  const int h = FGrid->InRowPanelLineHeight();
  const int lw = FGrid->GridLineWidth();
  // Line numbers come from stored layouts: a line far down must neither
  // overflow the arithmetic nor make room for every line above it.
  auto clamp = [](std::int64_t V) {
    return static_cast<int>(std::clamp<std::int64_t>(V, 0, std::numeric_limits<int>::max() / 2));
  };
  struct Placed {
    std::int64_t first, last;  // lines first .. last - 1
    int next;                  // the next free x on those lines
  };
  std::vector<Placed> placed;
  int masterWidth = 0, masterHeight = h;
  for (int i = 0; i < Count(); ++i) {
    TColumnEx* c = ColumnAt(i);
    const std::int64_t p = c->InRowLinePos(), n = c->InRowLineHeight();
    // A line's next free x only grows, so the largest of the cells placed on
    // any of the column's lines is where it starts.
    int x = 0;
    for (const Placed& q : placed)
      if (q.first < p + n && p < q.last) x = std::max(x, q.next);
    TColumnExInRowPanelPlacement& r = c->RowPlacement();
    r.Left = x;
    r.Top = clamp(p * (lw + h));
    r.Width = c->Visible() ? c->Width() : 0;
    r.Height = clamp(n * (lw + h) - 1);
    r.DataCellLeft = x;
    r.DataCellWidth = r.Width;
    if (x == 0) {
      r.Width += FGrid->ExtraFirstColumnWidth();
      r.DataCellLeft += FGrid->ExtraFirstColumnWidth();
    }
    placed.push_back({p, p + n, c->Visible() ? x + r.Width + lw : x});
    if (c->Visible()) {
      masterWidth = std::max(masterWidth, r.Left + c->Width());
      masterHeight = clamp(std::max<std::int64_t>(masterHeight, std::int64_t{r.Top} + r.Height));
    }
  }
  FGrid->SetGridMasterCellSize(masterWidth, masterHeight);
}

void TDBGridColumnsEx::ScaleWidths(int Divisor, int Denominator) {
  // A grid with no room for its columns leaves their widths alone.
  if (Divisor == 0) return;
  const int lw = FGrid->GridLineWidth();
  const double d = Divisor, m = Denominator;
  for (int i = 0; i < Count(); ++i) {
    TColumnEx* c = ColumnAt(i);
    const int left = c->RowPlacement().Left;
    const int width = static_cast<int>(std::lround((c->Width() + left + lw) / d * m)) -
                      static_cast<int>(std::lround(m * left / d)) - lw;
    c->SetWidth(width);
  }
  RelayoutCellsInRowPanel();
}

TColumnEx* TDBGridColumnsEx::GetFirstTabColumn() const {
  for (int i = 0; i < Count(); ++i)
    if (ColumnAt(i)->Visible() && ColumnAt(i)->IsTabStop()) return ColumnAt(i);
  return nullptr;
}

TColumnEx* TDBGridColumnsEx::GetLastTabColumn() const {
  if (FGrid->RowPanelActive() && FGrid->RowPanelTabsLeftToRight()) {
    TColumnEx* best = nullptr;
    for (int i = 0; i < Count(); ++i) {
      TColumnEx* c = ColumnAt(i);
      if (!c->Visible() || !c->IsTabStop()) continue;
      const TColumnExInRowPanelPlacement& p = c->RowPlacement();
      if (!best || p.Top > best->RowPlacement().Top ||
          (p.Top == best->RowPlacement().Top && p.Left > best->RowPlacement().Left))
        best = c;
    }
    return best;
  }
  for (int i = Count() - 1; i >= 0; --i)
    if (ColumnAt(i)->Visible() && ColumnAt(i)->IsTabStop()) return ColumnAt(i);
  return nullptr;
}

void TDBGridColumnsEx::FreeDefaultColumnsAfterStored() {
  // A stored column after a default one: the default ones go.
  bool sawDefault = false, mixed = false;
  for (int i = 0; i < Count() && !mixed; ++i) {
    if (!ColumnAt(i)->Stored())
      sawDefault = true;
    else if (sawDefault)
      mixed = true;
  }
  if (mixed)
    for (int i = Count() - 1; i >= 0; --i)
      if (!ColumnAt(i)->Stored()) delete ColumnAt(i);
}

void TDBGridColumnsEx::SyncWithFieldMap() {
  TGridDataLinkEx* link = FGrid->DataLink();
  FreeDefaultColumnsAfterStored();
  if (State() == csCustomized) {
    ActiveChanged();
    return;
  }
  db::TDataSet* ds = link->DataSet();
  bool defaultFields = !ds || link->DefaultFields();
  if (link->Active() || !defaultFields) {
    for (int i = Count() - 1; i >= 0; --i) {
      TColumnEx* column = ColumnAt(i);
      db::TField* f = column->Field();
      bool mapped = false;
      for (int j = 0; j < link->FieldCount() && f && !mapped; ++j) mapped = link->FieldForColumn(j) == f;
      if (!mapped) delete column;
    }
  } else {
    Clear();
  }
  int positions = link->FieldCount();
  if (positions == 0 && Count() == 0) positions = 1;
  for (int j = 0; j < positions; ++j) {
    db::TField* f = link->FieldForColumn(j);
    TColumnEx* column = nullptr;
    for (int k = j; k < Count() && f && !column; ++k)
      if (ColumnAt(k)->Field() == f) column = ColumnAt(k);
    if (!column) {
      column = AddDefaultColumn();
      if (f) column->SetField(f);
    }
    if (column->Index() != j) column->TCollectionItem::SetIndex(j);
  }
}

void TDBGridColumnsEx::Update(TCollectionItem* Item) {
  if (FMaking > 0) return;
  HandleItemChanged(static_cast<TColumnEx*>(Item));
}

void TDBGridColumnsEx::HandleItemChanged(TColumnEx* Column) {
  if (!FGrid || FGrid->IsLoading() || FGrid->IsDestroying()) return;
  if (Column) {
    int c = FGrid->DataColToGridCol(Column->Index());
    if (c < FGrid->ColCount()) FGrid->RepaintColumn(c);
    bool lastVisible = !FGrid->VisibleColumns().empty() && FGrid->VisibleColumns().front() == Column;
    int extra = lastVisible ? FGrid->ExtraFirstColumnWidth() : 0;
    if (!FGrid->AutoFitColWidths() || FGrid->ComponentState().Contains(csDesigning)) {
      if (c < FGrid->ColCount()) {
        if (Column->FullWidth() == FGrid->ColWidths(c)) {
          if (FGrid->IsUseMultiTitle()) FGrid->RelayoutGrid();
        } else {
          int width = Column->Visible() ? Column->Width() : (FGrid->Options().Contains(dgColLines) ? -1 : 0);
          FGrid->SetColWidths(c, width + extra);
        }
      }
    } else if (c < FGrid->ColCount() && FGrid->ColWidths(c) != -1) {
      int gridWidth = FGrid->ColWidths(c) - extra;
      // Nothing to scale from: the widths stay as they are.
      if (gridWidth != 0 && Column->FInitWidth != 0) {
        int oldInit = Column->FInitWidth;
        int newInit = static_cast<int>(static_cast<long long>(oldInit) * Column->Width() / gridWidth);
        Column->FInitWidth = newInit;
        if (c < FGrid->ColCount() - 1 && Column->Index() + 1 < Count()) {
          TColumnEx* next = ColumnAt(Column->Index() + 1);
          next->FInitWidth = std::max(0, next->FInitWidth + oldInit - newInit);
        }
      }
      FGrid->RelayoutGrid();
    }
  } else {
    FGrid->SetSortMarkedColumns();
    FGrid->RelayoutGrid();
  }
  // A layout under way rebuilds the visible list and fixes the selection itself.
  if (FGrid->LayoutLock() > 0) return;
  const auto& visible = FGrid->VisibleColumns();
  int selected = FGrid->SelectedIndex();
  bool beyond = selected >= Count();
  bool hidden = selected >= 0 && selected < Count() && !ColumnAt(selected)->Visible() && Count() > 0 &&
                !visible.empty();
  if ((beyond || hidden) && !visible.empty()) FGrid->SetSelectedIndex(visible.front()->Index());
  FGrid->RefreshEditorPlacement();
}

}  // namespace grid
