#include <QWidget>
#include <filesystem>

#include "tests/platform/ui/harness.h"
#include "components/support/panels/kit_colors.h"
#include "components/support/panels/kit_status_bar.h"
#include "components/support/panels/kit_status_pane.h"
#include "components/support/panels/kit_version_info.h"
#include "tests/components/support/panels/test_util.h"

using namespace kit;
using paneltest::Rgb;

namespace {

// A form that records the system commands it is sent.
class TRecordingForm : public ui::TForm {
 public:
  using ui::TForm::TForm;
  void Dispatch(ui::TMessage& m) override {
    if (m.Msg == ui::WM_SYSCOMMAND) commands.push_back(m.WParam);
    ui::TForm::Dispatch(m);
  }
  std::vector<ui::WPARAM> commands;
};

class TCountingPane : public TKitStatusPane {
 public:
  using TKitStatusPane::TKitStatusPane;
  int paints = 0;

 protected:
  void Paint() override {
    ++paints;
    TKitStatusPane::Paint();
  }
};

class StatusBarTest : public ::testing::Test {
 protected:
  paneltest::ClassicLook classic;
  uitest::Harness h;
  TRecordingForm* form = h.MakeForm<TRecordingForm>();
  TKitStatusBar* bar = new TKitStatusBar(form);
  TKitStatusPane* msg = new TKitStatusPane(form);
  TKitStatusPane* right = new TKitStatusPane(form);

