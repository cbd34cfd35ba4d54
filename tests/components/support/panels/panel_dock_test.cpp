// Drag-docking of panel clients by their grabbers: onto a site, off every
// site into a floating window, back again, and the close glyph.
#include <filesystem>

#include "tests/platform/ui/harness.h"
#include "components/support/panels/kit_panel_dock.h"
#include "tests/components/support/panels/test_util.h"

using namespace kit;
using paneltest::Rgb;

namespace {

int CountFloatingForms() {
  int n = 0;
  for (int i = 0; i < ui::Application->ComponentCount(); ++i)
    if (dynamic_cast<TKitToolDockForm*>(ui::Application->Components(i))) ++n;
  return n;
}

class PanelDockTest : public ::testing::Test {
 protected:
  paneltest::ClassicLook classic;
  uitest::Harness h;
  ui::TForm* form = h.MakeForm<ui::TForm>();
  TKitPanel* left = new TKitPanel(form);
  TKitPanel* right = new TKitPanel(form);
  ui::TPanel* tool = new ui::TPanel(form);
  std::string pictures;

  PanelDockTest() {
    form->SetBounds(100, 100, 600, 300);
    for (TKitPanel* site : {left, right}) {
      site->SetParent(form);
      site->SetBorderOuter(fsNone);
      site->SetWidth(200);
      site->SetDockSite(true);
    }
    left->SetAlign(ui::alLeft);
    right->SetAlign(ui::alRight);
    tool->SetCaption(u"Tools");
    tool->SetColor(ui::clWhite);
    left->DockClient(tool);
    pictures = (std::filesystem::temp_directory_path() /
                ("jq_panel_dock_" + std::to_string(::getpid())))
                   .string();
    h.Show(form);
  }

