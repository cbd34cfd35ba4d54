// The cell editor's model: edit style, loading from the grid, the buttons
// beside the text, the formatting rectangle and painting.
#include "grid/columns/columns/db_grid_inplace_edit.h"

#include <cmath>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/lookup/popup_data_grid_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editor_support/button_faces.h"
#include "grid/editor_support/tool_routines.h"
#include "grid/editors/calculator_ex.h"
#include "platform/classes/typinfo.h"
#include "platform/ui/themes.h"

namespace grid {

using namespace ui;

const TClassInfo& TDBGridInplaceEdit::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TDBGridInplaceEdit>("TDBGridInplaceEdit", &TInplaceEdit::StaticClassInfo()).Build();
  return info;
}

TDBGridInplaceEdit::TDBGridInplaceEdit(TComponent* AOwner)
    : TInplaceEdit(AOwner), FCanvas(std::make_unique<TCanvas>()) {
  FLookupSource = new db::TDataSource(this);
  FButtonsWidth = DefaultButtonWidth();
}

TDBGridInplaceEdit::~TDBGridInplaceEdit() {
  FDestroying = true;
  // The list outlives the editor: it must not keep the editor's source or handlers.
  if (FDataList) {
    FDataList->SetVisible(false);
    FDataList->SetListSource(nullptr);
    FDataList->OnMouseCloseUp = nullptr;
    FDataList->OnColumnMoved = nullptr;
    FDataList->RemoveFreeNotification(this);
  }
  FCanvas.reset();
}

TCustomDBGridEx* TDBGridInplaceEdit::DBGrid() const { return dynamic_cast<TCustomDBGridEx*>(FGrid); }

TColumnEx* TDBGridInplaceEdit::Column() const {
  TCustomDBGridEx* grid = DBGrid();
  if (!grid || !grid->Columns()) return nullptr;
  const int i = grid->SelectedIndex();
  if (i < 0 || i >= grid->Columns()->Count()) return nullptr;
  return grid->Columns()->ColumnAt(i);
}

bool TDBGridInplaceEdit::FlatGrid() const { return FGrid && FGrid->Flat(); }

int TDBGridInplaceEdit::DefaultButtonWidth() const {
  return FlatGrid() ? FlatButtonWidth : EditorSystemMetrics().VScrollWidth;
}

bool TDBGridInplaceEdit::RightToLeftColumn() const {
  TColumnEx* column = Column();
  return column && column->UseRightToLeftAlignment();
}

void TDBGridInplaceEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TInplaceEdit::Notification(AComponent, Operation);
  if (Operation != opRemove || AComponent == nullptr) return;
  if (AComponent == FDataList) {
    FDataList = nullptr;
    if (FActiveList == AComponent) {
      FActiveList = nullptr;
      FListVisible = false;
      FDroppedDown = false;
    }
    if (!FDestroying && !ComponentState().Contains(csDestroying)) SetEditStyle(esSimple);
  }
}

// --- edit style ---------------------------------------------------------------------

