#include "grid/editor_support/tool_routines.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/ui/themes.h"

namespace grid {

using namespace ui;
using rtl::Variant;

namespace {

using Rel = TVariantRelationshipEx;

Rel FromRuntime(rtl::TVariantRelationship R) {
  switch (R) {
    case rtl::TVariantRelationship::vrEqual: return Rel::Equal;
    case rtl::TVariantRelationship::vrLessThan: return Rel::LessThan;
    case rtl::TVariantRelationship::vrGreaterThan: return Rel::GreaterThan;
    default: return Rel::NotEqual;
  }
}

bool SameArrayShape(const Variant& A, const Variant& B) {
  return rtl::VarArrayLowBound(A) == rtl::VarArrayLowBound(B) &&
         rtl::VarArrayHighBound(A) == rtl::VarArrayHighBound(B);
}

TWorkAreaProvider& WorkAreaHook() {
  static TWorkAreaProvider hook;
  return hook;
}

void FillLine(TCanvas* C, const TRect& R, TColor Color) {
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(Color);
  C->FillRect(R);
}

}  // namespace

bool VariantsEqual(const Variant& V1, const Variant& V2) {
  try {
    if (V1.IsArray() != V2.IsArray()) return false;
    if (V1.IsArray()) {
      if (!SameArrayShape(V1, V2)) return false;
      int lo = rtl::VarArrayLowBound(V1), hi = rtl::VarArrayHighBound(V1);
      if (hi < lo) return false;
      for (int i = lo; i <= hi; ++i)
        if (!(V1[i] == V2[i])) return false;
      return true;
    }
    if (V1.IsEmpty() != V2.IsEmpty()) return false;
    return V1 == V2;
  } catch (...) {
    return false;
  }
}

TVariantRelationshipEx CompareVariantsNullFirst(const Variant& V1, const Variant& V2) {
  if (V1.IsNull() && V2.IsNull()) return Rel::Equal;
  if (V1.IsNull()) return Rel::LessThan;
  if (V2.IsNull()) return Rel::GreaterThan;
  try {
    return FromRuntime(rtl::VarCompareValue(V1, V2));
  } catch (...) {
    return Rel::NotEqual;
  }
}

TVariantRelationshipEx CompareVariantValues(const Variant& V1, const Variant& V2) {
  if (V1.IsArray() != V2.IsArray()) return Rel::NotEqual;
  if (V1.IsArray()) {
    if (!SameArrayShape(V1, V2)) return Rel::NotEqual;
    int lo = rtl::VarArrayLowBound(V1), hi = rtl::VarArrayHighBound(V1);
    if (hi < lo) return Rel::NotEqual;
    for (int i = lo; i <= hi; ++i) {
      Rel r = CompareVariantsNullFirst(V1[i], V2[i]);
      if (r != Rel::Equal) return r;
    }
    return Rel::Equal;
  }
  return CompareVariantsNullFirst(V1, V2);
}

void GetFieldListByNames(std::vector<db::TField*>* List, db::TDataSet* DataSet, TComponent* Component,
                         const String& FieldNames) {
  std::size_t pos = 0;
  while (pos < FieldNames.size()) {
    String name = db::ExtractFieldName(FieldNames, pos);
    if (name.empty()) continue;
    db::TField* f = DataSet ? DataSet->FindField(name) : nullptr;
    if (!f) {
      String msg = u"Field '" + name + u"' not found";
      if (Component && !Component->Name().empty()) msg = Component->Name() + u": " + msg;
      throw rtl::EDatabaseError(msg);
    }
    if (List) List->push_back(f);
  }
}

std::vector<db::TField*> FieldsArrayFromNames(db::TDataSet* DataSet, TComponent* Component, const String& FieldNames) {
  std::vector<db::TField*> out;
  GetFieldListByNames(&out, DataSet, Component, FieldNames);
  return out;
}

void SetDataSetFieldValues(db::TDataSet* DataSet, const String& FieldNames, const Variant& Value) {
  std::vector<db::TField*> fields;
  GetFieldListByNames(&fields, DataSet, nullptr, FieldNames);
  if (Value.IsNull()) {
    for (db::TField* f : fields) f->Clear();
    return;
  }
  if (fields.size() == 1) {
    fields[0]->SetValue(Value);
    return;
  }
  int lo = rtl::VarArrayLowBound(Value);
  for (std::size_t i = 0; i < fields.size(); ++i) fields[i]->SetValue(Value[lo + static_cast<int>(i)]);
}

void DrawImageInRect(TCanvas* Canvas, const TRect& R, TImageList* ImageList, int ImageIndex, bool Selected) {
  if (!Canvas || !ImageList || ImageIndex < 0 || ImageIndex >= ImageList->Count()) return;
  int w = ImageList->Width(), h = ImageList->Height();
  int x = (R.Left + R.Right - w) / 2, y = (R.Top + R.Bottom - h) / 2;
  bool inside = x >= R.Left && y >= R.Top && x + w <= R.Right && y + h <= R.Bottom;
  int saved = 0;
  if (!inside) {
    saved = Canvas->SaveDC();
    Canvas->IntersectClipRect(R);
  }
  if (!Selected) {
    ImageList->Draw(Canvas, x, y, ImageIndex);
  } else {
    // Half blended with the highlight colour: draw on a keyed bitmap, blend
    // the image's own pixels, and let the key show the cell through.
    const TColor key = RGBColor(0xFE, 0x01, 0xFD);
    TBitmap tmp(w, h);
    TCanvas* c = tmp.Canvas();
    c->Brush()->SetColor(key);
    c->FillRect(Rect(0, 0, w, h));
    ImageList->Draw(c, 0, 0, ImageIndex);
    for (int py = 0; py < h; ++py)
      for (int px = 0; px < w; ++px) {
        TColor p = c->Pixel(px, py);
        if (ColorToRGB(p) != ColorToRGB(key)) c->SetPixel(px, py, BlendColorsPercent(p, clHighlight, 50));
      }
    tmp.SetTransparentColor(key);
    tmp.SetTransparent(true);
    Canvas->Draw(x, y, &tmp);
  }
  if (!inside) Canvas->RestoreDC(saved);
}

void SetWorkAreaProvider(TWorkAreaProvider Provider) { WorkAreaHook() = std::move(Provider); }

TRect WorkAreaNear(const TRect& ScreenRect) {
  if (WorkAreaHook()) return WorkAreaHook()(ScreenRect);
  return Screen ? Screen->WorkAreaRect() : Rect(0, 0, 1024, 768);
}

TPoint CalcDropDownPosition(const TRect& R, TControl* DropDown, TDropDownAlign Align) {
  const TRect W = WorkAreaNear(R);
  int h = DropDown->Height();
  bool fitsBelow = R.Bottom + h <= W.Bottom, fitsAbove = R.Top - h >= W.Top;
  bool above = (!fitsBelow && fitsAbove) || (!fitsBelow && !fitsAbove && R.Top - W.Top > W.Bottom - R.Bottom);
  int top;
  if (above) {
    if (!fitsAbove) DropDown->SetHeight(R.Top - W.Top);
    top = R.Top - DropDown->Height();
  } else {
    if (!fitsBelow) DropDown->SetHeight(W.Bottom - R.Bottom);
    top = R.Bottom;
  }
  DropDown->Perform(WM_SIZEGRIPCHANGEPOSITION, above ? sgcpToTop : sgcpToBottom);

  if (DropDown->Width() > W.Width()) DropDown->SetWidth(W.Width());
  int width = DropDown->Width();
  int x = Align == daLeft ? R.Left : Align == daRight ? R.Right - width : R.Left - (width - R.Width()) / 2;
  TSizeGripChangePosition grip;
  if (x + width > W.Right) {
    x = W.Right - width;
    grip = sgcpToLeft;
  } else if (x < W.Left) {
    x = W.Left;
    grip = sgcpToRight;
  } else {
    grip = Align == daRight ? sgcpToLeft : sgcpToRight;
  }
  DropDown->Perform(WM_SIZEGRIPCHANGEPOSITION, grip);
  return Point(x, top);
}

TPoint CalcEditDropDownPosition(TControl* Edit, TControl* DropDown, TDropDownAlign Align) {
  TPoint origin = Edit->Parent() ? Edit->Parent()->ClientToScreen(Point(Edit->Left(), Edit->Top()))
                                 : Point(Edit->Left(), Edit->Top());
  return CalcDropDownPosition(Bounds(origin.X, origin.Y, Edit->Width(), Edit->Height()), DropDown, Align);
}

void DrawDottedLine(TCanvas* Canvas, TPoint Start, int Length, bool Phase, bool Horizontal) {
  // A zero-width pen draws one pixel wide, so it steps like width 1.
  const int p = std::max(1, Canvas->Pen()->Width());
  const int step = 2 * p;
  bool parity = ((Start.X & 1) != 0) != ((Start.Y & 1) != 0);
  if (parity != Phase) {
    if (Horizontal)
      ++Start.X;
    else
      ++Start.Y;
    --Length;
  }
  if (Length <= 0) return;
  int dots = Length / step + (Length % 2 != 0 ? 1 : 0);
  TColor color = Canvas->Pen()->Color();
  for (int i = 0; i < dots; ++i) {
    int off = i * step;
    if (off >= Length) break;
    if (Horizontal)
      Canvas->SetPixel(Start.X + off, Start.Y, color);
    else
      Canvas->SetPixel(Start.X, Start.Y + off, color);
  }
}

void DrawTreeElement(TCanvas* Canvas, const TRect& R, int Kind, bool RightToLeft, double ScaleX, double ScaleY,
                     bool Phase) {
  const int cx = (R.Left + R.Right) / 2, cy = (R.Top + R.Bottom) / 2;
  const int hx = static_cast<int>(std::lround(4 * ScaleX)), hy = static_cast<int>(std::lround(4 * ScaleY));
  const TColor keepBrush = Canvas->Brush()->Color();
  const TColor keepPen = Canvas->Pen()->Color();
  Canvas->Pen()->SetColor(clBtnShadow);
  auto vertical = [&](int from, int to) {
    if (to > from) DrawDottedLine(Canvas, Point(cx, from), to - from, Phase, false);
  };
  auto horizontal = [&](int from) {
    if (R.Right > from) DrawDottedLine(Canvas, Point(from, cy), R.Right - from, false, true);
  };
  if (Kind >= 8) {
    switch (Kind) {
      case 8: vertical(R.Top, R.Bottom); horizontal(cx); break;
      case 9: vertical(R.Top, cy); horizontal(cx); break;
      case 10: horizontal(cx); vertical(cy, R.Bottom); break;
      default: vertical(R.Top, R.Bottom); break;
    }
  } else if (Kind >= 0) {
    TRect box = Rect(cx - hx, cy - hy, cx + hx + 1, cy + hy + 1);
    FillLine(Canvas, box, clWindow);
    TRect outline = box;
    if (RightToLeft) outline.Offset(-1, 0);
    Canvas->Brush()->SetColor(clBtnShadow);
    Canvas->FrameRect(outline);
    const bool closed = Kind >= 4;
    if (ThemesActive()) {
      DrawThemedTreeGlyph(Canvas, box, !closed);
    } else {
      int dx = static_cast<int>(std::lround(2 * ScaleX)), dy = static_cast<int>(std::lround(2 * ScaleY));
      FillLine(Canvas, Rect(box.Left + dx, cy, box.Right - 1 - dx + 1, cy + 1), clWindowText);
      if (closed) FillLine(Canvas, Rect(cx, box.Top + dy, cx + 1, box.Bottom - 1 - dy + 1), clWindowText);
    }
    const int k = Kind % 4;
    if (k != 3) horizontal(box.Right - 1 + static_cast<int>(std::lround(ScaleX)));
    if (k == 0 || k == 1) vertical(R.Top, box.Top);
    if (k == 0 || k == 2) vertical(box.Bottom - 1 + static_cast<int>(std::lround(ScaleY)), R.Bottom);
  }
  Canvas->Pen()->SetColor(keepPen);
  Canvas->Brush()->SetColor(keepBrush);
}

void FillVerticalGradient(TCanvas* Canvas, const TRect& R, TColor TopColor, TColor BottomColor) {
  const int h = R.Height();
  if (h <= 1) return;
  std::uint32_t a = ColorToRGB(TopColor), b = ColorToRGB(BottomColor);
  const TColor keep = Canvas->Brush()->Color();
  for (int r = 0; r < h; ++r) {
    auto mix = [&](int x, int y) {
      return std::clamp(static_cast<int>(std::nearbyint(x + (y - x) * static_cast<double>(r) / (h - 1))), 0, 255);
    };
    TColor c = RGBColor(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
                        mix(GetBValue(a), GetBValue(b)));
    FillLine(Canvas, Rect(R.Left, R.Top + r, R.Right, R.Top + r + 1), c);
  }
  Canvas->Brush()->SetColor(keep);
}

bool ThemesActive() { return ThemesEnabled(); }

TShiftState CurrentShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s = s + ssShift;
  if (GetKeyState(VK_MENU) < 0) s = s + ssAlt;
  if (GetKeyState(VK_CONTROL) < 0) s = s + ssCtrl;
  return s;
}

