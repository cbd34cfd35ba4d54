// The edit buttons of TCustomDBEditEx: their controls and separators, the
// layout at the editor's edge, presses, clicks and short cuts.
#include <cmath>

#include "grid/editor_support/button_faces.h"
#include "grid/editors/custom_db_edit_ex.h"
#include "platform/ui/keys.h"
#include "platform/ui/themes.h"
#include "grid/editor_support/tool_routines.h"

namespace grid {

using namespace ui;

TEditButtonEx* TCustomDBEditEx::EditButton() const {
  if (!editButton_) {
    auto* self = const_cast<TCustomDBEditEx*>(this);
    editButton_ = self->CreateEditButton();
    editButton_->OnChanged = [self](TObject*) { self->EditButtonChanged(); };
  }
  return editButton_.get();
}

TEditButtonsEx* TCustomDBEditEx::EditButtons() const {
  if (!editButtons_) {
    auto* self = const_cast<TCustomDBEditEx*>(this);
    editButtons_ = self->CreateEditButtons();
    editButtons_->OnChanged = [self](TObject*) { self->EditButtonChanged(); };
  }
  return editButtons_.get();
}

std::unique_ptr<TEditButtonEx> TCustomDBEditEx::CreateEditButton() { return std::make_unique<TEditButtonEx>(this); }

std::unique_ptr<TEditButtonsEx> TCustomDBEditEx::CreateEditButtons() {
  return std::make_unique<TEditButtonsEx>(this, [](TCollection* C) { return new TVisibleEditButtonEx(C); });
}

TEditButtonControlEx* TCustomDBEditEx::CreateEditButtonControl() { return NewEditorButtonControl(this); }

TEditButtonEx* TCustomDBEditEx::ButtonOfIndex(int Index) const {
  return Index == 0 ? EditButton() : EditButtons()->Items(Index - 1);
}

int TCustomDBEditEx::ButtonControlIndex(TObject* Sender) const {
  for (int i = 0; i < ButtonControlCount(); ++i)
    if (editButtonControlList_[i].EditButtonControl == Sender) return i;
  return -1;
}

TRect TCustomDBEditEx::ButtonsRect() const {
  const TRect c = InnerClientRect();
  if (UseRightToLeftAlignment()) return Rect(c.Left, c.Top, c.Left + buttonWidth_, c.Bottom);
  return Rect(c.Right - buttonWidth_, c.Top, c.Right, c.Bottom);
}

void TCustomDBEditEx::UpdateEditButtonControlList() {
  if (layingOutButtons_) return;
  layingOutButtons_ = true;
  const int n = EditButtons()->Count() + 1;
  while (ButtonControlCount() > n) {
    TEditButtonControlLineRec rec = editButtonControlList_.back();
    editButtonControlList_.pop_back();
    delete rec.EditButtonControl;
    delete rec.ButtonLine;
  }
  while (ButtonControlCount() < n) {
    TEditButtonControlLineRec rec;
    rec.EditButtonControl = CreateEditButtonControl();
    rec.ButtonLine = new TShape(this);
    rec.ButtonLine->SetParent(this);
    editButtonControlList_.push_back(rec);
  }

  const TRect area = ButtonsRect();
  const int areaHeight = area.Height();
  const bool lines = flat_ && !ThemesActive();
  std::vector<int> widths(n), lineWidths(n);
  int commonHeight = areaHeight;
  for (int i = 0; i < n; ++i) {
    TEditButtonEx* b = ButtonOfIndex(i);
    TEditButtonControlEx* c = editButtonControlList_[i].EditButtonControl;
    c->SetVisible(b->Visible());
    c->SetEnabled(b->Enabled());
    c->SetStyle(b->Style());
    c->SetGlyph(b->Glyph());
    c->SetNumGlyphs(b->NumGlyphs());
    c->SetHint(b->Hint());
    c->SetFlat(flat_);
    c->SetTag(i);
    int w = 0;
    if (b->Visible()) w = b->Width() > 0 ? b->Width() : flat_ ? FlatButtonWidth : EditorSystemMetrics().VScrollWidth;
    widths[i] = w;
    if (b->Visible()) {
      // A tall editor gets buttons in proportion to their width, not full-height slivers.
      int h = areaHeight;
      if (h > static_cast<int>(std::lround(w * 3.0 / 2.0))) h = ButtonHeightFromWidth(w, flat_);
      commonHeight = std::min(commonHeight, h);
    }
    TShape* line = editButtonControlList_[i].ButtonLine;
    line->SetVisible(b->Visible() && lines);
    lineWidths[i] = line->Visible() ? 1 : 0;
    c->OnDown = [this](TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled) {
      EditButtonDown(Sender, TopButton, AutoRepeat, Handled);
    };
    c->OnClick = [this](TObject* Sender) { EditButtonClick(Sender); };
    c->OnMouseMove = [this](TObject* Sender, TShiftState Shift, int X, int Y) {
      EditButtonMouseMove(Sender, Shift, X, Y);
    };
    c->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
      EditButtonMouseUp(Sender, Button, Shift, X, Y);
    };
  }

