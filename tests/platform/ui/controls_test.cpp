// Standard controls: layout, fonts and colours, and the behaviour code relies on.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QApplication>
#include <QWidget>

#include "tests/platform/ui/harness.h"

namespace {

using namespace ui;

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = h.MakeForm<TForm>();
    form->SetBounds(0, 0, 200, 100);
  }
  template <class T>
  T* Add(TWinControl* parent = nullptr) {
    auto* c = new T(form);
    c->SetParent(parent ? parent : form);
    return c;
  }
  uitest::Harness h;
  TForm* form = nullptr;
};

TEST_F(ControlsTest, AlignFillsTheClientInCreationOrder) {
  auto* top1 = Add<TPanel>();
  top1->SetHeight(20);
  top1->SetAlign(alTop);
  auto* bottom = Add<TPanel>();
  bottom->SetHeight(10);
  bottom->SetAlign(alBottom);
  auto* top2 = Add<TPanel>();
  top2->SetHeight(15);
  top2->SetAlign(alTop);
  auto* left = Add<TPanel>();
  left->SetWidth(30);
  left->SetAlign(alLeft);
  auto* right = Add<TPanel>();
  right->SetWidth(25);
  right->SetAlign(alRight);
  auto* client = Add<TPanel>();
  client->SetAlign(alClient);
  EXPECT_EQ(top1->BoundsRect(), Rect(0, 0, 200, 20));
  EXPECT_EQ(top2->BoundsRect(), Rect(0, 20, 200, 35));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 90, 200, 100));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 35, 30, 90));
  EXPECT_EQ(right->BoundsRect(), Rect(175, 35, 200, 90));
  EXPECT_EQ(client->BoundsRect(), Rect(30, 35, 175, 90));

  top1->SetHeight(30);
  EXPECT_EQ(top2->Top(), 30);
  EXPECT_EQ(client->BoundsRect(), Rect(30, 45, 175, 90));
  top1->Hide();
  EXPECT_EQ(top2->Top(), 0);
  form->SetBounds(0, 0, 300, 200);
  EXPECT_EQ(client->BoundsRect(), Rect(30, 15, 275, 190));
  EXPECT_EQ(bottom->Top(), 190);
}

TEST_F(ControlsTest, AnchorsFollowTheParentsRightAndBottom) {
  auto* pinned = Add<TButton>();
  pinned->SetBounds(150, 70, 40, 20);
  pinned->SetAnchors({akRight, akBottom});
  auto* stretched = Add<TEdit>();
  stretched->SetBounds(10, 10, 100, 21);
  stretched->SetAnchors({akLeft, akTop, akRight});
  form->SetBounds(0, 0, 250, 130);
  EXPECT_EQ(pinned->BoundsRect(), Rect(200, 100, 240, 120));
  EXPECT_EQ(stretched->Width(), 150);
}

TEST_F(ControlsTest, ParentFontAndColourFollowUntilSetOwn) {
  auto* panel = Add<TPanel>();
  auto* label = Add<TLabel>(panel);
  EXPECT_TRUE(label->ParentFont());
  panel->Font()->SetSize(14);
  EXPECT_EQ(label->Font()->Size(), 14);
  label->Font()->SetStyle({fsBold});
  EXPECT_FALSE(label->ParentFont());
  panel->Font()->SetSize(20);
  EXPECT_EQ(label->Font()->Size(), 14);
  EXPECT_TRUE(label->ParentColor());
  panel->SetColor(clLime);
  EXPECT_EQ(label->Color(), clLime);
  label->SetColor(clRed);
  panel->SetColor(clBlue);
  EXPECT_EQ(label->Color(), clRed);
}

TEST_F(ControlsTest, FontSizeAndHeightAgreeAtScreenResolution) {
  TFont f;
  EXPECT_EQ(f.Name(), u"Tahoma");
  EXPECT_EQ(f.Size(), 8);
  EXPECT_EQ(f.Height(), -11);
  f.SetSize(12);
  EXPECT_EQ(f.Height(), -16);
  f.SetHeight(-24);
  EXPECT_EQ(f.Size(), 18);
  EXPECT_EQ(MapFontFace(u"tahoma"), u"DejaVu Sans");
  EXPECT_EQ(MapFontFace(u"宋体"), u"WenQuanYi Micro Hei");
}

