#include "components/extended/ext_spin.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/runtime/convert.h"
#include "components/extended/core/core_strings.h"
#include "components/extended/ext_core_utils.h"
#include "components/extended/ext_draw_utils.h"
#include "platform/runtime/format_settings.h"
#include "platform/classes/scoped_change.h"

namespace ext {

int SpinScrollBarWidth() { return 15; }

// --- button images ------------------------------------------------------------

namespace {

TSpinButtonBitmapsManager* g_manager = nullptr;

void Arrow(ui::TCanvas* c, int cx, int cy, bool up, bool pole, ui::TColor color) {
  c->Pen()->SetColor(color);
  if (pole) {
    // 7 x 4 triangle centred on (cx, cy).
    for (int i = 0; i < 4; ++i) {
      int y = up ? cy - 2 + i : cy + 1 - i;
      c->MoveTo(cx - i, y);
      c->LineTo(cx + i + 1, y);
    }
    return;
  }
  // 6 x 6 arrow with a stem, its tip towards its corner.
  for (int i = 0; i < 3; ++i) {
    int y = up ? cy - 3 + i : cy + 2 - i;
    c->MoveTo(cx - i, y);
    c->LineTo(cx + i + 1, y);
  }
  c->MoveTo(cx, up ? cy : cy - 3);
  c->LineTo(cx, up ? cy + 3 : cy);
}

}  // namespace

TSpinButtonBitmaps::TSpinButtonBitmaps(int Width, int Height, TExtSpinButtonStyle Style, bool Custom)
    : width_(Width), height_(Height), style_(Style), custom_(Custom) {}

TSpinButtonBitmaps::~TSpinButtonBitmaps() = default;

int TSpinButtonBitmaps::Compare(int Width, int Height, TExtSpinButtonStyle Style, bool Custom) const {
  if (width_ != Width) return width_ - Width;
  if (height_ != Height) return height_ - Height;
  if (style_ != Style) return static_cast<int>(style_) - static_cast<int>(Style);
  return static_cast<int>(custom_) - static_cast<int>(Custom);
}

void TSpinButtonBitmaps::RemoveClient() {
  if (--clients_ > 0) return;
  if (auto* m = TSpinButtonBitmapsManager::Instance(false)) m->Remove(this);
  delete this;
}

void TSpinButtonBitmaps::Build() {
  int w = std::max(width_, 1), h = std::max(height_, 1);
  bool diagonal = style_ == sbsDefault;
  bool themed = ui::ThemesEnabled();
  for (int f = 0; f < FaceCount; ++f) {
    auto bmp = std::make_unique<ui::TBitmap>(w, h);
    ui::TCanvas* c = bmp->Canvas();
    if (themed) {
      // Two clipped halves drawn by the style: triangles or horizontal halves.
      int mid = h / 2;
      std::vector<ui::TPoint> topClip = diagonal ? std::vector<ui::TPoint>{{0, 0}, {w, 0}, {0, h}}
                                                 : std::vector<ui::TPoint>{{0, 0}, {w, 0}, {w, mid}, {0, mid}};
      std::vector<ui::TPoint> bottomClip = diagonal ? std::vector<ui::TPoint>{{w, 0}, {w, h}, {0, h}}
                                                    : std::vector<ui::TPoint>{{0, mid}, {w, mid}, {w, h}, {0, h}};
      ui::TRect topFace = diagonal ? ui::Rect(0, 0, w, h) : ui::Rect(0, 0, w, mid);
      ui::TRect bottomFace = diagonal ? ui::Rect(0, 0, w, h) : ui::Rect(0, mid, w, h);
      ui::TPoint topArrow = diagonal ? ui::TPoint{w / 4 + 1, h / 4 + 1} : ui::TPoint{w / 2, mid / 2};
      ui::TPoint bottomArrow = diagonal ? ui::TPoint{w * 3 / 4 - 1, h * 3 / 4 - 1} : ui::TPoint{w / 2, mid + mid / 2};
      bool enabled = f != Disabled;
      c->Brush()->SetColor(ui::clBtnFace);
      c->FillRect(ui::Rect(0, 0, w, h));
      ui::DrawThemedSpinHalf(bmp.get(), topClip, topFace, !custom_, topArrow, true, f == TopDown, f == TopHot, enabled);
      ui::DrawThemedSpinHalf(bmp.get(), bottomClip, bottomFace, !custom_, bottomArrow, false, f == BottomDown,
                             f == BottomHot, enabled);
      faces_[f] = std::move(bmp);
      continue;
    }
    c->Brush()->SetColor(ui::clBtnFace);
    c->FillRect(ui::Rect(0, 0, w, h));
    bool topDown = f == TopDown, bottomDown = f == BottomDown;
    bool topHot = f == TopHot, bottomHot = f == BottomHot;
    if (diagonal) {
      // Two triangles split along the diagonal from lower left to upper right.
      ui::TRect r = ui::Rect(0, 0, w, h);
      c->DrawEdge(r, ui::EDGE_RAISED, ui::BF_RECT);
      auto shade = [&](bool top, ui::TColor color) {
        c->Pen()->SetColor(color);
        c->Brush()->SetColor(color);
        if (top) c->Polygon({{1, 1}, {w - 2, 1}, {1, h - 2}});
        else c->Polygon({{w - 2, 1}, {w - 2, h - 2}, {1, h - 2}});
      };
      if (topDown) shade(true, ui::clBtnShadow);
      if (bottomDown) shade(false, ui::clBtnShadow);
      if (topHot) shade(true, ui::clBtnHighlight);
      if (bottomHot) shade(false, ui::clBtnHighlight);
      c->Pen()->SetColor(ui::clBtnShadow);
      c->MoveTo(0, h - 1);
      c->LineTo(w, -1);
    } else {
      int mid = h / 2;
      ui::TRect top = ui::Rect(0, 0, w, mid), bottom = ui::Rect(0, mid, w, h);
      c->DrawEdge(top, topDown ? ui::EDGE_SUNKEN : ui::EDGE_RAISED, ui::BF_RECT);
      c->DrawEdge(bottom, bottomDown ? ui::EDGE_SUNKEN : ui::EDGE_RAISED, ui::BF_RECT);
    }
    if (!custom_) {
      int tx, ty, bx, by;
      if (diagonal) {
        tx = w / 4 + 1, ty = h / 4 + 1, bx = w * 3 / 4 - 1, by = h * 3 / 4 - 1;
      } else {
        tx = bx = w / 2, ty = h / 4, by = h / 2 + h / 4;
      }
      if (topDown) ++tx, ++ty;
      if (bottomDown) ++bx, ++by;
      if (f == Disabled) {
        ui::TBitmap arrows(w, h);
        arrows.Canvas()->Brush()->SetColor(ui::clWhite);
        arrows.Canvas()->FillRect(ui::Rect(0, 0, w, h));
        Arrow(arrows.Canvas(), tx, ty, true, !diagonal, ui::clBlack);
        Arrow(arrows.Canvas(), bx, by, false, !diagonal, ui::clBlack);
        std::unique_ptr<ui::TBitmap> emboss(MakeDisabledGlyph(&arrows, ui::clBlack));
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) {
            ui::TColor px = emboss->Canvas()->Pixel(x, y);
            if (ui::ColorToRGB(px) != ui::ColorToRGB(ui::clBtnFace)) c->SetPixel(x, y, px);
          }
      } else {
        Arrow(c, tx, ty, true, !diagonal, ui::clBtnText);
        Arrow(c, bx, by, false, !diagonal, ui::clBtnText);
      }
    }
    faces_[f] = std::move(bmp);
  }
  built_ = true;
  builtFace_ = ui::ColorToRGB(ui::clBtnFace);
  builtThemed_ = themed;
}

