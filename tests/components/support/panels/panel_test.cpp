#include "tests/platform/ui/harness.h"
#include "components/support/panels/kit_colors.h"
#include "components/support/panels/kit_panel.h"
#include "tests/components/support/panels/test_util.h"

using namespace kit;
using paneltest::Rgb;

namespace {

class PanelTest : public ::testing::Test {
 protected:
  paneltest::ClassicLook classic;
  uitest::Harness h;
  ui::TForm* form = h.MakeForm<ui::TForm>();
  TKitPanel* panel = nullptr;
  PanelTest() {
    form->SetBounds(0, 0, 300, 200);
    panel = new TKitPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 200, 100);
  }
};

TEST_F(PanelTest, ChildrenAreAlignedInsideTheBorders) {
  auto* child = new ui::TPanel(form);
  child->SetParent(panel);
  child->SetAlign(ui::alClient);
  struct Row {
    TFrameStyle outer, inner;
    int borderWidth, bevelWidth;
    TSides sides;
    TRect expected;
  };
  const Row rows[] = {
      {fsRaised, fsNone, 0, 1, sdAllSides, ui::Rect(2, 2, 198, 98)},
      {fsRaised, fsNone, 0, 1, TSides{sdLeft, sdRight, sdBottom}, ui::Rect(2, 0, 198, 98)},
      {fsNone, fsNone, 0, 1, sdAllSides, ui::Rect(0, 0, 200, 100)},
      {fsFlat, fsNone, 0, 1, sdAllSides, ui::Rect(1, 1, 199, 99)},
      {fsStatus, fsPopup, 0, 3, sdAllSides, ui::Rect(6, 6, 194, 94)},
      {fsFlat, fsFlatBold, 2, 1, sdAllSides, ui::Rect(5, 5, 195, 95)},
      {fsFlatRounded, fsGroove, 1, 1, TSides{sdTop}, ui::Rect(1, 5, 199, 99)},
  };
  for (const auto& r : rows) {
    panel->SetBorderOuter(r.outer);
    panel->SetBorderInner(r.inner);
    panel->SetBorderWidth(r.borderWidth);
    panel->SetBevelWidth(r.bevelWidth);
    panel->SetBorderSides(r.sides);
    EXPECT_EQ(child->BoundsRect(), r.expected) << r.outer << "/" << r.inner << " bw " << r.borderWidth;
  }
}

TEST_F(PanelTest, DisabledPanelRemembersItsChildren) {
  auto* a = new ui::TPanel(form);
  auto* b = new ui::TPanel(form);
  a->SetParent(panel);
  b->SetParent(panel);
  b->SetEnabled(false);
  panel->SetEnabled(false);
  EXPECT_FALSE(a->Enabled());
  EXPECT_FALSE(b->Enabled());
  panel->SetEnabled(true);
  EXPECT_TRUE(a->Enabled());
  EXPECT_FALSE(b->Enabled());  // was disabled before: stays so
}

TEST_F(PanelTest, ALeavingChildTakesItsSavedStateAlong) {
  auto* a = new ui::TPanel(form);
  a->SetParent(panel);
  a->SetEnabled(false);
  panel->SetEnabled(false);
  // The child leaves while the panel is disabled and comes back as a new
  // child, disabled like its disabled surroundings. It has no saved state, so
  // enabling the panel enables it; the old record must not keep it disabled.
  a->SetParent(form);
  a->SetParent(panel);
  ASSERT_FALSE(a->Enabled());
  panel->SetEnabled(true);
  EXPECT_TRUE(a->Enabled());

  // A child destroyed while the panel is disabled leaves nothing behind either.
  auto* c = new ui::TPanel(form);
  c->SetParent(panel);
  c->SetEnabled(false);
  panel->SetEnabled(false);
  ui::Free(c);
  auto* d = new ui::TPanel(form);
  d->SetParent(panel);
  d->SetEnabled(false);
  panel->SetEnabled(true);
  EXPECT_TRUE(d->Enabled());
}

TEST_F(PanelTest, EdgeDockedPanelsKeepTheirOuterEdge) {
  auto* loose = new TKitPanel(nullptr);
  loose->SetBounds(0, 100, 200, 40);
  loose->SetAlign(ui::alBottom);
  loose->SetHeight(60);
  EXPECT_EQ(loose->Top(), 80);
  EXPECT_EQ(loose->Top() + loose->Height(), 140);
  loose->SetAlign(ui::alRight);
  loose->SetBounds(50, 80, 200, 60);
  loose->SetWidth(150);
  EXPECT_EQ(loose->Left(), 100);
  ui::Free(loose);
}

TEST_F(PanelTest, AdjustmentOutOfRangeIsRefusedBySetter) {
  EXPECT_THROW(panel->SetFlatColorAdjustment(300), rtl::ERangeError);
  EXPECT_EQ(panel->FlatColorAdjustment(), 30);
  EXPECT_THROW(ui::SetOrdProp(panel, "FlatColorAdjustment", -256), rtl::ERangeError);
  panel->SetFlatColorAdjustment(-255);
  EXPECT_EQ(panel->FlatColorAdjustment(), -255);
}

