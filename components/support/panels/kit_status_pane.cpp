#include "components/support/panels/kit_status_pane.h"

#include <algorithm>
#include <cmath>

#include "components/support/panels/kit_borders.h"
#include "components/support/panels/kit_colors.h"
#include "components/support/panels/kit_status_bar.h"
#include "platform/ui/actions.h"
#include "platform/ui/themes.h"
#include "platform/classes/scoped_change.h"

namespace kit {
namespace {

TKitBlinkingControlsList* g_blinkList = nullptr;

int FloorDiv2(int v) { return static_cast<int>(std::floor(v / 2.0)); }

}  // namespace

// --- shared blink list ---------------------------------------------------------------

TKitBlinkingControlsList::TKitBlinkingControlsList() : FTimer(std::make_unique<ui::TTimer>(nullptr)) {
  FTimer->SetInterval(FIntervalOff);
  FTimer->OnTimer = [this](ui::TObject*) { TimerFired(); };
  FTimer->SetEnabled(true);
}

TKitBlinkingControlsList::~TKitBlinkingControlsList() = default;

TKitBlinkingControlsList* TKitBlinkingControlsList::Instance() { return g_blinkList; }

void TKitBlinkingControlsList::Add(TKitCustomStatusPane* Pane) {
  if (std::find(FControls.begin(), FControls.end(), Pane) == FControls.end()) FControls.push_back(Pane);
}

void TKitBlinkingControlsList::Remove(TKitCustomStatusPane* Pane) { std::erase(FControls, Pane); }

void TKitBlinkingControlsList::SetIntervalOff(std::uint16_t Value) {
  FIntervalOff = Value;
  IntervalChanged(false, Value);
}

void TKitBlinkingControlsList::SetIntervalOn(std::uint16_t Value) {
  FIntervalOn = Value;
  IntervalChanged(true, Value);
}

void TKitBlinkingControlsList::IntervalChanged(bool IsOn, std::uint16_t Value) {
  // A zero length pauses the running period at once; a paused timer resumes
  // with whichever interval is given a length next.
  // Other changes take effect with the next period.
  if (IsOn == FWaitingOn && Value == 0) {
    FTimer->SetInterval(0);
  } else if (!Running() && Value != 0) {
    FWaitingOn = IsOn;
    FTimer->SetInterval(Value);
  }
}

bool TKitBlinkingControlsList::Running() const { return FTimer->Enabled() && FTimer->Interval() != 0; }

void TKitBlinkingControlsList::TimerFired() {
  FBlinkState = FBlinkState == bsOn ? bsOff : bsOn;
  FWaitingOn = FBlinkState == bsOff;
  FTimer->SetInterval(FWaitingOn ? FIntervalOn : FIntervalOff);
  for (TKitCustomStatusPane* pane : std::vector<TKitCustomStatusPane*>(FControls)) {
    if (pane->Perform(CM_BLINKQUERY) == 1) pane->Perform(CM_BLINKSTATE, FBlinkState);
  }
}

// --- TKitCustomStatusPane ---------------------------------------------------------------

const ui::TClassInfo& TKitCustomStatusPane::StaticClassInfo() {
  using C = TKitCustomStatusPane;
  static const ui::TClassInfo info =
      ui::TClassBuilder<C>("TKitCustomStatusPane", &ui::TGraphicControl::StaticClassInfo())
          .Enum("Alignment", "TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}, &C::Alignment,
                &C::SetAlignment, ui::taLeftJustify)
          .Boolean("AutoSize", &C::AutoSize, &C::SetAutoSize, 0)
          .Boolean("Blinking", &C::Blinking, &C::SetBlinking, 0)
          .Integer("BlinkColor", &C::BlinkColor, &C::SetBlinkColor, ui::clHighlight)
          .Integer("BlinkIntervalOff", &C::BlinkIntervalOff, &C::SetBlinkIntervalOff, 500)
          .Integer("BlinkIntervalOn", &C::BlinkIntervalOn, &C::SetBlinkIntervalOn, 500)
          .Integer("BorderWidth", &C::BorderWidth, &C::SetBorderWidth, 1)
          .Integer("CaptionOffset", &C::CaptionOffset, &C::SetCaptionOffset, 2)
          .Integer("FillColor", &C::FillColor, &C::SetFillColor, ui::clBtnFace)
          .Boolean("ParentFillColor", &C::ParentFillColor, &C::SetParentFillColor, 1)
          .Integer("FlatColor", &C::FlatColor, &C::SetFlatColor, ui::clBtnShadow)
          .Integer("FlatColorAdjustment", &C::FlatColorAdjustment, &C::SetFlatColorAdjustment, 30)
          .Enum("FrameStyle", "TFrameStyle", FrameStyleNames(), &C::FrameStyle, &C::SetFrameStyle, fsFlat)
          .Object("FrameController", "TKitFrameController", &C::FrameController, &C::SetFrameController)
          .Set("FrameControllerNotifications", "TKitFrameControllerNotifications",
               FrameControllerNotificationNames(), &C::NotificationBits, &C::SetNotificationBits)
          .Boolean("Transparent", &C::Transparent, &C::SetTransparent, 1)
          .Build();
  return info;
}

TKitCustomStatusPane::TKitCustomStatusPane(ui::TComponent* AOwner) : ui::TGraphicControl(AOwner) {
  controlStyle_.Exclude(ui::csOpaque);
  SetBounds(0, 0, 100, 20);
  SetParentColor(true);
  FFontColor = Font()->Color();
  FCurrentColor = FFontColor;
  if (!g_blinkList) g_blinkList = new TKitBlinkingControlsList();
  g_blinkList->Add(this);
}

TKitCustomStatusPane::~TKitCustomStatusPane() {
  BeginDestroy();
  if (FFrameController) FFrameController->RemoveControl(this);
  if (g_blinkList) {
    g_blinkList->Remove(this);
    if (g_blinkList->Count() == 0) {
      delete g_blinkList;
      g_blinkList = nullptr;
    }
  }
}

bool TKitCustomStatusPane::UseThemes() const {
  auto* bar = dynamic_cast<TKitStatusBar*>(Parent());
  return bar && bar->VisualStyle() == vsWinXP && ui::ThemesEnabled();
}

bool TKitCustomStatusPane::ExecuteAction(ui::TBasicAction* Action) {
  if (FAutoHint && !ComponentState().Contains(ui::csDesigning)) {
    if (auto* hint = dynamic_cast<ui::THintAction*>(Action)) {
      SetCaption(hint->Hint());
      return true;
    }
  }
  return ui::TGraphicControl::ExecuteAction(Action);
}

// --- measuring ---------------------------------------------------------------------------

int TKitCustomStatusPane::TextWidthOf(const String& Text) {
  TCanvas* c = Canvas();
  c->SetFont(Font());
  TRect r = ui::Rect(0, 0, 0, 0);
  c->DrawText(Text, r, ui::DT_CALCRECT | ui::DT_SINGLELINE | ui::DT_NOPREFIX | ui::DT_EXTERNALLEADING);
  return r.Width();
}

int TKitCustomStatusPane::CalcPaneWidth() {
  String caption = Caption();
  if (caption.empty()) return FDefaultWidth;
  return TextWidthOf(caption) + 2 * FBorderWidth + FCaptionOffset + 6;
}

void TKitCustomStatusPane::AdjustSize() {
  if (IsLoading() || !FAutoSize) return;
  SetWidth(CalcPaneWidth());
}

TRect TKitCustomStatusPane::BaseTextRect() {
  TRect r = ClientRect();
  int inset = FBorderWidth;
  switch (FFrameStyle) {
    case fsNone:
    case fsFlatRounded: break;
    case fsFlat:
    case fsStatus:
    case fsPopup: inset += 1; break;
    default: inset += 2; break;
  }
  r.Inflate(-inset, -inset);
  return r;
}

TRect TKitCustomStatusPane::CalcTextRect() { return BaseTextRect(); }

// --- painting ----------------------------------------------------------------------------

void TKitCustomStatusPane::Paint() {
  DrawPaneFrame();
  DrawCaption(Caption());
}

void TKitCustomStatusPane::DrawPaneFrame() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (UseThemes()) {
    r.Top += 2;
    ui::DrawThemedStatusPart(c, ui::tspStatusPane, r);
    return;
  }
  if (!FTransparent) {
    c->Brush()->SetStyle(ui::bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(r);
  }
  r.Inflate(-FBorderWidth, -FBorderWidth);
  if (auto* bar = dynamic_cast<TKitStatusBar*>(Parent()); bar && bar->VisualStyle() == vsGradient) {
    // Gradient bars separate their panes with one line; the first pane has none.
    if (Left() > bar->BorderWidth() + bar->Padding().Left) {
      TColor frame, start, stop;
      GetGradientSchemeColors(bar->GradientColorStyle(), frame, start, stop);
      c->Pen()->SetColor(frame);
      c->Pen()->SetStyle(ui::psSolid);
      c->Pen()->SetWidth(1);
      c->MoveTo(r.Left, r.Top + 1);
      c->LineTo(r.Left, r.Bottom - 1);
    }
    return;
  }
  TColor flat = AdjustColor(FFlatColor, FFlatColorAdjustment);
  switch (FFrameStyle) {
    case fsFlat: DrawSides(c, r, flat, flat, TSides{sdTop, sdRight, sdBottom}); break;
    case fsFlatBold: DrawBox(c, r, flat, sdAllSides, 2, flat); break;
    case fsFlatRounded: DrawRoundedFlatBorder(c, r, flat, sdAllSides); break;
    default: DrawBorderSides(c, r, FFrameStyle, sdAllSides); break;
  }
}

void TKitCustomStatusPane::DrawTextLine(const TRect& R, int X, int Y, unsigned Align, TColor Color,
                                        const String& Text) {
  TCanvas* c = Canvas();
  c->SetFont(Font());
  c->Font()->SetColor(Color);
  unsigned oldAlign = c->TextFlags();
  c->SetTextAlign(Align | ui::TA_TOP | (UseRightToLeftReading() ? ui::TA_RTLREADING : 0u));
  if (UseThemes() || FTransparent) {
    c->Brush()->SetStyle(ui::bsClear);
  } else {
    c->Brush()->SetStyle(ui::bsSolid);
    c->Brush()->SetColor(FFillColor);
  }
  c->TextRect(R, X, Y, Text);
  c->SetTextAlign(oldAlign);
  c->Brush()->SetStyle(ui::bsSolid);
}

void TKitCustomStatusPane::DrawCaption(const String& Text) {
  TCanvas* c = Canvas();
  TRect r = CalcTextRect();
  c->SetFont(Font());
  int th = c->TextHeight(u"Pp");
  int y = r.Top + FloorDiv2(r.Height() - th);
  int x;
  unsigned align;
  ui::TAlignment alignment = FAlignment;
  // Right-to-left panes trade the left and right alignments.
  if (UseRightToLeftAlignment() && alignment != ui::taCenter)
    alignment = alignment == ui::taLeftJustify ? ui::taRightJustify : ui::taLeftJustify;
  switch (alignment) {
    case ui::taRightJustify:
      x = r.Right - FCaptionOffset - 1;
      align = ui::TA_RIGHT;
      break;
    case ui::taCenter:
      x = (r.Left + r.Right) / 2;
      align = ui::TA_CENTER;
      break;
    default:
      x = r.Left + FCaptionOffset + 1;
      align = ui::TA_LEFT;
      break;
  }
  DrawTextLine(r, x, y, align, Enabled() ? FCurrentColor : ui::clGrayText, Text);
}

bool TKitCustomStatusPane::InSizeGripArea(ui::TPoint P) {
  auto* bar = dynamic_cast<TKitStatusBar*>(Parent());
  if (!bar || !bar->ShowSizeGrip() || !bar->SizeGripValid()) return false;
  int barRight = bar->ClientRect().Right;
  if (Left() + Width() < barRight) return false;
  return Left() + P.X >= barRight - 12;
}

// --- state ----------------------------------------------------------------------------------

void TKitCustomStatusPane::Loaded() {
  ui::TGraphicControl::Loaded();
  if (!ParentColor()) SetTransparent(false);
  FFontColor = Font()->Color();
  FCurrentColor = FFontColor;
  AdjustSize();
}

void TKitCustomStatusPane::FontChanged() {
  ui::TGraphicControl::FontChanged();
  if (IsLoading()) return;
  FFontColor = Font()->Color();
  if (!FBlinking || FBlinkState == bsOff) FCurrentColor = FFontColor;
  AdjustSize();
}

void TKitCustomStatusPane::ColorChanged() {
  if (FParentFillColor) FFillColor = Color();
  ui::TGraphicControl::ColorChanged();
}

void TKitCustomStatusPane::TextChanged() {
  ui::TGraphicControl::TextChanged();
  AdjustSize();
}

void TKitCustomStatusPane::Blink(TBlinkState State) {
  // The list going dark lights the pane, and the other way round.
  if (State == bsOff) {
    FBlinkState = bsOn;
    FCurrentColor = FBlinkColor;
  } else {
    FBlinkState = bsOff;
    FCurrentColor = FFontColor;
  }
  Repaint();
}

void TKitCustomStatusPane::Dispatch(ui::TMessage& Message) {
  switch (Message.Msg) {
    case CM_BLINKQUERY:
      Message.Result = FBlinking ? 1 : 0;
      return;
    case CM_BLINKSTATE:
      if (FBlinking) Blink(static_cast<TBlinkState>(Message.WParam));
      return;
    case ui::CM_HITTEST:
      // At the bar's grip the bar takes the mouse, so the grip works through the pane.
      Message.Result = InSizeGripArea({ui::XPos(Message.LParam), ui::YPos(Message.LParam)}) ? 0 : ui::HTCLIENT;
      return;
    default: ui::TGraphicControl::Dispatch(Message);
  }
}

// --- frame controller ----------------------------------------------------------------------

void TKitCustomStatusPane::Notification(ui::TComponent* AComponent, ui::TOperation Operation) {
  ui::TGraphicControl::Notification(AComponent, Operation);
  if (Operation == ui::opRemove && AComponent == FFrameController) FFrameController = nullptr;
}

void TKitCustomStatusPane::SetFrameController(TKitFrameController* Value) {
  TKitFrameController::Rebind(this, FFrameController, Value);
}

void TKitCustomStatusPane::FrameControllerChanged(TKitFrameController*) { ApplyFrameController(); }

void TKitCustomStatusPane::ApplyFrameController() {
  TKitFrameController* fc = FFrameController;
  if (!fc || !fc->FrameVisible()) return;
  const auto& n = FFrameControllerNotifications;
  if (n.Contains(fcpFrameStyle)) SetFrameStyle(fc->FrameStyle());
  if (n.Contains(fcpFrameColor)) {
    SetFlatColor(fc->FrameColor());
    SetFlatColorAdjustment(0);
  }
  if (n.Contains(fcpColor)) SetFillColor(fc->Color());
  if (n.Contains(fcpParentColor)) SetParentColor(fc->ParentColor());
  Invalidate();
}

// --- setters ------------------------------------------------------------------------------

void TKitCustomStatusPane::SetAlignment(ui::TAlignment Value) {
  ui::SetChanged(FAlignment, Value, [this] { Invalidate(); });
}
void TKitCustomStatusPane::SetBlinkColor(TColor Value) {
  ui::SetChanged(FBlinkColor, Value, [this] { Invalidate(); });
}
void TKitCustomStatusPane::SetBorderWidth(int Value) {
  ui::SetChanged(FBorderWidth, Value, [this] { Invalidate(); });
}
void TKitCustomStatusPane::SetFlatColor(TColor Value) {
  ui::SetChanged(FFlatColor, Value, [this] { Invalidate(); });
}
void TKitCustomStatusPane::SetFrameStyle(TFrameStyle Value) {
  ui::SetChanged(FFrameStyle, Value, [this] { Invalidate(); });
}

void TKitCustomStatusPane::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  AdjustSize();
}