TEditStyle TDBGridInplaceEdit::ColumnEditStyle(TColumnEx* AColumn) const {
  if (!AColumn) return esSimple;
  TCustomDBGridEx* grid = DBGrid();
  db::TField* f = AColumn->Field();
  switch (AColumn->ButtonStyle()) {
    case cbsAuto: {
      if (f && f->FieldKind() == db::fkLookup) {
        std::vector<db::TField*> keys;
        if (!f->KeyFields().empty()) f->DataSet()->GetFieldList(keys, f->KeyFields());
        const bool keysModifiable = !keys.empty() && AllFieldsCanModify(keys);
        const bool designTime = grid && grid->Designing();
        const bool readOnlyAssigned = AColumn->AssignedValues().Contains(cvReadOnly) && AColumn->ReadOnly();
        const bool gridWritable =
            grid && !grid->ReadOnly() && grid->DataLink()->Active() && !grid->DataLink()->ReadOnly();
        if ((keysModifiable || designTime) && !readOnlyAssigned && gridWritable) return esDataList;
        return esSimple;
      }
      if (AColumn->HasPickItems() && !AColumn->ReadOnly()) return esPickList;
      if (f &&
          (f->DataType() == db::ftDate || f->DataType() == db::ftDateTime ||
           f->DataType() == db::ftTimeStamp) &&
          !AColumn->ReadOnly())
        return esDateCalendar;
      return esSimple;
    }
    case cbsEllipsis:
      return esEllipsis;
    case cbsNone:
      return esSimple;
    case cbsUpDown:
      return esUpDown;
    case cbsDropDown:
      return esDropDown;
    case cbsAltUpDown:
      return esAltUpDown;
    case cbsAltDropDown:
      if (f && (f->DataType() == db::ftDate || f->DataType() == db::ftDateTime ||
                f->DataType() == db::ftTimeStamp))
        return esAltCalendar;
      return esAltDropDown;
  }
  return esSimple;
}

void TDBGridInplaceEdit::SetEditStyle(TEditStyle Value) {
  FEditStyle = Value;
  TColumnEx* column = Column();
  FActiveList = nullptr;
  switch (Value) {
    case esPickList:
      if (!FPickList) {
        FPickList = new TPopupListboxEx(this);
        FPickList->SetVisible(false);
        FPickList->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState, int X, int Y) {
          ListMouseUp(Button, X, Y);
        };
        FPickList->OnGetImageIndex = [](TObject*, int, int&) {};
        FPickList->SetItemHeight(std::max(1, FPickList->GetTextHeight()));
        FPickList->SetCtl3D(true);
      }
      FPickList->SetImageList(column ? column->ImageList() : nullptr);
      FActiveList = FPickList;
      break;
    case esDataList:
      // Like the other popups the list stays unparented: it is the column's,
      // and a child would be freed with the editor.
      FDataList = column ? column->PopupDataList() : nullptr;
      if (FDataList) {
        FDataList->SetVisible(false);
        FDataList->SetCtl3D(true);
        FDataList->SetParentCtl3D(false);
        FDataList->OnMouseCloseUp = [this](TObject*, bool Accept) { CloseUp(Accept); };
        FDataList->FreeNotification(this);
        FActiveList = FDataList;
      }
      break;
    case esDateCalendar:
    case esAltCalendar:
      if (!FPopupMonthCalendar) {
        FPopupMonthCalendar = new TPopupMonthCalendarEx(this);
        FPopupMonthCalendar->SetVisible(false);
      }
      FActiveList = FPopupMonthCalendar;
      break;
    case esDropDown:
    case esAltDropDown:
      if (IsNumericDropDown()) FActiveList = PopupCalculator();
      break;
    default:
      break;
  }
  SetReadOnly(column && column->ReadOnly());
  Invalidate();
}

bool TDBGridInplaceEdit::IsNumericDropDown() const {
  if (FEditStyle != esDropDown && FEditStyle != esAltDropDown) return false;
  TColumnEx* column = Column();
  db::TField* f = column ? column->Field() : nullptr;
  return f && f->IsNumeric();
}

TWinControl* TDBGridInplaceEdit::PopupCalculator() {
  if (!FPopupCalculator) {
    auto* calc = new TPopupCalculatorEx(this);
    calc->SetVisible(false);
    if (HandleAllocated()) calc->HandleNeeded();
    FPopupCalculator = calc;
  }
  return FPopupCalculator;
}

void TDBGridInplaceEdit::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  // A wrapping editor is a multi-line window: its window is made anew.
  SetMultiLine(Value);
  TCustomMaskEdit::SetWordWrap(Value);
}

// --- loading ------------------------------------------------------------------------

