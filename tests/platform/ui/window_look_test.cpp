// What a user sees of a window's state: disabled controls greyed, and the
// title-bar buttons a border style and its icons allow.
#include <gtest/gtest.h>

#include <algorithm>

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "platform/ui/buttons.h"
#include "platform/ui/checks.h"
#include "platform/ui/edits.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace ui;

// The darkest grey level of the image (text is the darkest thing in a control).
int Darkest(const QImage& img) {
  int darkest = 255;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) darkest = std::min(darkest, qGray(img.pixel(x, y)));
  return darkest;
}

template <class T>
T* Add(TForm* form, int top, const String& text) {
  auto* c = new T(form);
  c->SetParent(form);
  c->SetBounds(10, top, 160, 24);
  c->SetText(text);
  return c;
}

TEST(WindowLook, DisabledControlsShowGreyTextAndDifferFromLiveOnes) {
  uitest::Harness h;
  auto* form = h.MakeForm<TForm>();
  form->SetClientWidth(200);
  form->SetClientHeight(200);
  auto* live = Add<TEdit>(form, 10, u"12.500");
  auto* dead = Add<TEdit>(form, 40, u"12.500");
  auto* liveCheck = Add<TCheckBox>(form, 70, u"启用");
  auto* deadCheck = Add<TCheckBox>(form, 100, u"启用");
  auto* liveButton = Add<TButton>(form, 130, u"计算");
  auto* deadButton = Add<TButton>(form, 160, u"计算");
  dead->SetEnabled(false);
  deadCheck->SetEnabled(false);
  deadButton->SetEnabled(false);
  h.Show(form);

  const TColor grey = ColorToRGB(clGrayText);
  const int greyLevel = qGray(GetRValue(grey), (grey >> 8) & 0xFF, (grey >> 16) & 0xFF);
  struct Pair {
    const char* what;
    TWinControl* live;
    TWinControl* dead;
  };
  for (const Pair& p : {Pair{"edit", live, dead}, Pair{"check box", liveCheck, deadCheck},
                        Pair{"button", liveButton, deadButton}}) {
    const QImage a = p.live->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage b = p.dead->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(a.size(), b.size()) << p.what;
    EXPECT_NE(a, b) << p.what;
    // Live text is in the black font colour; disabled text nowhere darker
    // than the system grey.
    EXPECT_LT(Darkest(a), 40) << p.what;
    EXPECT_GE(Darkest(b), greyLevel - 8) << p.what;
  }
  // Enabling again brings the live look back.
  dead->SetEnabled(true);
  EXPECT_LT(Darkest(dead->Widget()->grab().toImage()), 40);
  delete form;
}

TEST(WindowLook, TitleBarButtonsFollowBorderStyleAndIcons) {
  uitest::Harness h;
  struct Case {
    const char* what;
    TFormBorderStyle style;
    TBorderIcons icons;
    bool minimise, maximise, close;
  };
  const TBorderIcons all{biSystemMenu, biMinimize, biMaximize};
  const Case cases[] = {
      {"dialog", bsDialog, all, false, false, true},
      {"single, minimise only", bsSingle, {biSystemMenu, biMinimize}, true, false, true},
      {"single, all icons", bsSingle, all, true, true, true},
      {"sizeable", bsSizeable, all, true, true, true},
      {"sizeable, no system menu", bsSizeable, {biMinimize, biMaximize}, false, false, false},
  };
  for (const Case& c : cases) {
    auto* form = h.MakeForm<TForm>();
    form->SetBorderStyle(c.style);
    form->SetBorderIcons(c.icons);
    form->SetClientWidth(120);
    form->SetClientHeight(80);
    h.Show(form);
    const Qt::WindowFlags f = form->Widget()->windowFlags();
    EXPECT_EQ(bool(f & Qt::WindowMinimizeButtonHint), c.minimise) << c.what;
    EXPECT_EQ(bool(f & Qt::WindowMaximizeButtonHint), c.maximise) << c.what;
    EXPECT_EQ(bool(f & Qt::WindowCloseButtonHint), c.close) << c.what;
    // A fixed border keeps its size whatever the window manager offers.
    if (c.style != bsSizeable) {
      EXPECT_EQ(form->Widget()->minimumSize(), form->Widget()->maximumSize()) << c.what;
    }
    delete form;
  }
}

}  // namespace
