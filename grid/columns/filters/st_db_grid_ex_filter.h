// The settings of a data grid's filter row as a whole: shown or not, under
// the titles or as buttons inside them, applied at once or on request.
#pragma once

#include "platform/classes/classes.h"

namespace grid {

class TCustomDBGridEx;

enum TSTFilterLocationEx { stflUnderTitleFilterEx, stflInTitleFilterEx };

class TSTDBGridExFilter : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TSTDBGridExFilter(TCustomDBGridEx* AGrid) : FGrid(AGrid) {}

  TCustomDBGridEx* Grid() const { return FGrid; }
  // Follows Local until it is written once.
  bool InstantApply() const { return FIsInstantApplyStored ? FInstantApply : FLocal; }
  void SetInstantApply(bool Value);
  bool IsInstantApplyStored() const { return FIsInstantApplyStored; }
  bool Local() const { return FLocal; }
  void SetLocal(bool Value) { FLocal = Value; }
  TSTFilterLocationEx Location() const { return FLocation; }
  void SetLocation(TSTFilterLocationEx Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // While above 0 the grid leaves the filter editor where it is.
  int UpdateCount() const { return FUpateCount; }
  void BeginUpdate() { ++FUpateCount; }
  void EndUpdate() { --FUpateCount; }

  void Assign(const ui::TPersistent* Source) override;

 private:
  TCustomDBGridEx* FGrid;
  bool FLocal = false;
  int FUpateCount = 0;
  bool FVisible = false;
  bool FIsInstantApplyStored = false;
  bool FInstantApply = false;
  TSTFilterLocationEx FLocation = stflUnderTitleFilterEx;
};

}  // namespace grid
