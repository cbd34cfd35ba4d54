#include "components/support/panels/kit_panel.h"

#include <algorithm>

#include "components/support/panels/kit_borders.h"
#include "components/support/panels/kit_colors.h"
#include "components/support/panels/kit_grafx.h"
#include "components/support/panels/kit_panel_dock.h"
#include "platform/ui/themes.h"
#include "platform/classes/scoped_change.h"

namespace kit {

using ui::TControl;
using ui::TPoint;

const ui::TClassInfo& TKitCustomPanel::StaticClassInfo() {
  using C = TKitCustomPanel;
  static const ui::TClassInfo info =
      ui::TClassBuilder<C>("TKitCustomPanel", &ui::TPanel::StaticClassInfo())
          .Enum("AlignmentVertical", "TAlignmentVertical", {"avTop", "avCenter", "avBottom"}, &C::AlignmentVertical,
                &C::SetAlignmentVertical, avCenter)
          .Integer("BorderColor", &C::BorderColor, &C::SetBorderColor, ui::clBtnFace)
          .Enum("BorderInner", "TFrameStyleEx", FrameStyleNames(), &C::BorderInner, &C::SetBorderInner, fsNone)
          .Enum("BorderOuter", "TFrameStyleEx", FrameStyleNames(), &C::BorderOuter, &C::SetBorderOuter, fsRaised)
          .Set("BorderSides", "TSides", SideNames(), &C::BorderSidesBits, &C::SetBorderSidesBits)
          .Integer("BorderHighlight", &C::BorderHighlight, &C::SetBorderHighlight, ui::clBtnHighlight)
          .Integer("BorderShadow", &C::BorderShadow, &C::SetBorderShadow, ui::clBtnShadow)
          .Integer("FlatColor", &C::FlatColor, &C::SetFlatColor, ui::clBtnShadow)
          .Integer("FlatColorAdjustment", &C::FlatColorAdjustment, &C::SetFlatColorAdjustment, 30)
          .Object("FrameController", "TKitFrameController", &C::FrameController, &C::SetFrameController)
          .Set("FrameControllerNotifications", "TKitFrameControllerNotifications",
               FrameControllerNotificationNames(), &C::NotificationBits, &C::SetNotificationBits)
          .Boolean("FullRepaint", &C::FullRepaint, &C::SetFullRepaint, 1)
          .Enum("GradientColorStyle", "TKitGradientColorStyle", {"gcsSystem", "gcsMSOffice", "gcsCustom"},
                &C::GradientColorStyle, &C::SetGradientColorStyle, gcsSystem)
          .Integer("GradientColorStart", &C::GradientColorStart, &C::SetGradientColorStart, ui::clWhite)
          .Integer("GradientColorStop", &C::GradientColorStop, &C::SetGradientColorStop, ui::clBtnFace)
          .Enum("GradientDirection", "TGradientDirection",
                {"gdDiagonalUp", "gdDiagonalDown", "gdHorizontalEnd", "gdHorizontalCenter", "gdHorizontalBox",
                 "gdVerticalEnd", "gdVerticalCenter", "gdVerticalBox", "gdSquareBox", "gdBigSquareBox"},
                &C::GradientDirection, &C::SetGradientDirection, gdHorizontalEnd)
          .Integer("GridColor", &C::GridColor, &C::SetGridColor, ui::clBtnShadow)
          .Enum("GridStyle", "TKitGridStyle", {"gsDots", "gsDottedLines", "gsSolidLines"}, &C::GridStyle,
                &C::SetGridStyle, gsDots)
          .Integer("GridXSize", &C::GridXSize, &C::SetGridXSize, 8)
          .Integer("GridYSize", &C::GridYSize, &C::SetGridYSize, 8)
          .Boolean("Locked", &C::Locked, &C::SetLocked, 0)
          .Boolean("PaintClientArea", &C::PaintClientArea, &C::SetPaintClientArea, 1)
          .Boolean("ShowDockClientCaptions", &C::ShowDockClientCaptions, &C::SetShowDockClientCaptions, 1)
          .Boolean("ShowGrid", &C::ShowGrid, &C::SetShowGrid, 0)
          .Integer("TextMargin", &C::TextMargin, &C::SetTextMargin, 0)
          .Integer("TextMarginVertical", &C::TextMarginVertical, &C::SetTextMarginVertical, 0)
          .Boolean("Transparent", &C::Transparent, &C::SetTransparent, 0)
          .Enum("VisualStyle", "TKitVisualStyle", {"vsClassic", "vsWinXP", "vsGradient"}, &C::VisualStyle,
                &C::SetVisualStyle, vsWinXP)
          .Boolean("WordWrap", &C::WordWrap, &C::SetWordWrap, 1)
          .Boolean("UseGradients", &C::VisualStyleIsGradient, &C::SetUseGradients, 0)
          .NotStored()
          .Boolean("DockSite", &C::DockSite, &C::SetDockSite, 0)
          .Boolean("UseDockManager", &C::UseDockManager, &C::SetUseDockManager, 1)
          .Build();
  return info;
}

const ui::TClassInfo& TKitPanel::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TKitPanel>("TKitPanel", &TKitCustomPanel::StaticClassInfo()).Build();
  return info;
}