void TKitCustomStatusPane::SetDefaultWidth(int Value) {
  if (Value == FDefaultWidth) return;
  FDefaultWidth = Value;
  AdjustSize();
}

void TKitCustomStatusPane::SetBlinking(bool Value) {
  if (Value == FBlinking) return;
  FBlinking = Value;
  if (!Value) {
    FBlinkState = bsOff;
    FCurrentColor = FFontColor;
    Repaint();
  }
}

unsigned TKitCustomStatusPane::BlinkIntervalOff() const { return g_blinkList ? g_blinkList->IntervalOff() : 500; }
unsigned TKitCustomStatusPane::BlinkIntervalOn() const { return g_blinkList ? g_blinkList->IntervalOn() : 500; }

void TKitCustomStatusPane::SetBlinkIntervalOff(unsigned Value) {
  if (g_blinkList) g_blinkList->SetIntervalOff(static_cast<std::uint16_t>(std::min(Value, 0xFFFFu)));
}

void TKitCustomStatusPane::SetBlinkIntervalOn(unsigned Value) {
  if (g_blinkList) g_blinkList->SetIntervalOn(static_cast<std::uint16_t>(std::min(Value, 0xFFFFu)));
}

void TKitCustomStatusPane::SetCaptionOffset(int Value) {
  if (Value == FCaptionOffset) return;
  FCaptionOffset = Value;
  Invalidate();
  AdjustSize();
}

