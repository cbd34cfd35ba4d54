// The ordered columns of a data grid: designed by the user (customized,
// stored with the layout) or made by the grid from the dataset's visible
// fields (default, never stored).
#pragma once

#include <vector>

#include "grid/columns/columns/column_ex.h"
#include "platform/runtime/streams.h"

namespace grid {

enum TDBGridColumnsState { csDefault, csCustomized };
enum TFooterValueType : int;

class TDBGridColumnsEx : public ui::TCollection {
  JQ_UI_CLASSINFO
 public:
  using TColumnFactory = std::function<TColumnEx*(ui::TCollection*)>;
  TDBGridColumnsEx(TCustomDBGridEx* Grid, TColumnFactory ColumnClass);
  ~TDBGridColumnsEx() override;

  TCustomDBGridEx* Grid() const { return FGrid; }
  TColumnEx* Add();
  TColumnEx* AddDefaultColumn();
  TColumnEx* ColumnAt(int Index) const;
  TColumnEx* operator[](int Index) const { return ColumnAt(Index); }
  TDBGridColumnsState State() const;
  void SetState(TDBGridColumnsState Value);
  TColumnEx* UpDownBaseColumn() const { return FUpDownBaseColumn; }
  void SetUpDownBaseColumn(TColumnEx* Value) { FUpDownBaseColumn = Value; }

  void AddAllColumns(bool DeleteExisting);
  void RebuildColumns() { AddAllColumns(true); }
  void RestoreDefaults();
  void ActiveChanged();
  void Assign(const ui::TPersistent* Source) override;
  bool ExistFooterValueType(TFooterValueType AFooterValueType) const;
  TColumnEx* FindColumnByName(const String& ColumnName) const;
  void GetColumnNames(ui::TStrings* List) const;

  // The column set in the binary layout form, as a TColumnsWrapper.
  // Loading reads into a fresh collection and copies it over only when the
  // whole stream read: a damaged stream raises rtl::EReadError and leaves
  // the columns as they were. References to components (image lists,
  // menus) are stored as "Owner.Name" and found again among the
  // components of the grid's owners.
  void SaveToStream(rtl::TStream& Stream);
  void SaveToFile(const String& FileName);
  void LoadFromStream(rtl::TStream& Stream);
  void LoadFromFile(const String& FileName);

  // Keyboard navigation: collection order, or placements in a row panel.
  TColumnEx* GetNextTabColumn(TColumnEx* ForColumn, bool GoForward) const;
  TColumnEx* GetNextHorzColumn(TColumnEx* ForColumn, bool GoForward, bool TabStopsOnly, bool Wrap) const;
  TColumnEx* GetNextVertColumn(TColumnEx* ForColumn, bool GoForward) const;
  TColumnEx* GetTopColumn(TColumnEx* ForColumn) const;
  TColumnEx* GetBottomColumn(TColumnEx* ForColumn) const;
  // Row panels: every column's placement and the master cell size.
  void RelayoutCellsInRowPanel();
  // Rescales the widths from a master width of Divisor to Denominator.
  void ScaleWidths(int Divisor, int Denominator);
  TColumnEx* GetFirstTabColumn() const;
  TColumnEx* GetLastTabColumn() const;

  void HandleItemChanged(TColumnEx* Column);
  // The grid's layout: default columns follow the data link's field map
  // (kept objects, the field order); customized columns drop their fields.
  void SyncWithFieldMap();
  // Default columns mixed with stored ones (a stored one after a default
  // one) go, leaving the customized ones.
  void FreeDefaultColumnsAfterStored();

 protected:
  void Update(ui::TCollectionItem* Item) override;

 private:
  friend class TColumnEx;
  TCustomDBGridEx* FGrid;
  TColumnFactory FColumnClass;
  TColumnEx* FUpDownBaseColumn = nullptr;
  int FMaking = 0;
};

// Carries a column set through the component writer and reader; the
// columns stay the caller's.
class TColumnsWrapper : public ui::TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TColumnsWrapper(ui::TComponent* AOwner) : ui::TComponent(AOwner) {}
  TDBGridColumnsEx* Columns() const { return FColumns; }
  void SetColumns(TDBGridColumnsEx* Value) { FColumns = Value; }

 private:
  TDBGridColumnsEx* FColumns = nullptr;
};

}  // namespace grid
