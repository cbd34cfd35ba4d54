#include "components/extended/ext_base_controls.h"

#include "components/extended/ext_base_mask.h"

namespace ext {

namespace {
constexpr std::pair<TDialogCode, LRESULT> kCodes[] = {
    {dcWantAllKeys, ui::DLGC_WANTALLKEYS}, {dcWantArrows, ui::DLGC_WANTARROWS}, {dcWantChars, ui::DLGC_WANTCHARS},
    {dcButton, ui::DLGC_BUTTON},           {dcHasSetSel, ui::DLGC_HASSETSEL},   {dcWantTab, ui::DLGC_WANTTAB}};
}

TDialogCodes DialogCodesFromResult(LRESULT Codes) {
  TDialogCodes r;
  for (auto [c, bit] : kCodes)
    if (Codes & bit) r.Include(c);
  return r;
}

LRESULT DialogCodesToResult(TDialogCodes Codes) {
  LRESULT r = 0;
  for (auto [c, bit] : kCodes)
    if (Codes.Contains(c)) r |= bit;
  return r;
}

LPARAM KeyDataFromShiftState(ui::TShiftState Shift) {
  LPARAM r = 0;
  if (Shift.Contains(ui::ssAlt)) r |= 0x20000000;
  if (Shift.Contains(ui::ssCtrl)) r |= 0x10000000;
  if (Shift.Contains(ui::ssShift)) r |= 0x08000000;
  return r;
}

ui::TShiftState ShiftStateFromKeyData(LPARAM KeyData) {
  ui::TShiftState s;
  if (KeyData & 0x20000000) s.Include(ui::ssAlt);
  if (KeyData & 0x10000000) s.Include(ui::ssCtrl);
  if (KeyData & 0x08000000) s.Include(ui::ssShift);
  return s;
}

void TExtFocusFrame::PaintOver(QWidget* Target, ui::TWinControl* Control, bool MouseOver) const {
  if (!on_ || Control->ComponentState().Contains(ui::csDesigning)) return;
  ui::TCanvas canvas;
  ui::PaintOnWidget(Target, &canvas, [&] { Draw(&canvas, Control, MouseOver); });
}

void TExtFocusFrame::Draw(ui::TCanvas* Canvas, ui::TWinControl* Control, bool MouseOver) const {
  ui::TRect r = ui::Rect(0, 0, Control->Width(), Control->Height());
  bool hot = Control->Focused() || MouseOver;
  Canvas->Brush()->SetColor(hot ? clFocusFrame : clIdleFrame);
  Canvas->FrameRect(r);
  r = ui::Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  Canvas->Brush()->SetColor(hot ? clFocusFrame : Control->Color());
  Canvas->FrameRect(r);
}

// --- TExtBaseGraphicControl ------------------------------------------------------------

const ui::TClassInfo& TExtBaseGraphicControl::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TExtBaseGraphicControl>("TExtBaseGraphicControl", &ui::TGraphicControl::StaticClassInfo())
          .Build();
  return info;
}
TExtBaseGraphicControl::TExtBaseGraphicControl(ui::TComponent* AOwner) : TExtBaseMixin(AOwner) {}
TExtBaseGraphicControl::~TExtBaseGraphicControl() = default;

// --- TExtBaseCustomControl ------------------------------------------------------------

const ui::TClassInfo& TExtBaseCustomControl::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TExtBaseCustomControl>("TExtBaseCustomControl", &ui::TCustomControl::StaticClassInfo())
          .Boolean("DotNetHighlighting", &TExtBaseCustomControl::DotNetHighlighting,
                   &TExtBaseCustomControl::SetDotNetHighlighting, 0)
          .Build();
  return info;
}
TExtBaseCustomControl::TExtBaseCustomControl(ui::TComponent* AOwner) : TExtBaseMixin(AOwner) {}
TExtBaseCustomControl::~TExtBaseCustomControl() = default;

void TExtBaseCustomControl::SetDotNetHighlighting(bool Value) {
  frame_.on_ = Value;
  Invalidate();
}

void TExtBaseCustomControl::PaintWindow(QWidget* Target, const ui::TRect& Area, const std::function<void()>& Base) {
  TExtBaseMixin::PaintWindow(Target, Area, Base);
  frame_.PaintOver(Target, this, MouseOver());
}

void TExtBaseCustomControl::AfterFrameEvent() {
  if (frame_.on_) Invalidate();
}

// --- TExtBaseCustomMaskEdit -----------------------------------------------------------

const ui::TClassInfo& TExtBaseCustomMaskEdit::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TExtBaseCustomMaskEdit>("TExtBaseCustomMaskEdit", &ui::TCustomMaskEdit::StaticClassInfo())
          .Boolean("BeepOnError", &TExtBaseCustomMaskEdit::BeepOnError, &TExtBaseCustomMaskEdit::SetBeepOnError, 1)
          .Set("ClipboardCommands", "TExtClipboardCommands", {"caCopy", "caCut", "caPaste", "caClear", "caUndo"},
               &TExtBaseCustomMaskEdit::ClipboardCommandBits, &TExtBaseCustomMaskEdit::SetClipboardCommandBits)
          .Boolean("DotNetHighlighting", &TExtBaseCustomMaskEdit::DotNetHighlighting,
                   &TExtBaseCustomMaskEdit::SetDotNetHighlighting, 0)
          .Build();
  return info;
}
TExtBaseCustomMaskEdit::TExtBaseCustomMaskEdit(ui::TComponent* AOwner) : TExtBaseMixin(AOwner) {}
TExtBaseCustomMaskEdit::~TExtBaseCustomMaskEdit() = default;

void TExtBaseCustomMaskEdit::SetDotNetHighlighting(bool Value) {
  frame_.on_ = Value;
  Invalidate();
}

void TExtBaseCustomMaskEdit::SignalError() {
  if (beepOnError_) ui::MessageBeep();
}

void TExtBaseCustomMaskEdit::Dispatch(TMessage& M) {
  TExtClipboardCommand need;
  switch (M.Msg) {
    case ui::WM_UNDO:
    case ui::EM_UNDO: need = caUndo; break;
    case ui::WM_CUT: need = caCut; break;
    case ui::WM_COPY: need = caCopy; break;
    case ui::WM_PASTE: need = caPaste; break;
    case ui::WM_CLEAR: need = caClear; break;
    default:
      TExtBaseMixin::Dispatch(M);
      return;
  }
  if (!clipboard_.Contains(need)) {
    M.Result = 1;
    return;
  }
  TExtBaseMixin::Dispatch(M);
}

void TExtBaseCustomMaskEdit::PaintWindow(QWidget* Target, const ui::TRect& Area, const std::function<void()>& Base) {
  TExtBaseMixin::PaintWindow(Target, Area, Base);
  frame_.PaintOver(Target, this, MouseOver());
}

void TExtBaseCustomMaskEdit::AfterFrameEvent() {
  if (frame_.on_) Invalidate();
}

}  // namespace ext