TKitCustomPanel::TKitCustomPanel(ui::TComponent* AOwner) : ui::TPanel(AOwner) {
  SetBevelOuter(ui::bvNone);
  controlStyle_.Include(ui::csOpaque);
  controlStyle_.Exclude(ui::csParentBackground);
}

TKitCustomPanel::~TKitCustomPanel() {
  BeginDestroy();
  if (FFrameController) FFrameController->RemoveControl(this);
  FDockManager.reset();
}

// --- geometry ----------------------------------------------------------------------

void TKitCustomPanel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  // A panel docked to the bottom (right) keeps that edge where it is.
  if (Align() == ui::alBottom && AHeight != Height() && ATop == Top()) ATop = Top() + Height() - AHeight;
  if (Align() == ui::alRight && AWidth != Width() && ALeft == Left()) ALeft = Left() + Width() - AWidth;
  ui::TPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
}

int TKitCustomPanel::FrameExtent(TFrameStyle Style) const {
  switch (Style) {
    case fsNone: return 0;
    case fsFlat: return 1;
    case fsStatus:
    case fsPopup: return BevelWidth();
    default: return 2;
  }
}

TRect TKitCustomPanel::AdjustBorderRect(TRect R, bool WithBorderWidth) {
  if (WithBorderWidth) R.Inflate(-BorderWidth(), -BorderWidth());
  for (TFrameStyle style : {FBorderOuter, FBorderInner}) {
    int n = FrameExtent(style);
    if (FBorderSides.Contains(sdLeft)) R.Left += n;
    if (FBorderSides.Contains(sdTop)) R.Top += n;
    if (FBorderSides.Contains(sdRight)) R.Right -= n;
    if (FBorderSides.Contains(sdBottom)) R.Bottom -= n;
  }
  return R;
}

void TKitCustomPanel::AdjustClientRect(TRect& R) { R = AdjustBorderRect(R, true); }

void TKitCustomPanel::AlignControls(TControl* AControl, TRect& R) {
  ui::TScopedValue aligning(FInAlignControls, true);
  ui::TPanel::AlignControls(AControl, R);
  if (FDockManager) FDockManager->ResetBounds(R);
}

TPoint TKitCustomPanel::GetCursorClientPos() { return ScreenToClient(ui::Screen ? ui::Screen->CursorPos() : TPoint{}); }

TRect TKitCustomPanel::GetPaintRect() { return ui::Rect(0, 0, Width(), Height()); }

TPoint TKitCustomPanel::GetBorderRepaintExtent() { return {1, 1}; }

void TKitCustomPanel::SizeChanged(int OldWidth, int OldHeight) {
  ui::TPanel::SizeChanged(OldWidth, OldHeight);
  if (FFullRepaint || !Caption().empty()) {
    Invalidate();
    return;
  }
  // Only the border strips that moved need painting again.
  TRect inner = AdjustBorderRect(ui::Rect(0, 0, Width(), Height()), true);
  TPoint ext = GetBorderRepaintExtent();
  if (Width() != OldWidth) InvalidateRect(ui::Rect(inner.Right - ext.X, 0, Width(), Height()));
  if (Height() != OldHeight) InvalidateRect(ui::Rect(0, inner.Bottom - ext.Y, Width(), Height()));
}

