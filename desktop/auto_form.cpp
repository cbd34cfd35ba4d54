#include "desktop/auto_form.h"

#include <algorithm>
#include <limits>

#include "include/JQ_API.h"
#include "desktop/axis_config.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/datetime.h"
#include "desktop/link_watch.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/files.h"
#include "desktop/form_layout.h"
#include "platform/runtime/format.h"
#include "desktop/program_messages.h"
#include "platform/runtime/ticks.h"
#include "desktop/toolbar_images.h"

namespace desktop {

using namespace ui;

TAutoFrm* AutoFrm = nullptr;

namespace {

// Logged under "停止" when the stop commands did not reach the controller.
constexpr char16_t kStopNotSent[] = u"停止命令未送达控制器";

enum { kStopped = 0, kRunning = 1, kPaused = 2 };

TToolButton* Tool_Button(TAutoFrm* Form, const char16_t* Name, const char16_t* Caption, int Image,
                         TNotifyEvent OnClick) {
  auto* b = new TToolButton(Form);
  b->SetName(Name);
  b->SetParent(Form->tlb_System);
  b->SetCaption(Caption);
  b->SetImageIndex(Image);
  b->OnClick = std::move(OnClick);
  return b;
}

TTimer* Idle_Timer(TAutoFrm* Form, const char16_t* Name, unsigned Interval, TNotifyEvent OnTimer) {
  auto* t = new TTimer(Form);
  t->SetName(Name);
  t->SetEnabled(false);
  t->SetInterval(Interval);
  t->OnTimer = std::move(OnTimer);
  return t;
}

// Both tables: the dataset's visible fields as columns, titles, record
// numbers in the indicator, lines, sizable and movable columns, whole rows
// selected and kept visible, the find dialog, no editing in cells; Ctrl+Delete
// asks before deleting, where deleting is offered at all.
void Setup_Grid(grid::TDBGridEx* Grid, db::TDataSource* Source, bool CanDelete) {
  using namespace grid;
  TDBGridOptions options = Grid->Options();
  options.Exclude(dgEditing);
  for (TDBGridOption o : {dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgRowSelect,
                          dgAlwaysShowSelection, dgConfirmDelete})
    options.Include(o);
  Grid->SetOptions(options);
  TDBGridExOptions optionsEx = Grid->OptionsEx();
  for (TDBGridExOption o : {dghShowRecNo, dghDialogFind, dghColumnResize, dghColumnMove}) optionsEx.Include(o);
  Grid->SetOptionsEx(optionsEx);
  TDBGridExAllowedOperations allowed{alopInsertEx, alopUpdateEx, alopAppendEx};
  if (CanDelete) allowed.Include(alopDeleteEx);
  Grid->SetAllowedOperations(allowed);
  Grid->SetDataSource(Source);
}

// The stored columns of the two tables, in order; a field without a caption
// stays hidden.
std::vector<TStepField<TAutoCode>> Code_Fields() {
  return {
      {&TAutoCode::ID, u"ID", 0, u"", 0, false},
      {&TAutoCode::Axis, u"Axis", 50, u"轴名称", 20},
      {&TAutoCode::Action, u"Action", 30, u"动作", 20, false},
      {&TAutoCode::Caption, u"Caption", 20, u"动作", 20},
      {&TAutoCode::Param, u"Param", 0, u"参数", 15},
      {&TAutoCode::Delay, u"Delay", 0, u"延时(ms)", 10},
      {&TAutoCode::Count, u"Count", 0, u"循环次数", 10},
  };
}

std::vector<TStepField<TAxisStatus>> Status_Fields() {
  return {
      {&TAxisStatus::ID, u"ID", 0, u"", 0, false},
      {&TAxisStatus::Axis, u"Axis", 50, u"轴名称", 20},
      {&TAxisStatus::Pos, u"Pos", 0, u"当前位置", 12, true, u"0.000000"},
  };
}

}  // namespace

const TClassInfo& TAutoFrm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TAutoFrm>("TAutoFrm", &TForm::StaticClassInfo()).Build();
  return info;
}