  // Presses on a site, moves past the drag threshold, then to a screen point;
  // Before runs while the button is still down.
  void Drag(TKitCustomPanel* from, ui::TPoint press, ui::TPoint screen, const std::function<void()>& Before = {}) {
    h.MouseDown(from, press);
    h.MouseMove(from, {press.X + 8, press.Y + 2});
    ui::TPoint to = from->ScreenToClient(screen);
    h.MouseMove(from, to);
    h.ProcessEvents();
    if (Before) Before();
    h.MouseUp(from, to);
    h.ProcessEvents();
  }
};

TEST_F(PanelDockTest, DragOntoASiteOffIntoAFloatingWindowBackAndClose) {
  // Left-aligned sites put the grabber on top of each client.
  ASSERT_EQ(tool->Parent(), left);
  EXPECT_EQ(tool->BoundsRect(), ui::Rect(0, 14, 200, 300));

  // 1. Onto the right site: the preview frames the zone the client would get.
  Drag(left, {40, 7}, right->ClientToScreen({100, 150}), [&] {
    TKitPanelDockManager* dm = left->DockManager();
    ASSERT_TRUE(dm->Dragging());
    EXPECT_EQ(dm->DropSite(), right);
    ASSERT_TRUE(dm->DragFrame()->Visible());
    ui::TPoint o = right->ClientToScreen({0, 0});
    EXPECT_EQ(dm->DragFrame()->ScreenRect(), ui::Bounds(o.X, o.Y, 200, 300));
    EXPECT_EQ(dm->DragFrame()->Thickness(), 4);
    // The hatched frame lies over the site's left edge.
    bool dark = false;
    for (int x = 0; x < 4; ++x) dark = dark || Rgb(h.PixelAt(right, x, 150)) == 0;
    EXPECT_TRUE(dark);
    h.SaveScreenshot(form, "dock_drop_preview", pictures);
  });
  EXPECT_EQ(tool->Parent(), right);
  EXPECT_TRUE(left->DockClients().empty());
  ASSERT_EQ(right->DockClients().size(), 1u);
  EXPECT_EQ(tool->BoundsRect(), ui::Rect(0, 14, 200, 300));
  EXPECT_FALSE(right->DockManager()->DragFrame() && right->DockManager()->DragFrame()->Visible());

  // A press and release without a drag changes nothing.
  h.Click(right, ui::TPoint{40, 7});
  EXPECT_EQ(tool->Parent(), right);

  // 2. Off every site: the client floats in a tool window of its own.
  const ui::TPoint away{900, 500};
  Drag(right, {40, 7}, away, [&] {
    EXPECT_EQ(right->DockManager()->DropSite(), nullptr);
    EXPECT_EQ(right->DockManager()->DragFrame()->Thickness(), 1);
  });
  EXPECT_TRUE(right->DockClients().empty());
  auto* floatingSite = dynamic_cast<TKitPanel*>(tool->Parent());
  ASSERT_NE(floatingSite, nullptr);
  auto* floating = dynamic_cast<TKitToolDockForm*>(floatingSite->Owner());
  ASSERT_NE(floating, nullptr);
  EXPECT_TRUE(floating->Visible());
  EXPECT_EQ(floating->BorderStyle(), ui::bsSizeToolWin);
  EXPECT_EQ(floating->Caption(), u"Tools");
  // The window lies where the client was dragged to, grabber included.
  EXPECT_EQ(floating->Width(), 200);
  EXPECT_EQ(floating->Height(), 286 + 14);
  EXPECT_EQ(tool->Width(), 200);
  h.ProcessEvents();
  EXPECT_EQ(Rgb(h.PixelAt(floatingSite, 3, 3)), Rgb(ui::clInactiveCaption));
  EXPECT_EQ(Rgb(h.PixelAt(floatingSite, 100, 100)), Rgb(ui::clWhite));
  h.SaveScreenshot(floating, "dock_floating_panel", pictures);

  // 3. Back onto the left site: the emptied floating window goes.
  EXPECT_EQ(CountFloatingForms(), 1);
  Drag(floatingSite, {40, 7}, left->ClientToScreen({100, 100}));
  EXPECT_EQ(tool->Parent(), left);
  h.ProcessEvents();
  EXPECT_EQ(CountFloatingForms(), 0);

  // 4. Float it again and close it by its glyph: the client hides, the
  // floating window with it.
  Drag(left, {40, 7}, away);
  floatingSite = dynamic_cast<TKitPanel*>(tool->Parent());
  ASSERT_NE(floatingSite, nullptr);
  floating = dynamic_cast<TKitToolDockForm*>(floatingSite->Owner());
  ASSERT_NE(floating, nullptr);
  const int w = floatingSite->Width();
  TRect glyph = floatingSite->DockManager()->CloseRect(floatingSite->DockManager()->ZoneOf(tool));
  EXPECT_EQ(glyph, ui::Rect(w - 15, 1, w - 2, 12));
  // Pressed on the glyph but released away from it: nothing happens.
  h.MouseDown(floatingSite, ui::TPoint{w - 8, 6});
  h.MouseUp(floatingSite, ui::TPoint{w - 60, 6});
  EXPECT_TRUE(tool->Visible());
  h.Click(floatingSite, ui::TPoint{w - 8, 6});
  EXPECT_FALSE(tool->Visible());
  EXPECT_FALSE(floating->Visible());
  EXPECT_EQ(floatingSite->DockClients().size(), 1u);  // still docked there, hidden
}

TEST_F(PanelDockTest, CloseGlyphHidesTheClientAndLaysTheSiteOutAgain) {
  auto* second = new ui::TPanel(form);
  left->DockClient(second);
  // Two clients one above the other, each with its bar.
  EXPECT_EQ(tool->BoundsRect(), ui::Rect(0, 14, 200, 150));
  EXPECT_EQ(second->BoundsRect(), ui::Rect(0, 164, 200, 300));
  h.Click(left, ui::TPoint{192, 6});  // the first client's glyph
  EXPECT_FALSE(tool->Visible());
  EXPECT_EQ(second->BoundsRect(), ui::Rect(0, 14, 200, 300));
  // Without captions there is no glyph: a click there is only a grabber click.
  left->SetShowDockClientCaptions(false);
  h.Click(left, ui::TPoint{192, 6});
  EXPECT_TRUE(second->Visible());
}

TEST_F(PanelDockTest, CancelledDragLeavesTheClientWhereItWas) {
  auto* edit = new ui::TEdit(form);
  edit->SetParent(tool);
  // Cancel mode (a box opening, the focus leaving) and Esc both end a drag.
  for (int way = 0; way < 2; ++way) {
    h.MouseDown(left, ui::TPoint{40, 7});
    h.MouseMove(left, {60, 7});
    h.MouseMove(left, left->ScreenToClient(right->ClientToScreen({100, 100})));
    ASSERT_TRUE(left->DockManager()->Dragging()) << way;
    if (way == 0)
      left->Perform(ui::WM_CANCELMODE);
    else
      h.Key(edit, ui::VK_ESCAPE);
    EXPECT_FALSE(left->DockManager()->Dragging()) << way;
    EXPECT_FALSE(left->DockManager()->DragFrame()->Visible()) << way;
    h.MouseUp(left, left->ScreenToClient(right->ClientToScreen({100, 100})));
    EXPECT_EQ(tool->Parent(), left) << way;
  }
}

}  // namespace

namespace {

TEST_F(PanelDockTest, AFreedClientLeavesTheSiteEvenInADrag) {
  auto* second = new ui::TPanel(form);
  second->SetCaption(u"Second");
  left->DockClient(second);
  h.MouseDown(left, ui::TPoint{40, 7});
  h.MouseMove(left, {60, 7});
  ASSERT_TRUE(left->DockManager()->Dragging());
  ui::Free(tool);
  EXPECT_FALSE(left->DockManager()->Dragging());
  EXPECT_FALSE(left->DockManager()->DragFrame()->Visible());
  h.MouseUp(left, ui::TPoint{500, 7});
  h.ProcessEvents();  // paints the site: no bar for the freed client
  ASSERT_EQ(left->DockClients().size(), 1u);
  EXPECT_EQ(second->BoundsRect(), ui::Rect(0, 14, 200, 300));
}

}  // namespace