// --- colours and painting ------------------------------------------------------------

void TKitCustomPanel::GetGradientColors(TColor& First, TColor& Second) {
  if (FGradientColorStyle == gcsCustom) {
    First = FGradientColorStart;
    Second = FGradientColorStop;
  } else {
    GetPanelGradientColors(FGradientColorStyle, First, Second);
  }
}

void TKitCustomPanel::GetFlatColors(TColor& Color, int& Adjustment) {
  if (FVisualStyle != vsGradient || FGradientColorStyle == gcsCustom) {
    Color = FFlatColor;
    Adjustment = FFlatColorAdjustment;
  } else {
    Color = GetXPFrameColor(FGradientColorStyle);
    Adjustment = 0;
  }
}

void TKitCustomPanel::Paint() {
  TCanvas* c = Canvas();
  if (FTransparent && FPaintClientArea) DrawParentImage(this, c, false);
  TRect r = GetPaintRect();
  TFrameParams p;
  GetFlatColors(p.FlatColor, p.FlatColorAdjustment);
  p.OuterStyle = FBorderOuter;
  p.Transparent = FTransparent;
  p.ParentColor = Parent() ? Parent()->Color() : ui::clBtnFace;
  p.PanelColor = Color();
  p.BorderColor = FBorderColor;
  p.BorderHighlight = FBorderHighlight;
  p.BorderShadow = FBorderShadow;
  p.BevelWidth = BevelWidth();
  p.Sides = FBorderSides;
  p.BorderWidth = BorderWidth();
  p.InnerStyle = FBorderInner;
  r = DrawFrame(c, r, p);

  if (!FTransparent && FPaintClientArea) {
    const bool rounded = (FBorderOuter == fsFlatRounded && FBorderInner == fsNone && BorderWidth() == 0) ||
                         FBorderInner == fsFlatRounded;
    TRect fill = r;
    if (rounded) {
      if (FBorderSides.Contains(sdLeft)) --fill.Left;
      if (FBorderSides.Contains(sdTop)) --fill.Top;
      if (FBorderSides.Contains(sdRight)) ++fill.Right;
      if (FBorderSides.Contains(sdBottom)) ++fill.Bottom;
    }
    if (FVisualStyle == vsGradient) {
      TColor first, second;
      GetGradientColors(first, second);
      FillGradient(c, fill, FGradientDirection, 1, second, first);
    } else {
      c->Brush()->SetStyle(ui::bsSolid);
      c->Brush()->SetColor(Color());
      c->FillRect(fill);
    }
    if (rounded) {
      TColor corner = AdjustColor(p.FlatColor, p.FlatColorAdjustment);
      const bool l = FBorderSides.Contains(sdLeft), t = FBorderSides.Contains(sdTop),
                 rt = FBorderSides.Contains(sdRight), b = FBorderSides.Contains(sdBottom);
      if (l && t) c->SetPixel(fill.Left, fill.Top, corner);
      if (rt && t) c->SetPixel(fill.Right - 1, fill.Top, corner);
      if (rt && b) c->SetPixel(fill.Right - 1, fill.Bottom - 1, corner);
      if (l && b) c->SetPixel(fill.Left, fill.Bottom - 1, corner);
    }
  }
  if (FShowGrid) DrawGrid(r);
  c->Brush()->SetStyle(ui::bsClear);
  DrawPanelCaption(r);
  c->Brush()->SetStyle(ui::bsSolid);
  if (FDockManager) FDockManager->PaintSite(c);
  if (OnPaint) OnPaint(this);
}