void TSpinButtonBitmaps::Draw(ui::TCanvas* Canvas, int X, int Y, Face F) {
  if (!built_ || builtFace_ != ui::ColorToRGB(ui::clBtnFace) || builtThemed_ != ui::ThemesEnabled()) Build();
  Canvas->Draw(X, Y, faces_[F].get());
}

TSpinButtonBitmapsManager* TSpinButtonBitmapsManager::Instance(bool Create) {
  if (!g_manager && Create) g_manager = new TSpinButtonBitmapsManager;
  return g_manager;
}

void TSpinButtonBitmapsManager::RemoveClient() {
  if (--clients_ > 0) return;
  if (g_manager == this) g_manager = nullptr;
  for (TSpinButtonBitmaps* b : list_) delete b;
  delete this;
}

TSpinButtonBitmaps* TSpinButtonBitmapsManager::WantButtons(int Width, int Height, bool Custom,
                                                           TExtSpinButtonStyle Style) {
  auto it = std::lower_bound(list_.begin(), list_.end(), 0, [&](TSpinButtonBitmaps* b, int) {
    return b->Compare(Width, Height, Style, Custom) < 0;
  });
  if (it == list_.end() || (*it)->Compare(Width, Height, Style, Custom) != 0)
    it = list_.insert(it, new TSpinButtonBitmaps(Width, Height, Style, Custom));
  (*it)->AddClient();
  return *it;
}

void TSpinButtonBitmapsManager::Remove(TSpinButtonBitmaps* Entry) {
  list_.erase(std::remove(list_.begin(), list_.end(), Entry), list_.end());
}

// --- TExtSpinButton ------------------------------------------------------------