  const bool rtl = UseRightToLeftAlignment();
  int edge = rtl ? area.Left : area.Right;
  int used = 0;
  for (int i = n - 1; i >= 0; --i) {
    TEditButtonControlEx* c = editButtonControlList_[i].EditButtonControl;
    TShape* line = editButtonControlList_[i].ButtonLine;
    const int w = widths[i], lw = lineWidths[i];
    if (rtl) {
      c->SetBounds(edge, area.Top, w, commonHeight);
      line->SetBounds(edge + w, area.Top, lw, commonHeight);
      edge += w + lw;
    } else {
      c->SetBounds(edge - w, area.Top, w, commonHeight);
      line->SetBounds(edge - w - lw, area.Top, lw, commonHeight);
      edge -= w + lw;
    }
    used += w + lw;
  }
  buttonWidth_ = used;
  buttonHeight_ = commonHeight;
  layingOutButtons_ = false;
}

void TCustomDBEditEx::UpdateEditButtonControlsState() {
  const bool active = EditButtonsActive();
  for (int i = 0; i < ButtonControlCount(); ++i) {
    TEditButtonControlEx* c = editButtonControlList_[i].EditButtonControl;
    c->SetEnabled(active && ButtonOfIndex(i)->Enabled());
    c->SetActive(borderActive_);
    // The line shows only with the active border; otherwise it melts into the editor.
    TShape* line = editButtonControlList_[i].ButtonLine;
    line->Pen()->SetColor(borderActive_ ? clBtnFace : Color());
    line->Brush()->SetColor(borderActive_ ? clBtnFace : Color());
    line->Invalidate();
  }
}

void TCustomDBEditEx::EditButtonChanged() {
  if (!HandleAllocated()) return;
  UpdateEditButtonControlList();
  UpdateEditButtonControlsState();
  UpdateEditRect();
  Invalidate();
}

void TCustomDBEditEx::PopupDropdownMenu(TEditButtonEx* Button, TEditButtonControlEx* Control) {
  TPopupMenu* menu = Button->DropdownMenu();
  TPoint p = Control->ClientToScreen(Point(0, Control->Height()));
  if (menu->Alignment() == paRight) p.X += Control->Width();
  menu->SetPopupComponent(this);
  menu->Popup(p.X, p.Y);
}

void TCustomDBEditEx::EditButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled) {
  if (CanFocus() && !Focused()) SetFocus();
  Handled = false;
  const int index = ButtonControlIndex(Sender);
  if (index < 0) return;
  TEditButtonEx* b = ButtonOfIndex(index);
  auto* control = editButtonControlList_[index].EditButtonControl;
  if (index == 0) {
    if (OnButtonDown) OnButtonDown(this, TopButton, AutoRepeat, Handled);
    if (Handled) return;
    if (b->DropdownMenu()) {
      PopupDropdownMenu(b, control);
      Handled = true;
    } else if (!b->Action()) {
      DefaultButtonDown(!TopButton);
    }
    return;
  }
  if (b->OnDown) b->OnDown(b, TopButton, AutoRepeat, Handled);
  if (!Handled && b->DropdownMenu()) {
    PopupDropdownMenu(b, control);
    Handled = true;
  }
}

void TCustomDBEditEx::DefaultButtonDown(bool) {
  if (MainButtonUpDown() || droppedDown_) return;
  DropDown();
  noClickCloseUp_ = true;
}

void TCustomDBEditEx::EditButtonClick(TObject* Sender) {
  bool handled = false;
  const int index = ButtonControlIndex(Sender);
  if (index >= 0) {
    TEditButtonEx* b = ButtonOfIndex(index);
    b->Click(this, handled);
    if (index == 0 && !handled && OnButtonClick) OnButtonClick(this, handled);
  }
  if (!handled && droppedDown_ && !noClickCloseUp_ && index == 0) CloseUp(false);
  noClickCloseUp_ = false;
}

void TCustomDBEditEx::EditButtonMouseMove(TObject*, TShiftState, int, int) {}

void TCustomDBEditEx::EditButtonMouseUp(TObject* Sender, TMouseButton, TShiftState, int X, int Y) {
  auto* c = dynamic_cast<TControl*>(Sender);
  if (c && !c->ClientRect().Contains(Point(X, Y))) noClickCloseUp_ = false;
}

bool TCustomDBEditEx::IsEditButtonShortCut(std::uint16_t Key, TShiftState Shift) const {
  const TShortCut sc = ShortCut(Key, Shift);
  if (sc == 0) return false;
  if (EditButton()->ShortCut() == sc) return true;
  for (int i = 0; i < EditButtons()->Count(); ++i)
    if (EditButtons()->Items(i)->ShortCut() == sc) return true;
  return false;
}

bool TCustomDBEditEx::PressButtonByShortCut(std::uint16_t Key, TShiftState Shift) {
  const TShortCut sc = ShortCut(Key, Shift);
  if (sc == 0) return false;
  int index = -1;
  if (EditButton()->ShortCut() == sc && EditButtonsActive()) index = 0;
  for (int i = 0; index < 0 && i < EditButtons()->Count(); ++i)
    if (EditButtons()->Items(i)->ShortCut() == sc) index = i + 1;
  if (index < 0) return false;
  if (index >= ButtonControlCount()) UpdateEditButtonControlList();
  TEditButtonControlEx* c = editButtonControlList_[index].EditButtonControl;
  bool autoRepeat = false;
  auto alive = alive_;
  c->EditButtonDown(true, autoRepeat);
  if (*alive) c->Click();
  return true;
}

void TCustomDBEditEx::CancelButtonCapture() {
  TControl* captured = GetCaptureControl();
  for (const auto& rec : editButtonControlList_)
    if (rec.EditButtonControl == captured) captured->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(this));
}

}  // namespace grid
