// Input-method settings of windowed controls: kept, published, and handed to
// the widget as Qt's input-method hints where Qt has them.
#include <gtest/gtest.h>

#include <QWidget>

#include "tests/platform/ui/harness.h"

namespace {

using namespace ui;

class ImeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = h.MakeForm<TForm>();
    form->SetBounds(0, 0, 200, 100);
    edit = new TEdit(form);
    edit->SetParent(form);
    h.Show(form);
  }
  uitest::Harness h;
  TForm* form = nullptr;
  TEdit* edit = nullptr;
};

TEST_F(ImeTest, ModesBecomeHintsWhereQtHasThem) {
  const Qt::InputMethodHints ours = Qt::ImhLatinOnly | Qt::ImhPreferLatin;
  struct Case {
    TImeMode mode;
    Qt::InputMethodHints hints;
    bool inputMethod;
  };
  const Case cases[] = {
      {imClose, Qt::ImhPreferLatin, true},  {imAlpha, Qt::ImhPreferLatin, true},
      {imSAlpha, Qt::ImhLatinOnly, true},   {imDisable, Qt::ImhNone, false},
      {imChinese, Qt::ImhNone, true},       {imOpen, Qt::ImhNone, true},
      {imHira, Qt::ImhNone, true},          {imDontCare, Qt::ImhNone, true},
  };
  // A hint of the widget's own (a password field's) survives every change.
  edit->Widget()->setInputMethodHints(Qt::ImhHiddenText);
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    edit->SetImeMode(c.mode);
    EXPECT_EQ(edit->ImeMode(), c.mode);
    EXPECT_EQ(edit->Widget()->inputMethodHints() & ours, c.hints);
    EXPECT_TRUE(edit->Widget()->inputMethodHints() & Qt::ImhHiddenText);
    EXPECT_EQ(edit->Widget()->testAttribute(Qt::WA_InputMethodEnabled), c.inputMethod);
  }
}

TEST_F(ImeTest, SettingsOutliveTheWidgetAndArePublished) {
  SetEnumProp(edit, "ImeMode", "imSAlpha");
  SetStrProp(edit, "ImeName", u"Chinese (Simplified) - Microsoft Pinyin");
  edit->RecreateWnd();
  EXPECT_EQ(edit->ImeMode(), imSAlpha);
  EXPECT_EQ(edit->Widget()->inputMethodHints() & Qt::ImhLatinOnly, Qt::ImhLatinOnly);
  EXPECT_EQ(GetStrProp(edit, "ImeName"), u"Chinese (Simplified) - Microsoft Pinyin");

  // A control without a text input of its own gets no input method from
  // leaving imDisable.
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  const bool before = panel->Widget()->testAttribute(Qt::WA_InputMethodEnabled);
  panel->SetImeMode(imDisable);
  panel->SetImeMode(imDontCare);
  EXPECT_EQ(panel->Widget()->testAttribute(Qt::WA_InputMethodEnabled), before);
  EXPECT_EQ(GetEnumProp(panel, "ImeMode"), "imDontCare");
}

}  // namespace