const ui::TClassInfo& TExtSpinButton::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TExtSpinButton>("TExtSpinButton", &TExtBaseGraphicControl::StaticClassInfo()).Build();
  return info;
}

TExtSpinButton::TExtSpinButton(ui::TComponent* AOwner) : TExtBaseGraphicControl(AOwner) {
  SetBounds(0, 0, 20, 20);
  repeatTimer_ = new ui::TTimer(this);
  repeatTimer_->SetEnabled(false);
  repeatTimer_->OnTimer = [this](ui::TObject* s) { TimerExpired(s); };
  TSpinButtonBitmapsManager::Instance()->AddClient();
}

TExtSpinButton::~TExtSpinButton() {
  BeginDestroy();
  if (images_) images_->RemoveClient();
  if (auto* m = TSpinButtonBitmapsManager::Instance(false)) m->RemoveClient();
}

void TExtSpinButton::SetButtonStyle(TExtSpinButtonStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  Invalidate();
}

void TExtSpinButton::SetFocusControl(ui::TWinControl* Value) { ReplaceComponentReference(this, Value, focusControl_); }

void TExtSpinButton::Notification(ui::TComponent* AComponent, ui::TOperation Operation) {
  TExtBaseGraphicControl::Notification(AComponent, Operation);
  if (Operation == ui::opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TExtSpinButton::SetGlyph(std::unique_ptr<ui::TBitmap>& Glyph, const ui::TBitmap* Value) {
  if (Value && !Value->Empty()) {
    Glyph = std::make_unique<ui::TBitmap>();
    Glyph->Assign(Value);
  } else {
    Glyph.reset();
  }
  Invalidate();
}

void TExtSpinButton::SetUpGlyph(const ui::TBitmap* Value) { SetGlyph(upGlyph_, Value); }
void TExtSpinButton::SetDownGlyph(const ui::TBitmap* Value) { SetGlyph(downGlyph_, Value); }

bool TExtSpinButton::InBottomHalf(int X, int Y) const {
  if (style_ == sbsClassic) return Y > Height() / 2;
  if (Width() <= 0) return false;
  return Y > Height() - (static_cast<double>(Height()) / Width()) * X;
}

void TExtSpinButton::SetState(TSpinButtonState Value) {
  if (state_ == Value) return;
  state_ = Value;
  Invalidate();
}

void TExtSpinButton::TopClick() {
  if (OnTopClick) OnTopClick(this);
  if (!leftDown_) SetState(sbNotDown);
}

void TExtSpinButton::BottomClick() {
  if (OnBottomClick) OnBottomClick(this);
  if (!leftDown_) SetState(sbNotDown);
}

void TExtSpinButton::MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  TExtBaseGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != ui::mbLeft || !Enabled()) return;
  leftDown_ = true;
  if (auto* fc = FocusControl(); fc && fc->TabStop() && fc->CanFocus() && !fc->Focused()) fc->SetFocus();
  if (state_ != sbNotDown) return;
  firstDown_ = InBottomHalf(X, Y) ? sbBottomDown : sbTopDown;
  SetState(firstDown_);
  auto alive = alive_;
  if (firstDown_ == sbBottomDown) BottomClick();
  else TopClick();
  if (!*alive) return;
  repeatTimer_->SetInterval(initRepeatPause_);
  repeatTimer_->SetEnabled(true);
}

void TExtSpinButton::TimerExpired(ui::TObject*) {
  repeatTimer_->SetInterval(repeatPause_);
  if (state_ == sbNotDown || !MouseCapture()) return;
  try {
    if (state_ == sbBottomDown) BottomClick();
    else TopClick();
  } catch (...) {
    repeatTimer_->SetEnabled(false);
    throw;
  }
}

void TExtSpinButton::MouseMove(ui::TShiftState Shift, int X, int Y) {
  TExtBaseGraphicControl::MouseMove(Shift, X, Y);
  bool inside = X >= 0 && Y >= 0 && X < Width() && Y < Height();
  if (ui::ThemesEnabled()) {
    TSpinButtonState hot = inside ? (InBottomHalf(X, Y) ? sbBottomDown : sbTopDown) : sbNotDown;
    if (hot != hot_) {
      hot_ = hot;
      Invalidate();
    }
  }
  if (!leftDown_ || firstDown_ == sbNotDown) return;
  if (!inside) {
    SetState(sbNotDown);
    return;
  }
  TSpinButtonState half = InBottomHalf(X, Y) ? sbBottomDown : sbTopDown;
  SetState(half == firstDown_ ? half : sbNotDown);
}

