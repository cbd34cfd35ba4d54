// A read-only table of the auto-run window: column titles over a list of
// rows, one row selected. What the cells show comes from OnCellText, so the
// rows stay where the window keeps them.
#pragma once

#include <functional>
#include <vector>

#include "list_box.h"
#include "ui.h"

namespace desktop {

class TTableView : public ui::TPanel {
  JQ_UI_CLASSINFO
 public:
  explicit TTableView(ui::TComponent* AOwner);
  ~TTableView() override;

  void AddColumn(const rtl::String& Title, int Width);
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  const rtl::String& ColumnTitle(int Index) const { return columns_[static_cast<std::size_t>(Index)].Title; }

  // How many rows and which one is selected (-1: none). Both repaint.
  void SetRows(int Count, int Selected);
  int RowCount() const;
  int Selected() const;
  // The row the user picked, as a click would.
  void SelectRow(int Row);

  // Text of a cell.
  std::function<rtl::String(int Row, int Col)> OnCellText;
  // The user selected a row.
  std::function<void(int Row)> OnSelect;

  ui::TListBox* Rows() const { return list_; }

 protected:
  void EnabledChanged() override;

 private:
  struct TColumn {
    rtl::String Title;
    int Width;
    ui::TLabel* Label;
  };
  void DrawRow(int Index, ui::TRect Rect, ui::TOwnerDrawState State);
  std::vector<TColumn> columns_;
  ui::TPanel* header_;
  ui::TListBox* list_;
};

}  // namespace desktop
