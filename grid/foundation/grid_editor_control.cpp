// The grid's side of the in-place editor: when it shows, where it goes, when
// its text is read back.
#include "grid/foundation/custom_grid_ex.h"
#include "grid/foundation/inplace_edit.h"

namespace grid {

using namespace ui;

TInplaceEdit* TCustomGridEx::NewInplaceEditor() { return new TInplaceEdit(this); }

bool TCustomGridEx::EditorCanShow() {
  return FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect) && FEditorMode && !Designing() &&
         HandleAllocated() && (FOptions.Contains(goAlwaysShowEditor) || HoldsFocus());
}

void TCustomGridEx::EnterEditorMode() {
  FEditorMode = true;
  SyncInplaceEditor();
}

void TCustomGridEx::LeaveEditorMode() {
  FEditorMode = false;
  HideInplaceEditor();
}

void TCustomGridEx::EnsureInplaceEditor() {
  if (FInplaceEdit) return;
  FInplaceEdit = NewInplaceEditor();
  FInplaceEdit->FGrid = this;
  FInplaceEdit->SetParent(this);
}

void TCustomGridEx::LoadInplaceEditor() {
  FInplaceCol = FCurrent.X;
  FInplaceRow = FCurrent.Y;
  FInplaceEdit->LoadFromGrid();
  FCanEditModify = FInplaceEdit->MaxLength() != -1;
  FInplaceEdit->SelectAll();
}

void TCustomGridEx::SyncInplaceEditor() {
  if (!EditorCanShow()) return;
  if (!FInplaceEdit) {
    EnsureInplaceEditor();
    LoadInplaceEditor();
  } else if (FCurrent.X != FInplaceCol || FCurrent.Y != FInplaceRow) {
    HideInplaceEditor();
    LoadInplaceEditor();
  }
  if (EditorCanShow()) {
    TRect r;
    CellEditRect(FCurrent.X, FCurrent.Y, r);
    FInplaceEdit->Move(r);
  }
}

void TCustomGridEx::HideInplaceEditor() {
  if (!FInplaceEdit) return;
  try {
    CommitEditorText();
  } catch (...) {
    FInplaceCol = FInplaceRow = -1;
    FInplaceEdit->Hide();
    throw;
  }
  FInplaceCol = FInplaceRow = -1;
  FInplaceEdit->Hide();
}

void TCustomGridEx::CommitEditorText() {
  if (FInplaceEdit && FInplaceCol >= 0 && FInplaceRow >= 0)
    StoreCellText(FInplaceCol, FInplaceRow, FInplaceEdit->Text());
}

void TCustomGridEx::RefreshEditorPlacement() {
  FInplaceCol = FInplaceRow = -1;
  SyncInplaceEditor();
}

void TCustomGridEx::RepositionEditor() {
  if (FEditorMode && FInplaceEdit) {
    TRect r;
    CellEditRect(FCurrent.X, FCurrent.Y, r);
    FInplaceEdit->UpdateLoc(r);
  }
  const TPoint p = ScreenToClient(CursorScreenPos());
  UpdateHotTrack(p.X, p.Y);
}

void TCustomGridEx::StartEditorWithChar(char16_t Ch) {
  EnterEditorMode();
  if (FInplaceEdit) PostMessage(FInplaceEdit, WM_CHAR, Ch, 0);
}

TPoint TCustomGridEx::CursorScreenPos() const { return FCursorPos ? FCursorPos() : Screen->CursorPos(); }

}  // namespace grid