void TKitCustomPanel::DrawGrid(const TRect& R) {
  TCanvas* c = Canvas();
  const int cols = FGridXSize > 0 ? R.Width() / FGridXSize : 0;
  const int rows = FGridYSize > 0 ? R.Height() / FGridYSize : 0;
  c->Pen()->SetColor(FGridColor);
  c->Pen()->SetStyle(ui::psSolid);
  c->Pen()->SetWidth(1);
  switch (FGridStyle) {
    case gsDots:
      for (int i = 1; i <= cols; ++i)
        for (int j = 1; j <= rows; ++j) c->SetPixel(R.Left + FGridXSize * i - 1, R.Top + FGridYSize * j - 1, FGridColor);
      break;
    case gsSolidLines:
      for (int i = 1; i <= cols; ++i) {
        c->MoveTo(R.Left + FGridXSize * i - 1, R.Top);
        c->LineTo(R.Left + FGridXSize * i - 1, R.Bottom);
      }
      for (int j = 1; j <= rows; ++j) {
        c->MoveTo(R.Left, R.Top + FGridYSize * j - 1);
        c->LineTo(R.Right, R.Top + FGridYSize * j - 1);
      }
      break;
    case gsDottedLines:
      for (int i = 1; i <= cols; ++i)
        for (int y = R.Top + 1; y < R.Bottom; y += 2) c->SetPixel(R.Left + FGridXSize * i - 1, y, FGridColor);
      for (int j = 1; j <= rows; ++j)
        for (int x = R.Left + 1; x < R.Right; x += 2) c->SetPixel(x, R.Top + FGridYSize * j - 1, FGridColor);
      break;
  }
}

void TKitCustomPanel::DrawPanelCaption(TRect R) {
  String caption = Caption();
  if (caption.empty()) return;
  TCanvas* c = Canvas();
  R.Left += FTextMargin;
  R.Right -= FTextMargin;
  R.Top += FTextMarginVertical;
  R.Bottom -= FTextMarginVertical;
  unsigned flags = ui::DT_EXPANDTABS | (FWordWrap ? ui::DT_WORDBREAK : 0u);
  if (Alignment() == ui::taRightJustify)
    flags |= ui::DT_RIGHT;
  else if (Alignment() == ui::taCenter)
    flags |= ui::DT_CENTER;
  c->SetFont(Font());
  if (!Enabled()) c->Font()->SetColor(ui::clGrayText);
  TRect measure = R;
  int h = c->DrawText(caption, measure, flags | ui::DT_CALCRECT);
  switch (FAlignmentVertical) {
    case avTop: R.Bottom = std::min(R.Bottom, R.Top + h); break;
    case avCenter:
      R.Top = (R.Top + R.Bottom - h) / 2;
      R.Bottom = std::min(R.Bottom, R.Top + h);
      break;
    case avBottom: R.Top = std::max(R.Top, R.Bottom - h - 1); break;
  }
  c->DrawText(caption, R, flags);
}

// --- children's enabled states ---------------------------------------------------------

void TKitCustomPanel::EnabledChanged() {
  ui::TPanel::EnabledChanged();
  Invalidate();
  UpdateChildrenEnabled(Enabled());
}

void TKitCustomPanel::UpdateChildrenEnabled(bool Enabled) {
  if (!Enabled) {
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* child = Controls(i);
      auto it = std::find_if(FEnabledList.begin(), FEnabledList.end(), [&](auto& e) { return e.first == child; });
      if (it == FEnabledList.end())
        FEnabledList.emplace_back(child, child->Enabled());
      else
        it->second = child->Enabled();
    }
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetEnabled(false);
    return;
  }
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    auto it = std::find_if(FEnabledList.begin(), FEnabledList.end(), [&](auto& e) { return e.first == child; });
    if (it == FEnabledList.end() || it->second) child->SetEnabled(true);
  }
  FEnabledList.clear();
}

void TKitCustomPanel::Dispatch(ui::TMessage& Message) {
  switch (Message.Msg) {
    case ui::CM_CONTROLCHANGE:
      if (Message.LParam == 0) {
        // A child that leaves takes its saved state along: a later child
        // (perhaps at the same address) must not inherit it.
        auto* gone = reinterpret_cast<TControl*>(Message.WParam);
        std::erase_if(FEnabledList, [&](auto& e) { return e.first == gone; });
        if (std::erase(FDockClients, gone) && FDockManager) {
          FDockManager->ClientRemoved(gone);
          if (!IsDestroying()) {
            Realign();
            Invalidate();
          }
        }
      }
      break;
    case ui::CM_THEMECHANGED:
      RefreshColorScheme();
      Invalidate();
      break;
    default: break;
  }
  ui::TPanel::Dispatch(Message);
}