void TExtSpinButton::MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  if (Button == ui::mbLeft) {
    leftDown_ = false;
    firstDown_ = sbNotDown;
    repeatTimer_->SetEnabled(false);
    SetState(sbNotDown);
  }
  TExtBaseGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TExtSpinButton::NotifyMouseLeave(ui::TControl* Control) {
  TExtBaseGraphicControl::NotifyMouseLeave(Control);
  if (hot_ != sbNotDown) {
    hot_ = sbNotDown;
    Invalidate();
  }
}

void TExtSpinButton::Dispatch(TMessage& M) {
  if (M.Msg == ui::WM_CANCELMODE) {
    leftDown_ = false;
    firstDown_ = sbNotDown;
    repeatTimer_->SetEnabled(false);
    SetState(sbNotDown);
  }
  TExtBaseGraphicControl::Dispatch(M);
}

void TExtSpinButton::Paint() {
  bool custom = upGlyph_ || downGlyph_;
  if (!images_ || images_->Compare(Width(), Height(), style_, custom) != 0) {
    TSpinButtonBitmaps* next = TSpinButtonBitmapsManager::Instance()->WantButtons(Width(), Height(), custom, style_);
    if (images_) images_->RemoveClient();
    images_ = next;
  }
  TSpinButtonBitmaps::Face f = !Enabled()              ? TSpinButtonBitmaps::Disabled
                               : state_ == sbTopDown    ? TSpinButtonBitmaps::TopDown
                               : state_ == sbBottomDown ? TSpinButtonBitmaps::BottomDown
                               : hot_ == sbTopDown      ? TSpinButtonBitmaps::TopHot
                               : hot_ == sbBottomDown   ? TSpinButtonBitmaps::BottomHot
                                                        : TSpinButtonBitmaps::NoneDown;
  images_->Draw(Canvas(), 0, 0, f);
  if (custom) {
    int w = Width(), h = Height();
    if (upGlyph_) {
      int x = style_ == sbsClassic ? (w - upGlyph_->Width()) / 2 : w / 4 - upGlyph_->Width() / 2;
      int y = style_ == sbsClassic ? (h / 2 - upGlyph_->Height()) / 2 : h / 4 - upGlyph_->Height() / 2;
      Canvas()->Draw(x + (state_ == sbTopDown), y + (state_ == sbTopDown), upGlyph_.get());
    }
    if (downGlyph_) {
      int x = style_ == sbsClassic ? (w - downGlyph_->Width()) / 2 : w * 3 / 4 - downGlyph_->Width() / 2;
      int y = style_ == sbsClassic ? h / 2 + (h / 2 - downGlyph_->Height()) / 2 : h * 3 / 4 - downGlyph_->Height() / 2;
      Canvas()->Draw(x + (state_ == sbBottomDown), y + (state_ == sbBottomDown), downGlyph_.get());
    }
  }
}

// --- TExtUpDown -------------------------------------------------------------------

const ui::TClassInfo& TExtUpDown::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TExtUpDown>("TExtUpDown", &ui::TCustomUpDown::StaticClassInfo()).Build();
  return info;
}

TExtUpDown::TExtUpDown(ui::TComponent* AOwner) : ui::TCustomUpDown(AOwner) {
  SetMin(-1);
  SetMax(1);
  SetPosition(0);
  SetWidth(SpinScrollBarWidth());
}

TExtUpDown::~TExtUpDown() { BeginDestroy(); }

void TExtUpDown::Dispatch(TMessage& M) {
  if (M.Msg == ui::CN_VSCROLL && ui::LoWord(M.WParam) == ui::SB_THUMBPOSITION && !changing_) {
    ui::TScopedValue busy(changing_, true);
    auto pos = static_cast<std::int16_t>(ui::HiWord(M.WParam));
    try {
      if (pos > 0) Click(ui::btNext);
      else if (pos < 0) Click(ui::btPrev);
    } catch (...) {
      SetPosition(0);
      throw;
    }
    SetPosition(0);
    return;
  }
  ui::TCustomUpDown::Dispatch(M);
}

// --- TExtCustomSpinEdit --------------------------------------------------------------

