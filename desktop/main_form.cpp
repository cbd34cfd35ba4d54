#include "desktop/main_form.h"

#include <algorithm>
#include <vector>

#include "include/JQ_API.h"
#include "desktop/auto_form.h"
#include "desktop/axis_config.h"
#include "desktop/axis_form.h"
#include "desktop/board_port_form.h"
#include "platform/runtime/codepage.h"
#include "desktop/config_form.h"
#include "platform/runtime/files.h"
#include "platform/runtime/format.h"
#include "platform/classes/ini_files.h"
#include "desktop/input_form.h"
#include "desktop/link_watch.h"
#include "desktop/output_form.h"
#include "desktop/run_all_form.h"
#include "desktop/run_config_form.h"
#include "desktop/settings_file.h"
#include "platform/classes/string_list.h"
#include "desktop/toolbar_images.h"

namespace desktop {

using namespace ui;

TMainFrm* MainFrm = nullptr;

const TClassInfo& TMainFrm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TMainFrm>("TMainFrm", &TForm::StaticClassInfo()).Build();
  return info;
}

namespace {

const rtl::String kLogoFile = u"logo.bmp";
const rtl::String kCompanyFile = u"company.txt";

TToolButton* NewToolButton(TMainFrm* Form, TToolBar* Bar, const char16_t* Name, const rtl::String& Caption,
                           int ImageIndex, TNotifyEvent OnClick) {
  auto* b = new TToolButton(Form);
  b->SetName(Name);
  b->SetParent(Bar);
  b->SetCaption(Caption);
  b->SetImageIndex(ImageIndex);
  b->OnClick = std::move(OnClick);
  return b;
}

TToolButton* NewSeparator(TMainFrm* Form, TToolBar* Bar, const char16_t* Name) {
  auto* b = new TToolButton(Form);
  b->SetName(Name);
  b->SetParent(Bar);
  b->SetStyle(tbsSeparator);
  b->SetWidth(8);
  return b;
}

TTimer* NewIdleTimer(TMainFrm* Form, const char16_t* Name, unsigned Interval) {
  auto* t = new TTimer(Form);
  t->SetName(Name);
  t->SetEnabled(false);
  t->SetInterval(Interval);
  return t;
}

// Every timer of every window, panels and frames included: after the device
// library is shut down no handler may reach it again.
void Stop_All_Timers(TComponent* Owner) {
  for (int i = 0; i < Owner->ComponentCount(); ++i) {
    TComponent* c = Owner->Components(i);
    if (auto* t = dynamic_cast<TTimer*>(c)) t->SetEnabled(false);
    Stop_All_Timers(c);
  }
}

// Frees the children of `Box` that are of class T, the newest first.
template <class T>
void Free_Children(TWinControl* Box) {
  for (int i = Box->ControlCount() - 1; i >= 0; --i)
    if (auto* c = dynamic_cast<T*>(Box->Controls(i))) Free(c);
}

// The axes that get a frame: the visible ones among the first Count.
std::vector<int> Framed_Axes(std::int32_t Count) {
  std::vector<int> axes;
  const int n = std::min<int>(Count, static_cast<int>(g_Axis_Config.size()));
  for (int i = 0; i < n; ++i)
    if (g_Axis_Config[static_cast<std::size_t>(i)].Axis_Visible) axes.push_back(i);
  return axes;
}

// The frames of class T in Box, in their order, when they stand for exactly
// these axes; empty otherwise.
template <class T>
std::vector<T*> Frames_For(TWinControl* Box, const std::vector<int>& Axes) {
  std::vector<T*> frames;
  for (int i = 0; i < Box->ControlCount(); ++i)
    if (auto* frame = dynamic_cast<T*>(Box->Controls(i))) frames.push_back(frame);
  if (frames.size() != Axes.size()) return {};
  for (std::size_t k = 0; k < frames.size(); ++k)
    if (frames[k]->grp_Ch->Tag() != Axes[k]) return {};
  return frames;
}

// One frame of class T per visible axis in Box, named "Axis<i>" with the
// axis index in grp_Ch.Tag, one under the other from (Left, Top); returns
// the height they take. With Keep, frames already there for the same axes
// are set up again instead of being replaced: the toolkit keeps a few bytes
// for every control it ever painted, so new frames at each rebuild would
// grow the program for good.
template <class T, class Setup>
int Place_Axis_Frames(TScrollBox* Box, int Left, int Top, std::int32_t Count, bool Keep, Setup SetUp) {
  const std::vector<int> axes = Framed_Axes(Count);
  std::vector<T*> kept;
  if (Keep && !axes.empty()) kept = Frames_For<T>(Box, axes);
  if (kept.empty()) Free_Children<T>(Box);
  int y = Top;
  for (std::size_t k = 0; k < axes.size(); ++k) {
    const int i = axes[k];
    TAxis_Config& r = g_Axis_Config[static_cast<std::size_t>(i)];
    T* frame = kept.empty() ? Create<T>(Box) : kept[k];
    SetUp(frame, r);
    if (kept.empty()) {
      frame->grp_Ch->SetTag(i);
      frame->SetName(u"Axis" + rtl::IntToStr(i));
      frame->SetParent(Box);
    }
    frame->SetBounds(Left, y, frame->Width(), frame->Height());
    frame->Show();
    y += frame->Height();
  }
  return y - Top;
}

// Lamps of the input and output windows: rows of eight, 80 x 80 with a
// 10-pixel gap, red until their first reading.
void Create_Lamps(TScrollBox* Box, const char16_t* Name, const char16_t* Prefix, std::int32_t Count,
                  const TNotifyEvent& OnClick) {
  Free_Children<TPanel>(Box);
  for (std::int32_t i = 0; i < Count; ++i) {
    auto* lamp = new TPanel(Box);
    lamp->SetName(Name + rtl::IntToStr(i));
    lamp->SetParent(Box);
    lamp->SetCaption(Prefix + rtl::IntToStr(i));
    lamp->SetTag(i);
    lamp->SetBounds((i % 8) * 90, (i / 8) * 90, 80, 80);
    lamp->SetParentFont(false);
    lamp->Font()->SetSize(18);
    lamp->SetParentColor(false);
    lamp->SetColor(clRed);
    lamp->OnClick = OnClick;
  }
}

void Warn(const std::vector<rtl::String>& Lines) {
  if (Lines.empty()) return;
  rtl::String text;
  for (const rtl::String& line : Lines) text += (text.empty() ? u"" : u"\n") + line;
  MessageDlg(text, mtWarning, TMsgDlgButtons{mbOK});
}

}  // namespace

