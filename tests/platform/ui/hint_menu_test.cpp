// The hint window shows at its rectangle without taking the focus; the popup
// menu shows its items and clicks the chosen one; shortcuts.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>

#include "platform/ui/application.h"
#include "tests/platform/ui/harness.h"
#include "platform/ui/hint_window.h"
#include "platform/ui/menus.h"
#include "platform/ui/panels.h"

namespace {

using namespace ui;

TEST(HintWindowTest, ShowsAtItsRectangleAndHides) {
  uitest::Harness h;
  auto* form = h.MakeForm<TForm>();
  form->SetBounds(50, 50, 300, 200);
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  h.Show(form);
  edit->SetFocus();
  h.ProcessEvents();

  auto* hint = new THintWindow(form);
  TRect r = hint->CalcHintRect(200, u"一个提示\r\nsecond line", nullptr);
  EXPECT_EQ(r.Left, 0);
  EXPECT_GT(r.Width(), 6);
  const TRect oneLine = hint->CalcHintRect(200, u"一个提示", nullptr);
  EXPECT_GT(r.Height(), oneLine.Height());  // two lines are taller
  // A narrow maximum breaks words onto more lines.
  EXPECT_GT(hint->CalcHintRect(40, u"one two three four", nullptr).Height(),
            hint->CalcHintRect(400, u"one two three four", nullptr).Height());

  const TRect at = Bounds(120, 140, r.Width(), r.Height());
  hint->ActivateHint(at, u"一个提示\r\nsecond line");
  h.ProcessEvents();
  EXPECT_TRUE(hint->IsHintShown());
  ASSERT_TRUE(hint->Widget()->isVisible());
  EXPECT_TRUE(hint->Widget()->isWindow());
  EXPECT_EQ(hint->Widget()->geometry(), QRect(120, 140, r.Width(), r.Height()));
  EXPECT_EQ(hint->Caption(), u"一个提示\r\nsecond line");
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(h.PixelAt(hint, 0, 0), ColorToRGB(clWindowFrame));
  EXPECT_EQ(h.PixelAt(hint, r.Width() - 2, r.Height() / 2), ColorToRGB(clInfoBk));

  hint->ReleaseHandle();
  h.ProcessEvents();
  EXPECT_FALSE(hint->IsHintShown());
  EXPECT_FALSE(hint->Widget()->isVisible());
  hint->ReleaseHandle();  // hiding twice is harmless
}

// A panel that answers the tool-tip query as the test tells it.
class HintAnswering : public TPanel {
 public:
  using TPanel::TPanel;
  enum { Keep, Refuse, Move, Recolour } answer = Keep;
  TControl* asked = nullptr;
  TRect cursorRect{};
  void Dispatch(TMessage& M) override {
    if (M.Msg != CM_HINTSHOW) return TPanel::Dispatch(M);
    auto* info = reinterpret_cast<THintInfo*>(M.LParam);
    asked = info->HintControl;
    if (answer == Move) {
      info->HintStr = u"整个文本";
      info->HintPos = Point(33, 44);
    }
    if (answer == Recolour) info->HintColor = clLime;
    info->CursorRect = cursorRect;
    M.Result = answer == Refuse ? 1 : 0;
  }
};

TEST(HintWindowTest, ControlDecidesOnItsToolTipBeforeItShows) {
  uitest::Harness h;
  auto* form = h.MakeForm<TForm>();
  auto* panel = new HintAnswering(form);
  panel->SetParent(form);
  panel->SetBounds(10, 10, 100, 50);
  panel->SetHint(u"short|long");
  panel->SetShowHint(true);
  h.Show(form);
  ASSERT_EQ(Application->HintWindow(), nullptr);

  // Left as it was, the platform's own tool tip shows the hint.
  EXPECT_FALSE(Application->ActivateControlHint(panel, Point(200, 200)));
  EXPECT_EQ(panel->asked, panel);
  EXPECT_TRUE(uitest::ShownHintWindows().empty());

  panel->answer = HintAnswering::Move;
  EXPECT_TRUE(Application->ActivateControlHint(panel, Point(200, 200)));
  auto shown = uitest::ShownHintWindows();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0]->Caption(), u"整个文本");
  EXPECT_EQ(shown[0]->BoundsRect().TopLeft(), Point(33, 44));

  // A refusal hides what showed and keeps the platform's tool tip away too.
  panel->answer = HintAnswering::Refuse;
  EXPECT_TRUE(Application->ActivateControlHint(panel, Point(200, 200)));
  EXPECT_TRUE(uitest::ShownHintWindows().empty());

  // Without ShowHint the control is not asked.
  panel->asked = nullptr;
  panel->answer = HintAnswering::Move;
  panel->SetShowHint(false);
  Application->ActivateControlHint(panel, Point(200, 200));
  EXPECT_EQ(panel->asked, nullptr);
  EXPECT_TRUE(uitest::ShownHintWindows().empty());
}