void TDBGridInplaceEdit::LoadFromGrid() {
  TCustomDBGridEx* grid = DBGrid();
  TColumnEx* column = Column();
  if (!grid || !column) {
    TInplaceEdit::LoadFromGrid();
    return;
  }
  FButtonsWidth = FlatGrid() ? FlatButtonWidth + 1 : EditorSystemMetrics().VScrollWidth;
  SetEditStyle(ColumnEditStyle(column));
  Font()->Assign(column->Font());

  TColCellParamsEx& params = *grid->CellParams();
  column->FillColCellParams(params);
  params.SetBackground(column->Color());
  params.SetFont(Font());
  params.SetState(TGridDrawState{gdFocused});
  column->InplaceEditText();
  params.SetText(grid->EditText());
  const bool notModifiable = !column->CanModify(false);
  params.SetReadOnly(notModifiable);
  TColor background = params.Background();
  grid->GetCellParams(column, params.Font(), background, params.State());
  params.SetBackground(background);
  if (!grid->IsLoading()) column->GetColCellParams(true, params);

  SetColor(params.Background());
  FImageIndex = params.ImageIndex();
  if (params.ReadOnly() != notModifiable) {
    FReadOnlyStored = true;
    SetReadOnly(params.ReadOnly());
  } else {
    FReadOnlyStored = false;
  }
  SetWordWrap(column->WordWrap() && column->CurLineWordWrap(grid->RowHeights(grid->Row())));

  SetText(String());
  SetEditMask(column->InplaceEditMask());
  SetText(params.Text());
  SetMaxLength(grid->EditorMaxLength());
  FMRUList = column->MRUList();
}

// --- text margins and buttons ---------------------------------------------------------

void TDBGridInplaceEdit::ApplyTextMargins() {
  UpdateEditButtons();
  ActivateEditButtons();
  TRect r;
  CalcEditRect(r);
  Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
  Perform(EM_SCROLLCARET);
  if (static_cast<int>(std::nearbyint(1.5 * FButtonsWidth)) < Height())
    FButtonHeight = FButtonsWidth;
  else
    FButtonHeight = Height();
}

void TDBGridInplaceEdit::CalcEditRect(TRect& Rect) {
  Rect = FlatGrid() ? ui::Rect(2, 1, Width() - 2, Height() - 1) : ui::Rect(2, 2, Width() - 2, Height());
  TCanvas measure;
  measure.SetFont(Font());
  const int textHeight = measure.TextHeight(u"Wg");
  if (Rect.Height() < textHeight && Rect.Bottom + 1 <= Height()) Rect.Bottom += 1;
  const bool rtl = RightToLeftColumn();
  if (rtl)
    Rect.Left += FButtonsWidth;
  else
    Rect.Right -= FButtonsWidth;
  TColumnEx* column = Column();
  if (column && column->ImageList() && column->ShowImageAndText()) {
    const int room = column->ImageList()->Width() + 5;
    if (rtl)
      Rect.Right -= room;
    else
      Rect.Left += room;
  }
}

TEditButtonControlEx* TDBGridInplaceEdit::CreateEditButtonControl() { return NewEditorButtonControl(this); }

