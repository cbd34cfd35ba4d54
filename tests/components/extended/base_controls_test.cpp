// The extended bases: notices become operations, hint colours, dialog codes
// and the focus frame.
#include <gtest/gtest.h>

#include "components/extended/ext_base_mask.h"
#include "tests/components/extended/ext_test_util.h"

namespace {

using namespace ext;

class Plain : public TExtBaseCustomMaskEdit {
 public:
  using TExtBaseCustomMaskEdit::TExtBaseCustomMaskEdit;
  int textChanges = 0;
  bool wantTab = false;

 protected:
  void NotifyTextChanged() override {
    ++textChanges;
    TExtBaseCustomMaskEdit::NotifyTextChanged();
  }
  void AdjustDialogCodes(TDialogCodes& Codes) override {
    if (wantTab) Codes.Include(dcWantTab);
  }
};

class Panel : public TExtBaseCustomControl {
 public:
  using TExtBaseCustomControl::TExtBaseCustomControl;
};

class BaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::SetThemesEnabled(false);
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(0, 0, 240, 140);
    panel = new Panel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 200, 100);
    panel->SetColor(ui::clWhite);
    edit = new Plain(panel);
    edit->SetParent(panel);
    edit->SetBounds(10, 10, 100, 22);
  }
  void TearDown() override { ui::SetThemesEnabled(true); }
  uitest::Harness h;
  ui::TForm* form = nullptr;
  Panel* panel = nullptr;
  Plain* edit = nullptr;
};

TEST_F(BaseTest, BehavesLikeTheToolkitControl) {
  int changes = 0;
  edit->OnChange = [&](ui::TObject*) { ++changes; };
  h.Show(form);
  edit->SetFocus();
  h.ProcessEvents();
  h.Type(edit, u"ab");
  EXPECT_EQ(edit->Text(), u"ab");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(edit->Perform(ui::CM_TEXTCHANGED), 0);
  EXPECT_EQ(edit->textChanges, 1);
  EXPECT_EQ(edit->Perform(CM_ISDESIGNSELECTABLE), 0);
}

TEST_F(BaseTest, MouseEnterAndLeave) {
  int enters = 0, leaves = 0;
  edit->OnMouseEnter = [&](ui::TObject*) { ++enters; };
  edit->OnMouseLeave = [&](ui::TObject*) { ++leaves; };
  edit->Perform(ui::CM_MOUSEENTER);
  EXPECT_TRUE(edit->MouseOver());
  edit->Perform(ui::CM_MOUSELEAVE);
  EXPECT_FALSE(edit->MouseOver());
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(leaves, 1);
}

TEST_F(BaseTest, HintColours) {
  struct Row {
    ui::TColor panelColor, editColor, expected;
  };
  const Row rows[] = {
      {ui::clYellow, clHintFromParent, ui::clYellow},
      {ui::clYellow, ui::clRed, ui::clRed},
      {ui::clYellow, clAppHintColor, ui::clInfoBk},
  };
  for (const Row& r : rows) {
    panel->SetHintColor(r.panelColor);
    edit->SetHintColor(r.editColor);
    THintInfo info;
    info.HintControl = edit;
    edit->Perform(ui::CM_HINTSHOW, 0, reinterpret_cast<ui::LPARAM>(&info));
    EXPECT_EQ(info.HintColor, r.expected);
  }
}

TEST_F(BaseTest, DialogCodesAndKeyData) {
  ui::LRESULT plain = edit->Perform(ui::WM_GETDLGCODE);
  EXPECT_FALSE(plain & ui::DLGC_WANTTAB);
  edit->wantTab = true;
  ui::LRESULT withTab = edit->Perform(ui::WM_GETDLGCODE);
  EXPECT_EQ(withTab, plain | ui::DLGC_WANTTAB);
  EXPECT_EQ(DialogCodesToResult(DialogCodesFromResult(0x208F)), 0x208F);
  ui::TShiftState s{ui::ssAlt, ui::ssShift};
  EXPECT_EQ(KeyDataFromShiftState(s), 0x28000000);
  EXPECT_EQ(ShiftStateFromKeyData(0x28000000), s);
}

TEST_F(BaseTest, FocusFrameOnlyWhenAskedFor) {
  h.Show(form);
  panel->SetTabStop(true);
  panel->SetFocus();
  h.ProcessEvents();
  EXPECT_EQ(ui::ColorToRGB(h.PixelAt(panel, 0, 0)), ui::ColorToRGB(ui::clWhite));
  panel->SetDotNetHighlighting(true);
  h.ProcessEvents();
  EXPECT_EQ(ui::ColorToRGB(h.PixelAt(panel, 0, 0)), ui::ColorToRGB(clFocusFrame));
  EXPECT_EQ(ui::ColorToRGB(h.PixelAt(panel, 1, 1)), ui::ColorToRGB(clFocusFrame));
  edit->SetFocus();
  h.ProcessEvents();
  EXPECT_EQ(ui::ColorToRGB(h.PixelAt(panel, 0, 0)), ui::ColorToRGB(clIdleFrame));
  EXPECT_EQ(ui::ColorToRGB(h.PixelAt(panel, 1, 1)), ui::ColorToRGB(ui::clWhite));
}

TEST_F(BaseTest, RefusedClipboardMessagesAnswerOne) {
  edit->SetText(u"abc");
  edit->SetClipboardCommands(TExtClipboardCommands{caCopy});
  for (std::uint32_t m : {ui::WM_CUT, ui::WM_PASTE, ui::WM_CLEAR, ui::WM_UNDO, ui::EM_UNDO})
    EXPECT_EQ(edit->Perform(m), 1) << m;
  EXPECT_EQ(edit->Text(), u"abc");
  exttest::BeepCounter beeps;
  edit->SetBeepOnError(false);
  EXPECT_EQ(beeps.count, 0);
}

}  // namespace
