// What the grid does for a form designer and for layout streams: its row
// detail control travels with it, the designer's hit test, and the news of
// a changed data source for the controls inside the grid.
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/grouping/row_detail_panel_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/grid_data_link_ex.h"
#include "platform/classes/component_stream.h"

namespace grid {

using namespace ui;

// Only the detail control: the grid makes everything else it holds itself.
void TCustomDBGridEx::GetChildren(const TGetChildProc& Proc, TComponent*) {
  if (FRowDetailControl) Proc(FRowDetailControl);
}

void TCustomDBGridEx::LoadFromReader(TReader& Reader) {
  const auto oldCreate = Reader.OnCreateComponent;
  const auto oldAncestor = Reader.OnAncestorNotFound;
  // The grid made its detail control in its constructor; a stored one must
  // fill that control, not sit beside it as a second one.
  Reader.OnCreateComponent = [this, oldCreate](const TClassInfo& ComponentClass) -> TComponent* {
    if (TComponent* own = ReaderCreateComponent(ComponentClass)) return own;
    return oldCreate ? oldCreate(ComponentClass) : nullptr;
  };
  Reader.OnAncestorNotFound = [this, &Reader, oldAncestor](const std::string& Name,
                                                           const TClassInfo& ComponentClass) -> TComponent* {
    if (TComponent* own = ReaderAncestorNotFound(Reader, Name)) return own;
    return oldAncestor ? oldAncestor(Name, ComponentClass) : nullptr;
  };
  auto restore = [&] {
    Reader.OnCreateComponent = oldCreate;
    Reader.OnAncestorNotFound = oldAncestor;
  };
  try {
    TCustomGridEx::LoadFromReader(Reader);
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

TComponent* TCustomDBGridEx::ReaderCreateComponent(const TClassInfo& ComponentClass) {
  if (ComponentClass.InheritsFrom(TRowDetailPanelControlEx::StaticClassInfo())) return FRowDetailControl;
  return nullptr;
}

TComponent* TCustomDBGridEx::ReaderAncestorNotFound(TReader& Reader, const std::string& Name) {
  if (Reader.Root() && rtl::SameText(rtl::Utf8ToString(Name), u"RowDetailData")) return FRowDetailControl;
  return nullptr;
}

// The designer lets the grid have the mouse wherever a press starts one of
// the grid's own modes: sizing, a frozen column's border, a row-panel title
// and the grouping panel.
void TCustomDBGridEx::HandleDesignHitTest(TMessage& M) {
  TCustomGridEx::Dispatch(M);
  const int x = XPos(M.LParam);
  const int y = YPos(M.LParam);
  if (M.Result == 0) {
    int index = -1, pos = 0, ofs = 0;
    M.Result = DetectFrozenColSizing(x, y, index, pos, ofs) || FDBGridExState != dgsNormal ? 1 : 0;
  }
  const bool customized = FColumns->State() == csCustomized;
  // Columns made from default fields come and go with the dataset: the
  // designer keeps the mouse, as there is nothing there to size or keep.
  if (M.Result != 0 && !customized && FDataLink->DefaultFields()) M.Result = 0;
  if (M.Result == 0 && RowPanelActive() && customized) {
    const TGridCoord cell = MouseCoord(x, y);
    if (cell.X >= FIndicatorOffset && cell.X < ColCount() && cell.Y >= 0 && cell.Y < TitleRowCount())
      M.Result = 1;
  }
  if ((M.WParam & MK_LBUTTON) != 0 && y >= 0 && y < OutBoundaryData()->TopIndent()) M.Result = 1;
}

// The controls inside the grid (the detail panel's, above all) may show
// something of the data source in the designer.
void TCustomDBGridEx::BroadcastDesignChange() {
  if (!Designing() || IsLoading()) return;
  const auto self = reinterpret_cast<LPARAM>(static_cast<TComponent*>(this));
  for (int i = 0; i < ControlCount(); ++i)
    if (Controls(i)->Perform(CM_CHANGED, 0, self) != 0) break;
}

}  // namespace grid
