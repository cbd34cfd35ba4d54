#include "grid/columns/lookup/db_lookup_grid_column_ex.h"

#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/lookup/db_lookup_grid_ex.h"
#include "grid/columns/lookup/lookup_internal.h"
#include "platform/classes/typinfo.h"

namespace grid {

using namespace ui;

// --- the special-row cell ---------------------------------------------------------

const TClassInfo& TGridColumnSpecCellEx::StaticClassInfo() {
  using S = TGridColumnSpecCellEx;
  static const TClassInfo info = TClassBuilder<S>("TGridColumnSpecCellEx", &TPersistent::StaticClassInfo())
                                     .Str("Text", &S::Text, &S::SetText)
                                     .StoredWhen(&S::TextAssigned)
                                     .Integer("Color", &S::Color, &S::SetColor)
                                     .StoredWhen(&S::ColorAssigned)
                                     .Object("Font", "TFont", &S::Font, &S::SetFont)
                                     .StoredWhen(&S::FontAssigned)
                                     .Unit("DBLookupGridsEx")
                                     .Build();
  return info;
}

TGridColumnSpecCellEx::TGridColumnSpecCellEx(TDBLookupGridColumnEx* Owner)
    : FOwner(Owner), FFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this](TObject*) {
    if (!FCopyingFont) FFontAssigned = true;
  };
}

TGridColumnSpecCellEx::~TGridColumnSpecCellEx() { FFont->OnChange = nullptr; }

TPersistent* TGridColumnSpecCellEx::GetOwner() const { return FOwner; }

TDBLookupGridEx* TGridColumnSpecCellEx::LookupGrid() const { return FOwner ? FOwner->LookupGrid() : nullptr; }

String TGridColumnSpecCellEx::Text() const {
  if (FTextAssigned) return FText;
  if (TDBLookupGridEx* g = LookupGrid()) return g->SpecRow()->CellTextAt(FOwner->Index());
  return FText;
}

void TGridColumnSpecCellEx::SetText(const String& Value) {
  if (FTextAssigned && Value == FText) return;
  FText = Value;
  FTextAssigned = true;
}

TColor TGridColumnSpecCellEx::Color() const {
  if (FColorAssigned) return FColor;
  if (TDBLookupGridEx* g = LookupGrid()) return g->SpecRow()->Color();
  return FColor;
}

void TGridColumnSpecCellEx::SetColor(TColor Value) {
  if (FColorAssigned && Value == FColor) return;
  FColor = Value;
  FColorAssigned = true;
}

TFont* TGridColumnSpecCellEx::Font() const {
  if (!FFontAssigned)
    if (TDBLookupGridEx* g = LookupGrid()) {
      const TFont* rowFont = g->SpecRow()->Font();
      if (!FFont->SameAs(*rowFont)) {
        FCopyingFont = true;
        FFont->Assign(rowFont);
        FCopyingFont = false;
      }
    }
  return FFont.get();
}

void TGridColumnSpecCellEx::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TGridColumnSpecCellEx*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  SetText(src->Text());
  SetColor(src->Color());
  if (src->FontAssigned()) SetFont(src->Font());
}

// --- the column ---------------------------------------------------------------------

const TClassInfo& TDBLookupGridColumnEx::StaticClassInfo() {
  using C = TColumnEx;
  using P = TDBLookupGridColumnEx;
  static const TClassInfo info =
      TClassBuilder<P>("TDBLookupGridColumnEx", &TColumnEx::StaticClassInfo())
          .Enum("Alignment", "TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}, &C::Alignment,
                &C::SetAlignment)
          .StoredWhen(&C::IsAlignmentStored)
          .Boolean("AutoFitColWidth", &C::AutoFitColWidth, &C::SetAutoFitColWidth, 1)
          .Boolean("Checkboxes", &C::Checkboxes, &C::SetCheckboxes)
          .StoredWhen(&C::IsCheckboxesStored)
          .Integer("Color", &C::Color, &C::SetColor)
          .StoredWhen(&C::IsColorStored)
          .Boolean("EndEllipsis", &C::EndEllipsis, &C::SetEndEllipsis)
          .StoredWhen(&C::IsEndEllipsisStored)
          .Str("FieldName", &C::FieldName, &C::SetFieldName)
          .Object("Font", "TFont", &P::PublishedFont, &C::SetFont)
          .StoredWhen(&C::IsFontStored)
          .Object("ImageList", "TCustomImageList", &C::ImageList, &C::SetImageList)
          .Enum("ImeMode", "TImeMode",
                {"imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha", "imAlpha", "imHira", "imSKata",
                 "imKata", "imChinese", "imSHanguel", "imHanguel"},
                &C::ImeMode, &C::SetImeMode)
          .StoredWhen(&C::IsImeModeStored)
          .Str("ImeName", &C::ImeName, &C::SetImeName)
          .StoredWhen(&C::IsImeNameStored)
          .Object("KeyList", "TStrings", &P::PublishedKeyList, &C::SetKeyList)
          .Integer("MaxWidth", &C::MaxWidth, &C::SetMaxWidth, 0)
          .Integer("MinWidth", &C::MinWidth, &C::SetMinWidth, 0)
          .Integer("NotInKeyListIndex", &C::NotInKeyListIndex, &C::SetNotInKeyListIndex, -1)
          .Object("PickList", "TStrings", &P::PublishedPickList, &C::SetPickList)
          .Object("PopupMenu", "TPopupMenu", &C::PopupMenu, &C::SetPopupMenu)
          .Boolean("ShowImageAndText", &C::ShowImageAndText, &C::SetShowImageAndText, 0)
          .Object("SpecCell", "TGridColumnSpecCellEx", &P::SpecCell, &P::SetSpecCell)
          .Integer("Tag", &C::Tag, &C::SetTag, 0)
          .Object("Title", "TColumnTitleEx", &P::PublishedTitle, &C::SetTitle)
          .Boolean("ToolTips", &C::ToolTips, &C::SetToolTips)
          .StoredWhen(&C::IsToolTipsStored)
          .Boolean("Visible", &C::Visible, &C::SetVisible, 1)
          .Integer("Width", &C::Width, &C::SetWidth)
          .StoredWhen(&C::IsWidthStored)
          .Unit("DBLookupGridsEx")
          .Build();
  return info;
}