TMainFrm::TMainFrm(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"MainFrm");
  SetCaption(u"JQHelper");
  SetBounds(0, 0, 1100, 720);
  SetPosition(poDesktopCenter);
  SetWindowState(wsMaximized);
  Font()->SetName(u"Tahoma");
  Font()->SetSize(8);

  il_Main = new TImageList(this);
  il_Main->SetName(u"il_Main");
  Draw_Main_Toolbar_Images(il_Main);
  il_Motion = new TImageList(this);
  il_Motion->SetName(u"il_Motion");
  il_Motion->SetWidth(32);
  il_Motion->SetHeight(32);

  hint_Motor = new aux::TAuxHintWindow(this);
  hint_Motor->SetName(u"hint_Motor");
  hint_Motor->SetHintPosition(aux::hpUpLeft);
  hint_Motor->SetAlignment(taLeftJustify);
  hint_Motor->SetHintStyle(aux::hsAuto);

  tlb_System = new TToolBar(this);
  tlb_System->SetName(u"tlb_System");
  tlb_System->SetParent(this);
  tlb_System->SetAlign(alTop);
  tlb_System->SetButtonWidth(55);
  tlb_System->SetButtonHeight(52);
  tlb_System->SetShowCaptions(true);
  tlb_System->SetImages(il_Main);
  tlb_System->SetAutoSize(true);

  img_Logo = new TImage(this);
  img_Logo->SetName(u"img_Logo");
  img_Logo->SetParent(tlb_System);
  img_Logo->SetBounds(0, 0, 55, 52);
  img_Logo->SetStretch(true);
  img_Logo->SetProportional(true);

  lbl_Company = new TLabel(this);
  lbl_Company->SetName(u"lbl_Company");
  lbl_Company->SetParent(tlb_System);
  lbl_Company->SetAutoSize(false);
  lbl_Company->SetBounds(55, 0, 336, 52);
  lbl_Company->SetAlignment(taCenter);
  lbl_Company->SetLayout(tlCenter);
  lbl_Company->Font()->SetName(u"Tahoma");
  lbl_Company->Font()->SetHeight(-24);
  lbl_Company->Font()->SetColor(clBlue);
  lbl_Company->SetCaption(rtl::String());

  btn_Sep1 = NewSeparator(this, tlb_System, u"btn_Sep1");
  btn_Scan = NewToolButton(this, tlb_System, u"btn_Scan", u"连接设备", 8,
                           [this](TObject* s) { btn_ScanClick(s); });
  btn_Sep2 = NewSeparator(this, tlb_System, u"btn_Sep2");
  btn_Setup = NewToolButton(this, tlb_System, u"btn_Setup", u"系统配置", 6,
                            [this](TObject* s) { btn_SetupClick(s); });
  btn_Sep3 = NewSeparator(this, tlb_System, u"btn_Sep3");
  btn_RunAll = NewToolButton(this, tlb_System, u"btn_RunAll", u"同时启动", 16,
                             [this](TObject* s) { btn_RunAllClick(s); });
  btn_StopAll = NewToolButton(this, tlb_System, u"btn_StopAll", u"停止", 11, nullptr);
  btn_HaltAll = NewToolButton(this, tlb_System, u"btn_HaltAll", u"急停", 17,
                              [this](TObject* s) { btn_HaltAllClick(s); });
  btn_Auto = NewToolButton(this, tlb_System, u"btn_Auto", u"自动运行", 15,
                           [this](TObject* s) { btn_AutoClick(s); });
  btn_Sep4 = NewSeparator(this, tlb_System, u"btn_Sep4");
  btn_Input = NewToolButton(this, tlb_System, u"btn_Input", u"输入信号", 18,
                            [this](TObject* s) { btn_InputClick(s); });
  btn_Output = NewToolButton(this, tlb_System, u"btn_Output", u"输出控制", 19,
                             [this](TObject* s) { btn_OutputClick(s); });

  KitVersionInfo1 = new kit::TKitVersionInfo(this);
  KitVersionInfo1->SetName(u"KitVersionInfo1");
  status_Main = new kit::TKitStatusBar(this);
  status_Main->SetName(u"status_Main");
  status_Main->SetParent(this);
  status_Main->SetAlign(alBottom);
  status_Main->SetHeight(19);
  status_Main->SetBorderInner(kit::fsNone);
  status_Main->SetBorderOuter(kit::fsNone);
  KitVersionInfoStatus1 = new kit::TKitVersionInfoStatus(this);
  KitVersionInfoStatus1->SetName(u"KitVersionInfoStatus1");
  KitVersionInfoStatus1->SetParent(status_Main);
  KitVersionInfoStatus1->SetBounds(600, 0, 200, 19);
  KitVersionInfoStatus1->SetAlign(alRight);
  KitVersionInfoStatus1->SetField(kit::vifCompanyName);
  KitVersionInfoStatus1->SetVersionInfo(KitVersionInfo1);
  KitVersionInfoStatus2 = new kit::TKitVersionInfoStatus(this);
  KitVersionInfoStatus2->SetName(u"KitVersionInfoStatus2");
  KitVersionInfoStatus2->SetParent(status_Main);
  KitVersionInfoStatus2->SetBounds(800, 0, 145, 19);
  KitVersionInfoStatus2->SetAlign(alRight);
  KitVersionInfoStatus2->SetFieldLabel(u"Ver:");
  KitVersionInfoStatus2->SetField(kit::vifFileVersion);
  KitVersionInfoStatus2->SetVersionInfo(KitVersionInfo1);
  msg_Main = new kit::TKitStatusPane(this);
  msg_Main->SetName(u"msg_Main");
  msg_Main->SetParent(status_Main);
  msg_Main->SetAlign(alClient);

  box_Axis = new TScrollBox(this);
  box_Axis->SetName(u"box_Axis");
  box_Axis->SetParent(this);
  box_Axis->SetAlign(alClient);

  tmr_AD = NewIdleTimer(this, u"tmr_AD", 1000);
  tmr_Mcu_T = NewIdleTimer(this, u"tmr_Mcu_T", 10000);
  tmr_Optic_In = NewIdleTimer(this, u"tmr_Optic_In", 1000);
  tmr_Limit = NewIdleTimer(this, u"tmr_Limit", 1000);
  tmr_Stream = NewIdleTimer(this, u"tmr_Stream", 1000);

  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnShow = [this](TObject* s) { FormShow(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };

  Link_Watch().Reset();
  Link_Watch().OnChange = [this](bool Lost) { msg_Main->SetCaption(Lost ? rtl::String(kLinkLostText) : Product_Line); };
}

