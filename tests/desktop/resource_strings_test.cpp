// The program's message table and its registration with the
// language-resource registry.
#include <gtest/gtest.h>

#include <vector>

#include "components/support/hint/aux_lang_mgr.h"
#include "tests/desktop/desktop_fixture.h"
#include "desktop/program.h"
#include "desktop/program_messages.h"
#include "desktop/rs_form.h"
#include "grid/editor_support/button_faces.h"
#include "grid/foundation/grid_drag_windows.h"

namespace desktoptest {
namespace {

using namespace desktop;

using ResourceStringTest = ProgramTest;

TEST_F(ResourceStringTest, StartUpRegistersTheTwentyFiveTextsInOrder) {
  StartProgram();
  struct Expected {
    const TResStringRec* rec;
    const char16_t* name;
  };
  const Expected expected[] = {
      {&rsTip, u"rsTip"},           {&rsStop, u"rsStop"},           {&rsPause, u"rsPause"},
      {&rsReRun, u"rsReRun"},       {&rsStart, u"rsStart"},         {&rsDelAction, u"rsDelAction"},
      {&rsNewProject, u"rsNewProject"}, {&rsNoDevice, u"rsNoDevice"}, {&rsAutoProject, u"rsAutoProject"},
      {&rsAdjustDone, u"rsAdjustDone"}, {&rsAbsStart, u"rsAbsStart"}, {&rsAbsDone, u"rsAbsDone"},
      {&rsDelayStart, u"rsDelayStart"}, {&rsDelayDone, u"rsDelayDone"}, {&rsCycleDone, u"rsCycleDone"},
      {&rsRunDone, u"rsRunDone"},   {&rsAcc, u"rsAcc"},             {&rsDec, u"rsDec"},
      {&rsMaxV, u"rsMaxV"},         {&rsSafeV, u"rsSafeV"},         {&rsConstPos, u"rsConstPos"},
      {&rsAxis, u"rsAxis"},         {&rsConfig, u"rsConfig"},       {&rsLimit, u"rsLimit"},
      {&rsOverSafe, u"rsOverSafe"},
  };
  const aux::TAuxResourceStringList* list = aux::Res_String_List();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->size(), 25u);
  for (size_t i = 0; i < 25; ++i) {
    EXPECT_EQ((*list)[i]->StringRecAddr(), expected[i].rec) << i;
    EXPECT_EQ((*list)[i]->StringName(), expected[i].name) << i;
    EXPECT_TRUE((*list)[i]->DstStr().empty());
  }
  // The log-only texts stay out of the registry.
  for (const auto& item : *list)
    for (const TResStringRec* logOnly : {&rsRelStart, &rsRelDone, &rsZeroDone})
      EXPECT_NE(item->StringRecAddr(), logOnly);
  EXPECT_FALSE(rsFrm->Visible());
  EXPECT_EQ(rsFrm->Caption(), u"rsFrm");
}

TEST_F(ResourceStringTest, RegistryIgnoresNullAndKeepsDuplicates) {
  aux::Add_Res_String_Item(nullptr, u"rsNothing");
  ASSERT_EQ(aux::Res_String_List()->size(), 0u);
  aux::Add_Res_String_Item(&rsTip, u"rsTip");
  aux::Add_Res_String_Item(&rsTip, u"rsTip");
  ASSERT_EQ(aux::Res_String_List()->size(), 2u);
  EXPECT_EQ((*aux::Res_String_List())[1]->StringRecAddr(), &rsTip);

  // Shut-down frees the registry; registering then changes nothing.
  Stop_Modules();
  EXPECT_EQ(aux::Res_String_List(), nullptr);
  aux::Add_Res_String_Item(&rsTip, u"rsTip");
  EXPECT_EQ(aux::Res_String_List(), nullptr);
  Start_Modules();
  EXPECT_EQ(aux::Res_String_List()->size(), 0u);
}

TEST_F(ResourceStringTest, BlanksOfTheTextsSeparateAxisNamesAndNumbers) {
  EXPECT_EQ(u"第2轴" + LoadResString(rsCycleDone) + rtl::IntToStr(10), u"第2轴 完成循环 10");
  EXPECT_EQ(LoadResString(rsRunDone) + rtl::IntToStr(3), u"方案执行完成 3");
  EXPECT_EQ(u"第1轴" + LoadResString(rsAbsStart), u"第1轴 开始绝对定位");
}

// The program's module start-up prepares the grid editor tools, and the
// shut-down frees them and the grid's shared windows before the
// application goes.
TEST_F(ResourceStringTest, ModulesStartAndStopTheGridTools) {
  StartProgram();
  ASSERT_NE(grid::GlobalButtonBitmapCache, nullptr);
  EXPECT_GT(grid::FlatButtonWidth, 0);
  EXPECT_GT(grid::CheckBoxWidth, 0);
  ASSERT_NE(grid::SharedGridMoveLine(), nullptr);
  Stop_Modules();
  EXPECT_EQ(grid::GlobalButtonBitmapCache, nullptr);
  EXPECT_EQ(grid::ExistingGridMoveLine(), nullptr);
  Start_Modules();
  EXPECT_NE(grid::GlobalButtonBitmapCache, nullptr);
}

}  // namespace
}  // namespace desktoptest
