#include "grid/foundation/grid_drag_windows.h"

#include <cstring>

namespace grid {

using namespace ui;

namespace {
TGridMoveLineEx* gMoveLine = nullptr;
TGridDragBoxEx* gDragBox = nullptr;

struct PartSpec {
  const char* name;
  int x, y, w, h;
  TAnchors anchors;
};
// Vertical form: a downward arrowhead on top, the stem, an upward one below.
const PartSpec kVertParts[7] = {
    {"sHigh7", 0, 0, 7, 1, TAnchors{akLeft, akTop}},   {"sHigh5", 1, 1, 5, 1, TAnchors{akLeft, akTop}},
    {"sHigh3", 2, 2, 3, 1, TAnchors{akLeft, akTop}},   {"sLine", 3, 3, 1, 1, TAnchors{akLeft, akTop, akBottom}},
    {"sLow3", 2, 4, 3, 1, TAnchors{akLeft, akBottom}}, {"sLow5", 1, 5, 5, 1, TAnchors{akLeft, akBottom}},
    {"sLow7", 0, 6, 7, 1, TAnchors{akLeft, akBottom}},
};
// Horizontal form: the same turned.
const PartSpec kHorzParts[7] = {
    {"hLeft7", 0, 0, 1, 7, TAnchors{akLeft, akTop}},   {"hLeft5", 1, 1, 1, 5, TAnchors{akLeft, akTop}},
    {"hLeft3", 2, 2, 1, 3, TAnchors{akLeft, akTop}},   {"hLine", 3, 3, 1, 1, TAnchors{akLeft, akTop, akRight}},
    {"hRight3", 4, 2, 1, 3, TAnchors{akTop, akRight}}, {"hRight5", 5, 1, 1, 5, TAnchors{akTop, akRight}},
    {"hRight7", 6, 0, 1, 7, TAnchors{akTop, akRight}},
};
}  // namespace

// --- TGridDragWinEx ----------------------------------------------------------------

const TClassInfo& TGridDragWinEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TGridDragWinEx>("TGridDragWinEx", &TToolWindow::StaticClassInfo()).Build();
  return info;
}

TGridDragWinEx::TGridDragWinEx(TComponent* AOwner) : TToolWindow(AOwner) {
  SetColor(cl3DDkShadow);
  SetParentColor(false);
  SetAlphaBlendValue(200);
}

TGridDragWinEx::~TGridDragWinEx() = default;

void TGridDragWinEx::MoveToFor(TControl* Control, TPoint P) {
  const TPoint s = Control ? Control->ClientToScreen(P) : P;
  SetBounds(s.X, s.Y, Width(), Height());
}

void TGridDragWinEx::MoveToFor(TControl* Control, TPoint P, int AHeight, int AWidth) {
  const TPoint s = Control ? Control->ClientToScreen(P) : P;
  SetBounds(s.X, s.Y, AWidth, AHeight);
}

void TGridDragWinEx::StartShow(TControl* Control, TPoint P, int AHeight, int AWidth) {
  const TPoint s = Control ? Control->ClientToScreen(P) : P;
  ShowAt(Bounds(s.X, s.Y, AWidth, AHeight));
}

void TGridDragWinEx::StartShow(TControl* Control, TPoint P, int AHeight) {
  StartShow(Control, P, AHeight, Width());
}

void TGridDragWinEx::TemporaryHide() { SetBounds(Left(), Top(), 0, 0); }

// --- TGridDragBoxEx ----------------------------------------------------------------

const TClassInfo& TGridDragBoxEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TGridDragBoxEx>("TGridDragBoxEx", &TGridDragWinEx::StaticClassInfo()).Build();
  return info;
}

TGridDragBoxEx::~TGridDragBoxEx() {
  if (gDragBox == this) gDragBox = nullptr;
}

// --- TGridMoveLineEx ---------------------------------------------------------------

const TClassInfo& TGridMoveLineEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TGridMoveLineEx>("TGridMoveLineEx", &TGridDragWinEx::StaticClassInfo()).Build();
  return info;
}

TGridMoveLineEx::TGridMoveLineEx(TComponent* AOwner) : TGridDragWinEx(AOwner) {
  SetColor(clWhite);
  SetBounds(0, 0, 7, 7);
  SetAlphaBlendValue(255);
  SetTransparentColorValue(TColor(0xFFFFFF));
  int n = 0;
  for (const auto* set : {kVertParts, kHorzParts}) {
    for (int i = 0; i < 7; ++i) {
      const PartSpec& p = set[i];
      auto* s = new TShape(this);
      s->SetName(String(p.name, p.name + std::strlen(p.name)));
      s->Pen()->SetColor(clRed);
      s->Brush()->SetColor(clRed);
      s->SetBounds(p.x, p.y, p.w, p.h);
      s->SetAnchors(p.anchors);
      s->SetParent(this);
      FParts[n++] = s;
    }
  }
  UpdateOrientationData();
}

TGridMoveLineEx::~TGridMoveLineEx() {
  if (gMoveLine == this) gMoveLine = nullptr;
}

TShape* TGridMoveLineEx::Part(const char* Name) const {
  const String name(Name, Name + std::strlen(Name));
  for (TShape* s : FParts)
    if (s && s->Name() == name) return s;
  return nullptr;
}

void TGridMoveLineEx::UpdateOrientationData() {
  for (int i = 0; i < 14; ++i) FParts[i]->SetVisible((i < 7) == FIsVert);
}

void TGridMoveLineEx::StartShow(TControl* Control, TPoint P, int Size, bool Vertical) {
  FIsVert = Vertical;
  UpdateOrientationData();
  const TPoint at{P.X - 3, P.Y - 4};
  if (Vertical)
    TGridDragWinEx::StartShow(Control, at, Size + 8, 7);
  else
    TGridDragWinEx::StartShow(Control, at, 7, Size + 8);
}

void TGridMoveLineEx::MoveToFor(TControl* Control, TPoint P) {
  TGridDragWinEx::MoveToFor(Control, {P.X - 3, P.Y - 4});
}

// --- shared instances ---------------------------------------------------------------

TGridMoveLineEx* SharedGridMoveLine() {
  if (!gMoveLine) gMoveLine = new TGridMoveLineEx(Application);
  return gMoveLine;
}

TGridDragBoxEx* SharedGridDragBox() {
  if (!gDragBox) gDragBox = new TGridDragBoxEx(Application);
  return gDragBox;
}

TGridMoveLineEx* ExistingGridMoveLine() { return gMoveLine; }

void FreeSharedGridWindows() {
  // Their destructors clear the pointers.
  delete gMoveLine;
  delete gDragBox;
}

}  // namespace grid
