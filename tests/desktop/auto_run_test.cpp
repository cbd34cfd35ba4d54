// The auto-run window: the step editor, script files and the runner, with
// the simulator's request log as the oracle and the manual clock driving the
// 50 ms tick.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "include/JQ_API.h"
#include "desktop/auto_code.h"
#include "desktop/auto_form.h"
#include "desktop/link_watch.h"
#include "desktop/main_form.h"
#include "desktop/axis_config.h"
#include "tests/desktop/desktop_fixture.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/format_settings.h"
#include "desktop/main_form.h"
#include "desktop/step_table.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/dialogs/db_grid_ex_find_dlg.h"
#include "grid/core/grid_data_link_ex.h"

namespace desktoptest {
namespace {

using namespace ui;
using desktop::AutoFrm;
using desktop::TAutoCode;
using Request = SimulatedController::Request;

// What a grid shows, read as its painting reads it: through its data link's
// window of records, never by moving the dataset.
int Rows(grid::TDBGridEx* Grid) { return Grid->DataLink()->RecordCount(); }
int Selected(grid::TDBGridEx* Grid) { return Grid->DataLink()->ActiveRecord(); }

std::vector<rtl::String> Titles(grid::TDBGridEx* Grid) {
  std::vector<rtl::String> out;
  for (grid::TColumnEx* c : Grid->VisibleColumns()) out.push_back(c->Title()->Caption());
  return out;
}

rtl::String Cell(grid::TDBGridEx* Grid, int Row, int Col) {
  db::TDataLink* link = Grid->DataLink();
  const int active = link->ActiveRecord();
  link->SetActiveRecord(Row);
  const rtl::String text = Grid->VisibleColumns().at(static_cast<std::size_t>(Col))->DisplayText();
  link->SetActiveRecord(active);
  return text;
}

// The middle of a data cell, in the grid's client coordinates.
ui::TPoint CellCentre(grid::TDBGridEx* Grid, int Row, int Col) {
  const ui::TRect r = Grid->CellBounds(Grid->DataColToGridCol(Col), Grid->TopDataOffset() + Row);
  return ui::TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

constexpr int kStatus = 121;
// What the runner sends (the position table's polls are left out).
const std::initializer_list<int> kRunner = {107, 184, 185, 112, 114, 115, 124, 174, 175, 125, 122, 126, 116, 118};

TAutoCode Step(int ID, const char16_t* Action, double Param, int Delay, int Count, bool Insert = false) {
  TAutoCode c;
  c.bInsert = Insert;
  c.ID = ID;
  c.Axis = u"第" + rtl::IntToStr(ID + 1) + u"轴";
  c.Action = Action;
  c.Param = Param;
  c.Delay = Delay;
  c.Count = Count;
  return c;
}

class AutoRunTest : public ProgramTest {
 protected:
  void Open(SimulatedController& Sim, int Axes) {
    Connect(Sim, Axes);
    AutoFrm->F_Axis_Num = Axes;
    h->Show(AutoFrm);
    for (int i = 0; i < Axes; ++i) Sim.controller.SetValue(kStatus, static_cast<uint16_t>(i), 0);
  }
  // Three steps in the script grid, the first clicked.
  grid::TDBGridEx* ThreeStepsFirstClicked(SimulatedController& Sim) {
    Open(Sim, 2);
    AutoFrm->Add_Code(Step(0, u"Rel", 1, 0, 1));
    AutoFrm->Add_Code(Step(1, u"Abs", 2, 0, 1));
    AutoFrm->Add_Code(Step(0, u"Rel", 3, 0, 1));
    grid::TDBGridEx* code = AutoFrm->grid_Code;
    h->Click(code, CellCentre(code, 0, 0));
    return code;
  }
  // The log without its time stamps.
  static std::vector<std::string> Log() {
    std::vector<std::string> out;
    TStrings* lines = AutoFrm->mmo_Log->Lines();
    for (int i = 0; i < lines->Count(); ++i) {
      rtl::String l = (*lines)[i];
      EXPECT_EQ(l.size() > 21 && l[0] == u'[' && l[20] == u']', true) << rtl::StringToUtf8(l);
      out.push_back(rtl::StringToUtf8(l.substr(21)));
    }
    return out;
  }
  // Ticks until the run has stopped (at most Limit ticks).
  void Run_To_End(int Limit = 400) {
    for (int i = 0; i < Limit && AutoFrm->btn_AutoStop->Enabled(); ++i) h->Advance(50);
    EXPECT_FALSE(AutoFrm->btn_AutoStop->Enabled());
  }
  static std::vector<Request> Of(const std::vector<Request>& All, int Code) {
    std::vector<Request> out;
    for (const Request& r : All)
      if (std::get<0>(r) == Code) out.push_back(r);
    return out;
  }
};

TEST_F(AutoRunTest, AddedStepsAreNormalisedByTheirAction) {
  SimulatedController sim;
  Open(sim, 2);
  struct Case {
    const char16_t* caption;
    const char16_t* param;
    const char16_t* count;
    const char16_t* action;
    double param_kept;
    int count_kept;
  };
  const Case cases[] = {
      {u"绝对定位", u"3", u"5", u"Abs", 3, 1},   {u"归零", u"7.5", u"4", u"Zero", 0, 1},
      {u"相对定位", u"-2.5", u"4", u"Rel", -2.5, 4}, {u"暂停", u"9", u"9", u"Pause", 0, 1},
      {u"坐标调整", u"1.25", u"3", u"Adjust", 1.25, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.caption));
    AutoFrm->cbb_Axis->SetItemIndex(1);
    AutoFrm->cbb_Action->SetItemIndex(AutoFrm->cbb_Action->Items()->IndexOf(c.caption));
    AutoFrm->edt_Param->SetText(c.param);
    AutoFrm->edt_Count->SetText(c.count);
    h->Click(AutoFrm->btn_AddCode);
    const TAutoCode& row = AutoFrm->mem_Code.Current();
    EXPECT_EQ(row.ID, 1);
    EXPECT_EQ(row.Axis, u"第2轴");
    EXPECT_EQ(row.Action, c.action);
    EXPECT_EQ(row.Caption, c.caption);
    EXPECT_EQ(row.Param, c.param_kept);
    EXPECT_EQ(row.Delay, 1000);
    EXPECT_EQ(row.Count, c.count_kept);
  }
  EXPECT_EQ(Rows(AutoFrm->grid_Code), 5);
  EXPECT_EQ(Selected(AutoFrm->grid_Code), 4);

  // A text that does not read changes nothing.
  AutoFrm->edt_Delay->SetText(u"1s");
  EXPECT_THROW(AutoFrm->btn_AddCodeClick(nullptr), rtl::EConvertError);
  EXPECT_EQ(AutoFrm->mem_Code.RecordCount(), 5);
}

TEST_F(AutoRunTest, InsertPutsTheStepBeforeTheCurrentRowAndDeleteAsksFirst) {
  SimulatedController sim;
  Open(sim, 2);
  AutoFrm->Add_Code(Step(0, u"Rel", 1, 0, 1));
  AutoFrm->Add_Code(Step(1, u"Rel", 2, 0, 1));
  AutoFrm->Add_Code(Step(0, u"Rel", 3, 0, 1));
  h->Click(AutoFrm->grid_Code, CellCentre(AutoFrm->grid_Code, 1, 0));
  AutoFrm->chk_Insert->SetChecked(true);
  AutoFrm->cbb_Action->SetItemIndex(1);
  AutoFrm->edt_Param->SetText(u"9");
  h->Click(AutoFrm->btn_AddCode);
  std::vector<double> params;
  for (const TAutoCode& c : AutoFrm->mem_Code.Rows()) params.push_back(c.Param);
  EXPECT_EQ(params, (std::vector<double>{1, 9, 2, 3}));
  EXPECT_EQ(AutoFrm->mem_Code.RecNo(), 1);

  h->AnswerMessageBox(IDCANCEL);
  h->Click(AutoFrm->btn_DelCode);
  EXPECT_EQ(AutoFrm->mem_Code.RecordCount(), 4);
  h->AnswerMessageBox(IDOK);
  h->Click(AutoFrm->btn_DelCode);
  auto boxes = h->TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].Text, u"确定删除选择的动作？");
  EXPECT_EQ(boxes[1].Caption, u"提示");
  EXPECT_EQ(boxes[1].Flags & MB_ICONMASK, MB_ICONQUESTION);
  EXPECT_EQ(boxes[1].Flags & MB_DEFMASK, MB_DEFBUTTON2);
  ASSERT_EQ(AutoFrm->mem_Code.RecordCount(), 3);
  EXPECT_EQ(AutoFrm->mem_Code.Current().Param, 2);
}

