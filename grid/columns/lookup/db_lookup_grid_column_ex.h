// The lookup grid's columns: each with the look of its cell in the special
// row, and moving a default column re-orders the list fields instead of the
// dataset's fields.
#pragma once

#include <memory>

#include "grid/columns/columns/column_def_values_ex.h"
#include "grid/columns/columns/column_ex.h"

namespace grid {

class TDBLookupGridEx;
class TDBLookupGridColumnEx;

// One column's cell in the special row. What is not assigned comes from the
// grid's special row (the text of the column's cell, its colour and font).
class TGridColumnSpecCellEx : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TGridColumnSpecCellEx(TDBLookupGridColumnEx* Owner);
  ~TGridColumnSpecCellEx() override;

  String Text() const;
  void SetText(const String& Value);
  TColor Color() const;
  void SetColor(TColor Value);
  ui::TFont* Font() const;
  void SetFont(const ui::TFont* Value) { FFont->Assign(Value); }
  bool TextAssigned() const { return FTextAssigned; }
  bool ColorAssigned() const { return FColorAssigned; }
  bool FontAssigned() const { return FFontAssigned; }

  void Assign(const ui::TPersistent* Source) override;
  ui::TPersistent* GetOwner() const override;

 private:
  TDBLookupGridEx* LookupGrid() const;
  TDBLookupGridColumnEx* FOwner;
  std::unique_ptr<ui::TFont> FFont;
  TColor FColor = ui::clWindow;
  String FText;
  bool FColorAssigned = false;
  bool FFontAssigned = false;
  bool FTextAssigned = false;
  mutable bool FCopyingFont = false;
};

class TDBLookupGridColumnEx : public TColumnEx {
  JQ_UI_CLASSINFO
 public:
  explicit TDBLookupGridColumnEx(ui::TCollection* Collection);
  ~TDBLookupGridColumnEx() override;

  TDBLookupGridEx* LookupGrid() const;
  TGridColumnSpecCellEx* SpecCell() const { return FSpecCell.get(); }
  void SetSpecCell(const TGridColumnSpecCellEx* Value) { FSpecCell->Assign(Value); }

  void SetIndex(int Value) override;
  void WriteWidth(int Value) override;

 private:
  ui::TFont* PublishedFont() const { return Font(); }
  TColumnTitleEx* PublishedTitle() const { return Title(); }
  ui::TStrings* PublishedKeyList() const { return KeyList(); }
  ui::TStrings* PublishedPickList() const { return PickList(); }
  // Moves the special row's cell text from one column place to another.
  void MoveSpecRowCell(int From, int To);
  std::unique_ptr<TGridColumnSpecCellEx> FSpecCell;
};

class TDBLookupGridColumnDefValuesEx : public TColumnDefValuesEx {
  JQ_UI_CLASSINFO
 public:
  using TColumnDefValuesEx::TColumnDefValuesEx;

 private:
  TColumnTitleDefValuesEx* PublishedTitle() const { return Title(); }
};

}  // namespace grid