TDBLookupGridColumnEx::TDBLookupGridColumnEx(TCollection* Collection)
    : TColumnEx(Collection), FSpecCell(std::make_unique<TGridColumnSpecCellEx>(this)) {}

TDBLookupGridColumnEx::~TDBLookupGridColumnEx() = default;

TDBLookupGridEx* TDBLookupGridColumnEx::LookupGrid() const { return dynamic_cast<TDBLookupGridEx*>(Grid()); }

void TDBLookupGridColumnEx::MoveSpecRowCell(int From, int To) {
  TDBLookupGridEx* g = LookupGrid();
  TDBGridColumnsEx* columns = Columns();
  if (!g || !columns) return;
  std::vector<String> cells;
  for (int i = 0; i < columns->Count(); ++i) cells.push_back(g->SpecRow()->CellTextAt(i));
  if (From < 0 || From >= static_cast<int>(cells.size()) || To < 0 || To >= static_cast<int>(cells.size()))
    return;
  String moved = cells[static_cast<std::size_t>(From)];
  cells.erase(cells.begin() + From);
  cells.insert(cells.begin() + To, moved);
  g->SpecRow()->SetCellsText(lookup_detail::JoinWithSemicolons(cells));
}

void TDBLookupGridColumnEx::SetIndex(int Value) {
  TDBLookupGridEx* g = LookupGrid();
  TDBGridColumnsEx* columns = Columns();
  const int from = Index();
  if (!g || !columns || !g->ListActive() || Value == from || Value < 0 || Value >= columns->Count()) {
    TColumnEx::SetIndex(Value);
    return;
  }
  if (Stored()) {
    MoveSpecRowCell(from, Value);
    TColumnEx::SetIndex(Value);
    return;
  }
  g->LockUpdate();
  try {
    int listIndex = g->ListFieldIndex();
    if (listIndex == from)
      listIndex = Value;
    else if (from < listIndex && Value >= listIndex)
      --listIndex;
    else if (from > listIndex && Value <= listIndex)
      ++listIndex;
    g->SetListFieldIndex(listIndex);
    MoveSpecRowCell(from, Value);
    // Stored for the move, so that the dataset's own field order stays.
    MarkStoredFlag(true);
    try {
      TColumnEx::SetIndex(Value);
    } catch (...) {
      MarkStoredFlag(false);
      throw;
    }
    MarkStoredFlag(false);
    std::vector<String> names;
    for (int i = 0; i < columns->Count(); ++i) names.push_back(columns->ColumnAt(i)->FieldName());
    g->SetListField(lookup_detail::JoinWithSemicolons(names));
  } catch (...) {
    g->UnlockUpdate();
    throw;
  }
  g->UnlockUpdate();
}

void TDBLookupGridColumnEx::WriteWidth(int Value) {
  if (Stored()) {
    TColumnEx::WriteWidth(Value);
    return;
  }
  // A default column's width is the lookup list's own, not the field's display width.
  MarkStoredFlag(true);
  try {
    TColumnEx::WriteWidth(Value);
  } catch (...) {
    MarkStoredFlag(false);
    throw;
  }
  MarkStoredFlag(false);
}

// --- column defaults ------------------------------------------------------------------

const TClassInfo& TDBLookupGridColumnDefValuesEx::StaticClassInfo() {
  using C = TColumnDefValuesEx;
  using P = TDBLookupGridColumnDefValuesEx;
  static const TClassInfo info =
      TClassBuilder<P>("TDBLookupGridColumnDefValuesEx", &TColumnDefValuesEx::StaticClassInfo())
          .Boolean("EndEllipsis", &C::EndEllipsis, &C::SetEndEllipsis, 0)
          .Object("Title", "TColumnTitleDefValuesEx", &P::PublishedTitle, &C::SetTitle)
          .Boolean("ToolTips", &C::ToolTips, &C::SetToolTips, 0)
          .Unit("DBLookupGridsEx")
          .Build();
  return info;
}

}  // namespace grid