TEST_F(ControlsTest, ColoursResolveThroughTheFixedSystemTable) {
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
  EXPECT_EQ(ColorToRGB(clBtnFace), static_cast<std::uint32_t>(RGBColor(240, 240, 240)));
  EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFFu);
  EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0x8000000Fu);
  EXPECT_EQ(ColorToString(clBtnFace), u"clBtnFace");
  EXPECT_EQ(ColorToString(RGBColor(1, 2, 3)), u"$00030201");
  TColor c = 0;
  EXPECT_TRUE(IdentToColor(u"cllime", c));
  EXPECT_EQ(c, clLime);
  EXPECT_FALSE(IdentToColor(u"clPink", c));
}

TEST_F(ControlsTest, ButtonClickRunsEvenWhenDisabledButTheMouseDoesNot) {
  auto* b = Add<TButton>();
  b->SetBounds(10, 10, 75, 25);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  h.Show(form);
  h.Click(b);
  EXPECT_EQ(clicks, 1);
  b->SetEnabled(false);
  h.Click(b);
  EXPECT_EQ(clicks, 1);
  b->Click();
  EXPECT_EQ(clicks, 2);
  b->SetModalResult(mrYes);
  b->Click();
  EXPECT_EQ(form->ModalResult(), mrYes);
}

TEST_F(ControlsTest, ADisabledWindowHearsNoKeysOrMouseEvenWhenSentStraightToIt) {
  class TListening : public TCustomControl {
   public:
    using TCustomControl::TCustomControl;
    std::vector<unsigned> heard;
    void Dispatch(TMessage& m) override {
      if (m.Msg == WM_KEYDOWN || m.Msg == WM_CHAR || m.Msg == WM_LBUTTONDOWN || m.Msg == WM_MOUSEWHEEL)
        heard.push_back(m.Msg);
      TCustomControl::Dispatch(m);
    }
  };
  auto* panel = Add<TListening>();
  panel->SetBounds(0, 0, 200, 100);
  auto* c = Add<TListening>(panel);
  c->SetBounds(10, 10, 80, 40);
  c->SetTabStop(true);
  h.Show(form);
  h.Key(c, 'A');
  h.Click(c);
  EXPECT_EQ(c->heard, (std::vector<unsigned>{WM_KEYDOWN, WM_CHAR, WM_LBUTTONDOWN}));
  c->heard.clear();
  for (TControl* disabled : std::initializer_list<TControl*>{c, panel}) {
    SCOPED_TRACE(disabled == c ? "the control" : "its parent");
    disabled->SetEnabled(false);
    h.Key(c, 'A');
    h.Key(c, VK_DELETE, TShiftState{ssCtrl});
    h.Click(c);
    EXPECT_TRUE(c->heard.empty());
    disabled->SetEnabled(true);
  }
  h.Key(c, VK_DELETE);
  EXPECT_EQ(c->heard, (std::vector<unsigned>{WM_KEYDOWN}));
}

TEST_F(ControlsTest, ACharacterBeyondSixteenBitsArrivesAsBothHalves) {
  class TTyped : public TCustomControl {
   public:
    using TCustomControl::TCustomControl;
    std::u16string typed;
    void Dispatch(TMessage& m) override {
      if (m.Msg == WM_CHAR) typed.push_back(static_cast<char16_t>(m.WParam));
      TCustomControl::Dispatch(m);
    }
  };
  auto* c = Add<TTyped>();
  c->SetTabStop(true);
  h.Show(form);
  const QString text = QString::fromUtf16(u"\U00020BB7");  // a CJK character outside the basic plane
  ASSERT_EQ(text.size(), 2);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
  QApplication::sendEvent(c->Widget(), &press);
  EXPECT_EQ(c->typed, u"\U00020BB7");
}