void TKitCustomPanel::WndProc(ui::TMessage& Message) {
  // The dock manager takes the presses and drags on its grabbers.
  if (FDockManager && FDockManager->SiteMessage(Message)) return;
  ui::TPanel::WndProc(Message);
}

// --- frame controller ---------------------------------------------------------------------

void TKitCustomPanel::Notification(ui::TComponent* AComponent, ui::TOperation Operation) {
  ui::TPanel::Notification(AComponent, Operation);
  if (Operation == ui::opRemove && AComponent == FFrameController) FFrameController = nullptr;
}

void TKitCustomPanel::SetFrameController(TKitFrameController* Value) {
  TKitFrameController::Rebind(this, FFrameController, Value);
}

void TKitCustomPanel::FrameControllerChanged(TKitFrameController*) { ApplyFrameController(); }

void TKitCustomPanel::ApplyFrameController() {
  TKitFrameController* fc = FFrameController;
  if (!fc || !fc->FrameVisible()) return;
  const auto& n = FFrameControllerNotifications;
  if (n.Contains(fcpFrameStyle)) SetBorderOuter(fc->FrameStyle());
  if (n.Contains(fcpFrameSides)) SetBorderSides(fc->FrameSides());
  if (n.Contains(fcpFrameColor)) {
    SetFlatColor(fc->FrameColor());
    SetFlatColorAdjustment(0);
  }
  if (n.Contains(fcpColor)) SetColor(fc->Color());
  if (n.Contains(fcpParentColor)) SetParentColor(fc->ParentColor());
  if (n.Contains(fcpColor)) {
    SetBorderHighlight(LightenColor(Color(), 100));
    SetBorderShadow(DarkenColor(Color(), 50));
  }
  Invalidate();
}

// --- setters ----------------------------------------------------------------------------

void TKitCustomPanel::BorderChanged() {
  Realign();
  Invalidate();
}

void TKitCustomPanel::SetAlignmentVertical(TAlignmentVertical Value) {
  ui::SetChanged(FAlignmentVertical, Value, [this] { Invalidate(); });
}
void TKitCustomPanel::SetBorderColor(TColor Value) {
  ui::SetChanged(FBorderColor, Value, [this] { Invalidate(); });
}
void TKitCustomPanel::SetBorderHighlight(TColor Value) {
  ui::SetChanged(FBorderHighlight, Value, [this] { Invalidate(); });
}
void TKitCustomPanel::SetBorderShadow(TColor Value) {
  ui::SetChanged(FBorderShadow, Value, [this] { Invalidate(); });
}
void TKitCustomPanel::SetFlatColor(TColor Value) {
  ui::SetChanged(FFlatColor, Value, [this] { Invalidate(); });
}
void TKitCustomPanel::SetGridColor(TColor Value) {
  ui::SetChanged(FGridColor, Value, [this] { Invalidate(); });
}
void TKitCustomPanel::SetGridStyle(TKitGridStyle Value) {
  ui::SetChanged(FGridStyle, Value, [this] { Invalidate(); });
}
void TKitCustomPanel::SetPaintClientArea(bool Value) {
  ui::SetChanged(FPaintClientArea, Value, [this] { Invalidate(); });
}
void TKitCustomPanel::SetShowGrid(bool Value) {
  ui::SetChanged(FShowGrid, Value, [this] { Invalidate(); });
}
void TKitCustomPanel::SetTextMargin(int Value) {
  ui::SetChanged(FTextMargin, Value, [this] { Invalidate(); });
}
void TKitCustomPanel::SetTextMarginVertical(int Value) {
  ui::SetChanged(FTextMarginVertical, Value, [this] { Invalidate(); });
}
void TKitCustomPanel::SetWordWrap(bool Value) {
  ui::SetChanged(FWordWrap, Value, [this] { Invalidate(); });
}
void TKitCustomPanel::SetVisualStyle(TKitVisualStyle Value) {
  ui::SetChanged(FVisualStyle, Value, [this] { Invalidate(); });
}
void TKitCustomPanel::SetShowDockClientCaptions(bool Value) {
  ui::SetChanged(FShowDockClientCaptions, Value, [this] { Invalidate(); });
}