// The storage under both tables: rows in and out of the dataset, the cursor
// as the runner walks it.
TEST(StepTableTest, RowsLiveInTheDatasetUnderTheirFieldNames) {
  struct TRow {
    std::int32_t N = 0;
    rtl::String Name;
    double X = 0;
  };
  desktop::TStepTable<TRow> t({{&TRow::N, u"N"}, {&TRow::Name, u"Name", 10, u"名称", 12}, {&TRow::X, u"X"}});
  EXPECT_EQ(t.RecNo(), -1);
  EXPECT_TRUE(t.Eof());
  t.Append({1, u"a", 0.5});
  t.Append({2, u"第2轴", -1.25});
  t.Insert({3, u"c", 3});  // before the current (last) row
  auto ns = [&] {
    std::vector<int> out;
    for (const TRow& r : t.Rows()) out.push_back(r.N);
    return out;
  };
  EXPECT_EQ(ns(), (std::vector<int>{1, 3, 2}));
  EXPECT_EQ(t.RecNo(), 1);
  db::TDataSet* ds = t.DataSet();
  EXPECT_EQ(ds->FieldByName(u"Name")->AsString(), u"c");
  EXPECT_EQ(ds->FieldByName(u"Name")->DisplayLabel(), u"名称");
  EXPECT_EQ(ds->FieldByName(u"X")->DataType(), db::ftFloat);
  TRow r = t.Current();
  r.X = 9;
  t.Update(r);
  EXPECT_EQ(t.Rows()[1].X, 9);
  EXPECT_EQ(t.RecNo(), 1);

  t.First();
  t.Next();
  t.Next();
  EXPECT_FALSE(t.Eof());
  EXPECT_EQ(t.Current().Name, u"第2轴");
  t.Next();
  EXPECT_TRUE(t.Eof());
  t.MoveTo(2);
  t.Delete();
  EXPECT_EQ(t.RecNo(), 1);
  EXPECT_EQ(ns(), (std::vector<int>{1, 3}));
  t.Assign({{7, u"x", 0}});
  EXPECT_EQ(ns(), (std::vector<int>{7}));
  t.Clear();
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_EQ(t.Current().N, 0);
}