TEST_F(ControlsTest, EditReportsEveryChangeAndHonoursLimits) {
  auto* e = Add<TEdit>();
  int changes = 0;
  e->OnChange = [&](TObject*) { ++changes; };
  e->SetText(u"1");  // before the window exists
  EXPECT_EQ(changes, 1);
  h.Show(form);
  EXPECT_EQ(changes, 1);  // making the window is no change
  EXPECT_EQ(e->Text(), u"1");
  e->SetFocus();
  h.Type(e, u"23");
  EXPECT_EQ(e->Text(), u"123");
  EXPECT_EQ(changes, 3);
  e->SetMaxLength(4);
  h.Type(e, u"456");
  EXPECT_EQ(e->Text(), u"1234");
  e->SetReadOnly(true);
  h.Type(e, u"x");
  EXPECT_EQ(e->Text(), u"1234");
  e->SetReadOnly(false);
  // OnKeyPress may change or drop the character.
  e->SetText(u"");
  e->OnKeyPress = [](TObject*, char16_t& k) {
    if (k == u'a') k = u'b';
    if (k == u'z') k = 0;
  };
  h.Type(e, u"aza");
  EXPECT_EQ(e->Text(), u"bb");
  e->OnKeyDown = [](TObject*, std::uint16_t& k, TShiftState) {
    if (k == VK_BACK) k = 0;
  };
  h.Key(e, VK_BACK);
  EXPECT_EQ(e->Text(), u"bb");
}

// A container that takes F5 from any control inside it.
class KeyTakingPanel : public TPanel {
 public:
  using TPanel::TPanel;
  std::vector<std::pair<WPARAM, LPARAM>> heard;

 protected:
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CM_CHILDKEY) {
      heard.emplace_back(Message.WParam, Message.LParam);
      if (Message.WParam == VK_F5) {
        Message.Result = 1;
        return;
      }
    }
    TPanel::Dispatch(Message);
  }
};

class DesignableEdit : public TEdit {
 public:
  using TEdit::TEdit;
  using TComponent::SetComponentState;
};

TEST_F(ControlsTest, ContainersHearAChildsKeyFirstAndMayTakeIt) {
  auto* outer = Add<KeyTakingPanel>();
  auto* inner = Add<TPanel>(outer);
  auto* e = Add<DesignableEdit>(inner);
  std::vector<std::uint16_t> downs;
  e->OnKeyDown = [&](TObject*, std::uint16_t& k, TShiftState) { downs.push_back(k); };
  h.Show(form);
  e->SetFocus();
  h.Key(e, VK_F5);
  h.Key(e, VK_F3);
  // Through the panel between them, with the control that has the key.
  ASSERT_EQ(outer->heard.size(), 2u);
  EXPECT_EQ(outer->heard[0].first, VK_F5);
  EXPECT_EQ(outer->heard[0].second, reinterpret_cast<LPARAM>(static_cast<TWinControl*>(e)));
  EXPECT_EQ(downs, (std::vector<std::uint16_t>{VK_F3})) << "a key the container took is gone";
  // At design time keys go to the control alone.
  e->SetComponentState(csDesigning, true);
  outer->heard.clear();
  e->Perform(WM_KEYDOWN, VK_F5, 0);
  EXPECT_TRUE(outer->heard.empty());
  e->SetComponentState(csDesigning, false);
}

TEST_F(ControlsTest, MemoLinesAddInsertDelete) {
  auto* m = Add<TMemo>();
  m->Lines()->Add(u"one");
  m->Lines()->Add(u"二");
  EXPECT_EQ(m->Text(), u"one\r\n二\r\n");
  h.Show(form);
  m->Lines()->Add(u"three");
  EXPECT_EQ(m->Lines()->Count(), 3);
  EXPECT_EQ(m->Lines()->Get(2), u"three");
  m->Lines()->Insert(0, u"zero");
  m->Lines()->Delete(2);
  EXPECT_EQ(m->Lines()->ToVector(), (std::vector<String>{u"zero", u"one", u"three"}));
  EXPECT_THROW(m->Lines()->Get(3), rtl::EStringListError);
  m->Lines()->Clear();
  EXPECT_EQ(m->Lines()->Count(), 0);
}