void TDBGridInplaceEdit::UpdateEditButtons() {
  TColumnEx* column = Column();
  TEditButtonsEx* extra = column ? column->EditButtons() : nullptr;
  const int n = 1 + (extra ? extra->Count() : 0);
  while (static_cast<int>(FEditButtonControlList.size()) > n) {
    FEditButtonControlList.back().EditButtonControl->SetVisible(false);
    FEditButtonControlList.back().ButtonLine->SetVisible(false);
    FEditButtonControlList.pop_back();
  }
  while (static_cast<int>(FEditButtonControlList.size()) < n) {
    TEditButtonControlLineRec rec;
    rec.EditButtonControl = CreateEditButtonControl();
    rec.ButtonLine = new TShape(this);
    rec.ButtonLine->SetParent(this);
    FEditButtonControlList.push_back(rec);
  }
  const bool flat = FlatGrid();
  const bool lines = flat && !ThemesActive();
  const int clientHeight = ClientHeight();
  std::vector<int> widths(n, 0);
  int commonHeight = clientHeight;
  for (int i = 0; i < n; ++i) {
    TEditButtonControlEx* c = FEditButtonControlList[i].EditButtonControl;
    bool visible;
    if (i == 0) {
      visible = FEditStyle != esSimple;
      switch (FEditStyle) {
        case esEllipsis:
          c->SetStyle(ebsEllipsisEx);
          break;
        case esUpDown:
          c->SetStyle(ebsUpDownEx);
          break;
        case esAltUpDown:
          c->SetStyle(ebsAltUpDownEx);
          break;
        case esAltDropDown:
        case esAltCalendar:
          c->SetStyle(ebsAltDropDownEx);
          break;
        default:
          c->SetStyle(ebsDropDownEx);
          break;
      }
      c->SetGlyph(nullptr);
      c->SetHint(String());
      c->SetVisible(visible);
      widths[i] = visible ? DefaultButtonWidth() : 0;
    } else {
      TEditButtonEx* b = extra->Items(i - 1);
      visible = b->Visible();
      c->SetVisible(visible);
      c->SetEnabled(b->Enabled());
      c->SetStyle(b->Style());
      c->SetGlyph(b->Glyph());
      c->SetNumGlyphs(b->NumGlyphs());
      c->SetHint(b->Hint());
      widths[i] = visible ? (b->Width() > 0 ? b->Width() : DefaultButtonWidth()) : 0;
    }
    c->SetFlat(flat);
    if (visible) {
      int h = clientHeight;
      if (static_cast<int>(std::nearbyint(1.5 * widths[i])) < clientHeight)
        h = ButtonHeightFromWidth(widths[i], flat);
      commonHeight = std::min(commonHeight, h);
    }
    TShape* line = FEditButtonControlList[i].ButtonLine;
    line->SetVisible(lines && visible);
    c->OnDown = [this, c](TObject*, bool TopButton, bool& AutoRepeat, bool& Handled) {
      HandleEditButtonDown(c, TopButton, Handled, AutoRepeat);
    };
    c->OnClick = [this, c](TObject*) { HandleEditButtonClick(c); };
    c->OnMouseMove = [this, c](TObject*, TShiftState Shift, int X, int Y) {
      HandleEditButtonMouseMove(c, Shift, X, Y);
    };
    c->OnMouseUp = [this, c](TObject*, TMouseButton Button, TShiftState, int X, int Y) {
      HandleEditButtonMouseUp(c, Button, X, Y);
    };
    c->SetTag(0);
  }
  const bool rtl = RightToLeftColumn();
  int edge = rtl ? 0 : Width();
  int used = 0;
  for (int i = n - 1; i >= 0; --i) {
    TEditButtonControlEx* c = FEditButtonControlList[i].EditButtonControl;
    TShape* line = FEditButtonControlList[i].ButtonLine;
    const int w = widths[i];
    const int lw = line->Visible() ? 1 : 0;
    if (rtl) {
      line->SetBounds(edge, 0, lw, commonHeight);
      c->SetBounds(edge + lw, 0, w, commonHeight);
      edge += w + lw;
    } else {
      line->SetBounds(edge - lw, 0, lw, commonHeight);
      c->SetBounds(edge - lw - w, 0, w, commonHeight);
      edge -= w + lw;
    }
    used += w + lw;
  }
  FButtonsWidth = used;
}

void TDBGridInplaceEdit::ActivateEditButtons() {
  for (const TEditButtonControlLineRec& rec : FEditButtonControlList) {
    rec.EditButtonControl->SetEnabled(true);
    rec.EditButtonControl->SetActive(true);
    rec.ButtonLine->Pen()->SetColor(clBtnFace);
  }
}