TMainFrm::~TMainFrm() {
  Link_Watch().OnChange = nullptr;
  if (MainFrm == this) MainFrm = nullptr;
}

void TMainFrm::FormCreate(TObject*) {
  SetCaption(u"JQHelper");
  KitVersionInfoStatus1->SetVisible(false);

  // A logo that cannot be read as a picture only costs the logo, not the start.
  bool logo = false;
  if (rtl::FileExists(kLogoFile)) {
    try {
      img_Logo->Picture()->LoadFromFile(kLogoFile);
      logo = true;
    } catch (const rtl::Exception&) {
    }
  }
  img_Logo->SetVisible(logo);

  lbl_Company->SetVisible(false);
  if (!rtl::FileExists(kCompanyFile)) return;
  ui::TStringList lines;
  try {
    lines.LoadFromFile(kCompanyFile);
  } catch (const rtl::Exception&) {
    return;
  }
  rtl::String company = lines.Count() > 0 ? rtl::Trim(lines[0]) : rtl::String();
  if (company.size() > 6) {
    lbl_Company->SetCaption(company);
    lbl_Company->SetVisible(true);
  }
}

void TMainFrm::FormShow(TObject*) { JQ_Init(); }

void TMainFrm::FormClose(TObject*, TCloseAction&) {
  Save_Axis_Steps();
  // A jog button still held (the window closed from the keyboard) ends its
  // press now, while its stop can still reach the controller.
  CancelMouseCapture();
  Stop_All_Timers(Application ? static_cast<TComponent*>(Application) : this);
  JQ_DeInit();
}

