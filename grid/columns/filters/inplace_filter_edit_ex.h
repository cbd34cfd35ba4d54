// The editor of the grid's filter row: a drop-down combo placed over the
// filter cell of the column being filtered. Its list holds the filter's
// command and value items, which keep it open while they run.
#pragma once

#include "grid/editors/db_combo_box_ex.h"

namespace grid {

class TColumnEx;
class TCustomDBGridEx;

class TInplaceFilterEditEx : public TDBComboBoxEx {
 public:
  explicit TInplaceFilterEditEx(ui::TComponent* AOwner);

  TColumnEx* Column() const { return FColumn; }
  void SetColumn(TColumnEx* Value) { FColumn = Value; }
  TCustomDBGridEx* Grid() const { return FGrid; }
  void SetGrid(TCustomDBGridEx* Value) { FGrid = Value; }

  void SelectAll();
  void CloseUp(bool Accept) override;
  // The combo hands its list only the texts; the filter's lines need their item objects too.
  void DropDown() override;
  static void AssignEditValueAndText(TInplaceFilterEditEx* Editor, const rtl::Variant& Value,
                                     const String& Text);

 protected:
  void TextAreaRect(ui::TRect& Rect) const override;

 private:
  TColumnEx* FColumn = nullptr;
  TCustomDBGridEx* FGrid = nullptr;
};

}  // namespace grid