TEST_F(AutoRunTest, TheScriptTableShowsTheDatasetsVisibleFields) {
  SimulatedController sim;
  Open(sim, 2);
  AutoFrm->Add_Code(Step(0, u"Rel", 2.5, 1000, 3));
  AutoFrm->Add_Code(Step(1, u"Abs", -0.125, 0, 1));
  std::vector<rtl::String> names, titles;
  ext::TExtMemoryData* ds = AutoFrm->mem_Code.DataSet();
  for (int i = 0; i < ds->FieldCount(); ++i) names.push_back(ds->Fields(i)->FieldName());
  EXPECT_EQ(names, (std::vector<rtl::String>{u"ID", u"Axis", u"Action", u"Caption", u"Param", u"Delay", u"Count"}));
  titles = Titles(AutoFrm->grid_Code);
  EXPECT_EQ(titles, (std::vector<rtl::String>{u"轴名称", u"动作", u"参数", u"延时(ms)", u"循环次数"}));
  std::vector<rtl::String> row;
  for (int i = 0; i < 5; ++i) row.push_back(Cell(AutoFrm->grid_Code, 0, i));
  EXPECT_EQ(row, (std::vector<rtl::String>{u"第1轴", u"相对定位", u"2.5", u"1000", u"3"}));
  // Reading a cell leaves the cursor where it was.
  EXPECT_EQ(AutoFrm->mem_Code.RecNo(), 1);
  // The view follows the dataset's cursor, and a click moves it.
  ds->First();
  EXPECT_EQ(Selected(AutoFrm->grid_Code), 0);
  h->Click(AutoFrm->grid_Code, CellCentre(AutoFrm->grid_Code, 1, 0));
  EXPECT_EQ(AutoFrm->mem_Code.Current().Action, u"Abs");
  EXPECT_EQ(Titles(AutoFrm->grid_Status).at(1), u"当前位置");
}

