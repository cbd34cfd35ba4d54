#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/selection/bookmark_list_ex.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/columns/transfer/transfer_internal.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/grid_data_link_ex.h"
#include "platform/runtime/codepage.h"

namespace grid::transfer_detail {

db::TDataSet* GridDataSet(TCustomDBGridEx* Grid) {
  if (!Grid || !Grid->DataSource()) return nullptr;
  return Grid->DataSource()->DataSet();
}

TDBGridExSelectionType SelectionTypeOf(TCustomDBGridEx* Grid) {
  return Grid && Grid->Selection() ? Grid->Selection()->SelectionType() : gstNon;
}

std::vector<db::TBookmark> SelectedRows(TCustomDBGridEx* Grid) {
  std::vector<db::TBookmark> rows;
  if (TBookmarkListEx* list = Grid ? Grid->Bookmarks() : nullptr)
    for (int i = 0; i < list->Count(); ++i) rows.push_back(list->ItemAt(i));
  return rows;
}

TSelectedRect SelectedRect(TCustomDBGridEx* Grid) {
  TSelectedRect r;
  if (SelectionTypeOf(Grid) != gstRectangle) return r;
  TDBGridExSelectionRect* rect = Grid->Selection()->Rect();
  r.TopRow = rect->TopRow();
  r.BottomRow = rect->BottomRow();
  r.LeftCol = rect->LeftCol();
  r.RightCol = rect->RightCol();
  return r;
}

std::vector<TColumnEx*> SelectedColumns(TCustomDBGridEx* Grid) {
  std::vector<TColumnEx*> out;
  if (!Grid || !Grid->Selection()) return out;
  TDBGridExSelectionCols* cols = Grid->Selection()->Columns();
  for (int i = 0; i < cols->Count(); ++i) out.push_back(cols->Items(i));
  return out;
}

void ClearSelection(TCustomDBGridEx* Grid) {
  if (Grid && Grid->Selection()) Grid->Selection()->Clear();
}

std::vector<TColumnEx*> VisibleColumnsBetween(TCustomDBGridEx* Grid, int From, int To) {
  std::vector<TColumnEx*> out;
  TDBGridColumnsEx* columns = Grid->Columns();
  const int last = std::min(To, columns->Count() - 1);
  for (int i = std::max(From, 0); i <= last; ++i)
    if (columns->ColumnAt(i)->Visible()) out.push_back(columns->ColumnAt(i));
  return out;
}

TSavedPosition SavePosition(TCustomDBGridEx* Grid) {
  TSavedPosition saved;
  db::TDataSet* ds = GridDataSet(Grid);
  if (!ds || !ds->Active() || ds->IsEmpty() || ds->State() == db::dsInsert) return saved;
  if (ds->State() == db::dsBrowse && Grid->DataLink()->Active()) {
    // The grid keeps which records fill its window as well as the current one.
    Grid->SaveBookmark();
    saved.ByGrid = true;
    saved.Saved = true;
    return saved;
  }
  // Moving the window to measure it would post the record being edited.
  saved.Bookmark = ds->GetBookmark();
  saved.Saved = !saved.Bookmark.empty();
  return saved;
}

void RestorePosition(TCustomDBGridEx* Grid, const TSavedPosition& Saved) {
  db::TDataSet* ds = GridDataSet(Grid);
  if (!Saved.Saved || !ds || !ds->Active()) return;
  if (Saved.ByGrid) {
    Grid->RestoreBookmark();
    return;
  }
  if (ds->BookmarkValid(Saved.Bookmark)) ds->GotoBookmark(Saved.Bookmark);
}

std::string ToAnsi(std::u16string_view Text) {
  bool ascii = true;
  for (char16_t c : Text)
    if (c >= 0x80) {
      ascii = false;
      break;
    }
  if (!ascii) return rtl::EncodeText(Text, rtl::CP_ACP);
  std::string out(Text.size(), '\0');
  for (std::size_t i = 0; i < Text.size(); ++i) out[i] = static_cast<char>(Text[i]);
  return out;
}

void WriteAnsi(rtl::TStream& Stream, std::u16string_view Text) {
  if (Text.empty()) return;
  const std::string bytes = ToAnsi(Text);
  Stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void WriteWide(rtl::TStream& Stream, std::u16string_view Text) {
  if (Text.empty()) return;
  std::string bytes(Text.size() * 2, '\0');
  for (std::size_t i = 0; i < Text.size(); ++i) {
    bytes[2 * i] = static_cast<char>(Text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(Text[i] >> 8);
  }
  Stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

}  // namespace grid::transfer_detail