TEST(HintWindowTest, ATipGoesWhenTheMouseLeavesItsCursorRectangle) {
  uitest::Harness h;
  auto* form = h.MakeForm<TForm>();
  auto* panel = new HintAnswering(form);
  panel->SetParent(form);
  panel->SetBounds(10, 10, 100, 50);
  panel->SetHint(u"hint");
  panel->SetShowHint(true);
  panel->answer = HintAnswering::Move;
  panel->cursorRect = Rect(0, 0, 40, 20);
  h.Show(form);
  ASSERT_TRUE(Application->ActivateControlHint(panel, Point(200, 200)));
  ASSERT_EQ(uitest::ShownHintWindows().size(), 1u);
  // Moving inside the rectangle keeps it; leaving it hides it.
  h.MouseMove(panel, Point(30, 10));
  EXPECT_EQ(uitest::ShownHintWindows().size(), 1u);
  h.MouseMove(panel, Point(60, 10));
  EXPECT_TRUE(uitest::ShownHintWindows().empty());
}

TEST(HintWindowTest, ToolTipsShowInTheApplicationsOrTheControlsHintColour) {
  uitest::Harness h;
  auto* form = h.MakeForm<TForm>();
  auto* panel = new HintAnswering(form);
  panel->SetParent(form);
  panel->SetBounds(10, 10, 100, 50);
  panel->SetHint(u"提示");
  panel->SetShowHint(true);
  h.Show(form);
  struct Restore {
    ~Restore() { Application->SetHintColor(clInfoBk); }
  } restore;

  // The platform's own tool tip knows only its own colour: another
  // application colour shows in a window of ours.
  Application->SetHintColor(clYellow);
  ASSERT_TRUE(Application->ActivateControlHint(panel, Point(200, 200)));
  auto shown = uitest::ShownHintWindows();
  ASSERT_EQ(shown.size(), 1u);
  h.ProcessEvents();
  const TRect r = shown[0]->ClientRect();
  EXPECT_EQ(h.PixelAt(shown[0], r.Width() - 2, r.Height() / 2), ColorToRGB(clYellow));

  // The control's choice wins for its tool tip.
  panel->answer = HintAnswering::Recolour;
  ASSERT_TRUE(Application->ActivateControlHint(panel, Point(200, 200)));
  shown = uitest::ShownHintWindows();
  ASSERT_EQ(shown.size(), 1u);
  h.ProcessEvents();
  EXPECT_EQ(h.PixelAt(shown[0], r.Width() - 2, r.Height() / 2), ColorToRGB(clLime));

  // A new application colour recolours the window that shows.
  Application->SetHintColor(clAqua);
  h.ProcessEvents();
  EXPECT_EQ(h.PixelAt(shown[0], r.Width() - 2, r.Height() / 2), ColorToRGB(clAqua));
}

// Picks an entry of the popup menu that is open now, by its text, as a user
// would (highlight, Enter); closes the menu when no entry has that text.
void ChooseWhenOpen(uitest::Harness& h, const QString& text, QStringList* seen = nullptr) {
  h.Post([text, seen] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) {
      ADD_FAILURE() << "no popup menu open";
      return;
    }
    for (QAction* a : menu->actions())
      if (seen) seen->append(a->isSeparator() ? QStringLiteral("-") : a->text() + (a->isEnabled() ? "" : "(off)") + (a->icon().isNull() ? "" : "*"));
    for (QAction* a : menu->actions())
      if (a->text() == text) {
        menu->setActiveAction(a);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(menu, &enter);
        return;
      }
    menu->close();
  });
}