TEST(ScriptLineTest, SplitsAndParsesAsTheFileFormatSays) {
  using desktop::Parse_Script_Line;
  using desktop::Split_Script_Line;
  EXPECT_EQ(Split_Script_Line(u"0,,X,Rel,1,0,1"), (std::vector<rtl::String>{u"0", u"X", u"Rel", u"1", u"0", u"1"}));
  EXPECT_EQ(Split_Script_Line(u"0,\"a,b\",Rel"), (std::vector<rtl::String>{u"0", u"\"a,b\"", u"Rel"}));
  EXPECT_EQ(Split_Script_Line(u" 0 , X"), (std::vector<rtl::String>{u" 0 ", u" X"}));

  auto dropped = Parse_Script_Line(u"0,,X,Rel,1,0,1");
  ASSERT_TRUE(dropped);
  EXPECT_EQ(dropped->ID, 0);
  EXPECT_EQ(dropped->Axis, u"X");
  EXPECT_EQ(dropped->Caption, u"相对定位");
  EXPECT_EQ(dropped->Param, 1);
  // A quoted parameter written with a decimal comma still reads.
  auto comma = Parse_Script_Line(u"1,Y,Abs,\"2,5\",0,1");
  ASSERT_TRUE(comma);
  EXPECT_EQ(comma->Param, 2.5);
  EXPECT_THROW(Parse_Script_Line(u"1,Y,Abs,x,0,1"), rtl::EConvertError);
  for (const char16_t* stop : {u"0,X,rel,1,0,1", u"", u"0,X,Rel,1,0", u"0,X,Rel,1,0,1,2"})
    EXPECT_FALSE(Parse_Script_Line(stop)) << rtl::StringToUtf8(stop);
}

TEST_F(AutoRunTest, ScriptFilesRoundTripWhateverTheLocale) {
  SimulatedController sim;
  Open(sim, 2);
  AutoFrm->Add_Code(Step(0, u"Rel", 2.5, 1000, 3));
  AutoFrm->Add_Code(Step(1, u"Abs", -0.125, 0, 1));
  AutoFrm->Add_Code(Step(0, u"Zero", 0, 500, 1));
  AutoFrm->Add_Code(Step(1, u"Adjust", 123456.789012345, -1, 1));
  const std::vector<TAutoCode> before = AutoFrm->mem_Code.Rows();

  // A machine whose locale writes decimal commas still writes points.
  rtl::TFormatSettings& fs = rtl::FormatSettings();
  const char16_t old = fs.DecimalSeparator;
  fs.DecimalSeparator = u',';
  const std::string path = (dir / "script.txt").string();
  h->AnswerFileDialog(rtl::FromSysPath(path));
  h->Click(AutoFrm->btn_Save);
  fs.DecimalSeparator = old;
  EXPECT_EQ(AutoFrm->mem_Code.RecNo(), 3);
  std::ifstream golden(JQ_DESKTOP_TEST_DATA "/auto_script.txt", std::ios::binary);
  std::stringstream expected;
  expected << golden.rdbuf();
  EXPECT_EQ(ReadFile("script.txt"), expected.str());
  ASSERT_EQ(h->FileDialogs().size(), 1u);
  EXPECT_EQ(h->FileDialogs()[0].DefaultExt, u".txt");
  EXPECT_TRUE(h->FileDialogs()[0].Options.Contains(ofOverwritePrompt));

  h->AnswerMessageBox(IDOK);
  h->AnswerFileDialog(rtl::FromSysPath(path));
  h->Click(AutoFrm->btn_Open);
  const auto& after = AutoFrm->mem_Code.Rows();
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(after[i].ID, before[i].ID);
    EXPECT_EQ(after[i].Axis, before[i].Axis);
    EXPECT_EQ(after[i].Action, before[i].Action);
    EXPECT_EQ(after[i].Caption, before[i].Caption);
    EXPECT_EQ(after[i].Param, before[i].Param);
    EXPECT_EQ(after[i].Delay, before[i].Delay);
    EXPECT_EQ(after[i].Count, before[i].Count);
  }
  auto boxes = h->TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, u"打开新方案将关闭当前方案，如果没有保存当前方案会丢失，确认继续？");
}