void TKitCustomStatusPane::SetFillColor(TColor Value) {
  FParentFillColor = false;
  if (Value == FFillColor) return;
  FFillColor = Value;
  Invalidate();
}

void TKitCustomStatusPane::SetParentFillColor(bool Value) {
  if (Value == FParentFillColor) return;
  FParentFillColor = Value;
  if (Value && Parent() && !ComponentState().Contains(ui::csReading)) {
    FFillColor = Color();
    Invalidate();
  }
}

void TKitCustomStatusPane::SetFlatColorAdjustment(int Value) {
  CheckColorAdjustment(Value);
  if (Value == FFlatColorAdjustment) return;
  FFlatColorAdjustment = Value;
  Invalidate();
}

void TKitCustomStatusPane::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  if (Value)
    controlStyle_.Exclude(ui::csOpaque);
  else
    controlStyle_.Include(ui::csOpaque);
  Invalidate();
}

// --- TKitStatusPane -----------------------------------------------------------------------------

const ui::TClassInfo& TKitStatusPane::StaticClassInfo() {
  using C = TKitStatusPane;
  static const ui::TClassInfo info =
      ui::TClassBuilder<C>("TKitStatusPane", &TKitCustomStatusPane::StaticClassInfo())
          .Boolean("AutoHint", &C::AutoHint, &C::SetAutoHint, 0)
          .Str("Caption", &C::Caption, &C::SetCaption)
          .Integer("DefaultWidth", &C::DefaultWidth, &C::SetDefaultWidth, 40)
          .Build();
  return info;
}