const ui::TClassInfo& TExtCustomSpinEdit::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TExtCustomSpinEdit>("TExtCustomSpinEdit", &TExtBaseCustomMaskEdit::StaticClassInfo())
          .Float("MinValue", &TExtCustomSpinEdit::MinValue, &TExtCustomSpinEdit::SetMinValue)
          .Float("MaxValue", &TExtCustomSpinEdit::MaxValue, &TExtCustomSpinEdit::SetMaxValue)
          .Float("Value", &TExtCustomSpinEdit::Value, &TExtCustomSpinEdit::SetValue)
          .Float("Increment", &TExtCustomSpinEdit::Increment, &TExtCustomSpinEdit::SetIncrement)
          .Integer("Decimal", &TExtCustomSpinEdit::Decimal, &TExtCustomSpinEdit::SetDecimal, 2)
          .Boolean("Thousands", &TExtCustomSpinEdit::Thousands, &TExtCustomSpinEdit::SetThousands, 0)
          .Boolean("EditorEnabled", &TExtCustomSpinEdit::EditorEnabled, &TExtCustomSpinEdit::SetEditorEnabled, 1)
          .Boolean("ArrowKeys", &TExtCustomSpinEdit::ArrowKeys, &TExtCustomSpinEdit::SetArrowKeys, 1)
          .Boolean("ShowButton", &TExtCustomSpinEdit::ShowButton, &TExtCustomSpinEdit::SetShowButton, 1)
          .Str("DisplayFormat", &TExtCustomSpinEdit::DisplayFormat, &TExtCustomSpinEdit::SetDisplayFormat)
          .Boolean("CheckMinValue", &TExtCustomSpinEdit::CheckMinValue, &TExtCustomSpinEdit::SetCheckMinValue)
          .Boolean("CheckMaxValue", &TExtCustomSpinEdit::CheckMaxValue, &TExtCustomSpinEdit::SetCheckMaxValue)
          .Set("CheckOptions", "TExtCheckOptions", {"coCheckOnChange", "coCheckOnExit", "coCropBeyondLimit"},
               &TExtCustomSpinEdit::CheckOptionBits, &TExtCustomSpinEdit::SetCheckOptionBits)
          .Enum("ValueType", "TValueType", {"vtInteger", "vtFloat", "vtHex"}, &TExtCustomSpinEdit::ValueType,
                &TExtCustomSpinEdit::SetValueType, vtInteger)
          .Enum("ButtonKind", "TSpinButtonKind", {"bkStandard", "bkDiagonal", "bkClassic"},
                &TExtCustomSpinEdit::ButtonKind, &TExtCustomSpinEdit::SetButtonKind, bkDiagonal)
          .Enum("Alignment", "TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"},
                &TExtCustomSpinEdit::Alignment, &TExtCustomSpinEdit::SetAlignment, ui::taLeftJustify)
          .Build();
  return info;
}

TExtCustomSpinEdit::TExtCustomSpinEdit(ui::TComponent* AOwner) : TExtBaseCustomMaskEdit(AOwner) {
  RegisterExtCursors();
  BuildButton();
}

TExtCustomSpinEdit::~TExtCustomSpinEdit() {
  destroying_ = true;
  changing_ = true;
  BeginDestroy();
}

double TExtCustomSpinEdit::ClampValue(double X) const {
  if (!checkMinValue_ && !checkMaxValue_) return X;
  double v = X;
  if (checkMinValue_ && X < minValue_) v = minValue_;
  if (checkMaxValue_ && X > maxValue_) return maxValue_;
  return v;
}

double TExtCustomSpinEdit::ValidateRange(double X, bool Raise) const {
  double v = ClampValue(X);
  if ((checkMinValue_ || checkMaxValue_) && Raise && v != X)
    throw rtl::ERangeError(u"Value must be between %0:g and %1:g", {minValue_, maxValue_});
  return v;
}

double TExtCustomSpinEdit::Value() const {
  String text = EditText();
  switch (valueType_) {
    case vtInteger: {
      // Read as 64-bit, so a long number is not wrapped into the 32-bit range.
      std::int64_t v;
      if (rtl::TryStrToInt64(StripThousands(text), v)) return static_cast<double>(v);
      return static_cast<double>(rtl::Round(minValue_));
    }
    case vtHex: {
      std::int64_t v;
      if (rtl::TryStrToInt64(u"$" + text, v)) return static_cast<double>(v);
      return static_cast<double>(rtl::Round(minValue_));
    }
    default: {
      double v;
      String s = displayFormat_.empty() ? StripThousands(text) : NormalizeNumberText(text);
      if (rtl::TryStrToFloat(s, v) && std::isfinite(v)) return v;
      return minValue_;
    }
  }
}

