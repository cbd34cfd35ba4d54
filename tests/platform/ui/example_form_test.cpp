// A small form built, driven and photographed as a user would see it.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>

#include "tests/platform/ui/harness.h"

namespace {

using namespace ui;

class TCounterForm : public TForm {
 public:
  explicit TCounterForm(TComponent* owner) : TForm(owner) {
    SetName(u"CounterFrm");
    SetCaption(u"计数器");
    SetBorderStyle(bsDialog);
    SetClientWidth(320);
    SetClientHeight(140);
    Font()->SetName(u"Tahoma");
    Font()->SetSize(10);

    lbl_Title = new TLabel(this);
    lbl_Title->SetName(u"lbl_Title");
    lbl_Title->SetParent(this);
    lbl_Title->SetBounds(16, 14, 0, 0);
    lbl_Title->Font()->SetStyle({fsBold});
    lbl_Title->Font()->SetColor(clBlue);
    lbl_Title->SetCaption(u"计数器示例：每秒加一步");

    lbl_Step = new TLabel(this);
    lbl_Step->SetParent(this);
    lbl_Step->SetBounds(16, 50, 0, 0);
    lbl_Step->SetCaption(u"步长:");

    edt_Step = new TEdit(this);
    edt_Step->SetName(u"edt_Step");
    edt_Step->SetParent(this);
    edt_Step->SetBounds(70, 46, 80, 23);
    edt_Step->SetText(u"1");

    btn_Start = new TButton(this);
    btn_Start->SetName(u"btn_Start");
    btn_Start->SetParent(this);
    btn_Start->SetBounds(170, 44, 130, 28);
    btn_Start->SetCaption(u"开始计数");
    btn_Start->OnClick = [this](TObject*) { btn_StartClick(); };

    pnl_Count = new TPanel(this);
    pnl_Count->SetParent(this);
    pnl_Count->SetBounds(16, 88, 284, 36);
    pnl_Count->SetBevelOuter(bvLowered);
    pnl_Count->SetColor(clWhite);
    pnl_Count->Font()->SetSize(12);
    pnl_Count->SetCaption(u"计数: 0");

    tmr_Count = new TTimer(this);
    tmr_Count->SetEnabled(false);
    tmr_Count->SetInterval(1000);
    tmr_Count->OnTimer = [this](TObject*) { tmr_CountTimer(); };
  }

  void btn_StartClick() {
    // A step that is not a number raises, and the window loop reports it.
    step = std::stoi(rtl::StringToUtf8(edt_Step->Text()));
    tmr_Count->SetEnabled(!tmr_Count->Enabled());
    btn_Start->SetCaption(tmr_Count->Enabled() ? u"停止计数" : u"开始计数");
  }
  void tmr_CountTimer() {
    count += step;
    pnl_Count->SetCaption(u"计数: " + rtl::IntToStr(count));
  }

  TLabel* lbl_Title;
  TLabel* lbl_Step;
  TEdit* edt_Step;
  TButton* btn_Start;
  TPanel* pnl_Count;
  TTimer* tmr_Count;
  int count = 0;
  int step = 1;
};

TEST(ExampleFormTest, ClickTypeAdvanceAndPhotograph) {
  uitest::Harness h;
  auto* f = h.MakeForm<TCounterForm>();
  h.Show(f);
  f->edt_Step->SetFocus();
  f->edt_Step->SelectAll();
  h.Type(f->edt_Step, u"2");
  EXPECT_EQ(f->edt_Step->Text(), u"2");
  h.Click(f->btn_Start);
  EXPECT_EQ(f->btn_Start->Caption(), u"停止计数");
  h.Advance(3000);
  EXPECT_EQ(f->pnl_Count->Caption(), u"计数: 6");
  h.ProcessEvents();
  std::string path = h.SaveScreenshot(f, "example_counter_form");
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(path)));

  // The Chinese title is drawn: many blue-ish text pixels in its area, none
  // of the empty boxes a missing font leaves (boxes would be outline-only).
  QImage shot(QString::fromStdString(path));
  ASSERT_FALSE(shot.isNull());
  int ink = 0;
  TRect r = f->lbl_Title->BoundsRect();
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      QColor c = shot.pixelColor(x, y);
      if (c.blue() > 150 && c.red() < 120 && c.green() < 120) ++ink;
    }
  EXPECT_GT(ink, 150);

  // Stop, and a bad step reports through the error box without stopping the program.
  h.Click(f->btn_Start);
  h.Advance(5000);
  EXPECT_EQ(f->count, 6);
  f->edt_Step->SetText(u"abc");
  h.AnswerMessageBox(IDOK);
  h.Click(f->btn_Start);
  ASSERT_EQ(h.MessageBoxes().size(), 1u);
  EXPECT_EQ(f->btn_Start->Caption(), u"开始计数");
}

}  // namespace