void TMainFrm::btn_ScanClick(TObject*) {
  if (BoardPortFrm->ShowModal() != mrOk) return;
  JQ_Close_UART();
  JQ_Close_USB();
  JQ_Close_Net();
  if (BoardPortFrm->rb_UART->Checked()) {
    const std::string port = rtl::StringToAnsi(BoardPortFrm->cbb_Port->Text());
    JQ_Open_UART(port.c_str());
  } else if (BoardPortFrm->rb_USB->Checked()) {
    JQ_Open_USB();
  } else if (BoardPortFrm->rb_Net->Checked()) {
    const auto ip = BoardPortFrm->IP_Address_Octets();
    const std::int32_t port = BoardPortFrm->Port_Value();
    // A refused or unanswered connection ends the command with its own message.
    if (port < 1 || port > 65535 || JQ_Open_Net(ip[0], ip[1], ip[2], ip[3], static_cast<std::uint16_t>(port)) != 0) {
      ShowError(rtl::Format(u"无法连接到 %d.%d.%d.%d:%d", {int(ip[0]), int(ip[1]), int(ip[2]), int(ip[3]), port}),
                Application->Title());
      return;
    }
  }
  if (JQ_Check() != 0) {
    ShowInfo(u"没有发现设备");
    JQ_Close_UART();
    JQ_Close_USB();
    // The network connection goes too, or it would hold the controller's
    // only connection until the next connect.
    JQ_Close_Net();
    return;
  }

  std::uint8_t buffer[17] = {};
  if (JQ_Get_Product_ID(buffer) == 0) {
    std::size_t n = 0;
    while (n < 16 && buffer[n] != 0) ++n;
    F_Product_ID = rtl::AnsiToString(std::string_view(reinterpret_cast<const char*>(buffer), n));
  }
  F_SN.clear();
  std::fill(std::begin(buffer), std::end(buffer), 0);
  if (JQ_Get_Product_SN(buffer) == 0)
    for (int i = 0; i < 12; ++i) {
      static const char16_t kHex[] = u"0123456789ABCDEF";
      F_SN += kHex[buffer[i] >> 4];
      F_SN += kHex[buffer[i] & 15];
    }
  std::int32_t v1 = 0, v2 = 0, v3 = 0, v4 = 0;
  if (JQ_Get_Product_Version2(&v1, &v2, &v3, &v4) == 0)
    F_Version = rtl::IntToStr(v1) + u"." + rtl::IntToStr(v2) + u"." + rtl::IntToStr(v3) + u"." + rtl::IntToStr(v4);
  std::int32_t resource = 0;
  JQ_Get_Product_Resource(&resource);

  rtl::String status = u"Model=" + F_Product_ID + u"/" + u"SN=" + F_SN + u"/" + u"Ver=" + F_Version;
  if (resource & 0x0800) {
    JQ_Get_Encoder_Num(&F_Encoder_Num);
    if (F_Encoder_Num >= 1) status += u"/Encoder=" + rtl::IntToStr(F_Encoder_Num);
  }
  if (resource & 0x0001) {
    JQ_Get_Axis_Num(&F_Axis_Num);
    // A controller without axes hides the area only until one with axes connects.
    box_Axis->SetVisible(F_Axis_Num >= 1);
    if (F_Axis_Num >= 1) {
      status += u"/Motor=" + rtl::IntToStr(F_Axis_Num);
      Load_Axis_Config();
      Create_Axis_Frames();
      Create_Run_Frames();
      // The auto-run window's axis list and position rows follow the new axes.
      AutoFrm->Axes_Changed(F_Axis_Num);
    }
  }
  if (resource & 0x0008) {
    JQ_Get_Optic_In_Num(&F_Optic_In_Num);
    if (F_Optic_In_Num >= 1) {
      status += u"/Optic_In=" + rtl::IntToStr(F_Optic_In_Num);
      Create_Optic_In();
    }
  }
  if (resource & 0x0010) {
    JQ_Get_Optic_Out_Num(&F_Optic_Out_Num);
    if (F_Optic_Out_Num >= 1) {
      status += u"/Optic_Out=" + rtl::IntToStr(F_Optic_Out_Num);
      Create_Optic_Out();
    }
  }
  Product_Line = status;
  Link_Watch().Reset();
  msg_Main->SetCaption(status);
}

