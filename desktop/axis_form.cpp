#include "desktop/axis_form.h"

#include "include/JQ_API.h"
#include "desktop/axis_glyphs.h"
#include "platform/runtime/convert.h"
#include "desktop/link_watch.h"

namespace desktop {

using namespace ui;

const TClassInfo& TAxisFrm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TAxisFrm>("TAxisFrm", &TFrame::StaticClassInfo()).Build();
  return info;
}

namespace {

constexpr int kButtonTop = 13;
constexpr int kEditTop = 18;
// The position fields' font, and the smallest it may shrink to so that a
// long position still shows whole.
constexpr int kPositionFontHeight = 19, kPositionFontSmallest = 9;

TBitBtn* NewPictureButton(TAxisFrm* Frame, TWinControl* Parent, const char16_t* Name, const char16_t* Caption,
                          int Left, int Width, TAxisGlyph Glyph) {
  auto* b = new TBitBtn(Frame);
  b->SetName(Name);
  b->SetParent(Parent);
  b->SetBounds(Left, kButtonTop, Width, 40);
  b->SetCaption(Caption);
  TBitmap glyph;
  Draw_Axis_Glyph(&glyph, Glyph);
  b->SetGlyph(&glyph);
  b->SetNumGlyphs(2);
  return b;
}

TPanel* NewLamp(TAxisFrm* Frame, TWinControl* Parent, const char16_t* Name, const char16_t* Caption, int Left,
                int Width, TColor Color) {
  auto* p = new TPanel(Frame);
  p->SetName(Name);
  p->SetParent(Parent);
  p->SetBounds(Left, kButtonTop, Width, 40);
  p->SetCaption(Caption);
  p->SetParentColor(false);
  p->SetColor(Color);
  p->Font()->SetStyle(TFontStyles{fsBold});
  return p;
}

TEdit* NewPositionEdit(TAxisFrm* Frame, TWinControl* Parent, const char16_t* Name, int Left, const String& Text) {
  auto* e = new TEdit(Frame);
  e->SetName(Name);
  e->SetParent(Parent);
  e->Font()->SetName(u"Tahoma");
  e->Font()->SetHeight(-kPositionFontHeight);
  e->SetBounds(Left, kEditTop, 120, 27);
  e->SetText(Text);
  return e;
}

// Shows a position whole: the field keeps its size, and a text too wide for
// the field's font is written in the largest smaller font it fits in.
void Show_Position(TEdit* Edit, const String& Text) {
  TBitmap probe(1, 1);
  TFont* font = probe.Canvas()->Font();
  font->Assign(Edit->Font());
  int height = kPositionFontHeight;
  for (; height > kPositionFontSmallest; --height) {
    font->SetHeight(-height);
    if (probe.Canvas()->TextWidth(Text) <= Edit->TextAreaWidth()) break;
  }
  if (Edit->Font()->Height() != -height) Edit->Font()->SetHeight(-height);
  Edit->SetText(Text);
}

}  // namespace