TEditButtonEx* TDBGridInplaceEdit::EditButtonByShortCut(TShortCut ShortCut) const {
  TColumnEx* column = Column();
  if (!column || ShortCut == 0) return nullptr;
  for (int i = 0; i < column->EditButtons()->Count(); ++i)
    if (column->EditButtons()->Items(i)->ShortCut() == ShortCut) return column->EditButtons()->Items(i);
  return nullptr;
}

// --- button presses -------------------------------------------------------------------

void TDBGridInplaceEdit::EditButtonPressed(bool LowerHalf) {
  if (FEditStyle == esUpDown || FEditStyle == esAltUpDown) {
    StepValue(LowerHalf);
    return;
  }
  if (!FDroppedDown) {
    DropDown();
    FNoClickCloseUp = true;
  }
}

void TDBGridInplaceEdit::HandleEditButtonClick(TEditButtonControlEx* Control) {
  TCustomDBGridEx* grid = DBGrid();
  TColumnEx* column = Column();
  const bool styleButton =
      !FEditButtonControlList.empty() && FEditButtonControlList[0].EditButtonControl == Control;
  bool handled = false;
  auto alive = alive_;
  if (styleButton && (FEditStyle == esEllipsis || FEditStyle == esDropDown || FEditStyle == esAltDropDown) &&
      grid)
    grid->EditButtonClick();
  if (!*alive) return;
  if (styleButton) {
    if (column && column->OnEditButtonClick) column->OnEditButtonClick(column, handled);
  } else if (column) {
    for (std::size_t i = 1; i < FEditButtonControlList.size(); ++i)
      if (FEditButtonControlList[i].EditButtonControl == Control) {
        column->EditButtons()->Items(static_cast<int>(i) - 1)->Click(Control, handled);
        break;
      }
  }
  if (!*alive) return;
  if (!handled && styleButton && !FNoClickCloseUp) CloseUp(false);
  FNoClickCloseUp = false;
}

void TDBGridInplaceEdit::HandleEditButtonDown(TEditButtonControlEx* Control, bool TopButton, bool& Handled,
                                              bool& AutoRepeat) {
  if (CanFocus() && !Focused()) SetFocus();
  TColumnEx* column = Column();
  const bool styleButton =
      !FEditButtonControlList.empty() && FEditButtonControlList[0].EditButtonControl == Control;
  if (styleButton) {
    if (column && column->OnEditButtonDown) column->OnEditButtonDown(column, TopButton, AutoRepeat, Handled);
    if (!Handled) EditButtonPressed(!TopButton);
    return;
  }
  if (!column) return;
  for (std::size_t i = 1; i < FEditButtonControlList.size(); ++i) {
    if (FEditButtonControlList[i].EditButtonControl != Control) continue;
    TEditButtonEx* b = column->EditButtons()->Items(static_cast<int>(i) - 1);
    if (b->OnDown) b->OnDown(b, TopButton, AutoRepeat, Handled);
    if (!Handled && b->DropdownMenu()) {
      TPopupMenu* menu = b->DropdownMenu();
      TPoint p = Control->ClientToScreen(Point(0, Control->Height()));
      if (menu->Alignment() == paRight) p.X += Control->Width();
      menu->SetPopupComponent(this);
      menu->Popup(p.X, p.Y);
      // The press ended in the menu: the button must not wait for its release.
      Control->Perform(WM_LBUTTONUP, 0, 0);
    }
    return;
  }
}

void TDBGridInplaceEdit::HandleEditButtonMouseUp(TEditButtonControlEx* Control, TMouseButton, int X, int Y) {
  if (!Control->ClientRect().Contains(Point(X, Y))) FNoClickCloseUp = false;
}

