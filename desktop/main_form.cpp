#include "main_form.h"

#include "JQ_API.h"
#include "auto_form.h"
#include "config_form.h"
#include "files.h"
#include "ini_files.h"
#include "input_form.h"
#include "output_form.h"
#include "run_all_form.h"
#include "settings_file.h"
#include "string_list.h"
#include "toolbar_images.h"

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
}

TMainFrm::~TMainFrm() {
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
  Stop_All_Timers(Application ? static_cast<TComponent*>(Application) : this);
  JQ_DeInit();
}

void TMainFrm::btn_ScanClick(TObject*) {}

void TMainFrm::btn_SetupClick(TObject*) {
  if (F_Axis_Num < 1) return;
  ConfigFrm->Set_Config(F_Axis_Num, F_Encoder_Num);
  ConfigFrm->ShowModal();
  Load_Axis_Config();
  Create_Axis_Frames();
}

void TMainFrm::btn_RunAllClick(TObject*) {
  if (F_Axis_Num < 1) return;
  RunAllFrm->ShowModal();
}

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

void TMainFrm::Load_Axis_Config() {}

void TMainFrm::Create_Axis_Frames() {}

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