TEST_F(PanelTest, PaintsFrameFillAndGrid) {
  panel->SetColor(ui::clYellow);
  panel->SetBorderOuter(fsRaised);
  panel->SetBorderInner(fsFlat);
  panel->SetFlatColor(ui::RGBColor(255, 0, 0));
  panel->SetFlatColorAdjustment(0);
  panel->SetShowGrid(true);
  panel->SetGridStyle(gsSolidLines);
  panel->SetGridColor(ui::clBlue);
  panel->SetGridSize(10, 0);
  h.Show(form);
  EXPECT_EQ(Rgb(h.PixelAt(panel, 0, 50)), Rgb(ui::cl3DLight));
  EXPECT_EQ(Rgb(h.PixelAt(panel, 1, 50)), Rgb(ui::clBtnHighlight));
  EXPECT_EQ(Rgb(h.PixelAt(panel, 2, 50)), Rgb(ui::RGBColor(255, 0, 0)));
  EXPECT_EQ(Rgb(h.PixelAt(panel, 199, 50)), Rgb(ui::cl3DDkShadow));
  // Grid inside the client area (3, 3, 197, 97): columns every 10 pixels, no rows.
  EXPECT_EQ(Rgb(h.PixelAt(panel, 12, 50)), Rgb(ui::clBlue));
  EXPECT_EQ(Rgb(h.PixelAt(panel, 22, 50)), Rgb(ui::clBlue));
  EXPECT_EQ(Rgb(h.PixelAt(panel, 15, 50)), Rgb(ui::clYellow));
  EXPECT_EQ(Rgb(h.PixelAt(panel, 15, 12)), Rgb(ui::clYellow));

  // A zero column size draws no columns; dots sit at the grid's crossings.
  panel->SetGridSize(0, 10);
  panel->SetGridStyle(gsDots);
  h.ProcessEvents();
  EXPECT_EQ(Rgb(h.PixelAt(panel, 12, 12)), Rgb(ui::clYellow));
  panel->SetGridSize(10, 10);
  h.ProcessEvents();
  EXPECT_EQ(Rgb(h.PixelAt(panel, 12, 12)), Rgb(ui::clBlue));
  EXPECT_EQ(Rgb(h.PixelAt(panel, 13, 12)), Rgb(ui::clYellow));
}

TEST_F(PanelTest, GradientStyleFillsWithTheGradientColours) {
  panel->SetBorderOuter(fsNone);
  panel->SetVisualStyle(vsGradient);
  panel->SetGradientColorStyle(gcsCustom);
  panel->SetGradientColorStart(ui::clRed);
  panel->SetGradientColorStop(ui::clBlue);
  panel->SetGradientDirection(gdHorizontalEnd);
  h.Show(form);
  // colorA = the second colour at the bottom, colorB = the first at the top.
  EXPECT_EQ(Rgb(h.PixelAt(panel, 50, 0)), Rgb(ui::clRed));
  EXPECT_EQ(Rgb(h.PixelAt(panel, 50, 99)), Rgb(ui::clBlue));
}

TEST_F(PanelTest, TransparentPanelShowsItsParent) {
  form->SetColor(ui::clLime);
  panel->SetColor(ui::clYellow);
  panel->SetBorderOuter(fsNone);
  panel->SetTransparent(true);
  h.Show(form);
  EXPECT_EQ(Rgb(h.PixelAt(panel, 50, 50)), Rgb(ui::clLime));
  panel->SetTransparent(false);
  h.ProcessEvents();
  EXPECT_EQ(Rgb(h.PixelAt(panel, 50, 50)), Rgb(ui::clYellow));
}

TEST_F(PanelTest, CaptionFollowsVerticalAlignment) {
  panel->SetBorderOuter(fsNone);
  panel->SetColor(ui::clWhite);
  panel->Font()->SetColor(ui::clBlack);
  panel->SetCaption(u"MMMM");
  auto darkRows = [&] {
    std::vector<int> rows;
    for (int y = 0; y < 100; y += 2)
      for (int x : {88, 94, 100, 106, 112})
        if (Rgb(h.PixelAt(panel, x, y)) != Rgb(ui::clWhite)) {
          rows.push_back(y);
          break;
        }
    return rows;
  };
  h.Show(form);
  panel->SetAlignmentVertical(avTop);
  h.ProcessEvents();
  auto top = darkRows();
  panel->SetAlignmentVertical(avBottom);
  h.ProcessEvents();
  auto bottom = darkRows();
  ASSERT_FALSE(top.empty());
  ASSERT_FALSE(bottom.empty());
  EXPECT_LT(top.back(), 30);
  EXPECT_GT(bottom.front(), 70);
}

TEST_F(PanelTest, DockManagerFitsClientsBesideTheirGrabbers) {
  panel->SetBorderOuter(fsNone);
  panel->SetAlign(ui::alTop);
  panel->SetDockSite(true);
  ASSERT_NE(panel->DockManager(), nullptr);
  auto* a = new ui::TPanel(form);
  auto* b = new ui::TPanel(form);
  a->SetCaption(u"A");
  panel->DockClient(a);
  panel->DockClient(b);
  int w = panel->Width();
  // Top-aligned site: clients side by side, each with a 14-pixel bar at its left.
  EXPECT_EQ(a->BoundsRect(), ui::Rect(14, 0, w / 2, 100));
  EXPECT_EQ(b->BoundsRect(), ui::Rect(w / 2 + 14, 0, w, 100));
  h.Show(form);
  // The bar is caption-coloured (the client has no focus: inactive colours).
  EXPECT_EQ(Rgb(h.PixelAt(panel, 2, 60)), Rgb(ui::clInactiveCaption));

  panel->SetAlign(ui::alLeft);
  panel->SetWidth(120);
  EXPECT_EQ(a->BoundsRect().Top, 14);
  EXPECT_EQ(a->BoundsRect().Left, 0);
  panel->UndockClient(b);
  EXPECT_EQ(panel->DockClients().size(), 1u);
  EXPECT_EQ(a->Height(), panel->Height() - 14);
}

}  // namespace