void TMainFrm::btn_SetupClick(TObject*) {
  if (F_Axis_Num < 1) return;
  ConfigFrm->Set_Config(F_Axis_Num, F_Encoder_Num);
  ConfigFrm->ShowModal();
  Load_Axis_Config();
  Create_Axis_Frames();
}

void TMainFrm::btn_RunAllClick(TObject*) {
  if (F_Axis_Num < 1) return;
  if (RunAllFrm->ShowModal() != mrOk) return;
  TScrollBox* rows = RunAllFrm->Box_RunAll;
  for (int i = 0; i < rows->ControlCount(); ++i) {
    auto* row = dynamic_cast<TRunConfigFrm*>(rows->Controls(i));
    if (!row || !row->chk_Run->Checked()) continue;
    for (int j = 0; j < box_Axis->ControlCount(); ++j) {
      auto* panel = dynamic_cast<TAxisFrm*>(box_Axis->Controls(j));
      if (!panel || panel->grp_Ch->Tag() != row->grp_Ch->Tag()) continue;
      if (row->rb_Pos_Abs->Checked()) panel->btn_Pos_Abs->Click();
      if (row->rb_Pos_Rel->Checked()) panel->btn_Pos_Rel->Click();
      if (row->rb_Home->Checked()) panel->btn_Home->Click();
    }
  }
}

void TMainFrm::btn_AllStartClick(TObject* Sender) { btn_RunAllClick(Sender); }

void TMainFrm::btn_HaltAllClick(TObject*) { JQ_Set_Axis_Halt_All(); }

void TMainFrm::btn_AutoClick(TObject*) {
  if (F_Axis_Num < 1) return;
  AutoFrm->F_Axis_Num = F_Axis_Num;
  AutoFrm->Show();
}

void TMainFrm::btn_InputClick(TObject*) {
  InputFrm->F_Optic_In_Max = F_Optic_In_Num;
  InputFrm->Show();
}

void TMainFrm::btn_OutputClick(TObject*) { OutputFrm->Show(); }