TEST_F(ControlsTest, MemoLinesFollowEveryChangeOfTheText) {
  auto* m = Add<TMemo>();
  m->SetText(u"a\r\nb");
  EXPECT_EQ(m->Lines()->Count(), 2);
  m->SetText(u"c");  // without a widget the stored text decides
  EXPECT_EQ(m->Lines()->Get(0), u"c");
  h.Show(form);
  EXPECT_EQ(m->Lines()->Count(), 1);
  h.Type(m, u"x");  // typed into the widget
  EXPECT_EQ(m->Lines()->Get(m->Lines()->Count() - 1).find(u'x') != String::npos, true);
  m->SetText(u"1\r\n2\r\n3");
  EXPECT_EQ(m->Lines()->ToVector(), (std::vector<String>{u"1", u"2", u"3"}));
  m->Lines()->SetStrings(1, u"two");
  EXPECT_EQ(m->Text(), u"1\r\ntwo\r\n3\r\n");
  EXPECT_EQ(m->Lines()->Values(u"none"), u"");
}

TEST_F(ControlsTest, CheckBoxClickFollowsEveryChange) {
  auto* c = Add<TCheckBox>();
  c->SetBounds(10, 10, 100, 17);
  int clicks = 0;
  c->OnClick = [&](TObject*) { ++clicks; };
  c->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  c->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  h.Show(form);
  h.Click(c, Point(5, 8));
  EXPECT_FALSE(c->Checked());
  EXPECT_EQ(clicks, 2);
}

TEST_F(ControlsTest, RadioButtonsFormOneGroupPerParent) {
  auto* a = Add<TRadioButton>();
  auto* b = Add<TRadioButton>();
  auto* box = Add<TGroupBox>();
  auto* other = Add<TRadioButton>(box);
  a->SetBounds(5, 5, 80, 17);
  b->SetBounds(5, 30, 80, 17);
  int clicksB = 0;
  b->OnClick = [&](TObject*) { ++clicksB; };
  a->SetChecked(true);
  other->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_TRUE(other->Checked());
  EXPECT_EQ(clicksB, 1);
  b->SetChecked(false);  // a group may be left with none checked
  EXPECT_FALSE(a->Checked());
  EXPECT_FALSE(b->Checked());
  h.Show(form);
  h.Click(a, Point(5, 8));
  EXPECT_TRUE(a->Checked());
  h.Click(b, Point(5, 8));
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_EQ(clicksB, 2);
}

TEST_F(ControlsTest, ComboBoxChangesOnlyOnTheUsersChoice) {
  auto* c = Add<TComboBox>();
  c->SetStyle(csDropDownList);
  for (auto s : {u"COM1", u"COM2", u"COM10"}) c->Items()->Add(s);
  int changes = 0;
  c->OnChange = [&](TObject*) { ++changes; };
  c->SetItemIndex(0);
  EXPECT_EQ(c->Text(), u"COM1");
  c->SetText(u"com10");
  EXPECT_EQ(c->ItemIndex(), 2);
  c->SetText(u"COM7");  // no such item: nothing changes
  EXPECT_EQ(c->ItemIndex(), 2);
  c->SetItemIndex(9);
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(c->Text(), u"");
  EXPECT_EQ(changes, 0);
  h.Show(form);
  c->SetItemIndex(0);
  c->SetFocus();
  h.Key(c, VK_DOWN);
  EXPECT_EQ(c->ItemIndex(), 1);
  EXPECT_EQ(c->Text(), u"COM2");
  EXPECT_EQ(changes, 1);
  c->Items()->Delete(1);
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(static_cast<QComboBox*>(c->Widget())->count(), 2);
}