TEST(PopupMenuTest, ChosenItemFiresOnClickAfterTheMenuCloses) {
  uitest::Harness h;
  auto* form = h.MakeForm<TForm>();
  form->SetBounds(50, 50, 300, 200);
  h.Show(form);

  const int owned = form->ComponentCount();
  auto* menu = new TPopupMenu(form);
  std::vector<String> clicks;
  auto add = [&](const String& caption) {
    auto* item = new TMenuItem(form);
    item->SetCaption(caption);
    item->OnClick = [&clicks, caption](TObject*) { clicks.push_back(caption); };
    menu->Items()->Add(item);
    return item;
  };
  TMenuItem* cut = add(u"Cut");
  cut->SetShortCut(ShortCut('X', TShiftState{ssCtrl}));
  add(u"-");
  TMenuItem* paste = add(u"Paste");
  paste->SetEnabled(false);
  TMenuItem* hidden = add(u"Hidden");
  hidden->SetVisible(false);
  TMenuItem* all = add(u"Select All");
  // Images come from the menu's image list by index.
  auto* images = new TImageList(form);
  images->SetWidth(16);
  images->SetHeight(16);
  TBitmap icon(16, 16);
  images->Add(&icon, nullptr);
  menu->SetImages(images);
  all->SetImageIndex(0);
  int popups = 0;
  menu->OnPopup = [&](TObject*) { ++popups; };

  QStringList seen;
  ChooseWhenOpen(h, QStringLiteral("Select All"), &seen);
  menu->Popup(100, 120);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(menu->PopupPoint(), Point(100, 120));
  EXPECT_EQ(seen, (QStringList{"Cut", "-", "Paste(off)", "Select All*"}));
  EXPECT_EQ(clicks, std::vector<String>{u"Select All"});

  // Closed without a choice: nothing runs.
  ChooseWhenOpen(h, QStringLiteral("none"));
  menu->Popup(100, 120);
  EXPECT_EQ(clicks.size(), 1u);

  // Shortcuts reach enabled, visible items only.
  EXPECT_TRUE(menu->IsShortCut('X', TShiftState{ssCtrl}));
  EXPECT_EQ(clicks.back(), u"Cut");
  EXPECT_FALSE(menu->IsShortCut('X', {}));
  paste->SetShortCut(ShortCut('V', TShiftState{ssCtrl}));
  EXPECT_FALSE(menu->IsShortCut('V', TShiftState{ssCtrl}));
  EXPECT_EQ(clicks.size(), 2u);

  // Freeing an item takes it out of its menu; freeing the menu frees the rest.
  Free(all);
  EXPECT_EQ(menu->Items()->Count(), 4);
  EXPECT_EQ(cut->Parent(), menu->Items());
  Free(images);
  EXPECT_EQ(menu->Images(), nullptr);
  Free(menu);
  EXPECT_EQ(form->ComponentCount(), owned);
}

TEST(PopupMenuTest, ItemTreeChecksAndShortCutTexts) {
  uitest::Harness h;
  TPopupMenu menu(nullptr);
  auto* a = new TMenuItem(nullptr);
  auto* b = new TMenuItem(nullptr);
  auto* sub = new TMenuItem(nullptr);
  for (auto* r : {a, b}) {
    r->SetRadioItem(true);
    r->SetGroupIndex(1);
    menu.Items()->Add(r);
  }
  a->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());  // one of a radio group
  b->Add(sub);
  EXPECT_EQ(sub->GetParentMenu(), &menu);
  EXPECT_THROW(menu.Items()->Add(sub), rtl::Exception);  // already in a menu
  EXPECT_THROW(sub->Add(b), rtl::Exception);              // its own ancestor
  sub->SetAutoCheck(true);
  sub->Click();
  EXPECT_TRUE(sub->Checked());
  menu.Items()->Remove(b);
  EXPECT_EQ(b->Parent(), nullptr);
  EXPECT_EQ(sub->GetParentMenu(), nullptr);
  Free(b);  // frees sub with it

  struct Case {
    TShortCut sc;
    const char16_t* text;
  };
  for (const Case& c : {Case{ShortCut('C', TShiftState{ssCtrl}), u"Ctrl+C"},
                        Case{ShortCut(VK_DELETE, {}), u"Del"},
                        Case{ShortCut(VK_F1 + 4, TShiftState{ssShift, ssCtrl}), u"Shift+Ctrl+F5"},
                        Case{ShortCut(VK_INSERT, TShiftState{ssAlt}), u"Alt+Ins"}}) {
    EXPECT_EQ(ShortCutToText(c.sc), c.text);
    EXPECT_EQ(TextToShortCut(c.text), c.sc) << rtl::StringToUtf8(c.text);
  }
  EXPECT_EQ(TextToShortCut(u"ctrl+shift+x"), ShortCut('X', TShiftState{ssShift, ssCtrl}));
  EXPECT_EQ(TextToShortCut(u"Ctrl+"), 0);
  EXPECT_EQ(TextToShortCut(u"Nonsense"), 0);
  EXPECT_EQ(ShortCutToText(0), u"");
}

}  // namespace