TEST_F(AutoRunTest, ASavedScriptKeepsTheEncodingItWasReadIn) {
  SimulatedController sim;
  Open(sim, 1);
  struct Case {
    const char* name;
    std::string bytes;  // what the script file holds, and what saving it writes back
  } cases[] = {
      // 5A CE BB is also well-formed UTF-8 ("Zλ"); without a mark it is GBK.
      {"GBK", "0,Z\xCE\xBB,Rel,1,0,1\r\n"},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" "0,Z\xE4\xBD\x8D,Rel,1,0,1\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile("in.txt", c.bytes);
    if (!AutoFrm->mem_Code.IsEmpty()) h->AnswerMessageBox(IDOK);
    h->AnswerFileDialog(rtl::FromSysPath((dir / "in.txt").string()));
    h->Click(AutoFrm->btn_Open);
    ASSERT_EQ(AutoFrm->mem_Code.RecordCount(), 1);
    EXPECT_EQ(AutoFrm->mem_Code.Current().Axis, u"Z位");
    const std::string out = std::string("out_") + (&c == cases ? "1" : "2") + ".txt";
    h->AnswerFileDialog(rtl::FromSysPath((dir / out).string()));
    h->Click(AutoFrm->btn_Save);
    EXPECT_EQ(ReadFile(out), c.bytes);
    h->TakeMessageBoxes();
  }
}

TEST_F(AutoRunTest, LoadingStopsAtTheFirstBadLineAndSaysWhere) {
  SimulatedController sim;
  Open(sim, 2);
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<int> ids;
    int stop_line;  // 0: no message
  };
  const Case cases[] = {
      {"blank line", "0,X,Rel,1,0,1\r\n\r\n1,Y,Abs,2,0,1\r\n", {0}, 2},
      {"lower-case code", "0,X,Rel,1,0,1\r\n1,X,rel,1,0,1\r\n", {0}, 2},
      {"number that does not read", "0,X,Rel,1,0,1\r\n1,X,Rel,1,0,one\r\n0,X,Rel,1,0,1\r\n", {0}, 2},
      {"dropped empty field, blank end", "0,,X,Rel,1,0,1\n1,Y,Abs,2,0,1\n\n", {0, 1}, 0},
      {"UTF-8 text with its mark", "\xEF\xBB\xBF" "0,\xE7\xAC\xAC" "1\xE8\xBD\xB4,Rel,1,0,1\r\n", {0}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile("in.txt", c.bytes);
    if (!AutoFrm->mem_Code.IsEmpty()) h->AnswerMessageBox(IDOK);
    h->AnswerFileDialog(rtl::FromSysPath((dir / "in.txt").string()));
    if (c.stop_line) h->AnswerMessageBox(IDOK);
    h->Click(AutoFrm->btn_Open);
    std::vector<int> ids;
    for (const TAutoCode& s : AutoFrm->mem_Code.Rows()) ids.push_back(s.ID);
    EXPECT_EQ(ids, c.ids);
    auto boxes = h->TakeMessageBoxes();
    if (c.stop_line) {
      ASSERT_FALSE(boxes.empty());
      EXPECT_NE(boxes.back().Text.find(u"第 " + rtl::IntToStr(c.stop_line) + u" 行"), rtl::String::npos)
          << rtl::StringToUtf8(boxes.back().Text);
    }
  }
  EXPECT_EQ(AutoFrm->mem_Code.Current().Axis, u"第1轴");

  // A file that cannot be read leaves the script as it was.
  h->AnswerMessageBox(IDOK);
  h->AnswerFileDialog(rtl::FromSysPath((dir / "missing.txt").string()));
  EXPECT_THROW(AutoFrm->btn_OpenClick(nullptr), rtl::EFOpenError);
  EXPECT_EQ(AutoFrm->mem_Code.RecordCount(), 1);
  // Cancelled questions and dialogs change nothing either.
  h->AnswerMessageBox(IDCANCEL);
  h->Click(AutoFrm->btn_Open);
  h->AnswerMessageBox(IDOK);
  h->AnswerFileDialog(std::nullopt);
  h->Click(AutoFrm->btn_Open);
  EXPECT_EQ(AutoFrm->mem_Code.RecordCount(), 1);
  h->TakeMessageBoxes();
}