// --- TKitCustomFieldStatus -----------------------------------------------------------------------

const ui::TClassInfo& TKitCustomFieldStatus::StaticClassInfo() {
  using C = TKitCustomFieldStatus;
  static const ui::TClassInfo info =
      ui::TClassBuilder<C>("TKitCustomFieldStatus", &TKitCustomStatusPane::StaticClassInfo())
          .Str("FieldLabel", &C::FieldLabel, &C::SetFieldLabel)
          .Integer("FieldLabelColor", &C::FieldLabelColor, &C::SetFieldLabelColor, ui::clHighlight)
          .Build();
  return info;
}

TKitCustomFieldStatus::TKitCustomFieldStatus(ui::TComponent* AOwner) : TKitCustomStatusPane(AOwner) {}

void TKitCustomFieldStatus::SetFieldLabel(const String& Value) {
  if (Value == FFieldLabel) return;
  FFieldLabel = Value;
  Invalidate();
  AdjustSize();
}

void TKitCustomFieldStatus::SetFieldLabelColor(TColor Value) {
  if (Value == FFieldLabelColor) return;
  FFieldLabelColor = Value;
  Invalidate();
}

int TKitCustomFieldStatus::CalcPaneWidth() {
  return TKitCustomStatusPane::CalcPaneWidth() + TextWidthOf(FFieldLabel) + 2 * CaptionOffset();
}

