// Footer rows: the text each column's footer shows (an aggregate from the
// sum list, the current record's value or a fixed text), the painting of a
// footer cell and its default drawing for drawing handlers, and the footer's
// font and colour.
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/sums/column_footer_ex.h"
#include "grid/columns/sums/db_grid_ex_sum_list.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/grid_core_internal.h"
#include "grid/core/grid_data_link_ex.h"
#include "platform/data/dataset.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/format_settings.h"
#include "platform/ui/themes.h"

namespace grid {

using namespace ui;

namespace {

using rtl::TFloatFormat;

bool IsIntegerType(db::TFieldType T) {
  return T == db::ftSmallint || T == db::ftInteger || T == db::ftWord || T == db::ftAutoInc || T == db::ftLargeint;
}

// A field's value as the footer shows it: its display text unless a format is given.
String FormatFieldValue(db::TField* Field, const String& Format) {
  if (Field->IsNull()) return String();
  if (Format.empty()) return Field->DisplayText();
  switch (Field->DataType()) {
    case db::ftSmallint: case db::ftInteger: case db::ftWord: case db::ftAutoInc: case db::ftLargeint:
    case db::ftFloat: case db::ftCurrency: case db::ftBCD: case db::ftFMTBcd:
      return rtl::FormatFloat(Format, Field->AsFloat());
    default:
      return Field->DisplayText();
  }
}

bool FieldCurrency(db::TField* Field) {
  if (auto* f = dynamic_cast<db::TFloatField*>(Field)) return f->Currency();
  return false;
}

int FieldPrecision(db::TField* Field) {
  if (auto* f = dynamic_cast<db::TFloatField*>(Field)) return f->Precision();
  return 15;
}

// An aggregate of a field formatted by the field's type.
String FormatAggregate(double V, db::TField* Field, const String& FooterFormat) {
  const db::TFieldType type = Field->DataType();
  const int decimals = FieldCurrency(Field) ? rtl::FormatSettings().CurrencyDecimals : 0;
  const TFloatFormat form = FieldCurrency(Field) ? TFloatFormat::ffCurrency : TFloatFormat::ffGeneral;
  if (IsIntegerType(type)) {
    if (!FooterFormat.empty()) return rtl::FormatFloat(FooterFormat, V);
    if (!Field->DisplayFormat().empty()) return rtl::FormatFloat(Field->DisplayFormat(), V);
    return rtl::IntToStr(rtl::Round(V));
  }
  if (type == db::ftFloat || type == db::ftCurrency) {
    if (!FooterFormat.empty()) return rtl::FormatFloat(FooterFormat, V);
    if (!Field->DisplayFormat().empty()) return rtl::FormatFloat(Field->DisplayFormat(), V);
    return rtl::FloatToStrF(V, form, FieldPrecision(Field), decimals);
  }
  if (type == db::ftBCD || type == db::ftFMTBcd) {
    if (!FooterFormat.empty()) return rtl::FormatFloat(FooterFormat, V);
    if (!Field->DisplayFormat().empty()) return rtl::FormatFloat(Field->DisplayFormat(), V);
    return rtl::FloatToStrF(V, form, 19, decimals);
  }
  return u"0";
}

}  // namespace

String TCustomDBGridEx::GetFooterValue(int Row, TColumnEx* Column) {
  TColumnFooterEx* footer = Column->UsedFooter(Row);
  db::TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
  switch (footer->ValueType()) {
    case fvtSum:
    case fvtAvg: {
      if (!ds) return u"0";
      const String name = footer->FieldName().empty() ? Column->FieldName() : footer->FieldName();
      db::TField* field = ds->FindField(name);
      if (!field) return u"0";
      TDBSum* sum = FSumList->SumCollection()->GetSumByOpAndFName(footer->ValueType() == fvtSum ? goSum : goAvg, name);
      // The footer's value type makes its sum item; one that is missing shows as nothing summed.
      if (!sum) return u"0";
      return FormatAggregate(static_cast<double>(sum->SumValue) / 10000.0, field, footer->DisplayFormat());
    }
    case fvtCount: {
      TDBSum* sum = FSumList->SumCollection()->GetSumByOpAndFName(goCount, String());
      const double count = sum ? static_cast<double>(sum->SumValue) / 10000.0 : 0.0;
      if (!footer->DisplayFormat().empty()) return rtl::FormatFloat(footer->DisplayFormat(), count);
      return rtl::FloatToStrF(count, TFloatFormat::ffGeneral, 15, 0);
    }
    case fvtFieldValue: {
      if (!ds || !ds->Active() || footer->FieldName().empty()) return String();
      // A name the dataset lacks shows nothing rather than failing every paint.
      db::TField* field = ds->FindField(footer->FieldName());
      return field ? FormatFieldValue(field, footer->DisplayFormat()) : String();
    }
    case fvtStaticText:
      return footer->Value();
    default:
      return String();
  }
}

void TCustomDBGridEx::DefaultDrawFooterCell(const TRect& Rect, int DataCol, int Row, TColumnEx* Column,
                                            TGridDrawState State) {
  TRect r = Rect;
  int margin = 2;
  if (FOptionsEx.Contains(dghFooter3D)) {
    margin = 1;
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
  const int vMargin = Flat() ? margin - 1 : margin;
  String text = GetFooterValue(Row, Column);
  TColor background = Canvas()->Brush()->Color();
  TAlignment alignment = Column->Footer()->Alignment();
  GetFooterParams(DataCol, Row, Column, Font(), background, alignment, State, text);
  Canvas()->Brush()->SetColor(background);
  WriteCellText(r, true, margin, vMargin, text, alignment, Column->Layout(),
                Column->Footer()->WordWrap() && FAllowWordWrap, Column->Footer()->EndEllipsis(), 0, 0, false);
}

void TCustomDBGridEx::DrawFooterCell(int ACol, int ARow, TCellAreaTypeEx AreaType, TGridDrawState State,
                                     TRect ARect, int FooterIndex, int DataCol) {
  if (DataCol < 0 || DataCol >= FColumns->Count()) return;
  TCanvas* cv = Canvas();
  TColumnEx* column = FColumns->ColumnAt(DataCol);
  TColumnFooterEx* footer = column->UsedFooter(FooterIndex);
  cv->SetFont(footer->Font());
  cv->Brush()->SetColor(footer->Color());
  const bool is3D = IsCell3D(ACol, ARow, State, ARect);
  const bool themed = UsesThemedFixedCell(is3D);
  const TRect rect = core_detail::Adjust3DRect(ARect, is3D, themed, Flat());
  const int dx = is3D ? (themed ? 3 : 1) : 2;
  const int dy = Flat() ? dx - 1 : dx;
  TColor background = cv->Brush()->Color();
  TAlignment alignment = footer->Alignment();
  String text = GetFooterValue(FooterIndex, column);
  GetFooterParams(DataCol, FooterIndex, column, cv->Font(), background, alignment, State, text);
  const bool inSelection = IsCellSelected(ACol, ARow, DataCol);
  const bool highlighted = HighlightNonDataCellColor(ACol, ARow, cv->Font(), background, inSelection, State,
                                                     AreaType, FooterIndex, DataCol);
  cv->Brush()->SetColor(background);
  if (FDefaultDrawing) {
    const bool themedBackground = is3D && (themed || (Flat() && ThemesEnabled()));
    if (themedBackground) {
      DrawThemedCellBackground(rect, background, highlighted);
      cv->Brush()->SetColor(background);
    }
    WriteCellText(rect, !themedBackground, dx, dy, text, alignment, column->Layout(),
                  footer->WordWrap() && FAllowWordWrap, footer->EndEllipsis(), 0, 0, false);
  }
  if (is3D && !themed) {
    cv->Brush()->SetColor(background);
    Draw3DCellEdge(cv, ARect, true, true, highlighted, false);
  }
  if (OnDrawFooterCell) OnDrawFooterCell(this, DataCol, FooterIndex, column, ARect, State);
}

void TCustomDBGridEx::InvalidateFooter() {
  for (int i = 0; i < FFooterRowCount; ++i) {
    const int row = FullRowCount() - 1 - i;
    if (row >= 0) RepaintGridRow(this, row);
  }
}

void TCustomDBGridEx::InvalidateTitle() {
  for (int row = 0; row < TopDataOffset() && row < RowCount(); ++row) RepaintGridRow(this, row);
}

void TCustomDBGridEx::SetFooterFont(TFont* Value) {
  FFooterFont->Assign(Value);
  if (FFooterRowCount > 0) LayoutChanged();
}

void TCustomDBGridEx::FooterFontChanged() {
  if (!FSelfChangingFooterFont && !IsLoading()) SetParentFont(false);
  if (FFooterRowCount > 0) LayoutChanged();
}

void TCustomDBGridEx::SetFooterColor(TColor Value) {
  if (!IsLoading()) SetParentColor(false);
  FFooterColor = Value;
  if (FFooterRowCount > 0) Invalidate();
}

}  // namespace grid
