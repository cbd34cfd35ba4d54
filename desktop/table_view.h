// A read-only table of the auto-run window over a dataset: column titles
// over a list of rows, the dataset's current row selected. The columns are
// the dataset's visible fields; a click moves the dataset to the row.
#pragma once

#include <memory>
#include <vector>

#include "platform/data/data_source.h"
#include "platform/ui/list_box.h"
#include "platform/ui/ui.h"

namespace desktop {

class TTableView : public ui::TPanel {
  JQ_UI_CLASSINFO
 public:
  explicit TTableView(ui::TComponent* AOwner);
  ~TTableView() override;

  db::TDataSource* DataSource() const;
  void SetDataSource(db::TDataSource* Value);

  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  const rtl::String& ColumnTitle(int Index) const { return columns_[static_cast<std::size_t>(Index)].Title; }
  int ColumnWidth(int Index) const { return columns_[static_cast<std::size_t>(Index)].Width; }

  int RowCount() const;
  // The selected row (-1: none).
  int Selected() const;
  // The row the user picked, as a click would.
  void SelectRow(int Row);
  // What a cell shows: its field's display text in that row.
  rtl::String CellText(int Row, int Col);

  ui::TListBox* Rows() const { return list_; }

 protected:
  void EnabledChanged() override;

 private:
  class TLink;
  struct TColumn {
    rtl::String Field;
    rtl::String Title;
    int Width;
    ui::TLabel* Label;
  };
  void BuildColumns();
  // Row count and selection from the dataset.
  void Sync();
  // The display texts of a row's columns (empty outside the table).
  std::vector<rtl::String> RowTexts(int Row);
  void DrawRow(int Index, ui::TRect Rect, ui::TOwnerDrawState State);
  std::vector<TColumn> columns_;
  ui::TPanel* header_;
  ui::TListBox* list_;
  std::unique_ptr<TLink> link_;
  // Set while cells are read: the dataset's cursor visits the row and comes
  // back, which must not look like a change to this view.
  bool reading_ = false;
};

}  // namespace desktop
