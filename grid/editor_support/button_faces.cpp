#include "grid/editor_support/button_faces.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/themes.h"

namespace grid {

using namespace ui;

TButtonsBitmapCache* GlobalButtonBitmapCache = nullptr;
bool ButtonFaceCacheEnabled = true;
int FlatButtonWidth = 0;
int CheckBoxWidth = 13;
int CheckBoxHeight = 13;

TEditorSystemMetrics& EditorSystemMetrics() {
  static TEditorSystemMetrics metrics;
  return metrics;
}

namespace {

bool Themed() { return ThemesEnabled(); }

TRect Inset(TRect R, int N) {
  R.Inflate(-N, -N);
  return R;
}

// The longer side shortened to the shorter one, centred; the odd pixel comes
// off the right or bottom.
TRect SquareRect(TRect R) {
  int w = R.Width(), h = R.Height();
  if (w > h) {
    R.Left += (w - h) / 2;
    R.Right = R.Left + h;
  } else if (h > w) {
    R.Top += (h - w) / 2;
    R.Bottom = R.Top + w;
  }
  return R;
}

void Fill(TCanvas* C, const TRect& R, TColor Color) {
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(Color);
  C->FillRect(R);
}

void Frame(TCanvas* C, const TRect& R, TColor Color) {
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(Color);
  C->FrameRect(R);
}

int RoundEven(double V) { return static_cast<int>(std::nearbyint(V)); }

int Channel(double V) { return std::clamp(RoundEven(V), 0, 255); }

TThemedState ThemeState(bool Enabled, bool Pressed, bool Active) {
  if (!Enabled) return tsDisabled;
  if (Pressed) return tsPressed;
  if (Active) return tsHot;
  return tsNormal;
}

// A classic triangle glyph: rows of a down (or up) arrow, d wide.
void ClassicArrow(TCanvas* C, const TRect& R, bool Down, int D, TColor Color) {
  int rows = D / 2 + 1;
  int x = (R.Left + R.Right - D) / 2, y = (R.Top + R.Bottom - rows) / 2;
  for (int i = 0; i < rows; ++i) {
    int from = Down ? i : D / 2 - i, to = Down ? D - i : D / 2 + i + 1;
    int row = y + i;
    Fill(C, Rect(x + from, row, x + to, row + 1), Color);
  }
}

// The classic scroll-bar arrow buttons (combo drop-down, spin halves).
void ClassicScrollButton(TCanvas* C, TRect R, bool Down, bool Pushed, bool Flat, bool Inactive) {
  Fill(C, R, clBtnFace);
  if (Flat || Pushed) {
    Frame(C, R, clBtnShadow);
  } else {
    TRect e = R;
    C->DrawEdge(e, EDGE_RAISED, BF_RECT);
  }
  TRect glyph = Inset(R, 2);
  if (Pushed) glyph.Offset(1, 1);
  int m = std::min(glyph.Width(), glyph.Height());
  int d = std::max(1, (m + 1) / 2);
  if (d % 2 == 0) --d;
  if (Inactive) {
    TRect lit = glyph;
    lit.Offset(1, 1);
    ClassicArrow(C, lit, Down, d, clBtnHighlight);
    ClassicArrow(C, glyph, Down, d, clBtnShadow);
  } else {
    ClassicArrow(C, glyph, Down, d, clBtnText);
  }
}

void ClassicCheckBox(TCanvas* C, const TRect& R, TCheckBoxState State, bool Inactive, bool Pushed) {
  TRect e = R;
  C->DrawEdge(e, EDGE_SUNKEN, BF_RECT);
  TRect inner = Inset(R, 2);
  Fill(C, inner, (Pushed || Inactive || State == cbGrayed) ? clBtnFace : clWindow);
  if (State == cbUnchecked) return;
  TColor mark = (Inactive || State == cbGrayed) ? clBtnShadow : clWindowText;
  // A seven-pixel tick, three rows thick, centred in the box.
  int x = inner.Left + (inner.Width() - 7) / 2, y = inner.Top + (inner.Height() - 7) / 2;
  static const int rise[7] = {2, 3, 4, 3, 2, 1, 0};
  for (int i = 0; i < 7; ++i) Fill(C, Rect(x + i, y + rise[i], x + i + 1, y + rise[i] + 3), mark);
}

void DrawDropDownButtonFace(TCanvas* C, const TRect& R, bool Enabled, bool Flat, bool Active, bool Pressed) {
  if (Themed())
    DrawThemedComboButton(C, R, ThemeState(Enabled, Pressed, Active));
  else
    ClassicScrollButton(C, R, true, Pressed, Flat, !Enabled);
}

void DrawUpDownButtonFace(TCanvas* C, const TRect& R, bool Enabled, bool Flat, bool Active, bool Pressed,
                          bool DownDirect) {
  if (Themed())
    DrawThemedSpinButton(C, R, !DownDirect, ThemeState(Enabled, Pressed, Active));
  else
    ClassicScrollButton(C, R, DownDirect, Pressed, Flat, !Enabled);
}

// Paints the push-button face and returns the glyph area (pressed offset applied).
TRect DrawPushFace(TCanvas* C, const TRect& R, bool Enabled, bool Flat, bool Active, bool Pressed) {
  TRect glyph;
  if (Themed()) {
    TThemedState state = ThemeState(Enabled, Pressed, Active);
    if (Flat)
      DrawThemedToolButton(C, R, state == tsNormal ? tsHot : state);
    else
      DrawThemedPushButton(C, R, state);
    glyph = Inset(R, 2);
  } else if (Flat) {
    Fill(C, R, clBtnFace);
    glyph = Inset(R, 1);
  } else {
    TRect e = R;
    C->DrawEdge(e, Pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
    glyph = Inset(R, 2);
  }
  if (Pressed) glyph.Offset(1, 1);
  return glyph;
}

void GlyphColours(bool Enabled, TColor& First, TColor& Last) {
  if (Enabled) {
    First = BlendColorsPercent(cl3DDkShadow, clBlack, 30);
    Last = cl3DDkShadow;
  } else {
    First = clGrayText;
    Last = BlendColorsPercent(clGrayText, clWhite, 30);
  }
}

// Solid blocks, embossed when disabled (classic look).
void FillGlyphBlocks(TCanvas* C, const std::vector<TRect>& Blocks, bool Enabled) {
  if (Enabled) {
    for (const TRect& b : Blocks) Fill(C, b, clBtnText);
    return;
  }
  for (TRect b : Blocks) {
    b.Offset(1, 1);
    Fill(C, b, clBtnHighlight);
  }
  for (const TRect& b : Blocks) Fill(C, b, clBtnShadow);
}

void DrawEllipsisButtonFace(TCanvas* C, const TRect& R, bool Enabled, bool Flat, bool Active, bool Pressed) {
  TRect g = DrawPushFace(C, R, Enabled, Flat, Active, Pressed);
  int W = g.Width(), H = g.Height();
  int s = W < 8 ? 1 : 2, gap = W < 12 ? 1 : 2;
  int x = g.Left + W / 2 - s / 2, y = g.Top + H / 2 - s / 2;
  const int xs[3] = {x - gap - s, x, x + s + gap};
  if (Themed()) {
    TColor first, last;
    GlyphColours(Enabled, first, last);
    for (int dx : xs) {
      std::vector<TGradientSegment> rows;
      for (int i = 0; i < s; ++i) rows.push_back({i, 0, s});
      DrawGradientLines(C, Point(dx, y), rows, first, last);
    }
    return;
  }
  std::vector<TRect> dots;
  for (int dx : xs) dots.push_back(Bounds(dx, y, s, s));
  FillGlyphBlocks(C, dots, Enabled);
}

void DrawPlusMinusButtonFace(TCanvas* C, const TRect& R, bool Plus, bool Enabled, bool Flat, bool Active,
                             bool Pressed) {
  TRect g = DrawPushFace(C, R, Enabled, Flat, Active, Pressed);
  int W = g.Width(), H = g.Height();
  int m = std::min(W, H);
  int w = std::max(1, m * 4 / 7);
  int t = std::max(1, w / 3);
  if (Flat) --w;
  if ((w & 1) != (m & 1)) ++w;
  if (Plus && (w & 1) != (t & 1)) w += m >= 12 ? -1 : 1;
  int o = w / 2 - t / 2;
  int x = g.Left + (W - w) / 2, y = g.Top + (H - t) / 2;
  if (Themed()) {
    TColor first, last;
    GlyphColours(Enabled, first, last);
    std::vector<TGradientSegment> rows;
    if (Plus)
      for (int r = y - o; r < y; ++r) rows.push_back({r, x + o, x + o + t});
    for (int r = y; r < y + t; ++r) rows.push_back({r, x, x + w});
    if (Plus)
      for (int r = y + t; r < y - o + w; ++r) rows.push_back({r, x + o, x + o + t});
    DrawGradientLines(C, Point(0, 0), rows, first, last);
    return;
  }
  std::vector<TRect> blocks{Bounds(x, y, w, t)};
  if (Plus) blocks.push_back(Bounds(x + o, y - o, t, w));
  FillGlyphBlocks(C, blocks, Enabled);
}

// Triangle rows; the widest row always takes the first colour.
void DrawArrow(TCanvas* C, const TRect& Face, bool Down, bool Enabled, bool Pressed) {
  int m = std::min(Face.Width(), Face.Height());
  int d = m >= 19 ? 9 : m >= 16 ? 7 : (m >= 12 || Themed()) ? 5 : 3;
  int r = d / 2 + 1;
  int x = (Face.Left + Face.Right - d) / 2, y = (Face.Top + Face.Bottom - r) / 2;
  if (Pressed) {
    ++x;
    ++y;
  }
  std::vector<TGradientSegment> rows;
  for (int k = 0; k < r; ++k) {
    int i = Down ? k : r - 1 - k;  // widest first
    int from = Down ? i : d / 2 - i, to = Down ? d - i : d / 2 + i + 1;
    rows.push_back({i, from, to});
  }
  TColor first, last;
  if (Themed())
    GlyphColours(Enabled, first, last);
  else
    first = last = Enabled ? clWindowText : clGrayText;
  DrawGradientLines(C, Point(x, y), rows, first, last);
}

void DrawArrowButtonFace(TCanvas* C, TRect R, bool Enabled, bool Flat, bool Active, bool Pressed, bool DownDirect) {
  if (Themed()) {
    if (DownDirect)
      R.Top -= 1;
    else
      R.Bottom += 1;
  }
  DrawPushFace(C, R, Enabled, Flat, Active, Pressed);
  DrawArrow(C, R, DownDirect, Enabled, Pressed);
}

void DrawAltDropDownButtonFace(TCanvas* C, const TRect& R, bool Enabled, bool Flat, bool Active, bool Pressed) {
  DrawPushFace(C, R, Enabled, Flat, Active, Pressed);
  DrawArrow(C, R, true, Enabled, Pressed);
}

void DrawCheckBoxFace(TCanvas* C, TRect R, TCheckBoxState State, bool Enabled, bool Flat, bool Pressed, bool Active) {
  R = SquareRect(R);
  int saved = 0;
  if (Flat) {
    saved = C->SaveDC();
    C->IntersectClipRect(Inset(R, Themed() ? 2 : 1));
    if (!Themed()) R.Inflate(1, 1);
  }
  if (Themed()) {
    TThemedCheck check = State == cbChecked ? tcChecked : State == cbGrayed ? tcMixed : tcUnchecked;
    DrawThemedCheckBox(C, R, check, ThemeState(Enabled, Pressed, Active));
  } else {
    ClassicCheckBox(C, R, State, !Enabled, Pressed);
  }
  if (Flat) {
    C->RestoreDC(saved);
    R.Inflate(-1, -1);
    Frame(C, R, (!Themed() && Active) ? clBtnFace : clBtnShadow);
  }
}

void DrawButtonFaceByStyle(TCanvas* C, TDrawButtonControlStyleEx Style, TRect R, bool Enabled, bool Flat, bool Active,
                           bool Pressed, bool DownDirect) {
  bool themed = Themed();
  bool edge = Active && Flat && !themed;
  int saved = 0;
  if (edge) {
    saved = C->SaveDC();
    C->IntersectClipRect(Inset(R, 1));
  }
  int grow = (Flat && !themed) ? (Active ? 1 : 2) : 0;
  R.Inflate(grow, grow);
  switch (Style) {
    case bcsDropDownEx: DrawDropDownButtonFace(C, R, Enabled, Flat, Active, Pressed); break;
    case bcsEllipsisEx: DrawEllipsisButtonFace(C, R, Enabled, Flat, Active, Pressed); break;
    case bcsUpDownEx: DrawUpDownButtonFace(C, R, Enabled, Flat, Active, Pressed, DownDirect); break;
    case bcsPlusEx: DrawPlusMinusButtonFace(C, R, true, Enabled, Flat, Active, Pressed); break;
    case bcsMinusEx: DrawPlusMinusButtonFace(C, R, false, Enabled, Flat, Active, Pressed); break;
    case bcsAltDropDownEx: DrawAltDropDownButtonFace(C, R, Enabled, Flat, Active, Pressed); break;
    case bcsAltUpDownEx: DrawArrowButtonFace(C, R, Enabled, Flat, Active, Pressed, DownDirect); break;
    case bcsCheckboxEx: break;
  }
  R.Inflate(-grow, -grow);
  if (edge) {
    C->RestoreDC(saved);
    C->DrawEdge(R, Pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  }
}

void PaintFace(TCanvas* C, const TRect& R, const TButtonBitmapInfoEx& Key) {
  if (R.IsEmpty()) return;
  if (ButtonFaceCacheEnabled && GlobalButtonBitmapCache) {
    TBitmap* bmp = GlobalButtonBitmapCache->GetButtonBitmap(Key);
    if (bmp->Width() > 0 && bmp->Height() > 0)
      C->CopyRect(Bounds(R.Left, R.Top, bmp->Width(), bmp->Height()), bmp->Canvas(),
                  Rect(0, 0, bmp->Width(), bmp->Height()));
    return;
  }
  if (Key.BitmapType == bcsCheckboxEx)
    DrawCheckBoxFace(C, R, Key.CheckState, Key.Enabled, Key.Flat, Key.Pressed, Key.Active);
  else
    DrawButtonFaceByStyle(C, Key.BitmapType, R, Key.Enabled, Key.Flat, Key.Active, Key.Pressed, Key.DownDirect);
}

TButtonBitmapInfoEx MakeKey(const TRect& R, TDrawButtonControlStyleEx Style, bool Flat, bool Pressed, bool Active,
                            bool Enabled, bool DownDirect, TCheckBoxState Check) {
  TButtonBitmapInfoEx k;
  k.Size = Point(std::max(0, R.Width()), std::max(0, R.Height()));
  k.BitmapType = Style;
  k.Flat = Flat;
  k.Pressed = Pressed;
  k.Active = Active;
  k.Enabled = Enabled;
  k.DownDirect = DownDirect;
  k.CheckState = Check;
  return k;
}

}  // namespace

bool ButtonBitmapInfoEquals(const TButtonBitmapInfoEx& A, const TButtonBitmapInfoEx& B) {
  return A.Size == B.Size && A.BitmapType == B.BitmapType && A.Flat == B.Flat && A.Pressed == B.Pressed &&
         A.Active == B.Active && A.Enabled == B.Enabled && A.DownDirect == B.DownDirect &&
         A.CheckState == B.CheckState;
}

TBitmap* TButtonsBitmapCache::GetButtonBitmap(TButtonBitmapInfoEx Info) {
  Info.Size.X = std::max(0, Info.Size.X);
  Info.Size.Y = std::max(0, Info.Size.Y);
  for (const auto& e : entries_)
    if (ButtonBitmapInfoEquals(e->BitmapInfo, Info)) return e->Bitmap.get();
  auto entry = std::make_unique<TButtonBitmapInfoBitmapEx>();
  entry->BitmapInfo = Info;
  entry->Bitmap = std::make_unique<TBitmap>(Info.Size.X, Info.Size.Y);
  if (Info.Size.X > 0 && Info.Size.Y > 0) {
    TCanvas* c = entry->Bitmap->Canvas();
    TRect r = Rect(0, 0, Info.Size.X, Info.Size.Y);
    if (Info.BitmapType == bcsCheckboxEx)
      DrawCheckBoxFace(c, r, Info.CheckState, Info.Enabled, Info.Flat, Info.Pressed, Info.Active);
    else
      DrawButtonFaceByStyle(c, Info.BitmapType, r, Info.Enabled, Info.Flat, Info.Active, Info.Pressed,
                            Info.DownDirect);
  }
  entries_.push_back(std::move(entry));
  return entries_.back()->Bitmap.get();
}

void TButtonsBitmapCache::Clear() { entries_.clear(); }

void FlushButtonBitmapCache() {
  if (GlobalButtonBitmapCache) GlobalButtonBitmapCache->Clear();
}

void DrawEditButtonFace(TCanvas* Canvas, const TRect& Rect, TColor ParentColor, TDrawButtonControlStyleEx Style,
                        int DownButton, bool Flat, bool Active, bool Enabled, TCheckBoxState CheckState) {
  const bool themed = Themed();
  if (Style == bcsCheckboxEx) {
    TRect r = SquareRect(Rect);
    if (Flat && !themed) r.Inflate(-1, -1);
    PaintFace(Canvas, r, MakeKey(r, bcsCheckboxEx, Flat, DownButton != 0, Active, Enabled, false, CheckState));
    if (!Flat) return;
    if (!themed) r.Inflate(1, 1);
    if (Active && !themed) {
      Canvas->DrawEdge(r, BDR_SUNKENOUTER, BF_RECT);
      return;
    }
    Frame(Canvas, r, ParentColor);
    return;
  }

  const bool erase = Flat && !Active && !themed;
  const bool cached = ButtonFaceCacheEnabled && GlobalButtonBitmapCache;
  TRect r = Rect;
  int saved = 0;
  if (erase) {
    r.Inflate(-1, -1);
    if (!cached) {
      saved = Canvas->SaveDC();
      Canvas->IntersectClipRect(r);
    }
  }
  if (Style == bcsUpDownEx || Style == bcsAltUpDownEx) {
    if (erase) r.Inflate(1, 1);
    int h = r.Height();
    TRect upper = r, lower = r;
    upper.Bottom = r.Top + h / 2;
    lower.Top = r.Bottom - h / 2;
    if (erase) {
      upper.Inflate(-1, -1);
      lower.Inflate(-1, -1);
    }
    PaintFace(Canvas, upper, MakeKey(upper, Style, Flat, DownButton == 1, Active, Enabled, false, cbUnchecked));
    PaintFace(Canvas, lower, MakeKey(lower, Style, Flat, DownButton == 2, Active, Enabled, true, cbUnchecked));
    if (h % 2 != 0 || erase) {
      int mid = (r.Top + r.Bottom) / 2;
      TRect strip = ui::Rect(r.Left, mid, r.Right, mid + (h % 2 != 0 ? 1 : 0));
      if (erase) {
        strip.Top -= 1;
        strip.Bottom += 1;
      }
      Fill(Canvas, strip, ParentColor);
    }
  } else {
    PaintFace(Canvas, r, MakeKey(r, Style, Flat, DownButton != 0, Active, Enabled, false, cbUnchecked));
  }
  if (erase) {
    if (!cached) Canvas->RestoreDC(saved);
    // The frame goes round the button's own rectangle: the up-down path has
    // already grown its rectangle back, and growing it again would draw the
    // frame outside the button.
    Frame(Canvas, Rect, ParentColor);
  }
}

int ComputeFlatButtonWidth() {
  const TEditorSystemMetrics& m = EditorSystemMetrics();
  int w = RoundEven(m.ScreenTextHeight / 3.0 * 2.0);
  if (Themed()) {
    if (w % 2 != 0) ++w;
  } else if (w % 2 == 0) {
    ++w;
  }
  return std::min(w, m.VScrollWidth);
}

int ButtonHeightFromWidth(int Width, bool Flat) { return Flat ? RoundEven(Width * 3 / 2.0) : Width; }

TRect AlignCheckBoxRect(const TRect& R, TAlignment HorzAlign, TTextLayout VertAlign) {
  int cw = std::min(CheckBoxWidth, R.Width()), ch = std::min(CheckBoxHeight, R.Height());
  int left = R.Left, top = R.Top;
  if (R.Width() > CheckBoxWidth) {
    if (HorzAlign == taRightJustify)
      left = R.Right - cw;
    else if (HorzAlign == taCenter)
      left = R.Left + R.Width() / 2 - cw / 2;
  }
  if (R.Height() > CheckBoxHeight) {
    if (VertAlign == tlCenter)
      top = R.Top + R.Height() / 2 - ch / 2;
    else if (VertAlign == tlBottom)
      top = R.Bottom - ch;
  }
  return Bounds(left, top, cw, ch);
}

TColor BlendColorsPercent(TColor A, TColor B, int Percent) {
  std::uint32_t a = ColorToRGB(A), b = ColorToRGB(B);
  auto mix = [&](int x, int y) { return Channel(x + (y - x) * Percent / 100.0); };
  return RGBColor(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

void DrawGradientLines(TCanvas* Canvas, TPoint Origin, const std::vector<TGradientSegment>& Segments, TColor First,
                       TColor Last) {
  const int n = static_cast<int>(Segments.size());
  std::uint32_t a = ColorToRGB(First), b = ColorToRGB(Last);
  const double div = std::max(n - 1, 1);
  for (int k = 0; k < n; ++k) {
    auto mix = [&](int x, int y) { return Channel(x + (y - x) * k / div); };
    TColor c = RGBColor(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
                        mix(GetBValue(a), GetBValue(b)));
    const TGradientSegment& s = Segments[static_cast<std::size_t>(k)];
    if (s.To > s.From)
      Fill(Canvas, Rect(Origin.X + s.From, Origin.Y + s.Row, Origin.X + s.To, Origin.Y + s.Row + 1), c);
  }
}

void InitEditorTools() {
  FlatButtonWidth = ComputeFlatButtonWidth();
  if (!GlobalButtonBitmapCache) GlobalButtonBitmapCache = new TButtonsBitmapCache;
  const TEditorSystemMetrics& m = EditorSystemMetrics();
  CheckBoxWidth = m.CheckBoxesBitmapWidth / 4;
  CheckBoxHeight = m.CheckBoxesBitmapHeight / 3;
}

void DoneEditorTools() {
  delete GlobalButtonBitmapCache;
  GlobalButtonBitmapCache = nullptr;
}

}  // namespace grid