TAxisFrm::TAxisFrm(TComponent* AOwner) : TFrame(AOwner) {
  SetBounds(0, 0, 1051, 69);

  grp_Ch = new TGroupBox(this);
  grp_Ch->SetName(u"grp_Ch");
  grp_Ch->SetParent(this);
  grp_Ch->SetBounds(3, 3, 1045, 62);
  grp_Ch->SetCaption(String());

  btn_Pos_Rel = NewPictureButton(this, grp_Ch, u"btn_Pos_Rel", u"相对定位", 8, 142, TAxisGlyph::Step);
  btn_Pos_Rel->OnClick = [this](TObject* s) { btn_Pos_RelClick(s); };
  pnl_Dir = NewLamp(this, grp_Ch, u"pnl_Dir", u"正", 156, 63, clLime);
  pnl_Dir->OnClick = [this](TObject* s) { pnl_DirClick(s); };
  edt_Rel = NewPositionEdit(this, grp_Ch, u"edt_Rel", 225, u"1");

  btn_Neg = new TButton(this);
  btn_Neg->SetName(u"btn_Neg");
  btn_Neg->SetParent(grp_Ch);
  btn_Neg->SetBounds(351, kButtonTop, 105, 40);
  btn_Neg->SetCaption(u"点动");
  btn_Neg->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    btn_NegMouseDown(s, b, sh, x, y);
  };
  btn_Neg->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    btn_NegMouseUp(s, b, sh, x, y);
  };
  btn_Neg->OnExit = [this](TObject*) { Stop_Jog(false); };

  pnl_Run = NewLamp(this, grp_Ch, u"pnl_Run", u"运行", 462, 50, clBtnFace);
  edt_Show_Software = NewPositionEdit(this, grp_Ch, u"edt_Show_Software", 518, String());
  edt_Show_Encoder = NewPositionEdit(this, grp_Ch, u"edt_Show_Encoder", 644, String());
  btn_Pos_Abs = NewPictureButton(this, grp_Ch, u"btn_Pos_Abs", u"回零", 770, 85, TAxisGlyph::ToZero);
  btn_Pos_Abs->OnClick = [this](TObject* s) { btn_Pos_AbsClick(s); };
  btn_Home = NewPictureButton(this, grp_Ch, u"btn_Home", u"查找零位", 861, 85, TAxisGlyph::Home);
  btn_Home->OnClick = [this](TObject* s) { btn_HomeClick(s); };
  btn_Zero = NewPictureButton(this, grp_Ch, u"btn_Zero", u"置零", 952, 85, TAxisGlyph::SetZero);
  btn_Zero->OnClick = [this](TObject* s) { btn_ZeroClick(s); };

  tmr_Axis = new TTimer(this);
  tmr_Axis->SetName(u"tmr_Axis");
  tmr_Axis->SetInterval(1000);
  tmr_Axis->OnTimer = [this](TObject* s) { tmr_AxisTimer(s); };

  tmr_Jog_Guard = new TTimer(this);
  tmr_Jog_Guard->SetName(u"tmr_Jog_Guard");
  tmr_Jog_Guard->SetEnabled(false);
  tmr_Jog_Guard->SetInterval(100);
  tmr_Jog_Guard->OnTimer = [this](TObject* s) { Jog_Guard(s); };
}

TAxisFrm::~TAxisFrm() { Stop_Jog(false); }

std::uint16_t TAxisFrm::Axis() const { return static_cast<std::uint16_t>(grp_Ch->Tag()); }

TAxis_Config& TAxisFrm::Record() const {
  std::size_t i = static_cast<std::size_t>(grp_Ch->Tag());
  if (grp_Ch->Tag() >= 0 && i < g_Axis_Config.size()) return g_Axis_Config[i];
  // A panel without settings converts nothing: the zero factors refuse
  // every move and the display shows dashes.
  static TAxis_Config none;
  none = TAxis_Config();
  return none;
}

void TAxisFrm::Send_Position_Ramps(std::int32_t A, std::int32_t D, std::int32_t V) {
  std::uint16_t axis = Axis();
  if (Record().bOpen)
    JQ_Set_Axis_Mode_Position(axis);
  else
    JQ_Set_Axis_Mode_Position_Close(axis);
  JQ_Set_Axis_Position_Acc(axis, A);
  JQ_Set_Axis_Position_Dec(axis, D);
  JQ_Set_Axis_Position_V_Max(axis, V);
}

void TAxisFrm::btn_Pos_RelClick(TObject*) {
  const TAxis_Config& r = Record();
  // Everything is converted before the first command, so a distance that
  // is not a number or does not fit leaves the axis untouched.
  double distance = rtl::StrToFloat(edt_Rel->Text());
  std::int32_t A = Units_To_Steps(r, r.Acc);
  std::int32_t D = Units_To_Steps(r, r.Dec);
  std::int32_t V = Units_To_Steps_Abs(r, r.Max_V);
  std::int32_t d = Units_To_Steps_Abs(r, distance);
  if (!r.bDirP) d = -d;
  Send_Position_Ramps(A, D, V);
  JQ_Set_Axis_Position_P_Target_Rel(Axis(), d);
}

void TAxisFrm::btn_Pos_AbsClick(TObject*) {
  const TAxis_Config& r = Record();
  std::int32_t A = Units_To_Steps(r, r.Acc);
  std::int32_t D = Units_To_Steps(r, r.Dec);
  std::int32_t V = Units_To_Steps_Abs(r, r.Max_V);
  Send_Position_Ramps(A, D, V);
  JQ_Set_Axis_Position_P_Target_Abs(Axis(), 0);
}