  StatusBarTest() {
    form->SetBounds(0, 0, 400, 200);
    bar->SetParent(form);
    msg->SetParent(bar);
    msg->SetAlign(ui::alClient);
    right->SetParent(bar);
    right->SetAlign(ui::alRight);
    right->SetWidth(100);
  }
  void UseForm(ui::TFormBorderStyle style) { form->SetBorderStyle(style); }
};

TEST_F(StatusBarTest, LaysOutAtTheBottomWithItsDefaults) {
  EXPECT_EQ(bar->Height(), 19);
  EXPECT_EQ(bar->Align(), ui::alBottom);
  EXPECT_EQ(bar->BorderOuter(), fsNone);
  EXPECT_EQ(bar->BorderWidth(), 0);
  EXPECT_EQ(bar->Top() + bar->Height(), form->ClientHeight());
  EXPECT_TRUE(bar->AutoStyle());
  bar->SetBorderOuter(fsRaised);
  EXPECT_FALSE(bar->AutoStyle());
}

TEST_F(StatusBarTest, PaneWidthsFollowTheBar) {
  // The client area reaches one pixel beyond each side and below the bar.
  for (int w : {400, 520, 333}) {
    form->SetClientWidth(w);
    ASSERT_EQ(bar->Width(), w);
    EXPECT_EQ(right->BoundsRect(), ui::Rect(w + 1 - 100, 1, w + 1, 20)) << w;
    EXPECT_EQ(msg->BoundsRect(), ui::Rect(-1, 1, w + 1 - 100, 20)) << w;
  }
}

TEST_F(StatusBarTest, AutoScalePanesGrowInProportion) {
  auto* loose = new TKitStatusBar(nullptr);
  loose->SetWidth(400);
  auto* a = new TKitStatusPane(loose);
  auto* b = new TKitStatusPane(loose);
  for (auto* p : {a, b}) {
    p->SetParent(loose);
    p->SetAlign(ui::alLeft);
  }
  a->SetWidth(100);
  b->SetWidth(300);
  loose->SetAutoScalePanes(true);
  loose->SetWidth(500);
  EXPECT_EQ(a->Width(), 125);
  EXPECT_EQ(b->Width(), 375);
  loose->SetWidth(40);  // too narrow: ignored
  EXPECT_EQ(a->Width(), 125);
  ui::Free(loose);
}

TEST_F(StatusBarTest, GripPixelsOnASizeableWindow) {
  UseForm(ui::bsSizeable);
  h.Show(form);
  const int W = bar->Width(), R = W + 1, B = 19;
  // Light squares, each with a dark one up and to the left.
  for (auto [dx, dy] : {std::pair{5, 12}, {5, 8}, {5, 4}, {9, 8}, {9, 4}, {13, 4}}) {
    EXPECT_EQ(Rgb(h.PixelAt(bar, R - dx + 1, B - dy + 1)), Rgb(ui::clBtnHighlight)) << dx << "," << dy;
    EXPECT_EQ(Rgb(h.PixelAt(bar, R - dx - 1, B - dy - 1)), Rgb(ui::clBtnShadow)) << dx << "," << dy;
  }
  EXPECT_NE(Rgb(h.PixelAt(bar, R - 8, B - 12)), Rgb(ui::clBtnHighlight));  // outside the triangle
}

TEST_F(StatusBarTest, NoGripOnDialogOrMaximisedWindows) {
  for (int variant = 0; variant < 2; ++variant) {
    if (variant == 0) {
      UseForm(ui::bsDialog);
      h.Show(form);
    } else {
      UseForm(ui::bsSizeable);
      form->SetWindowState(ui::wsMaximized);
      h.Show(form);
    }
    h.ProcessEvents();
    const int W = bar->Width(), R = W + 1, B = 19;
    EXPECT_FALSE(bar->SizeGripValid()) << variant;
    EXPECT_NE(Rgb(h.PixelAt(bar, R - 4, B - 3)), Rgb(ui::clBtnHighlight)) << variant;
    form->commands.clear();
    h.Click(bar, ui::TPoint{W - 3, 10});
    EXPECT_TRUE(form->commands.empty()) << variant;
    form->SetWindowState(ui::wsNormal);
  }
}

TEST_F(StatusBarTest, ClickInTheGripSizesTheWindowThroughThePane) {
  UseForm(ui::bsSizeable);
  h.Show(form);
  const int W = bar->Width();
  int clicks = 0;
  right->OnClick = [&](ui::TObject*) { ++clicks; };
  // The right pane covers the grip; the click there goes to the bar.
  h.Click(bar, ui::TPoint{W - 3, 10});
  ASSERT_EQ(form->commands.size(), 1u);
  EXPECT_EQ(form->commands[0], 0xF008u);
  EXPECT_EQ(clicks, 0);
  // Away from the grip the pane has the mouse.
  h.Click(bar, ui::TPoint{W - 60, 10});
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(form->commands.size(), 1u);
  bar->SetShowSizeGrip(false);
  h.Click(bar, ui::TPoint{W - 3, 10});
  EXPECT_EQ(form->commands.size(), 1u);
}

TEST_F(StatusBarTest, BlinkingFollowsTheSharedTimer) {
  msg->SetBlinkColor(ui::clRed);
  msg->SetBlinkIntervalOff(300);
  msg->SetBlinkIntervalOn(200);
  EXPECT_EQ(right->BlinkIntervalOn(), 200u);  // one pair for all panes
  msg->SetBlinking(true);
  const ui::TColor normal = msg->Font()->Color();
  // The timer started with the first pane at the off interval (500 then).
  struct Step {
    int advance;
    bool lit;
  };
  const Step steps[] = {{499, false}, {1, false}, {299, false}, {1, true}, {199, true},
                        {1, false},   {299, false}, {1, true},  {200, false}};
  for (const auto& s : steps) {
    h.Advance(s.advance);
    EXPECT_EQ(msg->CurrentColor(), s.lit ? ui::clRed : normal) << "after " << s.advance;
    EXPECT_EQ(right->CurrentColor(), right->Font()->Color());  // not blinking
  }
  h.Advance(300);
  ASSERT_EQ(msg->CurrentColor(), ui::clRed);
  msg->SetBlinking(false);
  EXPECT_EQ(msg->CurrentColor(), normal);
  EXPECT_EQ(msg->BlinkState(), bsOff);
}

TEST_F(StatusBarTest, SameCaptionTwiceRepaintsOnce) {
  auto* counting = new TCountingPane(form);
  counting->SetParent(bar);
  counting->SetAlign(ui::alLeft);
  h.Show(form);
  h.ProcessEvents();
  int before = counting->paints;
  counting->SetCaption(u"已连接");
  h.ProcessEvents();
  int after = counting->paints;
  EXPECT_GT(after, before);
  counting->SetCaption(u"已连接");
  h.ProcessEvents();
  EXPECT_EQ(counting->paints, after);
}

TEST_F(StatusBarTest, AutoSizeMeasuresTheCaption) {
  right->SetDefaultWidth(55);
  right->SetAutoSize(true);
  EXPECT_EQ(right->Width(), 55);
  right->SetCaption(u"A fairly long status text");
  EXPECT_GT(right->Width(), 100);
  right->SetCaption(u"");
  EXPECT_EQ(right->Width(), 55);
}

TEST_F(StatusBarTest, TransparentPanesLeaveTheBarShowing) {
  bar->SetColor(ui::clLime);
  msg->SetColor(ui::clYellow);  // no longer the parent's colour
  h.Show(form);
  EXPECT_EQ(Rgb(h.PixelAt(bar, 20, 3)), Rgb(ui::clLime));
  msg->SetTransparent(false);
  h.ProcessEvents();
  EXPECT_EQ(Rgb(h.PixelAt(bar, 20, 3)), Rgb(ui::clYellow));

  // A pane whose layout says ParentColor = false loads opaque.
  auto* loaded = new TKitStatusPane(form);
  loaded->BeginLoading();
  loaded->SetParentColor(false);
  loaded->EndLoading();
  EXPECT_FALSE(loaded->Transparent());
}

TEST_F(StatusBarTest, PaneFramesAndCaptionPlacement) {
  bar->SetColor(ui::clWhite);
  msg->SetFlatColor(ui::RGBColor(255, 0, 0));
  msg->SetFlatColorAdjustment(0);
  EXPECT_THROW(msg->SetFlatColorAdjustment(400), rtl::ERangeError);
  h.Show(form);
  // fsFlat: top, right and bottom in the flat colour; no left edge.
  const int r = msg->Left() + msg->Width();
  EXPECT_EQ(Rgb(h.PixelAt(bar, 50, 2)), Rgb(ui::RGBColor(255, 0, 0)));     // top (pane y 1)
  EXPECT_EQ(Rgb(h.PixelAt(bar, r - 2, 10)), Rgb(ui::RGBColor(255, 0, 0)));  // right
  EXPECT_EQ(Rgb(h.PixelAt(bar, 1, 10)), Rgb(ui::clWhite));                  // no left edge
  msg->SetFrameStyle(fsLowered);
  h.ProcessEvents();
  // The pane starts one pixel left of the bar; its frame one pixel in from there.
  EXPECT_EQ(Rgb(h.PixelAt(bar, 0, 10)), Rgb(ui::clBtnShadow));
  EXPECT_EQ(Rgb(h.PixelAt(bar, 1, 10)), Rgb(ui::cl3DDkShadow));
}

TEST_F(StatusBarTest, SimpleModeHidesThePanesAndShowsOneCaption) {
  bar->SetVisualStyle(vsClassic);
  bar->SetFlatColor(ui::RGBColor(255, 0, 0));
  bar->SetFlatColorAdjustment(0);
  bar->SetSimpleCaption(u"Ready");
  bar->SetSimpleStatus(true);
  EXPECT_FALSE(msg->Visible());
  EXPECT_FALSE(right->Visible());
  h.Show(form);
  // The simple frame: client area (-1, 2, W + 1, 20) less its bottom row,
  // shrunk by one -> (0, 3, W, 18); corners left out.
  const int W = bar->Width();
  EXPECT_EQ(Rgb(h.PixelAt(bar, 50, 3)), Rgb(ui::RGBColor(255, 0, 0)));
  EXPECT_EQ(Rgb(h.PixelAt(bar, 0, 10)), Rgb(ui::RGBColor(255, 0, 0)));
  EXPECT_NE(Rgb(h.PixelAt(bar, 0, 3)), Rgb(ui::RGBColor(255, 0, 0)));
  EXPECT_EQ(Rgb(h.PixelAt(bar, W - 1, 10)), Rgb(ui::RGBColor(255, 0, 0)));
  bar->SetSimpleStatus(false);
  EXPECT_TRUE(msg->Visible());
  EXPECT_TRUE(right->Visible());
}

TEST_F(StatusBarTest, LoadedLayoutKeepsStoredBorders) {
  auto* plain = new TKitStatusBar(form);
  plain->BeginLoading();
  plain->SetHeight(30);
  plain->EndLoading();
  EXPECT_EQ(plain->Height(), 19);  // the bar's own style is applied again
  auto* framed = new TKitStatusBar(form);
  framed->BeginLoading();
  framed->SetBorderOuter(fsLowered);
  framed->SetHeight(30);
  framed->EndLoading();
  EXPECT_FALSE(framed->AutoStyle());
  EXPECT_EQ(framed->BorderOuter(), fsLowered);
  EXPECT_EQ(framed->Height(), 30);
}

TEST_F(StatusBarTest, ScreenshotOfTheMainWindowBar) {
  ui::SetThemesEnabled(true);  // the program's look: XP style over the platform's style
  form->Font()->SetName(u"WenQuanYi Micro Hei");
  msg->SetCaption(u"已连接到控制器 JQ-LUNO (COM3, 115200)");
  right->SetParent(nullptr);
  auto* info = new TKitVersionInfo(form);
  auto* company = new TKitVersionInfoStatus(form);
  company->SetParent(bar);
  company->SetAlign(ui::alRight);
  company->SetAutoSize(true);
  company->SetField(vifCompanyName);
  company->SetVersionInfo(info);
  auto* version = new TKitVersionInfoStatus(form);
  version->SetParent(bar);
  version->SetAlign(ui::alRight);
  version->SetAutoSize(true);
  version->SetFieldLabel(u"Ver:");
  version->SetField(vifFileVersion);
  version->SetVersionInfo(info);
  EXPECT_EQ(version->Caption(), info->FileVersion());
  EXPECT_EQ(company->Caption(), info->CompanyName());
  company->SetVisible(false);  // the main window hides it at start
  h.Show(form);
  std::string path = h.SaveScreenshot(bar, "support_status_bar");
  ui::SetThemesEnabled(false);
  h.ProcessEvents();
  h.SaveScreenshot(bar, "support_status_bar_classic");
  EXPECT_FALSE(path.empty());
}


TEST_F(StatusBarTest, CursorIsDecidedOnEveryMoveOverTheBarPanesIncluded) {
  UseForm(ui::bsSizeable);
  h.Show(form);
  const int W = bar->Width();
  auto shape = [&] { return bar->Widget()->cursor().shape(); };
  // Grip (through the right pane, which hands the grip to the bar), then the
  // pane itself, then the grip again.
  const std::pair<int, Qt::CursorShape> moves[] = {
      {W - 3, Qt::SizeFDiagCursor}, {W - 60, Qt::ArrowCursor}, {W - 3, Qt::SizeFDiagCursor},
      {20, Qt::ArrowCursor},        {W - 2, Qt::SizeFDiagCursor}};
  for (auto [x, expected] : moves) {
    h.MouseMove(bar, {x, 10});
    EXPECT_EQ(shape(), expected) << "x = " << x;
  }
}

TEST_F(StatusBarTest, ZeroBlinkIntervalPausesAndALaterIntervalResumes) {
  msg->SetBlinkColor(ui::clRed);
  msg->SetBlinking(true);
  const ui::TColor normal = msg->Font()->Color();
  // The first period runs with the off interval; 0 pauses it for good...
  msg->SetBlinkIntervalOff(0);
  h.Advance(5000);
  EXPECT_EQ(msg->CurrentColor(), normal);
  EXPECT_FALSE(TKitBlinkingControlsList::Instance()->Running());
  // ...until a length is given again.
  msg->SetBlinkIntervalOff(300);
  msg->SetBlinkIntervalOn(200);
  h.Advance(300);  // the list goes on: the pane stays normal
  EXPECT_EQ(msg->CurrentColor(), normal);
  h.Advance(300);  // the list goes off: the pane lights for the on interval
  EXPECT_EQ(msg->CurrentColor(), ui::clRed);
  // A zero lit interval keeps the pane lit while paused.
  msg->SetBlinkIntervalOn(0);
  h.Advance(5000);
  EXPECT_EQ(msg->CurrentColor(), ui::clRed);
  msg->SetBlinkIntervalOn(300);
  h.Advance(299);
  EXPECT_EQ(msg->CurrentColor(), ui::clRed);
  h.Advance(1);
  EXPECT_EQ(msg->CurrentColor(), normal);
}

TEST_F(StatusBarTest, AutoHintPanesShowTheHintUnderTheMouse) {
  right->SetAutoHint(true);
  auto* label = new ui::TLabel(form);
  label->SetParent(form);
  label->SetAutoSize(false);
  label->SetBounds(10, 10, 120, 30);
  label->SetHint(u"Port|Opens the serial port");
  h.Show(form);
  h.MouseMove(form, {50, 20});
  EXPECT_EQ(ui::Application->Hint(), u"Opens the serial port");
  EXPECT_EQ(right->Caption(), u"Opens the serial port");
  EXPECT_EQ(msg->Caption(), u"");  // no AutoHint: left alone
  h.MouseMove(form, {300, 80});    // the form has no hint
  EXPECT_EQ(right->Caption(), u"");
  // A program that handles hints itself keeps the panes out of it.
  int hints = 0;
  ui::Application->OnHint = [&](ui::TObject*) { ++hints; };
  h.MouseMove(form, {50, 20});
  EXPECT_EQ(hints, 1);
  EXPECT_EQ(right->Caption(), u"");
}

TEST_F(StatusBarTest, PaddingKeepsRoomInsideTheBar) {
  bar->SetPadding({6, 0, 4, 0});
  EXPECT_EQ(msg->Left(), -1 + 6);
  EXPECT_EQ(right->Left() + right->Width(), bar->Width() + 1 - 4);
  // A gradient bar draws no separator before its first pane, padding or not.
  bar->SetVisualStyle(vsGradient);
  h.Show(form);
  TColor frame, start, stop;
  GetGradientSchemeColors(bar->GradientColorStyle(), frame, start, stop);
  EXPECT_NE(Rgb(h.PixelAt(bar, msg->Left() + 1, 10)), Rgb(frame));
  EXPECT_EQ(Rgb(h.PixelAt(bar, right->Left() + 1, 10)), Rgb(frame));
}

TEST_F(StatusBarTest, RightToLeftMirrorsCaptionsAndLabels) {
  bar->SetColor(ui::clWhite);
  msg->Font()->SetColor(ui::clBlack);
  msg->SetCaption(u"MMMM");
  right->SetParent(nullptr);
  auto* field = new TKitCustomFieldStatus(form);
  field->SetParent(bar);
  field->SetAlign(ui::alRight);
  field->SetWidth(120);
  field->SetFieldLabel(u"Ver:");
  field->SetFieldLabelColor(ui::clRed);
  field->SetCaption(u"1.0");
  form->SetBiDiMode(ui::bdRightToLeft);
  EXPECT_TRUE(msg->UseRightToLeftAlignment());  // panes follow their parents
  h.Show(form);
  // Text is smoothed: a pixel counts as ink when every channel is close.
  auto Near = [](std::uint32_t a, std::uint32_t b) {
    for (int shift : {0, 8, 16})
      if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 90) return false;
    return true;
  };
  auto inkIn = [&](ui::TControl* pane, int from, int to, ui::TColor ink) {
    for (int x = from; x < to; ++x)
      for (int y = 4; y < 16; ++y)
        if (Near(Rgb(h.PixelAt(bar, pane->Left() + x, y)), Rgb(ink))) return true;
    return false;
  };
  // A left-justified caption reads from the right edge.
  EXPECT_TRUE(inkIn(msg, msg->Width() - 40, msg->Width(), ui::clBlack));
  EXPECT_FALSE(inkIn(msg, 0, 40, ui::clBlack));
  // The label sits at the right, the caption left of it.
  EXPECT_TRUE(inkIn(field, field->Width() - 40, field->Width(), ui::clRed));
  EXPECT_FALSE(inkIn(field, 0, 50, ui::clRed));
  const std::string dir =
      (std::filesystem::temp_directory_path() / ("jq_status_rtl_" + std::to_string(::getpid()))).string();
  EXPECT_FALSE(h.SaveScreenshot(bar, "status_bar_rtl", dir).empty());
  // Back to left to right.
  form->SetBiDiMode(ui::bdLeftToRight);
  h.ProcessEvents();
  EXPECT_TRUE(inkIn(msg, 0, 40, ui::clBlack));
  EXPECT_TRUE(inkIn(field, 0, 40, ui::clRed));
}

}  // namespace