TEST_F(AutoRunTest, RelativeStepRepeatsThreeTimesThenTheRunHalts) {
  SimulatedController sim;
  Open(sim, 2);
  AutoFrm->Add_Code(Step(0, u"Rel", 1, 1000, 3));
  sim.controller.ClearLog();
  h->Click(AutoFrm->btn_AutoRun);
  EXPECT_FALSE(AutoFrm->btn_AutoRun->Enabled());
  EXPECT_TRUE(AutoFrm->btn_AutoPause->Enabled());
  EXPECT_FALSE(AutoFrm->grid_Code->Enabled());
  EXPECT_FALSE(AutoFrm->btn_Open->Enabled());
  Run_To_End();
  std::vector<std::string> expected = {"开始运行"};
  for (int n = 1; n <= 3; ++n)
    for (const char* line : {" 开始相对定位", " 相对定位结束", " 开始延时", " 延时结束"}) {
      expected.push_back(std::string("第1轴") + line);
      if (std::string(line) == " 延时结束") expected.push_back("第1轴 完成循环 " + std::to_string(n));
    }
  expected.push_back("方案执行完成 1");
  expected.push_back("停止");
  EXPECT_EQ(Log(), expected);
  std::vector<Request> sent = sim.Requests(kRunner);
  EXPECT_EQ(sent, (std::vector<Request>{{107, 0, 0}, {184, 0, 6400}, {185, 0, 6400}, {112, 0, 6400},
                                        {115, 0, 6400}, {115, 0, 6400}, {115, 0, 6400}, {118, 0, 0}}));
  EXPECT_TRUE(AutoFrm->btn_AutoRun->Enabled());
  EXPECT_TRUE(AutoFrm->grid_Code->Enabled());
  // While it ran, the position table was refreshed twice a second.
  EXPECT_FALSE(Of(sim.Requests(), 120).empty());
}

TEST_F(AutoRunTest, RepeatRunsTheScriptAgainFromTheFirstRow) {
  SimulatedController sim;
  Open(sim, 2);
  AutoFrm->Add_Code(Step(1, u"Adjust", 2, 0, 1));
  AutoFrm->Add_Code(Step(0, u"Zero", 0, 0, 1));
  AutoFrm->edt_Repeat->SetText(u"2");
  sim.controller.ClearLog();
  h->Click(AutoFrm->btn_AutoRun);
  Run_To_End();
  EXPECT_EQ(Log(), (std::vector<std::string>{"开始运行", "第2轴 坐标调整完成", "第1轴 归零结束", "方案执行完成 1",
                                             "第2轴 坐标调整完成", "第1轴 归零结束", "方案执行完成 2", "停止"}));
  std::vector<Request> homing = {{124, 0, 0}, {174, 0, 6400}, {175, 0, 6400}, {125, 0, -6400}};
  std::vector<Request> expected = {{122, 1, 12800}};
  expected.insert(expected.end(), homing.begin(), homing.end());
  expected.push_back({122, 1, 12800});
  expected.insert(expected.end(), homing.begin(), homing.end());
  expected.push_back({118, 0, 0});
  EXPECT_EQ(sim.Requests(kRunner), expected);
}

TEST_F(AutoRunTest, AControllerThatStopsAnsweringEndsTheRunAndIsReported) {
  SimulatedController sim;
  Open(sim, 1);
  sim.controller.SetValue(kStatus, 0, 1);  // the axis keeps running
  AutoFrm->Add_Code(Step(0, u"Rel", 1, 0, 1));
  h->Click(AutoFrm->btn_AutoRun);
  h->Advance(200);
  ASSERT_EQ(Log().back(), "第1轴 开始相对定位");
  sim.controller.SetFault({jqsim::FaultKind::Unplugged});
  int ticks = 0;
  for (; ticks < 200 && AutoFrm->btn_AutoStop->Enabled(); ++ticks) h->Advance(50);
  EXPECT_FALSE(AutoFrm->btn_AutoStop->Enabled());
  // A few seconds, not for ever.
  EXPECT_LE(ticks * 50, static_cast<int>(desktop::TLinkWatch::kLostAfterMs) + 1000);
  const std::vector<std::string> log = Log();
  ASSERT_GE(log.size(), 3u);
  const std::vector<std::string> tail(log.end() - 3, log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"第1轴 控制器无应答, 运行停止", "停止", "停止命令未送达控制器"}));
  EXPECT_EQ(desktop::MainFrm->msg_Main->Caption(), desktop::kLinkLostText);

  // The controller back: the status line forgets the loss at the next answer.
  sim.controller.ClearFaults();
  h->Advance(1000);
  EXPECT_NE(desktop::MainFrm->msg_Main->Caption(), desktop::kLinkLostText);
  // Stopping (closing the window stops whatever the state) while the
  // controller answers logs no failure.
  AutoFrm->btn_AutoStopClick(nullptr);
  EXPECT_EQ(Log().back(), "停止");
}

