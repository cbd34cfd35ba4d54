#include "components/support/panels/kit_borders.h"

#include "components/support/panels/kit_colors.h"

namespace kit {
namespace {

using ui::clBtnHighlight;
using ui::clBtnShadow;
using ui::clBtnText;
using ui::cl3DDkShadow;
using ui::cl3DLight;
using ui::clWindow;

void HLine(TCanvas* c, int x1, int x2, int y, TColor color) {
  if (x2 <= x1) return;
  c->Pen()->SetColor(color);
  c->MoveTo(x1, y);
  c->LineTo(x2, y);
}

void VLine(TCanvas* c, int x, int y1, int y2, TColor color) {
  if (y2 <= y1) return;
  c->Pen()->SetColor(color);
  c->MoveTo(x, y1);
  c->LineTo(x, y2);
}

void PreparePen(TCanvas* c) {
  c->Pen()->SetWidth(1);
  c->Pen()->SetStyle(ui::psSolid);
  c->Pen()->SetMode(ui::pmCopy);
}

struct Pair {
  TColor ul, lr;
};

Pair SingleColors(TFrameStyle s) {
  switch (s) {
    case fsFlat: return {cl3DDkShadow, cl3DDkShadow};
    case fsGroove: return {clBtnShadow, clBtnHighlight};
    case fsBump: return {clBtnHighlight, clBtnShadow};
    case fsStatus: return {clBtnShadow, clBtnHighlight};
    case fsPopup: return {clBtnHighlight, clBtnShadow};
    case fsFlatBold: return {clBtnShadow, clBtnShadow};
    default: return {clWindow, clWindow};
  }
}

bool TwoLineColors(TFrameStyle s, Pair& outer, Pair& inner) {
  switch (s) {
    case fsRaised: outer = {cl3DLight, cl3DDkShadow}; inner = {clBtnHighlight, clBtnShadow}; return true;
    case fsLowered: outer = {clBtnShadow, clBtnHighlight}; inner = {cl3DDkShadow, cl3DLight}; return true;
    case fsButtonUp: outer = {clBtnHighlight, cl3DDkShadow}; inner = {cl3DLight, clBtnShadow}; return true;
    case fsButtonDown: outer = {clBtnText, clBtnText}; inner = {clBtnShadow, clBtnShadow}; return true;
    default: return false;
  }
}

}  // namespace

TRect DrawSides(TCanvas* c, TRect r, TColor ul, TColor lr, TSides sides) {
  PreparePen(c);
  if (ul != ui::clNone) {
    if (sides.Contains(sdLeft)) VLine(c, r.Left, r.Top, r.Bottom, ul);
    if (sides.Contains(sdTop)) HLine(c, r.Left, r.Right, r.Top, ul);
  }
  if (lr != ui::clNone) {
    if (sides.Contains(sdRight)) VLine(c, r.Right - 1, r.Top, r.Bottom, lr);
    if (sides.Contains(sdBottom)) HLine(c, r.Left, r.Right, r.Bottom - 1, lr);
  }
  if (sides.Contains(sdLeft)) ++r.Left;
  if (sides.Contains(sdTop)) ++r.Top;
  if (sides.Contains(sdRight)) --r.Right;
  if (sides.Contains(sdBottom)) --r.Bottom;
  return r;
}

TRect DrawBox(TCanvas* c, TRect r, TColor ul, TSides sides, int count, TColor lr) {
  for (int i = 0; i < count; ++i) r = DrawSides(c, r, ul, lr, sides);
  return r;
}

TRect DrawBorderSides(TCanvas* c, TRect r, TFrameStyle style, TSides sides) {
  Pair outer, inner;
  switch (style) {
    case fsNone: return r;
    case fsFlat:
    case fsStatus:
    case fsPopup: {
      Pair p = SingleColors(style);
      return DrawSides(c, r, p.ul, p.lr, sides);
    }
    case fsFlatBold: {
      Pair p = SingleColors(style);
      return DrawBox(c, r, p.ul, sides, 2, p.lr);
    }
    case fsGroove:
    case fsBump: {
      Pair p = SingleColors(style);
      const bool left = sides.Contains(sdLeft), top = sides.Contains(sdTop), right = sides.Contains(sdRight),
                 bottom = sides.Contains(sdBottom);
      const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
      if (right)
        c->SetPixel(R - 1, T, p.lr);
      else if (top)
        c->SetPixel(R - 1, T, p.ul);
      if (bottom)
        c->SetPixel(L, B - 1, p.lr);
      else if (left)
        c->SetPixel(L, B - 1, p.ul);
      if (top && !left) c->SetPixel(L, T + 1, p.lr);
      if (left && !top) c->SetPixel(L + 1, T, p.lr);
      if (bottom && !right) c->SetPixel(R - 1, B - 2, p.ul);
      if (right && !bottom) c->SetPixel(R - 2, B - 1, p.ul);
      // The light line one pixel right and down, the dark one over it.
      DrawSides(c, ui::Rect(L + 1, T + 1, R, B), p.lr, p.lr, sides);
      DrawSides(c, ui::Rect(L, T, R - 1, B - 1), p.ul, p.ul, sides);
      if (left) r.Left += 2;
      if (top) r.Top += 2;
      if (right) r.Right -= 2;
      if (bottom) r.Bottom -= 2;
      return r;
    }
    case fsFlatRounded:
      // The colour table has no row for this style: the panel's rounded look.
      return DrawRoundedFlatBorder(c, r, clBtnShadow, sides);
    default:
      if (TwoLineColors(style, outer, inner)) {
        r = DrawSides(c, r, outer.ul, outer.lr, sides);
        return DrawSides(c, r, inner.ul, inner.lr, sides);
      }
      return r;
  }
}

TRect DrawBorder(TCanvas* c, const TRect& r, TFrameStyle style) { return DrawBorderSides(c, r, style, sdAllSides); }

TRect DrawRoundedFlatBorder(TCanvas* c, TRect r, TColor color, TSides sides) {
  PreparePen(c);
  const bool left = sides.Contains(sdLeft), top = sides.Contains(sdTop), right = sides.Contains(sdRight),
             bottom = sides.Contains(sdBottom);
  const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
  if (left) VLine(c, L, T + (top ? 2 : 0), B - (bottom ? 2 : 0), color);
  if (top) HLine(c, L + (left ? 2 : 0), R - (right ? 2 : 0), T, color);
  if (right) VLine(c, R - 1, T + (top ? 2 : 0), B - (bottom ? 2 : 0), color);
  if (bottom) HLine(c, L + (left ? 2 : 0), R - (right ? 2 : 0), B - 1, color);
  if (left && top) c->SetPixel(L + 1, T + 1, color);
  if (right && top) c->SetPixel(R - 2, T + 1, color);
  if (right && bottom) c->SetPixel(R - 2, B - 2, color);
  if (left && bottom) c->SetPixel(L + 1, B - 2, color);
  if (left) r.Left += 2;
  if (top) r.Top += 2;
  if (right) r.Right -= 2;
  if (bottom) r.Bottom -= 2;
  return r;
}

TRect DrawFrame(TCanvas* c, TRect r, const TFrameParams& P) {
  const TColor flat = AdjustColor(P.FlatColor, P.FlatColorAdjustment);
  const bool banded = P.BorderWidth > 0 || P.InnerStyle != fsNone;
  auto drawStyle = [&](TFrameStyle style, bool isInner) {
    switch (style) {
      case fsFlat:
        if (isInner && P.FlatOnly) {
          PreparePen(c);
          if (P.Sides.Contains(sdLeft)) VLine(c, r.Left, r.Top + 1, r.Bottom - 1, flat);
          if (P.Sides.Contains(sdTop)) HLine(c, r.Left + 1, r.Right - 1, r.Top, flat);
          if (P.Sides.Contains(sdRight)) VLine(c, r.Right - 1, r.Top + 1, r.Bottom - 1, flat);
          if (P.Sides.Contains(sdBottom)) HLine(c, r.Left + 1, r.Right - 1, r.Bottom - 1, flat);
          r.Inflate(-1, -1);
        } else {
          r = DrawBox(c, r, flat, P.Sides, 1, flat);
        }
        break;
      case fsFlatBold: r = DrawBox(c, r, flat, P.Sides, 2, flat); break;
      case fsFlatRounded: {
        TRect outer = r;
        if (!P.Transparent) {
          if (isInner) {
            TRect t = DrawBox(c, r, P.BorderColor, P.Sides, 1, P.BorderColor);
            DrawBox(c, t, P.PanelColor, P.Sides, 1, P.PanelColor);
          } else {
            TRect t = DrawBox(c, r, P.ParentColor, P.Sides, 1, P.ParentColor);
            TColor second = banded ? P.BorderColor : P.PanelColor;
            DrawBox(c, t, second, P.Sides, 1, second);
          }
        } else if (!isInner && banded) {
          TRect t = r;
          t.Inflate(-1, -1);
          DrawBox(c, t, P.BorderColor, P.Sides, 1, P.BorderColor);
        }
        r = DrawRoundedFlatBorder(c, outer, flat, P.Sides);
        break;
      }
      case fsPopup: r = DrawBox(c, r, P.BorderHighlight, P.Sides, P.BevelWidth, P.BorderShadow); break;
      case fsStatus: r = DrawBox(c, r, P.BorderShadow, P.Sides, P.BevelWidth, P.BorderHighlight); break;
      default: r = DrawBorderSides(c, r, style, P.Sides); break;
    }
  };
  drawStyle(P.OuterStyle, false);
  // The border band goes all round: the children are laid out inside it on every side.
  if (P.BorderWidth > 0) r = DrawBox(c, r, P.BorderColor, sdAllSides, P.BorderWidth, P.BorderColor);
  drawStyle(P.InnerStyle, true);
  return r;
}

void InvalidateTransparentChildren(ui::TWinControl* Panel) {
  if (!Panel) return;
  for (int i = 0; i < Panel->ControlCount(); ++i) {
    ui::TControl* child = Panel->Controls(i);
    const ui::TPropInfo* info = child->ClassInfo().FindProp("Transparent");
    if (info && info->GetOrd && info->GetOrd(child) != 0) child->Invalidate();
  }
}

std::unique_ptr<ui::TFont> CreateRotatedFont(const ui::TFont* Font, int Angle) {
  auto f = std::make_unique<ui::TFont>();
  f->Assign(Font);
  f->SetOrientation(Angle * 10);
  return f;
}

char16_t LastChar(const String& Text) {
  if (Text.empty()) throw rtl::ERangeError(u"Range check error");
  return Text.back();
}

}  // namespace kit