void TAxisFrm::btn_HomeClick(TObject*) {
  const TAxis_Config& r = Record();
  std::int32_t A = Units_To_Steps(r, r.Acc);
  std::int32_t D = Units_To_Steps(r, r.Dec);
  std::int32_t V = Units_To_Steps_Abs(r, r.Max_V);
  std::uint16_t axis = Axis();
  JQ_Set_Axis_Mode_Home_Home_Switch(axis);
  JQ_Set_Axis_Home_Acc(axis, A);
  JQ_Set_Axis_Home_Dec(axis, D);
  JQ_Set_Axis_Home_V(axis, r.bDirP ? V : -V);
}

void TAxisFrm::btn_NegMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
  const TAxis_Config& r = Record();
  std::int32_t A = Units_To_Steps(r, r.Acc);
  std::int32_t D = Units_To_Steps(r, r.Dec);
  std::int32_t V = Units_To_Steps_Abs(r, r.Max_V);
  std::uint16_t axis = Axis();
  // Marked first: whatever ends the press from here on stops the axis.
  jogging_ = true;
  tmr_Jog_Guard->SetEnabled(true);
  JQ_Set_Axis_Mode_Velocity(axis);
  JQ_Set_Axis_Velocity_Acc(axis, A);
  JQ_Set_Axis_Velocity_Dec(axis, D);
  JQ_Set_Axis_Velocity_V_Target_Abs(axis, r.bDirP ? V : -V);
}

void TAxisFrm::btn_NegMouseUp(TObject*, TMouseButton, TShiftState, int, int) { Stop_Jog(true); }

void TAxisFrm::Stop_Jog(bool Always) {
  if (!jogging_ && !Always) return;
  jogging_ = false;
  tmr_Jog_Guard->SetEnabled(false);
  JQ_Set_Axis_Velocity_Stop(Axis());
}

void TAxisFrm::Jog_Guard(TObject*) {
  if (!btn_Neg->Showing() || !btn_Neg->Enabled() || GetCaptureControl() != btn_Neg) Stop_Jog(false);
}

void TAxisFrm::VisibleChanged() {
  TFrame::VisibleChanged();
  if (!Visible()) Stop_Jog(false);
}

void TAxisFrm::btn_ZeroClick(TObject*) {
  if (Record().bOpen)
    JQ_Set_Axis_Software_P(Axis(), 0);
  else
    JQ_Set_Encoder_Pos(Axis(), 0);
}

void TAxisFrm::pnl_DirClick(TObject*) {
  TAxis_Config& r = Record();
  r.bDirP = !r.bDirP;
  pnl_Dir->SetColor(r.bDirP ? clLime : clRed);
  pnl_Dir->SetCaption(r.bDirP ? u"正" : u"反");
}

void TAxisFrm::tmr_AxisTimer(TObject*) {
  tmr_Axis->SetEnabled(false);
  const TAxis_Config& r = Record();
  std::uint16_t axis = Axis();
  std::uint8_t run = 0, dir = 0, neg = 0, pos = 0, zero = 0, mode = 0;
  const bool answered = JQ_Get_Axis_Status(axis, &run, &dir, &neg, &pos, &zero, &mode) == 0;
  Link_Watch().Answered(answered);
  if (answered) pnl_Run->SetColor(run != 0 ? clLime : clBtnFace);
  std::int32_t steps = 0;
  if (JQ_Get_Axis_Software_P_Now(axis, &steps) == 0)
    Show_Position(edt_Show_Software, Format_Position(r, Steps_To_Units(r, steps)));
  std::int32_t counts = 0;
  if (JQ_Get_Encoder_Pos(axis, &counts) == 0)
    Show_Position(edt_Show_Encoder, Format_Position(r, Counts_To_Units(r, counts)));
  tmr_Axis->SetEnabled(true);
}

void TAxisFrm::btn_Set_HaltClick(TObject*) { JQ_Set_Axis_Halt(Axis()); }

void TAxisFrm::btn_Set_StopClick(TObject*) {
  std::uint16_t axis = Axis();
  JQ_Set_Axis_Home_Stop(axis);
  JQ_Set_Axis_Velocity_Stop(axis);
  JQ_Set_Axis_Position_Stop(axis);
}

void TAxisFrm::Load_Param() {}

}  // namespace desktop