TAutoFrm::TAutoFrm(TComponent* AOwner)
    : TForm(AOwner), mem_Code(Code_Fields()), mem_Status(Status_Fields()) {
  SetName(u"AutoFrm");
  SetCaption(u"自动运行");
  SetClientWidth(935);
  SetClientHeight(562);
  SetWindowState(wsMaximized);

  il_Main = new TImageList(this);
  il_Main->SetName(u"il_Main");
  Draw_Auto_Toolbar_Images(il_Main);
  tlb_System = new TToolBar(this);
  tlb_System->SetName(u"tlb_System");
  tlb_System->SetParent(this);
  tlb_System->SetAlign(alTop);
  tlb_System->SetButtonWidth(55);
  tlb_System->SetButtonHeight(52);
  tlb_System->SetShowCaptions(true);
  tlb_System->SetImages(il_Main);
  tlb_System->SetAutoSize(true);
  btn_Open = Tool_Button(this, u"btn_Open", u"打开方案", 1, [this](TObject* s) { btn_OpenClick(s); });
  btn_Save = Tool_Button(this, u"btn_Save", u"保存方案", 0, [this](TObject* s) { btn_SaveClick(s); });
  btn_AutoRun = Tool_Button(this, u"btn_AutoRun", u"启动", 5, [this](TObject* s) { btn_AutoRunClick(s); });
  btn_AutoPause = Tool_Button(this, u"btn_AutoPause", u"暂停", 9, [this](TObject* s) { btn_AutoPauseClick(s); });
  btn_AutoStop = Tool_Button(this, u"btn_AutoStop", u"停止", 4, [this](TObject* s) { btn_AutoStopClick(s); });
  btn_AutoHalt = Tool_Button(this, u"btn_AutoHalt", u"急停", 6, [this](TObject* s) { btn_AutoHaltClick(s); });

  grp_Status = Place<TGroupBox>(this, this, u"grp_Status", rtl::String(), 0, 60, 255, 500);
  grp_Status->SetAlign(alLeft);
  grid_Status = Place<grid::TDBGridEx>(this, grp_Status, u"grid_Status", 0, 0, 255, 257);
  grid_Status->SetAlign(alTop);
  // Row i always shows axis i: the position table offers no deletion.
  Setup_Grid(grid_Status, mem_Status.DataSource(), false);
  mmo_Log = Place<TMemo>(this, grp_Status, u"mmo_Log", 0, 257, 255, 240);
  mmo_Log->SetAlign(alClient);
  mmo_Log->SetScrollBars(ssVertical);
  mmo_Log->SetReadOnly(true);

  grp_Auto = Place<TGroupBox>(this, this, u"grp_Auto", u"编辑", 682, 60, 253, 500);
  grp_Auto->SetAlign(alRight);
  lbl_Axis = Place<TLabel>(this, grp_Auto, u"lbl_Axis", u"运动轴", 16, 28, 80, 16);
  cbb_Axis = Place<TComboBox>(this, grp_Auto, u"cbb_Axis", 100, 24, 136, 22);
  cbb_Axis->SetStyle(csDropDownList);
  lbl_Action = Place<TLabel>(this, grp_Auto, u"lbl_Action", u"动作", 16, 62, 80, 16);
  cbb_Action = Place<TComboBox>(this, grp_Auto, u"cbb_Action", 100, 58, 136, 22);
  cbb_Action->SetStyle(csDropDownList);
  for (const rtl::String& c : Action_Captions()) cbb_Action->Items()->Add(c);
  cbb_Action->SetItemIndex(0);
  lbl_Param = Place<TLabel>(this, grp_Auto, u"lbl_Param", u"参数(mm/°)", 16, 96, 80, 16);
  edt_Param = Place_Edit(this, grp_Auto, u"edt_Param", u"0", 100, 92, 136);
  lbl_Delay = Place<TLabel>(this, grp_Auto, u"lbl_Delay", u"延时(ms)", 16, 130, 80, 16);
  edt_Delay = Place_Edit(this, grp_Auto, u"edt_Delay", u"1000", 100, 126, 136);
  lbl_Cycle = Place<TLabel>(this, grp_Auto, u"lbl_Cycle", u"循环次数", 16, 164, 80, 16);
  edt_Count = Place_Edit(this, grp_Auto, u"edt_Count", u"1", 100, 160, 136);
  chk_Insert = Place<TCheckBox>(this, grp_Auto, u"chk_Insert", u"插入到选择位置", 16, 196, 200, 20);
  btn_AddCode = Place<TButton>(this, grp_Auto, u"btn_AddCode", u"增加", 16, 228, 100, 30);
  btn_DelCode = Place<TButton>(this, grp_Auto, u"btn_DelCode", u"删除", 136, 228, 100, 30);
  btn_ScanXY = Place<TButton>(this, grp_Auto, u"btn_ScanXY", u"行列扫描", 16, 268, 100, 30);
  btn_ScanXY->SetVisible(false);
  lbl_RunCount = Place<TLabel>(this, grp_Auto, u"lbl_RunCount", u"方案执行次数", 16, 316, 80, 16);
  edt_Repeat = Place_Edit(this, grp_Auto, u"edt_Repeat", u"1", 100, 312, 136);
  btn_AddCode->OnClick = [this](TObject* s) { btn_AddCodeClick(s); };
  btn_DelCode->OnClick = [this](TObject* s) { btn_DelCodeClick(s); };

  grid_Code = Place<grid::TDBGridEx>(this, this, u"grid_Code", 255, 60, 427, 500);
  grid_Code->SetAlign(alClient);
  Setup_Grid(grid_Code, mem_Code.DataSource(), true);

  dlgOpen_Auto = new TOpenDialog(this);
  dlgOpen_Auto->SetName(u"dlgOpen_Auto");
  dlgOpen_Auto->DefaultExt = u".txt";
  dlgOpen_Auto->Filter = u"*.txt|*.txt";
  dlgSave_Auto = new TSaveDialog(this);
  dlgSave_Auto->SetName(u"dlgSave_Auto");
  dlgSave_Auto->DefaultExt = u".txt";
  dlgSave_Auto->Filter = u"*.txt|*.txt";
  dlgSave_Auto->Options.Include(ofOverwritePrompt);

  tmr_Auto = Idle_Timer(this, u"tmr_Auto", 50, [this](TObject* s) { tmr_AutoTimer(s); });
  tmr_AutoStatus = Idle_Timer(this, u"tmr_AutoStatus", 500, [this](TObject* s) { tmr_AutoStatusTimer(s); });

  OnShow = [this](TObject* s) { FormShow(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  Set_Run_State(kStopped);
}

TAutoFrm::~TAutoFrm() {
  grid_Code->SetDataSource(nullptr);
  grid_Status->SetDataSource(nullptr);
  if (AutoFrm == this) AutoFrm = nullptr;
}

int TAutoFrm::Axis_Limit() const { return std::min<int>(F_Axis_Num, static_cast<int>(g_Axis_Config.size())); }

// ---- editor

void TAutoFrm::FormShow(TObject*) {
  Load_Axis_List();
  Set_Run_State(kStopped);
}

void TAutoFrm::Load_Axis_List() {
  std::vector<TAxisStatus> rows;
  cbb_Axis->Items()->Clear();
  for (int i = 0; i < Axis_Limit(); ++i) {
    const rtl::String& caption = g_Axis_Config[static_cast<std::size_t>(i)].Axis_Caption;
    rows.push_back({i, caption, 0});
    cbb_Axis->Items()->Add(caption);
  }
  mem_Status.Assign(rows);
  cbb_Axis->SetItemIndex(0);
  cbb_Action->SetItemIndex(0);
}

void TAutoFrm::Axes_Changed(std::int32_t Axis_Num) {
  if (tmr_Auto->Enabled() || btn_AutoStop->Enabled()) {
    Run_Stop();
    Set_Run_State(kStopped);
  }
  F_Axis_Num = Axis_Num;
  Load_Axis_List();
}

void TAutoFrm::btn_AddCodeClick(TObject*) {
  TAutoCode code;
  code.bInsert = chk_Insert->Checked();
  code.ID = cbb_Axis->ItemIndex();
  code.Axis = cbb_Axis->Text();
  code.Caption = cbb_Action->Text();
  code.Action = Caption_To_Action(code.Caption);
  // A name edited by hand in the settings file could still split the line
  // it is saved in.
  if (Caption_Breaks_Script(code.Axis))
    throw rtl::EConvertError(u"轴名称不能包含逗号或引号: " + code.Axis);
  code.Param = rtl::StrToFloat(edt_Param->Text());
  code.Delay = rtl::StrToInt(edt_Delay->Text());
  code.Count = rtl::StrToInt(edt_Count->Text());
  Add_Code(code);
}

void TAutoFrm::Add_Code(const TAutoCode& Code) {
  TAutoCode row = Code;
  row.Caption = Action_To_Caption(row.Action);
  Normalise_Code(row);
  if (Code.bInsert)
    mem_Code.Insert(row);
  else
    mem_Code.Append(row);
  bSaved = false;
}

void TAutoFrm::btn_DelCodeClick(TObject*) {
  if (mem_Code.IsEmpty()) return;
  if (!AskOkCancel(LoadResString(rsDelAction), LoadResString(rsTip))) return;
  mem_Code.Delete();
  bSaved = false;
}

void TAutoFrm::btn_SaveClick(TObject*) {
  if (mem_Code.IsEmpty() || !dlgSave_Auto->Execute()) return;
  rtl::AtomicWriteFile(dlgSave_Auto->FileName, rtl::EncodeFileText(Script_Text(mem_Code.Rows()), Script_Encoding));
  mem_Code.Last();
  bSaved = true;
}

void TAutoFrm::btn_OpenClick(TObject*) {
  if (!mem_Code.IsEmpty() && !AskOkCancel(LoadResString(rsNewProject), LoadResString(rsTip))) return;
  if (!dlgOpen_Auto->Execute()) return;
  const rtl::String file = dlgOpen_Auto->FileName;
  std::string bytes;
  // The script in memory stays until the file has been read.
  if (!rtl::ReadFileBytes(file, bytes)) throw rtl::EFOpenError(u"无法打开方案文件 " + file);
  rtl::TextEncoding encoding;
  TScriptRead read = Read_Script_Text(rtl::DecodeFileText(bytes, &encoding));
  const int steps = static_cast<int>(read.Steps.size());
  mem_Code.Assign(read.Steps);
  Script_Encoding = encoding;
  if (read.Stop_Line > 0)
    MessageDlg(rtl::Format(u"方案文件第 %d 行无法读取 (%s), 读取在此停止, 已读入 %d 步。",
                           {read.Stop_Line, read.Stop_Reason, steps}),
               mtWarning, TMsgDlgButtons{mbOK});
}

// ---- runner

void TAutoFrm::Set_Run_State(int State) {
  const bool stopped = State == kStopped;
  for (TControl* c : std::initializer_list<TControl*>{btn_Open, btn_Save, btn_AddCode, btn_DelCode, btn_ScanXY})
    c->SetEnabled(stopped);
  btn_AutoRun->SetEnabled(State != kRunning);
  btn_AutoPause->SetEnabled(State == kRunning);
  btn_AutoStop->SetEnabled(!stopped);
  btn_AutoHalt->SetEnabled(!stopped);
  grid_Code->SetEnabled(stopped);
}

void TAutoFrm::btn_AutoRunClick(TObject*) {
  if (mem_Code.IsEmpty()) return;
  Run_Start();
  Set_Run_State(kRunning);
}

void TAutoFrm::btn_AutoPauseClick(TObject*) {
  Run_Pause();
  Set_Run_State(kPaused);
}

void TAutoFrm::btn_AutoStopClick(TObject*) {
  Run_Stop();
  Set_Run_State(kStopped);
}

void TAutoFrm::btn_AutoHaltClick(TObject*) {
  Run_Halt();
  Set_Run_State(kStopped);
}

void TAutoFrm::FormClose(TObject* Sender, TCloseAction&) { btn_AutoStopClick(Sender); }

void TAutoFrm::Run_Start() {
  if (btn_AutoStop->Enabled()) {
    tmr_Auto->SetEnabled(true);
    Add_Log(LoadResString(rsReRun));
  } else {
    mem_Code.First();
    g_Total_Count = rtl::StrToInt(edt_Repeat->Text());
    g_Run_Count = 0;
    tmr_Auto->SetTag(0);
    tmr_Auto->SetEnabled(true);
    Add_Log(LoadResString(rsStart));
  }
  tmr_AutoStatus->SetEnabled(true);
}

void TAutoFrm::Run_Pause() {
  tmr_Auto->SetEnabled(false);
  Add_Log(LoadResString(rsPause));
}

void TAutoFrm::Run_Stop() {
  tmr_Auto->SetEnabled(false);
  bool sent = true;
  for (int i = 0; i < F_Axis_Num; ++i) {
    sent = JQ_Set_Axis_Home_Stop(static_cast<std::uint16_t>(i)) == 0 && sent;
    sent = JQ_Set_Axis_Position_Stop(static_cast<std::uint16_t>(i)) == 0 && sent;
  }
  Add_Log(LoadResString(rsStop));
  if (!sent) Add_Log(kStopNotSent);
  tmr_AutoStatus->SetEnabled(false);
}

void TAutoFrm::Run_Halt() {
  tmr_Auto->SetEnabled(false);
  const bool sent = JQ_Set_Axis_Halt_All() == 0;
  Add_Log(LoadResString(rsStop));
  if (!sent) Add_Log(kStopNotSent);
  tmr_AutoStatus->SetEnabled(false);
}

bool TAutoFrm::Axis_Stopped(std::uint16_t Axis) {
  std::int32_t run = 0;
  const bool answered = JQ_Get_Axis_Status_Run(Axis, &run) == 0;
  Link_Watch().Answered(answered);
  if (answered) return run == 0;
  // A controller that no longer answers would keep the run waiting for ever.
  if (Link_Watch().Lost()) {
    Add_Log(g_Code.Axis + u" 控制器无应答, 运行停止");
    btn_AutoHaltClick(btn_AutoHalt);
  }
  return false;
}

void TAutoFrm::Add_Log(const rtl::String& Text) {
  mmo_Log->Lines()->Add(u"[" + rtl::FormatDateTime(u"yyyy-mm-dd hh:nn:ss", rtl::Now()) + u"]" + Text);
}

void TAutoFrm::tmr_AutoTimer(TObject*) {
  try {
    if (tmr_Auto->Tag() == 0) {
      if (mem_Code.IsEmpty()) throw rtl::EInvalidOperation(u"方案为空");
      g_Code = mem_Code.Current();
      tmr_Auto->SetTag(1);
      g_Status_Count = 0;
      g_Status_Tag = 0;
      g_Status_Delay = 0;
      return;
    }
    if (!Run_Step()) return;
    mem_Code.Next();
    if (!mem_Code.Eof()) {
      tmr_Auto->SetTag(0);
      return;
    }
    ++g_Run_Count;
    Add_Log(LoadResString(rsRunDone) + rtl::IntToStr(g_Run_Count));
    if (g_Run_Count < g_Total_Count) {
      mem_Code.First();
      tmr_Auto->SetTag(0);
    } else {
      btn_AutoHaltClick(btn_AutoHalt);
    }
  } catch (const std::exception& e) {
    // The run ends before the message: a timer left running would raise the
    // same error again every 50 ms.
    Run_Stop();
    Set_Run_State(kStopped);
    Application->ShowException(e);
  }
}

bool TAutoFrm::Run_Step() {
  const rtl::String& a = g_Code.Action;
  if (!Action_Valid(a)) return true;
  if (a == u"Pause") return Step_Pause();
  if (g_Code.ID < 0 || g_Code.ID >= Axis_Limit()) {
    Add_Log(rtl::Format(u"第 %d 步: 轴序号 %d 不存在, 跳过", {mem_Code.RecNo() + 1, g_Code.ID}));
    return true;
  }
  if (a == u"Zero") return Step_Zero();
  if (a == u"Abs") return Step_Move(true);
  if (a == u"Rel") return Step_Move(false);
  return Step_Adjust();
}

bool TAutoFrm::Step_Move(bool Absolute) {
  const auto id = static_cast<std::uint16_t>(g_Code.ID);
  const TAxis_Config& r = g_Axis_Config[static_cast<std::size_t>(g_Code.ID)];
  switch (g_Status_Tag) {
    case 0: {
      const std::int32_t acc = Units_To_Steps(r, r.Acc);
      const std::int32_t dec = Units_To_Steps(r, r.Dec);
      const std::int32_t v = Units_To_Steps(r, r.Max_V);
      Units_To_Steps(r, g_Code.Param);  // the target is refused now, before any command
      JQ_Set_Axis_Mode_Position(id);
      JQ_Set_Axis_Position_Acc(id, acc);
      JQ_Set_Axis_Position_Dec(id, dec);
      JQ_Set_Axis_Position_V_Max(id, v);
      g_Status_Tag = 1;
      return false;
    }
    case 1: {
      const std::int32_t p = Units_To_Steps(r, g_Code.Param);
      if (Absolute)
        JQ_Set_Axis_Position_P_Target_Abs(id, p);
      else
        JQ_Set_Axis_Position_P_Target_Rel(id, p);
      g_Status_Tag = 2;
      Add_Log(g_Code.Axis + LoadResString(Absolute ? rsAbsStart : rsRelStart));
      return false;
    }
    case 2: {
      if (!Axis_Stopped(id)) return false;
      Add_Log(g_Code.Axis + LoadResString(Absolute ? rsAbsDone : rsRelDone));
      g_Status_Delay = rtl::GetTickCount();
      g_Status_Tag = 3;
      Add_Log(g_Code.Axis + LoadResString(rsDelayStart));
      return false;
    }
    default: {
      if (g_Code.Delay >= 0 && rtl::GetTickCount() - g_Status_Delay < static_cast<std::uint32_t>(g_Code.Delay))
        return false;
      Add_Log(g_Code.Axis + LoadResString(rsDelayDone));
      ++g_Status_Count;
      Add_Log(g_Code.Axis + LoadResString(rsCycleDone) + rtl::IntToStr(g_Status_Count));
      if (g_Status_Count < g_Code.Count) {
        g_Status_Tag = 1;
        return false;
      }
      return true;
    }
  }
}

bool TAutoFrm::Step_Zero() {
  const auto id = static_cast<std::uint16_t>(g_Code.ID);
  const TAxis_Config& r = g_Axis_Config[static_cast<std::size_t>(g_Code.ID)];
  switch (g_Status_Tag) {
    case 0: {
      const std::int32_t acc = Units_To_Steps(r, r.Acc);
      const std::int32_t dec = Units_To_Steps(r, r.Dec);
      const std::int32_t v = Units_To_Steps(r, r.Max_V);
      // Toward the negative side; the one speed without a negative stays refused.
      if (v == std::numeric_limits<std::int32_t>::min())
        throw rtl::ERangeError(r.Axis_Caption + u": 归零速度超出控制器的范围, 命令未发送");
      JQ_Set_Axis_Mode_Home(id);
      JQ_Set_Axis_Home_Acc(id, acc);
      JQ_Set_Axis_Home_Dec(id, dec);
      JQ_Set_Axis_Home_V(id, -v);
      g_Status_Tag = 1;
      return false;
    }
    case 1: {
      if (!Axis_Stopped(id)) return false;
      g_Status_Delay = rtl::GetTickCount();
      g_Status_Tag = 2;
      Add_Log(g_Code.Axis + LoadResString(rsZeroDone));
      return false;
    }
    default:
      return g_Code.Delay < 0 || rtl::GetTickCount() - g_Status_Delay >= static_cast<std::uint32_t>(g_Code.Delay);
  }
}

bool TAutoFrm::Step_Pause() {
  btn_AutoPauseClick(btn_AutoPause);
  return true;
}

bool TAutoFrm::Step_Adjust() {
  const TAxis_Config& r = g_Axis_Config[static_cast<std::size_t>(g_Code.ID)];
  JQ_Set_Axis_Software_P(static_cast<std::uint16_t>(g_Code.ID), Units_To_Steps(r, g_Code.Param));
  Add_Log(g_Code.Axis + LoadResString(rsAdjustDone));
  return true;
}

void TAutoFrm::tmr_AutoStatusTimer(TObject*) {
  if (F_Axis_Num < 1) return;
  const int n = std::min(Axis_Limit(), mem_Status.RecordCount());
  const int current = mem_Status.RecNo();
  // The table is redrawn once, after every row has its position.
  mem_Status.DataSet()->DisableControls();
  try {
    for (int i = 0; i < n; ++i) {
      std::int32_t steps = 0;
      const bool answered = JQ_Get_Axis_Software_P_Now(static_cast<std::uint16_t>(i), &steps) == 0;
      Link_Watch().Answered(answered);
      if (!answered) continue;
      if (auto units = Steps_To_Units(g_Axis_Config[static_cast<std::size_t>(i)], steps)) {
        mem_Status.MoveTo(i);
        TAxisStatus row = mem_Status.Current();
        row.Pos = *units;
        mem_Status.Update(row);
      }
    }
    mem_Status.MoveTo(current);
  } catch (...) {
    mem_Status.DataSet()->EnableControls();
    throw;
  }
  mem_Status.DataSet()->EnableControls();
}

}  // namespace desktop