TEST_F(AutoRunTest, PauseKeepsThePlaceAndStopSendsStopsToEveryAxis) {
  SimulatedController sim;
  Open(sim, 2);
  AutoFrm->Add_Code(Step(1, u"Abs", 0.5, 0, 1));
  AutoFrm->Add_Code(Step(0, u"Pause", 0, 0, 1));
  AutoFrm->Add_Code(Step(1, u"Rel", 1, 0, 1));
  sim.controller.SetValue(kStatus, 1, 1);  // axis 1 keeps running
  sim.controller.ClearLog();
  h->Click(AutoFrm->btn_AutoRun);
  h->Advance(50 * 4);
  EXPECT_EQ(Log().back(), "第2轴 开始绝对定位");
  h->Click(AutoFrm->btn_AutoPause);
  EXPECT_FALSE(AutoFrm->btn_AutoPause->Enabled());
  EXPECT_TRUE(AutoFrm->btn_AutoRun->Enabled());
  EXPECT_TRUE(AutoFrm->btn_AutoStop->Enabled());
  EXPECT_FALSE(AutoFrm->grid_Code->Enabled());
  sim.controller.SetValue(kStatus, 1, 0);
  h->Advance(1000);
  EXPECT_EQ(Log().back(), "暂停");
  // Resuming waits for the same move: no second target goes out.
  h->Click(AutoFrm->btn_AutoRun);
  h->Advance(50 * 4);
  // The pause row paused the run by itself, with the next row current.
  EXPECT_EQ(Log(), (std::vector<std::string>{"开始运行", "第2轴 开始绝对定位", "暂停", "恢复运行", "第2轴 绝对定位结束",
                                             "第2轴 开始延时", "第2轴 延时结束", "第2轴 完成循环 1", "暂停"}));
  EXPECT_EQ(AutoFrm->mem_Code.RecNo(), 2);
  EXPECT_EQ(Of(sim.Requests(), 114), (std::vector<Request>{{114, 1, 3200}}));

  sim.controller.ClearLog();
  h->Click(AutoFrm->btn_AutoStop);
  EXPECT_EQ(sim.Requests(kRunner), (std::vector<Request>{{126, 0, 0}, {116, 0, 0}, {126, 1, 0}, {116, 1, 0}}));
  EXPECT_EQ(Log().back(), "停止");
  EXPECT_FALSE(AutoFrm->btn_AutoStop->Enabled());
  // A new run starts from the first row.
  h->Click(AutoFrm->btn_AutoRun);
  h->Advance(50 * 3);
  EXPECT_EQ(Log().back(), "第2轴 开始绝对定位");
  // Closing the window stops the run.
  AutoFrm->Close();
  EXPECT_EQ(Log().back(), "停止");
  EXPECT_FALSE(AutoFrm->btn_AutoStop->Enabled());
}

TEST_F(AutoRunTest, UnknownActionsAndMissingAxesAreSkipped) {
  SimulatedController sim;
  Open(sim, 2);
  AutoFrm->Add_Code(Step(0, u"Jump", 1, 0, 1));
  AutoFrm->Add_Code(Step(5, u"Rel", 1, 0, 1));  // a script from a controller with more axes
  AutoFrm->Add_Code(Step(-1, u"Adjust", 1, 0, 1));
  AutoFrm->Add_Code(Step(1, u"Adjust", 1, 0, 1));
  sim.controller.ClearLog();
  h->Click(AutoFrm->btn_AutoRun);
  Run_To_End();
  EXPECT_EQ(Log(), (std::vector<std::string>{"开始运行", "第 2 步: 轴序号 5 不存在, 跳过", "第 3 步: 轴序号 -1 不存在, 跳过",
                                             "第2轴 坐标调整完成", "方案执行完成 1", "停止"}));
  EXPECT_EQ(sim.Requests(kRunner), (std::vector<Request>{{122, 1, 6400}, {118, 0, 0}}));
  EXPECT_TRUE(h->TakeMessageBoxes().empty());
}

TEST_F(AutoRunTest, AnErrorInATickEndsTheRunWithOneMessage) {
  SimulatedController sim;
  Open(sim, 1);
  AutoFrm->Add_Code(Step(0, u"Rel", 1e9, 0, 1));  // beyond what 32-bit steps hold
  sim.controller.ClearLog();
  h->AnswerMessageBox(IDOK);
  h->Click(AutoFrm->btn_AutoRun);
  h->Advance(2000);
  auto boxes = h->TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].Text.find(u"第1轴"), rtl::String::npos);
  EXPECT_FALSE(AutoFrm->btn_AutoStop->Enabled());
  EXPECT_FALSE(AutoFrm->tmr_Auto->Enabled());
  // Nothing of the move went out; the axes were told to stop.
  EXPECT_EQ(sim.Requests(kRunner), (std::vector<Request>{{126, 0, 0}, {116, 0, 0}}));
  EXPECT_EQ(Log().back(), "停止");
}