TEST_F(ControlsTest, EditableComboTakesTypedText) {
  auto* c = Add<TComboBox>();
  c->Items()->Add(u"8888");
  int changes = 0;
  c->OnChange = [&](TObject*) { ++changes; };
  h.Show(form);
  c->SetFocus();
  h.Type(c, u"12");
  EXPECT_EQ(c->Text(), u"12");
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(changes, 2);
}

TEST_F(ControlsTest, ComboItemsKeepTheirObjectsThroughEditsAndSorting) {
  auto* c = Add<TComboBox>();
  int a = 0, b = 0, z = 0;
  c->Items()->AddObject(u"b", &b);
  c->Items()->AddObject(u"z", &z);
  c->Items()->InsertObject(0, u"a", &a);
  EXPECT_EQ(c->Items()->Objects(0), &a);
  EXPECT_EQ(c->Items()->Objects(2), &z);
  c->Items()->Delete(0);
  EXPECT_EQ(c->Items()->Objects(0), &b);
  c->SetSorted(true);
  EXPECT_EQ(c->Items()->AddObject(u"a", &a), 0);
  EXPECT_EQ(c->Items()->Objects(0), &a);
  EXPECT_EQ(c->Items()->Objects(1), &b);
  EXPECT_EQ(c->Items()->Objects(2), &z);
  c->Items()->Clear();
  c->Items()->Add(u"x");
  EXPECT_EQ(c->Items()->Objects(0), nullptr);
}

TEST_F(ControlsTest, LabelSizesToItsCaption) {
  auto* l = Add<TLabel>();
  l->SetCaption(u"短");
  int w1 = l->Width();
  l->SetCaption(u"一个更长的标题");
  EXPECT_GT(l->Width(), w1);
  TCanvas measure;
  measure.SetFont(l->Font());
  EXPECT_EQ(l->Width(), measure.TextWidth(u"一个更长的标题"));
  l->SetAlignment(taRightJustify);
  int right = l->Left() + l->Width();
  l->SetCaption(u"x");
  EXPECT_EQ(l->Left() + l->Width(), right);
}

TEST_F(ControlsTest, PanelPaintsBevelCaptionAndTakesClicks) {
  auto* p = Add<TPanel>();
  p->SetBounds(10, 10, 60, 40);
  p->SetColor(clLime);
  p->SetCaption(u"正");
  int clicks = 0;
  p->OnClick = [&](TObject*) { ++clicks; };
  h.Show(form);
  EXPECT_EQ(h.PixelAt(p, 0, 0), static_cast<TColor>(ColorToRGB(clBtnHighlight)));
  EXPECT_EQ(h.PixelAt(p, 59, 39), static_cast<TColor>(ColorToRGB(clBtnShadow)));
  EXPECT_EQ(h.PixelAt(p, 3, 3), clLime);
  h.Click(p);
  EXPECT_EQ(clicks, 1);
  // Pressed inside, released outside: no click.
  h.MouseDown(p, Point(5, 5));
  h.MouseUp(p, Point(100, 5));
  EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, ToolBarLaysOutButtonsAndSkipsHiddenControls) {
  auto* images = new TImageList(form);
  images->SetWidth(32);
  images->SetHeight(32);
  TBitmap icon(32, 32);
  icon.Canvas()->Brush()->SetColor(clRed);
  icon.Canvas()->FillRect(Rect(0, 0, 32, 32));
  images->Add(&icon, nullptr);
  auto* bar = Add<TToolBar>();
  bar->SetButtonWidth(55);
  bar->SetButtonHeight(52);
  bar->SetAutoSize(true);
  bar->SetShowCaptions(true);
  bar->SetImages(images);
  auto* logo = Add<TImage>(bar);
  logo->SetBounds(0, 0, 55, 52);
  auto* sep = Add<TToolButton>(bar);
  sep->SetStyle(tbsSeparator);
  auto* scan = Add<TToolButton>(bar);
  scan->SetCaption(u"连接设备");
  scan->SetImageIndex(0);
  int clicks = 0;
  scan->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_EQ(bar->Height(), 52);
  EXPECT_EQ(bar->Align(), alTop);
  EXPECT_EQ(sep->Left(), 55);
  EXPECT_EQ(sep->Width(), 8);
  EXPECT_EQ(scan->BoundsRect(), Rect(63, 0, 118, 52));
  logo->Hide();
  EXPECT_EQ(scan->Left(), 8);
  h.Show(form);
  h.Click(scan);
  EXPECT_EQ(clicks, 1);
  h.Click(sep);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(h.PixelAt(scan, 27, 10), clRed);  // image centred at the top
  Free(images);
  EXPECT_EQ(bar->Images(), nullptr);
}

