#include "components/support/panels/kit_status_bar.h"

#include <cmath>

#include "components/support/panels/kit_borders.h"
#include "components/support/panels/kit_colors.h"
#include "platform/ui/themes.h"

namespace kit {

const ui::TClassInfo& TKitStatusBar::StaticClassInfo() {
  using C = TKitStatusBar;
  static const ui::TClassInfo info =
      ui::TClassBuilder<C>("TKitStatusBar", &TKitCustomPanel::StaticClassInfo())
          .Boolean("AutoScalePanes", &C::AutoScalePanes, &C::SetAutoScalePanes, 0)
          .Boolean("AutoStyle", &C::AutoStyle, &C::SetAutoStyle, 1)
          .Boolean("ShowSizeGrip", &C::ShowSizeGrip, &C::SetShowSizeGrip, 1)
          .Str("SimpleCaption", &C::SimpleCaption, &C::SetSimpleCaption)
          .Enum("SimpleFrameStyle", "TFrameStyle", FrameStyleNames(), &C::SimpleFrameStyle, &C::SetSimpleFrameStyle,
                fsFlat)
          .Boolean("SimpleStatus", &C::SimpleStatus, &C::SetSimpleStatus, 0)
          .Build();
  return info;
}

TKitStatusBar::TKitStatusBar(ui::TComponent* AOwner)
    : TKitCustomPanel(AOwner), FSizeGripCanvas(std::make_unique<ui::TControlCanvas>(this)) {
  TKitCustomPanel::SetBorderInner(fsNone);
  TKitCustomPanel::SetBorderOuter(fsNone);
  TKitCustomPanel::SetBorderSides(sdAllSides);
  SetAlign(ui::alBottom);
  SetColor(ui::clBtnFace);
  SetTabStop(false);
  SetVisualStyle(vsWinXP);
  SetHeight(19);
  SetBorderWidth(0);
}

TKitStatusBar::~TKitStatusBar() { BeginDestroy(); }

void TKitStatusBar::SetBorderInner(TFrameStyleEx Value) {
  if (Value != BorderInner()) FAutoStyle = false;
  TKitCustomPanel::SetBorderInner(Value);
}

void TKitStatusBar::SetBorderOuter(TFrameStyleEx Value) {
  if (Value != BorderOuter()) FAutoStyle = false;
  TKitCustomPanel::SetBorderOuter(Value);
}

void TKitStatusBar::SetBorderSides(TSides Value) {
  if (Value != BorderSides()) FAutoStyle = false;
  TKitCustomPanel::SetBorderSides(Value);
}

void TKitStatusBar::ApplyStatusBarStyle() {
  bool autoStyle = FAutoStyle;
  SetBorderInner(fsNone);
  SetBorderOuter(fsNone);
  SetBorderSides(sdAllSides);
  SetHeight(19);
  SetBorderWidth(0);
  FAutoStyle = autoStyle;
}

void TKitStatusBar::Loaded() {
  TKitCustomPanel::Loaded();
  if (FAutoStyle) ApplyStatusBarStyle();
  SizeGripValid();
}

bool TKitStatusBar::UseThemes() const { return VisualStyle() == vsWinXP && ui::ThemesEnabled(); }

bool TKitStatusBar::SizeGripValid() {
  ui::TCustomForm* form = ui::GetParentForm(this);
  FSizeGripValid = form && (form->BorderStyle() == ui::bsSizeable || form->BorderStyle() == ui::bsSizeToolWin) &&
                   form->WindowState() != ui::wsMaximized;
  return FSizeGripValid;
}

TRect TKitStatusBar::ClientRect() const {
  TRect r = TKitCustomPanel::ClientRect();
  if (!UseThemes()) {
    r.Bottom += 1;
    r.Top = FSimpleStatus ? 2 : 1;
    r.Left -= 1;
    r.Right += 1;
  } else if (FSimpleStatus) {
    r.Left += 1;
    r.Top += 1;
    r.Right -= 1;
  }
  return r;
}

void TKitStatusBar::GetGradientColors(TColor& First, TColor& Second) {
  if (GradientColorStyle() == gcsCustom) {
    First = GradientColorStop();
    Second = GradientColorStart();
    return;
  }
  TColor frame;
  GetGradientSchemeColors(GradientColorStyle(), frame, First, Second);
}

void TKitStatusBar::Paint() {
  TCanvas* c = Canvas();
  if (UseThemes()) {
    ui::DrawThemedStatusPart(c, ui::tspStatusBackground, ui::Rect(0, 0, Width(), Height()));
    if (FSimpleStatus && !FSimpleCaption.empty()) {
      c->SetFont(Font());
      ui::DrawThemedText(c, ClientRect(), FSimpleCaption, ui::DT_LEFT, Enabled());
    }
    if (OnPaint) OnPaint(this);
    return;
  }
  TKitCustomPanel::Paint();
  if (!FSimpleStatus) return;
  TRect r = ClientRect();
  r.Bottom -= 1;
  r.Inflate(-1, -1);
  DrawSimpleFrame(r);
  c->SetFont(Font());
  c->Brush()->SetStyle(ui::bsClear);
  int th = c->TextHeight(u"Pp");
  c->TextOut(r.Left + 2, r.Top + static_cast<int>(std::floor((r.Height() - th) / 2.0)), FSimpleCaption);
  c->Brush()->SetStyle(ui::bsSolid);
}

void TKitStatusBar::DrawSimpleFrame(TRect R) {
  TCanvas* c = Canvas();
  if (UseThemes()) {
    ui::DrawThemedStatusPart(c, ui::tspStatusPane, R);
    return;
  }
  if (VisualStyle() != vsClassic) return;
  if (FSimpleFrameStyle != fsFlat) {
    DrawBorderSides(c, R, FSimpleFrameStyle, sdAllSides);
    return;
  }
  TColor f = AdjustColor(FlatColor(), FlatColorAdjustment());
  c->Pen()->SetColor(f);
  c->Pen()->SetStyle(ui::psSolid);
  c->Pen()->SetWidth(1);
  // The corner pixels stay out: a softer frame.
  c->MoveTo(R.Left + 1, R.Top);
  c->LineTo(R.Right - 1, R.Top);
  c->MoveTo(R.Left + 1, R.Bottom - 1);
  c->LineTo(R.Right - 1, R.Bottom - 1);
  c->MoveTo(R.Left, R.Top + 1);
  c->LineTo(R.Left, R.Bottom - 1);
  c->MoveTo(R.Right - 1, R.Top + 1);
  c->LineTo(R.Right - 1, R.Bottom - 1);
}

void TKitStatusBar::PaintWindow(QWidget* Target, const TRect& Area, const std::function<void()>& Base) {
  SizeGripValid();
  TKitCustomPanel::PaintWindow(Target, Area, Base);
  // The grip goes over the panes, after the normal paint.
  if (FShowSizeGrip && FSizeGripValid) ui::PaintOnWidget(Target, FSizeGripCanvas.get(), [this] { DrawSizeGrip(); });
}

void TKitStatusBar::DrawSizeGrip() {
  TCanvas* c = FSizeGripCanvas.get();
  TRect r = ClientRect();
  r.Bottom -= 1;
  if (UseThemes()) {
    ui::DrawThemedStatusPart(c, ui::tspStatusGripper, ui::Rect(r.Right - 20, r.Top, r.Right, r.Bottom));
    return;
  }
  TColor light = ui::clBtnHighlight, dark = ui::clBtnShadow;
  if (VisualStyle() == vsGradient) {
    TColor stop;
    GetGradientSchemeColors(GradientColorStyle(), dark, light, stop);
  }
  static constexpr int kSquares[6][2] = {{5, 12}, {5, 8}, {5, 4}, {9, 8}, {9, 4}, {13, 4}};
  c->Brush()->SetStyle(ui::bsSolid);
  c->Brush()->SetColor(light);
  for (const auto& s : kSquares) c->FillRect(ui::Bounds(r.Right - s[0], r.Bottom - s[1], 2, 2));
  c->Brush()->SetColor(dark);
  for (const auto& s : kSquares) c->FillRect(ui::Bounds(r.Right - s[0] - 1, r.Bottom - s[1] - 1, 2, 2));
}

void TKitStatusBar::Resize() {
  if (Width() >= 50) {
    if (FFirst) {
      FFirst = false;
    } else {
      FDelta = Width() - FLastWidth;
      const int n = ControlCount();
      if (FAutoScalePanes && n > 0 && FDelta != 0) {
        DisableAlign();
        try {
          for (int i = 0; i < n; ++i) {
            ui::TControl* child = Controls(i);
            double grow = FLastWidth > 0 ? double(FDelta) * child->Width() / FLastWidth : double(FDelta) / n;
            child->SetWidth(child->Width() + static_cast<int>(std::nearbyint(grow)));
          }
        } catch (...) {
          EnableAlign();
          throw;
        }
        EnableAlign();
      }
    }
    FLastWidth = Width();
  }
  TKitCustomPanel::Resize();
}

void TKitStatusBar::WndProc(ui::TMessage& Message) {
  // Moves over a pane go to the pane, not to the bar's own handler; the
  // cursor is decided here so that leaving the grip over a pane resets it.
  if (Message.Msg == ui::WM_MOUSEMOVE) UpdateGripCursor(ui::XPos(Message.LParam));
  TKitCustomPanel::WndProc(Message);
}

void TKitStatusBar::UpdateGripCursor(int X) {
  const bool over = FShowSizeGrip && InSizeGrip(X) && SizeGripValid() && !ComponentState().Contains(ui::csDesigning);
  if (over == FGripCursor) return;
  FGripCursor = over;
  ui::ShowControlCursor(this, over ? ui::crSizeNWSE : ui::crDefault);
}

void TKitStatusBar::Dispatch(ui::TMessage& Message) {
  switch (Message.Msg) {
    case ui::WM_LBUTTONDOWN: {
      int x = ui::XPos(Message.LParam);
      if (FShowSizeGrip && InSizeGrip(x) && SizeGripValid()) {
        SetMouseCapture(false);
        if (ui::TCustomForm* form = ui::GetParentForm(this)) {
          form->Perform(ui::WM_SYSCOMMAND, ui::SC_SIZE_BOTTOMRIGHT, 0);
          ui::StartSystemSizeBottomRight(form);
        }
        return;
      }
      break;
    }
    default: break;
  }
  TKitCustomPanel::Dispatch(Message);
}

void TKitStatusBar::SetShowSizeGrip(bool Value) {
  if (Value == FShowSizeGrip) return;
  FShowSizeGrip = Value;
  SizeGripValid();
  Invalidate();
}

void TKitStatusBar::SetSimpleCaption(const String& Value) {
  if (Value == FSimpleCaption) return;
  FSimpleCaption = Value;
  Invalidate();
}

void TKitStatusBar::SetSimpleFrameStyle(TFrameStyle Value) {
  if (Value == FSimpleFrameStyle) return;
  FSimpleFrameStyle = Value;
  Invalidate();
}

void TKitStatusBar::SetSimpleStatus(bool Value) {
  if (Value == FSimpleStatus) return;
  FSimpleStatus = Value;
  DisableAlign();
  for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetVisible(!Value);
  EnableAlign();
  Realign();
  Invalidate();
}

}  // namespace kit