void TDBGridInplaceEdit::StepValue(bool Down) {
  TCustomDBGridEx* grid = DBGrid();
  TColumnEx* column = Column();
  if (!grid || !column || !column->CanModify(true)) return;
  if (Text() != column->EditText()) {
    column->UpdateDataValue(Text(), rtl::Variant(Text()), true);
    grid->UpdateData();
  }
  double step = column->Increment();
  if (column->GetColumnType() != ctCommon) step = -step;
  if (Down) step = -step;
  column->StepCellValue(step);
}

void TDBGridInplaceEdit::UpdateImageIndex() {
  TColumnEx* column = Column();
  if (!column || !column->ImageList()) return;
  int index = -1;
  if (!column->HasPickItems()) {
    db::TField* f = column->Field();
    if (f && IsNumericFieldType(f->DataType())) index = FieldAsIntegerDef(f, -1);
  } else {
    index = column->PickList()->IndexOf(Text());
  }
  if (index == -1) index = column->NotInKeyListIndex();
  if (index != FImageIndex) {
    FImageIndex = index;
    Invalidate();
  }
}

void TDBGridInplaceEdit::UserTextChanged() {
  FUserTextChanged = true;
  UpdateImageIndex();
}

void TDBGridInplaceEdit::Change() {
  auto alive = alive_;
  TInplaceEdit::Change();
  if (!*alive) return;
  UserTextChanged();
  if (FPendingUserChar) {
    FPendingUserChar = false;
    AfterUserTextChange();
  }
}

String TDBGridInplaceEdit::TextWithoutSelection() const {
  String text = Text();
  const int start = std::clamp(SelStart(), 0, static_cast<int>(text.size()));
  const int length = std::clamp(SelLength(), 0, static_cast<int>(text.size()) - start);
  text.erase(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
  return text;
}

// --- painting ----------------------------------------------------------------------------

void TDBGridInplaceEdit::DrawRequiredMarker(TCanvas* ACanvas) {
  TCustomDBGridEx* grid = DBGrid();
  TColumnEx* column = Column();
  if (!grid || !column) return;
  bool draw = false;
  if (column->HighlightRequired() && grid->DataLink()->Active()) {
    db::TDataSet* ds = grid->DataLink()->DataSet();
    db::TField* f = column->Field();
    draw =
        ds && (ds->State() == db::dsEdit || ds->State() == db::dsInsert) && f && f->Required() && f->IsNull();
  }
  if (column->OnCheckDrawRequiredState) column->OnCheckDrawRequiredState(this, Text(), draw);
  if (!draw) return;
  TRect r;
  CalcEditRect(r);
  ACanvas->Pen()->SetColor(TColor(0x0000FF));
  DrawDottedLine(ACanvas, Point(r.Left + 2, ClientHeight() - 1), std::max(0, r.Right - 3 - (r.Left + 2)),
                 false, true);
}

void TDBGridInplaceEdit::PaintWindow(QWidget* Target, const TRect& Area, const std::function<void()>& Base) {
  TInplaceEdit::PaintWindow(Target, Area, Base);
  if (!FCanvas) return;
  PaintOnWidget(Target, FCanvas.get(), [&] {
    DrawRequiredMarker(FCanvas.get());
    TColumnEx* column = Column();
    if (column && column->ImageList() && column->ShowImageAndText() && FImageIndex >= 0) {
      const int w = column->ImageList()->Width();
      const int x = RightToLeftColumn() ? Width() - 2 - w : 2;
      DrawImageInRect(FCanvas.get(), Rect(x, 0, x + w, Height()), column->ImageList(), FImageIndex, false);
    }
  });
}

void TDBGridInplaceEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto alive = alive_;
  TInplaceEdit::MouseDown(Button, Shift, X, Y);
  if (!*alive) return;
  TColumnEx* column = Column();
  if (Button == mbLeft && Shift.Contains(ssDouble) && column && column->DblClickNextVal())
    column->StepCellValue(Shift.Contains(ssShift) ? -1 : 1);
}

}  // namespace grid