TRect TKitCustomFieldStatus::CalcTextRect() {
  TRect r = BaseTextRect();
  // The label takes its room on the side where reading starts.
  const int room = TextWidthOf(FFieldLabel) + 2 * CaptionOffset();
  if (UseRightToLeftAlignment())
    r.Right -= room;
  else
    r.Left += room;
  return r;
}

void TKitCustomFieldStatus::DrawCaption(const String& Text) {
  TKitCustomStatusPane::DrawCaption(Text);
  TCanvas* c = Canvas();
  TRect base = BaseTextRect();
  const int lw = TextWidthOf(FFieldLabel);
  const bool rtl = UseRightToLeftAlignment();
  TRect r = rtl ? ui::Rect(base.Right - lw - CaptionOffset() - 2, base.Top, base.Right, base.Bottom)
                : ui::Rect(base.Left, base.Top, base.Left + lw + CaptionOffset() + 2, base.Bottom);
  c->SetFont(Font());
  const int th = c->TextHeight(u"Pp");
  const int x = rtl ? r.Right - CaptionOffset() - 1 : r.Left + CaptionOffset() + 1;
  DrawTextLine(r, x, r.Top + FloorDiv2(r.Height() - th), rtl ? ui::TA_RIGHT : ui::TA_LEFT,
               Enabled() ? FFieldLabelColor : ui::clGrayText, FFieldLabel);
}

}  // namespace kit