void TMainFrm::Load_Axis_Config() {
  if (F_Axis_Num < 1) return;
  const int n = F_Axis_Num;
  g_Axis_Config.resize(static_cast<std::size_t>(n));
  std::vector<rtl::String> warnings;
  {
    rtl::TIniFile ini(Settings_File_Name());
    for (int i = 0; i < n; ++i) Read_Axis_Config(ini, i, F_Encoder_Num >= 1, g_Axis_Config[i], warnings);
  }

  for (int i = 0; i < n; ++i) {
    const TAxis_Config& r = g_Axis_Config[i];
    if (!r.Soft_Ena) {
      JQ_Set_Axis_Software_Limit_Disable(static_cast<std::uint16_t>(i));
      continue;
    }
    // Both limits are converted before anything is sent: a limit the
    // controller cannot hold leaves the axis's limits as they were.
    std::int32_t per = r.bSoft_Close ? r.CloseSteps : r.OpenSteps;
    std::int32_t neg = 0, pos = 0;
    try {
      neg = Units_To(r, per, r.Soft_Neg);
      pos = Units_To(r, per, r.Soft_Pos);
    } catch (const rtl::ERangeError& e) {
      warnings.push_back(e.Message());
      continue;
    }
    auto axis = static_cast<std::uint16_t>(i);
    JQ_Set_Axis_Software_Limit_Disable(axis);
    JQ_Set_Axis_Software_Limit_Neg_Value(axis, neg);
    JQ_Set_Axis_Software_Limit_Pos_Value(axis, pos);
    JQ_Set_Axis_Software_Limit_Enable(axis);
  }

  // Encoders beyond the axis count have no settings record and get nothing.
  const int encoders = std::min(F_Encoder_Num, F_Axis_Num);
  for (int i = 0; i < encoders; ++i) {
    const TAxis_Config& r = g_Axis_Config[i];
    auto e = static_cast<std::uint16_t>(i);
    JQ_Set_Encoder_Z_Polarity(e, r.Encoder_Z ? 0 : 1);
    JQ_Set_Encoder_Dir_Polarity(e, r.Encoder_Dir ? 1 : 0);
    JQ_Set_Encoder_Over_Enable(e, r.Encoder_Over ? 1 : 0);
    JQ_Set_Encoder_Over_Max(e, r.Encoder_Over_Max);
    JQ_Set_Encoder_Over_Stable(e, r.Encoder_Over_Stable);
    JQ_Set_Axis_Position_Close_Dec_Factor(e, static_cast<float>(static_cast<double>(r.OpenSteps) / r.CloseSteps));
  }
  Warn(warnings);
}

void TMainFrm::Create_Axis_Frames() {
  // The panels of the same axes stay; each is set up as a new one would be.
  Place_Axis_Frames<TAxisFrm>(box_Axis, 5, 5, F_Axis_Num, true, [](TAxisFrm* panel, TAxis_Config& r) {
    panel->End_Jog();
    panel->btn_Pos_Rel->SetCaption(r.Axis_Caption + u"单步");
    panel->pnl_Dir->SetColor(clLime);
    panel->pnl_Dir->SetCaption(u"正");
    r.bDirP = true;
  });
  for (int i = 0; i < box_Axis->ControlCount(); ++i) {
    auto* panel = dynamic_cast<TAxisFrm*>(box_Axis->Controls(i));
    if (!panel) continue;
    panel->Load_Param();
    panel->edt_Rel->SetText(g_Axis_Config[static_cast<std::size_t>(panel->grp_Ch->Tag())].P_Rel);
  }
}

void TMainFrm::Create_Run_Frames() {
  TScrollBox* box = RunAllFrm->Box_RunAll;
  Free_Children<TRunConfigFrm>(box);
  if (F_Axis_Num < 1) return;
  int y = Place_Axis_Frames<TRunConfigFrm>(box, 0, 0, F_Axis_Num, false, [](TRunConfigFrm* row, TAxis_Config& r) {
    row->grp_Ch->SetCaption(r.Axis_Caption);
  });
  RunAllFrm->SetHeight(std::clamp(RunAllFrm->grp_Action->Height() + y + 50, 300, 600));
}

void TMainFrm::Create_Optic_In() {
  Create_Lamps(InputFrm->box_Optic_In, u"pnl_Optic_In", u"X", F_Optic_In_Num, nullptr);
}

void TMainFrm::Create_Optic_Out() {
  Create_Lamps(OutputFrm->box_Optic_Out, u"pnl_Optic_Out", u"Y", F_Optic_Out_Num,
               [](TObject* s) { OutputFrm->On_Optic_Out(s); });
}

void TMainFrm::Save_Axis_Steps() {
  if (box_Axis->ControlCount() == 0) return;
  // The distance entry is read as typed; a value that cannot be written
  // (read-only file or folder) is lost without a message.
  for (int i = box_Axis->ControlCount() - 1; i >= 0; --i) {
    TControl* panel = box_Axis->Controls(i);
    auto* entry = dynamic_cast<TControl*>(panel->FindComponent(u"edt_Rel"));
    if (!entry) continue;
    try {
      rtl::TIniFile ini(Settings_File_Name());
      ini.WriteString(panel->Name(), u"P_REL", entry->Text());
    } catch (const rtl::Exception&) {
    }
  }
}

}  // namespace desktop