TEST_F(ControlsTest, ImageStretchesProportionally) {
  auto* img = Add<TImage>();
  img->SetBounds(0, 0, 55, 52);
  QImage pic(110, 52, QImage::Format_RGB32);
  pic.fill(Qt::blue);
  img->Picture()->Bitmap()->SetImage(pic);
  img->SetStretch(true);
  img->SetProportional(true);
  EXPECT_EQ(img->DestRect(), Rect(0, 0, 55, 26));
  img->SetCenter(true);
  EXPECT_EQ(img->DestRect(), Rect(0, 13, 55, 39));
  h.Show(form);
  EXPECT_EQ(h.PixelAt(img, 20, 20), clBlue);
}

TEST_F(ControlsTest, ScrollBoxKeepsChildrenAtTheirPositionsAndGrows) {
  auto* box = Add<TScrollBox>();
  box->SetAlign(alClient);
  h.Show(form);
  auto* far = Add<TPanel>(box);
  far->SetBounds(5, 300, 50, 69);
  EXPECT_EQ(far->Top(), 300);
  EXPECT_GE(box->ClientWidget()->height(), 369);
  EXPECT_LT(box->ClientHeight(), 100);
}

TEST_F(ControlsTest, TimerFiresOnTheClockAndRestartsWhenReset) {
  auto* t = new TTimer(form);
  int ticks = 0;
  t->OnTimer = [&](TObject*) { ++ticks; };
  h.Advance(999);
  EXPECT_EQ(ticks, 0);
  h.Advance(1);
  EXPECT_EQ(ticks, 1);
  h.Advance(600);
  t->SetEnabled(false);
  t->SetEnabled(true);  // a new period starts now
  h.Advance(600);
  EXPECT_EQ(ticks, 1);
  h.Advance(400);
  EXPECT_EQ(ticks, 2);
  // A handler that stops and restarts its own timer.
  t->OnTimer = [&](TObject*) {
    t->SetEnabled(false);
    ++ticks;
    t->SetInterval(50);
    t->SetEnabled(true);
  };
  h.Advance(1000);
  EXPECT_EQ(ticks, 3);  // the old period ran out; the new one is 50 ms
  h.Advance(1000);
  EXPECT_EQ(ticks, 3 + 1000 / 50);
  t->SetInterval(0);
  int before = ticks;
  h.Advance(10000);
  EXPECT_EQ(ticks, before);
}

TEST_F(ControlsTest, WindowTimersSendWmTimerWithTheirId) {
  class TTimed : public TCustomControl {
   public:
    using TCustomControl::TCustomControl;
    std::vector<WPARAM> ids;
    void Dispatch(TMessage& m) override {
      if (m.Msg == WM_TIMER) ids.push_back(m.WParam);
      TCustomControl::Dispatch(m);
    }
  };
  auto* c = Add<TTimed>();
  SetTimer(c, 1, 60);
  SetTimer(c, 2, 100);
  h.Advance(200);
  EXPECT_EQ(c->ids, (std::vector<WPARAM>{1, 2, 1, 1, 2}));  // due at 60, 100, 120, 180, 200
  EXPECT_TRUE(KillTimer(c, 1));
  EXPECT_FALSE(KillTimer(c, 1));
  c->ids.clear();
  h.Advance(100);
  EXPECT_EQ(c->ids, (std::vector<WPARAM>{2}));
  Free(c);  // its timers go with it
  h.Advance(500);
}

}  // namespace
