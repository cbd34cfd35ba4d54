// Message boxes, file dialogs and the exception guard.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <functional>

#include "tests/platform/ui/harness.h"

namespace {

using namespace ui;

TEST(DialogTest, TheProgramsThreeMessageBoxes) {
  uitest::Harness h;
  h.AnswerMessageBox(IDOK);
  h.AnswerMessageBox(IDOK);
  h.AnswerMessageBox(IDCANCEL);
  h.AnswerMessageBox(IDOK);
  ShowInfo(u"设备连接失败");
  EXPECT_TRUE(AskOkCancel(u"确定删除选择的动作？", u"提示"));
  EXPECT_FALSE(AskOkCancel(u"确定删除选择的动作？", u"提示"));
  ShowError(u"bad", u"Error");
  auto boxes = h.TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].Caption, u"提示");
  EXPECT_EQ(boxes[0].Flags, MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(boxes[1].Flags, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
  EXPECT_EQ(boxes[1].Text, u"确定删除选择的动作？");
  EXPECT_EQ(boxes[3].Flags, MB_OK | MB_ICONERROR);
  h.AnswerMessageBox(IDNO);
  EXPECT_EQ(Application->MessageBox(u"?", u"c", MB_YESNO), IDNO);
  h.AnswerMessageBox(mrAll);
  EXPECT_EQ(MessageDlg(u"Import error", mtError, {mbYes, mbNo, mbAll}), mrAll);
  EXPECT_EQ(h.MessageBoxes().back().Caption, u"错误");
  EXPECT_EQ(h.MessageBoxes().back().DlgButtons, (TMsgDlgButtons{mbYes, mbNo, mbAll}.Bits()));
}

TEST(DialogTest, FileDialogsAddTheDefaultExtension) {
  uitest::Harness h;
  TSaveDialog save(nullptr);
  save.DefaultExt = u".txt";
  save.Filter = u"*.txt|*.txt";
  save.Options = {ofOverwritePrompt};
  h.AnswerFileDialog(u"/tmp/script");
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName, u"/tmp/script.txt");
  EXPECT_TRUE(h.FileDialogs().back().Save);
  EXPECT_EQ(h.FileDialogs().back().Filter, u"*.txt|*.txt");
  h.AnswerFileDialog(u"/tmp/dir.v2/run.csv");
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName, u"/tmp/dir.v2/run.csv");
  TOpenDialog open(nullptr);
  open.FileName = u"keep.txt";
  h.AnswerFileDialog(std::nullopt);
  EXPECT_FALSE(open.Execute());
  EXPECT_EQ(open.FileName, u"keep.txt");
  EXPECT_FALSE(h.FileDialogs().back().Save);
}

class GuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application->SetTitle(u"JQHelper");
    form = h.MakeForm<TForm>();
    button = new TButton(form);
    button->SetParent(form);
    button->SetBounds(10, 10, 80, 25);
    h.Show(form);
  }
  uitest::Harness h;
  TForm* form = nullptr;
  TButton* button = nullptr;
};

TEST_F(GuardTest, AnExceptionInAHandlerShowsOneErrorBoxAndTheProgramGoesOn) {
  int clicks = 0;
  button->OnClick = [&](TObject*) {
    if (++clicks == 1) throw rtl::EConvertError(u"'abc' is not a valid integer value");
  };
  h.AnswerMessageBox(IDOK);
  h.Click(button);
  auto boxes = h.TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, u"'abc' is not a valid integer value.");
  EXPECT_EQ(boxes[0].Caption, u"JQHelper");
  EXPECT_EQ(boxes[0].Flags & MB_ICONMASK, MB_ICONERROR);
  h.Click(button);
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(h.TakeMessageBoxes().empty());
}

TEST_F(GuardTest, SilentAbortShowsNothing) {
  button->OnClick = [](TObject*) { rtl::Abort(); };
  h.Click(button);
  EXPECT_TRUE(h.MessageBoxes().empty());
}