std::int32_t TExtCustomSpinEdit::AsInteger() const {
  double v = std::trunc(Value());
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

void TExtCustomSpinEdit::SetValue(double NewValue) {
  rtl::TFloatFormat ft = thousands_ ? rtl::TFloatFormat::ffNumber : rtl::TFloatFormat::ffFixed;
  bool modified = Modified();
  double v = ClampValue(NewValue);
  String text;
  switch (valueType_) {
    case vtFloat:
      text = displayFormat_.empty() ? rtl::FloatToStrF(v, ft, 15, decimal_) : rtl::FormatFloat(displayFormat_, v);
      break;
    case vtHex:
      text = rtl::IntToHex(static_cast<std::uint64_t>(rtl::Round(v)), 1);
      break;
    default:
      text = rtl::FloatToStrF(v, ft, 15, 0);
      break;
  }
  if (isNegative_ && !text.empty() && text[0] != u'-') text = u"-" + text;
  SetEditText(text);
  ShowEditFormat();
  SetModified(modified);
}

void TExtCustomSpinEdit::ShowEditFormat() {
  if (valueType_ != vtFloat || displayFormat_.empty() || !focused_) return;
  bool modified = Modified();
  String picture = u"0";
  if (decimal_ > 0) picture += u"." + CharRun(u'0', decimal_);
  bool saved = changing_;
  changing_ = true;
  SetEditText(rtl::FormatFloat(picture, Value()));
  changing_ = saved;
  SetModified(modified);
}

void TExtCustomSpinEdit::Change() {
  modified_ = true;
  if (changing_ || !HandleAllocated()) return;
  TextChangeSteps();
}

void TExtCustomSpinEdit::TextChangeSteps() {
  String oldText = EditText();
  int caret = SelStart();
  {
    ui::TScopedValue busy(changing_, true);
    ui::TScopedValue negative(isNegative_, !oldText.empty() && oldText[0] == u'-');
    if (!ComponentState().Contains(ui::csDesigning) && checkOptions_.Contains(coCheckOnChange)) {
      try {
        ValidateRange(Value(), !checkOptions_.Contains(coCropBeyondLimit));
        SetValue(ClampValue(Value()));
      } catch (const rtl::ERangeError&) {
        SetValue(ClampValue(Value()));
      }
    }
  }
  SetSelStart(caret);
  double v = Value();
  if (v != oldValue_) {
    if (thousands_ && SelStart() == caret) {
      char16_t th = rtl::FormatSettings().ThousandSeparator;
      String now = EditText();
      int before = CountCharOccurrences(now.substr(0, std::min<std::size_t>(caret, now.size())), th);
      int was = CountCharOccurrences(oldText.substr(0, std::min<std::size_t>(caret, oldText.size())), th);
      SetSelStart(std::max(0, caret + before - was));
    }
    oldValue_ = v;
    if (OnChange) OnChange(this);
  }
}

void TExtCustomSpinEdit::Step(double Delta, const ui::TNotifyEvent& Event) {
  if (ReadOnly()) {
    SignalError();
    return;
  }
  String old = EditText();
  {
    ui::TScopedValue busy(changing_, true);
    SetValue(Value() + Delta);
  }
  if (!rtl::SameText(EditText(), old)) {
    SetModified(true);
    TextChangeSteps();
  }
  if (Event) Event(this);
}

void TExtCustomSpinEdit::StepUp() { Step(increment_, OnTopClick); }
void TExtCustomSpinEdit::StepDown() { Step(-increment_, OnBottomClick); }

void TExtCustomSpinEdit::SetCheckMaxValue(bool Value) {
  checkMaxValue_ = maxValue_ != 0 ? true : Value;
  if (ComponentState().Contains(ui::csLoading)) lCheckMaxValue_ = false;
  SetValue(this->Value());
}

void TExtCustomSpinEdit::SetCheckMinValue(bool Value) {
  checkMinValue_ = minValue_ != 0 ? true : Value;
  if (ComponentState().Contains(ui::csLoading)) lCheckMinValue_ = false;
  SetValue(this->Value());
}

void TExtCustomSpinEdit::SetMaxValue(double Value) { SetBound(true, Value); }
void TExtCustomSpinEdit::SetMinValue(double Value) { SetBound(false, Value); }

void TExtCustomSpinEdit::SetBound(bool Upper, double Value) {
  double& bound = Upper ? maxValue_ : minValue_;
  if (Value == bound) return;
  double current = this->Value();
  // The check flags follow the bounds while they are in their automatic state.
  bool& follows = Upper ? lCheckMaxValue_ : lCheckMinValue_;
  bool& otherFollows = Upper ? lCheckMinValue_ : lCheckMaxValue_;
  bool& check = Upper ? checkMaxValue_ : checkMinValue_;
  bool& otherCheck = Upper ? checkMinValue_ : checkMaxValue_;
  bool wasAuto = follows;
  bool zeroChange = (bound == 0) != (Value == 0);
  bound = Value;
  if (zeroChange && follows) {
    bool any = minValue_ != 0 || maxValue_ != 0;
    check = any;
    if (wasAuto && otherFollows) otherCheck = any;
  }
  SetValue(current);
}

void TExtCustomSpinEdit::SetCheckOptions(TExtCheckOptions Value) {
  checkOptions_ = Value;
  SetValue(this->Value());
}

void TExtCustomSpinEdit::SetDecimal(int Value) {
  if (Value == decimal_) return;
  double v = this->Value();
  decimal_ = std::clamp(Value, 0, 255);
  SetValue(v);
}

void TExtCustomSpinEdit::SetValueType(TValueType Value) {
  double v = this->Value();
  valueType_ = Value;
  if (Value != vtFloat) {
    increment_ = static_cast<double>(rtl::Round(increment_));
    if (increment_ == 0) increment_ = 1;
  }
  if (Value == vtHex) thousands_ = false;
  SetValue(v);
}

void TExtCustomSpinEdit::SetThousands(bool Value) {
  if (valueType_ == vtHex || Value == thousands_) return;
  double v = this->Value();
  thousands_ = Value;
  SetValue(v);
}

void TExtCustomSpinEdit::SetDisplayFormat(const String& Value) {
  if (Value == displayFormat_) return;
  displayFormat_ = Value;
  Invalidate();
}

void TExtCustomSpinEdit::SetArrowKeys(bool Value) {
  arrowKeys_ = Value;
  LayoutButton();
}

void TExtCustomSpinEdit::SetShowButton(bool Value) {
  if (Value == showButton_) return;
  showButton_ = Value;
  BuildButton();
}

void TExtCustomSpinEdit::SetButtonKind(TSpinButtonKind Value) {
  if (Value == buttonKind_) return;
  buttonKind_ = Value;
  BuildButton();
}

void TExtCustomSpinEdit::SetAlignment(ui::TAlignment Value) {
  if (Value == alignment_) return;
  alignment_ = Value;
  SetTextAlignment(Value);
}

void TExtCustomSpinEdit::InitWidget() {
  TExtBaseCustomMaskEdit::InitWidget();
  LayoutButton();
}

void TExtCustomSpinEdit::BuildButton() {
  if (destroying_) return;
  delete button_;
  button_ = nullptr;
  delete btnWindow_;
  btnWindow_ = nullptr;
  delete upDown_;
  upDown_ = nullptr;
  if (!showButton_) {
    LayoutButton();
    return;
  }
  if (buttonKind_ == bkStandard) {
    upDown_ = new TExtUpDown(this);
    upDown_->SetParent(this);
    upDown_->OnClick = [this](ui::TObject*, ui::TUDBtnType b) {
      if (TabStop() && CanFocus() && !Focused()) SetFocus();
      if (b == ui::btNext) StepUp();
      else StepDown();
    };
  } else {
    btnWindow_ = new ui::TWinControl(this);
    btnWindow_->SetParent(this);
    button_ = new TExtSpinButton(this);
    button_->SetButtonStyle(buttonKind_ == bkClassic ? sbsClassic : sbsDefault);
    button_->SetParent(btnWindow_);
    button_->SetFocusControl(this);
    button_->OnTopClick = [this](ui::TObject*) { StepUp(); };
    button_->OnBottomClick = [this](ui::TObject*) { StepDown(); };
  }
  LayoutButton();
}

void TExtCustomSpinEdit::LayoutButton() {
  int w = Width(), h = Height(), sb = SpinScrollBarWidth();
  // The edit's frame is 2 pixels wide; the button sits inside it.
  constexpr int frame = 2;
  int buttonWidth = 0;
  if (upDown_) {
    upDown_->SetBounds(w - frame - sb, frame, sb, std::max(h - 2 * frame, 0));
    buttonWidth = sb;
  } else if (btnWindow_) {
    int bw = buttonKind_ == bkClassic ? sb : std::max(h - 3, 0);
    int x = buttonKind_ == bkClassic ? w - sb - 4 : w - h - 1;
    btnWindow_->SetBounds(x + frame, -1 + frame, bw, std::max(h - 3, 0));
    if (button_) button_->SetBounds(1, 1, std::max(bw - 1, 0), std::max(h - 4, 0));
    buttonWidth = bw;
  }
  SetMargins(0, buttonWidth);
}

int TExtCustomSpinEdit::MinimumHeight() const {
  ui::TBitmap probe(1, 1);
  probe.Canvas()->SetFont(Font());
  return probe.Canvas()->TextHeight(u"0") + 4 * 1 + 1;
}

void TExtCustomSpinEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (!ComponentState().Contains(ui::csDestroying)) AHeight = std::max(AHeight, MinimumHeight());
  TExtBaseCustomMaskEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TExtCustomSpinEdit::NotifyBoundsChanged() { LayoutButton(); }

void TExtCustomSpinEdit::NotifyFontChanged() {
  TExtBaseCustomMaskEdit::NotifyFontChanged();
  LayoutButton();
}

void TExtCustomSpinEdit::NotifyEnabledChanged() {
  TExtBaseCustomMaskEdit::NotifyEnabledChanged();
  if (upDown_) upDown_->SetEnabled(Enabled());
  if (button_) button_->SetEnabled(Enabled());
}

void TExtCustomSpinEdit::Loaded() {
  TExtBaseCustomMaskEdit::Loaded();
  lCheckMaxValue_ = true;
  lCheckMinValue_ = true;
  oldValue_ = Value();
}

void TExtCustomSpinEdit::SetFocusState(bool Focused) {
  focused_ = Focused;
  Invalidate();
  ShowEditFormat();
}

void TExtCustomSpinEdit::NotifyFocusGained(ui::TWinControl* Previous) {
  TExtBaseCustomMaskEdit::NotifyFocusGained(Previous);
  SetFocusState(true);
  SelectAll();
}

void TExtCustomSpinEdit::NotifyFocusLost(ui::TWinControl* Next) {
  TExtBaseCustomMaskEdit::NotifyFocusLost(Next);
  SetFocusState(false);
  if (ComponentState().Contains(ui::csDesigning) || !checkOptions_.Contains(coCheckOnExit)) return;
  try {
    ValidateRange(Value(), !checkOptions_.Contains(coCropBeyondLimit));
    SetValue(ClampValue(Value()));
  } catch (...) {
    // The field keeps the focus until its value is in range.
    SetFocusState(true);
    SelectAll();
    if (CanFocus()) SetFocus();
    throw;
  }
}

bool TExtCustomSpinEdit::AcceptsChar(char16_t Key) {
  if (!editorEnabled_) return Key < 0x20 && Key != 8;
  if (Key < 0x20) return true;
  if (Key == u'+' || Key == u'-' || (Key >= u'0' && Key <= u'9')) return true;
  const rtl::TFormatSettings& fs = rtl::FormatSettings();
  String text = EditText();
  if (valueType_ == vtFloat) {
    bool dotIsThousands = thousands_ && fs.ThousandSeparator == u'.';
    if ((Key == fs.DecimalSeparator || (Key == u'.' && !dotIsThousands)) &&
        text.find(fs.DecimalSeparator) == String::npos)
      return true;
    if ((Key == u'E' || Key == u'e') && UpperCaseCopy(text).find(u'E') == String::npos) return true;
  }
  if (valueType_ == vtHex && ((Key >= u'A' && Key <= u'F') || (Key >= u'a' && Key <= u'f'))) return true;
  return false;
}

void TExtCustomSpinEdit::DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) {
  TExtBaseCustomMaskEdit::DoKeyDown(Key, Shift);
  if (Key == 0) return;
  char16_t dec = rtl::FormatSettings().DecimalSeparator;
  String text = EditText();
  int caret = SelStart();
  if (arrowKeys_ && (Key == ui::VK_UP || Key == ui::VK_DOWN)) {
    if (Key == ui::VK_UP) StepUp();
    else StepDown();
    Key = 0;
  } else if (Key == ui::VK_DELETE && caret < static_cast<int>(text.size()) && text[caret] == dec) {
    Key = ui::VK_RIGHT;
  } else if (Key == ui::VK_BACK && caret > 0 && caret <= static_cast<int>(text.size()) && text[caret - 1] == dec) {
    Key = ui::VK_LEFT;
  }
}

