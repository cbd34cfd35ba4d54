#include <gtest/gtest.h>

#include "platform/runtime/datetime.h"
#include "components/extended/ext_translate_string.h"
#include "platform/runtime/files.h"
#include "platform/ui/forms.h"
#include "tests/platform/ui/harness.h"
#include "platform/ui/ui.h"

using namespace ext;

namespace {

rtl::String ExeName() { return rtl::ProgramFileName(); }
rtl::String BareName() { return rtl::ChangeFileExt(rtl::ExtractFileName(ExeName()), u""); }

}  // namespace

TEST(TranslateString, MacrosDelimitersAndUnknownCommands) {
  uitest::Harness h;
  auto* form = h.MakeForm<ui::TForm>();
  form->SetName(u"MainForm");
  form->SetCaption(u"主窗口");
  auto* holder = new ui::TComponent(form);
  auto* t = new TExtTranslateString(holder);

  struct Row {
    rtl::String in, out;
    bool changed;
  };
  const Row rows[] = {
      {u"%EXENAME%", ExeName(), true},
      {u"<%exename%>", u"<" + ExeName() + u">", true},
      {u"% exename %", ExeName(), true},
      {u"%FILENAME%", BareName(), true},
      {u"%FULLDIREXE%/x", rtl::ExtractFileDir(ExeName()) + u"/x", true},
      {u"%FORMNAME%: %FORMCAPTION%", u"MainForm: 主窗口", true},
      {u"plain text", u"plain text", false},
      {u"", u"", false},
      {u"50% of %FILENAME%", u"50 of " + BareName(), true},
      {u"left %EXENAME", u"left %EXENAME", false},
      {u"%nothing%", u"nothing%", false},
  };
  for (const Row& r : rows) {
    bool changed = !r.changed;
    EXPECT_EQ(t->TranslateString(r.in, changed), r.out) << rtl::StringToUtf8(r.in);
    EXPECT_EQ(changed, r.changed) << rtl::StringToUtf8(r.in);
  }

  const rtl::String screen = t->TranslateString(u"%SCREENSIZE%");
  EXPECT_EQ(screen, rtl::IntToStr(ui::Screen->Width()) + u"x" + rtl::IntToStr(ui::Screen->Height()));
  EXPECT_NE(t->TranslateString(u"%DESKTOPSIZE%").find(u'x'), rtl::String::npos);
  t->SetDateFormat(u"yyyy");
  EXPECT_EQ(t->TranslateString(u"%DATE%"), rtl::FormatDateTime(u"yyyy", rtl::Now()));

  t->SetLeftDelimiter(u"[[");
  t->SetRightDelimiter(u"]]");
  EXPECT_EQ(t->TranslateString(u"a[[FILENAME]]b%FILENAME%"), u"a" + BareName() + u"b%FILENAME%");

  // Without an owning form the form macros are empty.
  TExtTranslateString loose(nullptr);
  EXPECT_EQ(loose.TranslateString(u"(%FORMNAME%)"), u"()");
}

TEST(TranslateString, EmptyDelimitersAreNeverFound) {
  TExtTranslateString t(nullptr);
  t.SetLeftDelimiter(u"");
  bool changed = true;
  EXPECT_EQ(t.TranslateString(u"%EXENAME%", changed), u"%EXENAME%");
  EXPECT_FALSE(changed);
  t.SetLeftDelimiter(u"%");
  t.SetRightDelimiter(u"");
  EXPECT_EQ(t.TranslateString(u"a %EXENAME"), u"a %EXENAME");
}

TEST(TranslateString, ProcessCommandSeesEveryCommand) {
  TExtTranslateString t(nullptr);
  std::vector<rtl::String> seen;
  t.OnProcessCommand = [&](TExtTranslateString*, const rtl::String& cmd, rtl::String& result, bool& handled) {
    seen.push_back(cmd);
    if (cmd == u"USER") result = u"operator", handled = true;
    if (cmd == u"FILENAME") handled = false;
  };
  EXPECT_EQ(t.TranslateString(u"%user%@%FILENAME%"), u"operator@FILENAME%");
  EXPECT_EQ(seen, (std::vector<rtl::String>{u"USER", u"FILENAME"}));
}

TEST(TranslateString, ProgramWithoutVersionInformationFallsBackOnce) {
  // This test program carries no version block.
  uitest::Harness h;
  TExtTranslateString t(nullptr);
  h.AnswerMessageBox(ui::IDOK);
  EXPECT_EQ(t.TranslateString(u"%APPL_NAME%"), u"MyExtApplication");
  const auto boxes = h.TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text,
            u"The Default Root Value \"APPL_NAME\" has been replaced with \"MyExtApplication\".\r\n"
            u"Please change the value in the FileVersionInfo Project Properties.");
  EXPECT_EQ(boxes[0].Flags & ui::MB_ICONMASK, ui::MB_ICONINFORMATION);
  // Cached: no second box.
  EXPECT_EQ(t.TranslateString(u"%APPL_NAME%"), u"MyExtApplication");
  EXPECT_TRUE(h.MessageBoxes().empty());

  h.AnswerMessageBox(ui::IDOK);
  h.AnswerMessageBox(ui::IDOK);
  EXPECT_EQ(t.TranslateString(u"%FileVersion%/%COMPANY_NAME%"), u"0.0.0.0/MyCompany");
  EXPECT_EQ(h.TakeMessageBoxes().size(), 2u);
}