bool IsDropDownNavigationKey(std::uint16_t Key, TShiftState Shift, bool Sideways) {
  switch (Key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN:
      return true;
    case VK_LEFT:
    case VK_RIGHT:
      return Sideways;
    case VK_HOME:
    case VK_END:
      return Shift.Contains(ssCtrl);
    default:
      return false;
  }
}

bool IsStringField(const db::TField* F) {
  return F && (F->DataType() == db::ftString || F->DataType() == db::ftWideString);
}

bool IsNumericFieldType(db::TFieldType T) {
  switch (T) {
    case db::ftSmallint: case db::ftInteger: case db::ftWord: case db::ftFloat: case db::ftCurrency:
    case db::ftBCD: case db::ftFMTBcd:
      return true;
    default:
      return false;
  }
}

namespace {

bool ExtractPress(TControl* Control, bool TestClientRect) {
  if (!Control) return false;
  auto* win = dynamic_cast<TWinControl*>(Control);
  TWinControl* target = win ? win : Control->Parent();
  if (!target) return false;
  TMessage m{};
  if (!PeekQueuedMessage(target, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, &m)) return false;
  if (m.Msg == WM_LBUTTONUP) return false;
  TPoint p = Point(static_cast<std::int16_t>(m.LParam & 0xFFFF), static_cast<std::int16_t>((m.LParam >> 16) & 0xFFFF));
  TPoint local = p;
  if (!win) {
    if (target->ControlAtPos(p, true) != Control) return false;
    local = Point(p.X - Control->Left(), p.Y - Control->Top());
  }
  if (TestClientRect && !Control->ClientRect().Contains(local)) return false;
  RemoveQueuedMessage(target, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK);
  return true;
}

}  // namespace

bool ExtractPendingMouseDown(TControl* Control) { return ExtractPress(Control, true); }

bool ExtractPendingChildMouseDown(TControl* Control) {
  if (dynamic_cast<TWinControl*>(Control)) return false;
  return ExtractPress(Control, false);
}

bool IsDoubleClickPair(TPoint OldPos, TPoint NewPos, unsigned Elapsed) {
  const TEditorSystemMetrics& m = EditorSystemMetrics();
  if (Elapsed > m.DoubleClickTime) return false;
  return std::abs(NewPos.X - OldPos.X) <= m.DoubleClickWidth && std::abs(NewPos.Y - OldPos.Y) <= m.DoubleClickHeight;
}

}  // namespace grid