void TKitCustomPanel::SetBorderInner(TFrameStyleEx Value) {
  if (Value == FBorderInner) return;
  FBorderInner = Value;
  BorderChanged();
}

void TKitCustomPanel::SetBorderOuter(TFrameStyleEx Value) {
  if (Value == FBorderOuter) return;
  FBorderOuter = Value;
  BorderChanged();
}

void TKitCustomPanel::SetBorderSides(TSides Value) {
  if (Value == FBorderSides) return;
  FBorderSides = Value;
  BorderChanged();
}

void TKitCustomPanel::SetFlatColorAdjustment(int Value) {
  CheckColorAdjustment(Value);
  if (Value == FFlatColorAdjustment) return;
  FFlatColorAdjustment = Value;
  Invalidate();
}

void TKitCustomPanel::SetGradientColorStyle(TKitGradientColorStyle Value) {
  if (Value == FGradientColorStyle) return;
  FGradientColorStyle = Value;
  Invalidate();
}

void TKitCustomPanel::SetGradientColorStart(TColor Value) {
  if (Value == FGradientColorStart) return;
  FGradientColorStart = Value;
  Invalidate();
  InvalidateTransparentChildren(this);
}

void TKitCustomPanel::SetGradientColorStop(TColor Value) {
  if (Value == FGradientColorStop) return;
  FGradientColorStop = Value;
  Invalidate();
  InvalidateTransparentChildren(this);
}

void TKitCustomPanel::SetGradientDirection(TGradientDirection Value) {
  if (Value == FGradientDirection) return;
  FGradientDirection = Value;
  Invalidate();
  InvalidateTransparentChildren(this);
}

void TKitCustomPanel::SetGridXSize(int Value) {
  Value = std::clamp(Value, 0, 0xFFFF);
  if (Value == FGridXSize) return;
  FGridXSize = Value;
  Invalidate();
}

void TKitCustomPanel::SetGridYSize(int Value) {
  Value = std::clamp(Value, 0, 0xFFFF);
  if (Value == FGridYSize) return;
  FGridYSize = Value;
  Invalidate();
}

void TKitCustomPanel::SetGridSize(int X, int Y) {
  SetGridXSize(X);
  SetGridYSize(Y);
}

void TKitCustomPanel::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  if (Value)
    controlStyle_.Exclude(ui::csOpaque);
  else
    controlStyle_.Include(ui::csOpaque);
  Invalidate();
  for (int i = 0; i < ControlCount(); ++i) Controls(i)->Invalidate();
}

void TKitCustomPanel::SetUseGradients(bool Value) {
  if (Value) SetVisualStyle(vsGradient);
}

// --- docking ----------------------------------------------------------------------------

void TKitCustomPanel::SetDockSite(bool Value) {
  if (Value == FDockSite) return;
  FDockSite = Value;
  MakeDockManager();
}

void TKitCustomPanel::SetUseDockManager(bool Value) {
  if (Value == FUseDockManager) return;
  FUseDockManager = Value;
  MakeDockManager();
}

void TKitCustomPanel::MakeDockManager() {
  if (FDockSite && FUseDockManager && !FDockManager) {
    FDockManager = std::make_unique<TKitPanelDockManager>(this);
    Realign();
  }
}

void TKitCustomPanel::DockClient(TControl* Control) {
  if (!Control || !FDockSite) return;
  // A client docked elsewhere leaves that site first, so it lays out again.
  if (auto* old = dynamic_cast<TKitCustomPanel*>(Control->Parent()); old && old != this) old->UndockClient(Control);
  if (std::find(FDockClients.begin(), FDockClients.end(), Control) == FDockClients.end())
    FDockClients.push_back(Control);
  Control->SetAlign(ui::alNone);
  Control->SetParent(this);
  Realign();
  Invalidate();
}

void TKitCustomPanel::UndockClient(TControl* Control) {
  std::erase(FDockClients, Control);
  Realign();
  Invalidate();
}

}  // namespace kit