TEST_F(GuardTest, TimerAndPaintExceptionsAreReportedAndTimersGoOn) {
  auto* t = new TTimer(form);
  t->SetInterval(100);
  int ticks = 0;
  t->OnTimer = [&](TObject*) {
    ++ticks;
    if (ticks == 2) throw std::runtime_error("tick failed");
  };
  h.AnswerMessageBox(IDOK);
  h.Advance(300);
  EXPECT_EQ(ticks, 3);
  ASSERT_EQ(h.MessageBoxes().size(), 1u);
  EXPECT_EQ(h.MessageBoxes()[0].Text, u"tick failed.");
}

TEST_F(GuardTest, TheApplicationHandlerCanBeReplaced) {
  std::string seen;
  Application->OnException = [&](TObject*, const std::exception& e) { seen = e.what(); };
  button->OnClick = [](TObject*) { throw rtl::Exception(u"出错了"); };
  h.Click(button);
  EXPECT_EQ(seen, "出错了");
  EXPECT_TRUE(h.MessageBoxes().empty());
}

TEST_F(GuardTest, ExceptionsInsideAModalLoopLeaveTheDialogOpen) {
  auto* dlg = h.MakeForm<TForm>();
  auto* bad = new TButton(dlg);
  bad->SetParent(dlg);
  bad->OnClick = [](TObject*) { throw rtl::EConvertError(u"bad number"); };
  auto* ok = new TButton(dlg);
  ok->SetParent(dlg);
  ok->SetModalResult(mrOk);
  ok->SetTop(40);
  h.AnswerMessageBox(IDOK);
  h.Post([&] {
    h.Click(bad);
    EXPECT_TRUE(dlg->Visible());
    h.Click(ok);
  });
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_EQ(h.MessageBoxes().size(), 1u);
}

}  // namespace

namespace {

// The real dialogs, not the test hooks: a box belongs to the window that
// opened it, however large that is, and the platform's dialogs speak the
// program's Chinese.
class RealDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::SetMessageBoxHook(nullptr);
    ui::SetFileDialogHook(nullptr);
  }
  // Runs Check on the first dialog of type T that shows, then closes it.
  template <class T>
  static void OnDialog(std::function<void(T*)> Check) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, Check] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<T*>(w); d && d->isVisible()) {
          poll->stop();
          poll->deleteLater();
          Check(d);
          d->reject();
          return;
        }
    });
    poll->start(10);
  }
};

TEST_F(RealDialogs, AMessageBoxStaysAboveTheMaximisedWindowThatOpenedIt) {
  uitest::Harness h;
  SetUp();
  auto* form = h.MakeForm<ui::TForm>();
  form->SetWindowState(ui::wsMaximized);
  h.Show(form);
  form->Widget()->activateWindow();
  QWindow* owner = nullptr;
  QStringList buttons;
  OnDialog<QMessageBox>([&](QMessageBox* box) {
    owner = box->windowHandle() ? box->windowHandle()->transientParent() : nullptr;
    for (QAbstractButton* b : box->buttons()) buttons << b->text();
  });
  EXPECT_EQ(ui::MessageDlg(u"方案文件第 3 行无法读取", ui::mtWarning, {ui::mbOK, ui::mbCancel}), ui::mrCancel);
  EXPECT_EQ(owner, form->Widget()->windowHandle());
  EXPECT_EQ(buttons, (QStringList{QStringLiteral("确定"), QStringLiteral("取消")}));
}

TEST_F(RealDialogs, TheFileDialogSpeaksChinese) {
  uitest::Harness h;
  SetUp();
  QStringList texts;
  OnDialog<QFileDialog>([&](QFileDialog* d) {
    for (QPushButton* b : d->findChildren<QPushButton*>()) texts << b->text();
  });
  ui::TOpenDialog open(nullptr);
  open.Filter = u"*.txt|*.txt";
  EXPECT_FALSE(open.Execute());
  EXPECT_TRUE(texts.contains(QStringLiteral("打开(&O)"))) << texts.join(u',').toStdString();
  EXPECT_TRUE(texts.contains(QStringLiteral("取消"))) << texts.join(u',').toStdString();
}

}  // namespace