TEST_F(AutoRunTest, PositionTableFollowsTheAxesAndReconnects) {
  WriteSettings({{1, u"CAPTION", u"Y轴"}, {1, u"PHYSICS", u"2"}});
  SimulatedController sim;
  Open(sim, 2);
  ASSERT_EQ(AutoFrm->mem_Status.RecordCount(), 2);
  EXPECT_EQ(AutoFrm->cbb_Axis->Items()->Count(), 2);
  EXPECT_EQ(AutoFrm->cbb_Axis->Text(), u"第1轴");
  EXPECT_EQ(Cell(AutoFrm->grid_Status, 1, 0), u"Y轴");
  AutoFrm->Add_Code(Step(0, u"Rel", 1, 5000, 1));
  sim.controller.SetValue(120, 1, 3200);
  h->Click(AutoFrm->btn_AutoRun);
  h->Advance(500);
  EXPECT_EQ(Cell(AutoFrm->grid_Status, 1, 1), u"1.000000");
  h->ProcessEvents();
  h->SaveScreenshot(AutoFrm, "desktop_auto_form");

  // A connect with fewer axes ends the run and rebuilds both lists.
  desktop::g_Axis_Config.resize(1);
  AutoFrm->Axes_Changed(1);
  EXPECT_FALSE(AutoFrm->btn_AutoStop->Enabled());
  EXPECT_EQ(AutoFrm->mem_Status.RecordCount(), 1);
  EXPECT_EQ(AutoFrm->cbb_Axis->Items()->Count(), 1);
}

TEST_F(AutoRunTest, TheGridsTakeClicksAndDeleteKeysWhereOffered) {
  SimulatedController sim;
  grid::TDBGridEx* code = ThreeStepsFirstClicked(sim);
  EXPECT_EQ(AutoFrm->mem_Code.RecNo(), 0);

  h->SaveScreenshot(AutoFrm, "desktop_auto_form_grids");

  // Ctrl+Delete asks first, then deletes the current step; the position
  // table, whose row i is axis i, offers no deletion.
  h->AnswerMessageBox(IDOK);
  h->Key(code, ui::VK_DELETE, ui::TShiftState{ui::ssCtrl});
  EXPECT_EQ(AutoFrm->mem_Code.RecordCount(), 2);
  h->Key(AutoFrm->grid_Status, ui::VK_DELETE, ui::TShiftState{ui::ssCtrl});
  EXPECT_EQ(AutoFrm->mem_Status.RecordCount(), 2);

  // While a script runs the script grid is disabled: a click moves nothing
  // and Ctrl+Delete deletes nothing.
  const int at = AutoFrm->mem_Code.RecNo();
  code->SetEnabled(false);
  h->TakeMessageBoxes();
  h->Click(code, CellCentre(code, at == 0 ? 1 : 0, 0));
  EXPECT_EQ(AutoFrm->mem_Code.RecNo(), at);
  h->Key(code, ui::VK_DELETE, ui::TShiftState{ui::ssCtrl});
  EXPECT_EQ(AutoFrm->mem_Code.RecordCount(), 2);
  EXPECT_TRUE(h->TakeMessageBoxes().empty());
}

TEST_F(AutoRunTest, CtrlFOpensTheFindDialogWhichFindsAStep) {
  SimulatedController sim;
  grid::TDBGridEx* code = ThreeStepsFirstClicked(sim);
  ASSERT_EQ(AutoFrm->mem_Code.RecNo(), 0);

  // The dialog is modal: what it is asked happens inside its loop.
  bool shown = false;
  int found = -1;
  h->Post([&] {
    grid::TDBGridExFindDlg* dlg = grid::GridFindDialog();
    if (!dlg) return;
    shown = dlg->Visible() && dlg->Grid() == code;
    dlg->cbText->SetText(u"第2轴");
    h->Click(dlg->bFind);
    found = AutoFrm->mem_Code.RecNo();
    h->Click(dlg->bCancel);
  });
  h->Key(code, 'F', ui::TShiftState{ui::ssCtrl});
  EXPECT_TRUE(shown);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(AutoFrm->mem_Code.RecNo(), 1);
}

}  // namespace
}  // namespace desktoptest