void TExtCustomSpinEdit::DoKeyPress(char16_t& Key) {
  TExtBaseCustomMaskEdit::DoKeyPress(Key);
  if (Key == 0) return;
  const rtl::TFormatSettings& fs = rtl::FormatSettings();
  if (Key == u'.' && !(thousands_ && fs.ThousandSeparator == u'.')) Key = fs.DecimalSeparator;
  if (Key == fs.DecimalSeparator && valueType_ == vtFloat) {
    std::size_t p = EditText().find(fs.DecimalSeparator);
    if (p != String::npos) {
      SetSelStart(static_cast<int>(p) + 1);
      Key = 0;
      return;
    }
  }
  if (!AcceptsChar(Key)) {
    SignalError();
    Key = 0;
    return;
  }
  // Enter already reached the form's default button as a dialog key.
  if (Key == u'\r') Key = 0;
}

void TExtCustomSpinEdit::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case ui::WM_MOUSEWHEEL: {
      auto delta = static_cast<std::int16_t>(ui::HiWord(M.WParam));
      if (delta > 0) StepUp();
      else StepDown();
      M.Result = 1;
      return;
    }
    case ui::WM_CUT:
    case ui::WM_PASTE:
      if (!editorEnabled_ || ReadOnly()) {
        M.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TExtBaseCustomMaskEdit::Dispatch(M);
}

// --- TExtSpinEdit -----------------------------------------------------------------------

const ui::TClassInfo& TExtSpinEdit::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TExtSpinEdit>("TExtSpinEdit", &TExtCustomSpinEdit::StaticClassInfo()).Build();
  return info;
}

TExtSpinEdit::TExtSpinEdit(ui::TComponent* AOwner) : TExtCustomSpinEdit(AOwner) { SetText(u"0"); }

TExtSpinEdit::~TExtSpinEdit() { BeginDestroy(); }

}  // namespace ext
