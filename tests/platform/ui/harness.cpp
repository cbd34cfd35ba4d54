#include "tests/platform/ui/harness.h"

#include "platform/ui/hint_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBackingStore>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QMetaObject>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>
#include <QTimer>
#include <QToolTip>
#include <QWidget>

#include "platform/ui/qt_bridge.h"

namespace uitest {
namespace {

int g_argc = 1;
char g_arg0[] = "jq_ui_tests";
char* g_argv[] = {g_arg0, nullptr};

Qt::MouseButton QtButton(ui::TMouseButton b) {
  return b == ui::mbRight ? Qt::RightButton : b == ui::mbMiddle ? Qt::MiddleButton : Qt::LeftButton;
}

Qt::KeyboardModifiers QtMods(ui::TShiftState s) {
  Qt::KeyboardModifiers m;
  if (s.Contains(ui::ssShift)) m |= Qt::ShiftModifier;
  if (s.Contains(ui::ssCtrl)) m |= Qt::ControlModifier;
  if (s.Contains(ui::ssAlt)) m |= Qt::AltModifier;
  return m;
}

// Widget that receives input for the control, and the point in it.
// Client coordinates start inside a control's frame.
QWidget* Target(ui::TControl* c, ui::TPoint& p) {
  if (auto* w = dynamic_cast<ui::TWinControl*>(c)) {
    QWidget* widget = w->Widget();
    p.X += w->NonClientMargins().Left;
    p.Y += w->NonClientMargins().Top;
    return widget;
  }
  ui::TWinControl* parent = c->Parent();
  if (!parent) return nullptr;
  QWidget* widget = parent->ClientWidget();
  p.X += c->Left() + parent->NonClientMargins().Left;
  p.Y += c->Top() + parent->NonClientMargins().Top;
  return widget;
}

ui::TPoint Centre(ui::TControl* c) { return {c->Width() / 2, c->Height() / 2}; }

void EndModalForms(ui::TComponent* owner, bool& found) {
  for (int i = 0; i < owner->ComponentCount(); ++i) {
    ui::TComponent* c = owner->Components(i);
    if (auto* f = dynamic_cast<ui::TCustomForm*>(c); f && f->IsModal()) {
      f->SetModalResult(ui::mrCancel);
      found = true;
    }
    EndModalForms(c, found);
  }
}

}  // namespace

std::string ScreenshotDir() { return JQ_UI_SCREENSHOT_DIR; }

Harness::Harness() {
  if (!QApplication::instance()) new QApplication(g_argc, g_argv);
  ui::InitApplication(g_argc, g_argv);
  // Every test starts with no key held: a Ctrl or Shift a test's clicks
  // carried, with no key release after them, must not reach the next test.
  ui::NoteKeyboardModifiers(0);
  ui::UseClock(&clock_);
  ui::SetMessageBoxHook([this](const ui::TMessageBoxRequest& r) {
    boxes_.push_back(r);
    if (boxAnswers_.empty()) {
      ADD_FAILURE() << "unexpected message box: " << rtl::StringToUtf8(r.Caption) << ": "
                    << rtl::StringToUtf8(r.Text);
      return (r.Flags & ui::MB_TYPEMASK) == ui::MB_OK ? ui::IDOK : ui::IDCANCEL;
    }
    int a = boxAnswers_.front();
    boxAnswers_.pop_front();
    return a;
  });
  ui::SetFileDialogHook([this](const ui::TFileDialogRequest& r) -> std::optional<ui::String> {
    fileDialogs_.push_back(r);
    if (fileAnswers_.empty()) {
      ADD_FAILURE() << "unexpected file dialog";
      return std::nullopt;
    }
    auto a = fileAnswers_.front();
    fileAnswers_.pop_front();
    return a;
  });
  // Each loop has its own watchdog, stopped when it ends, so that many short
  // loops in a row neither trip it nor pile up waiting timers.
  ui::Application->OnModalBegin = [this](ui::TObject*) {
    auto timer = std::make_unique<QTimer>();
    timer->setSingleShot(true);
    QObject::connect(timer.get(), &QTimer::timeout, qApp, [] {
      bool found = false;
      EndModalForms(ui::Application, found);
      if (found) ADD_FAILURE() << "a modal loop did not end in time";
    });
    timer->start(ModalWatchdogMs);
    modalWatch_.push_back(std::move(timer));
  };
  ui::Application->OnModalEnd = [this](ui::TObject*) {
    if (!modalWatch_.empty()) modalWatch_.pop_back();
  };
}

Harness::~Harness() {
  modalWatch_.clear();
  ui::DoneApplication();
  ProcessEvents();
  ui::SetMessageBoxHook(nullptr);
  ui::SetFileDialogHook(nullptr);
  ui::UseClock(nullptr);
  EXPECT_TRUE(boxAnswers_.empty()) << boxAnswers_.size() << " message box answer(s) never used";
  EXPECT_TRUE(fileAnswers_.empty()) << fileAnswers_.size() << " file dialog answer(s) never used";
}

void Harness::Show(ui::TCustomForm* Form) {
  Form->Show();
  QWidget* w = Form->Widget();
  QApplication::setActiveWindow(w);
  w->activateWindow();
  ProcessEvents();
}

void Harness::MinimiseAndRestore(ui::TCustomForm* Form) {
  QWidget* w = Form->Widget();
  w->setWindowState(Qt::WindowMinimized);
  QHideEvent hide;
  QSpontaneKeyEvent::setSpontaneous(&hide);
  QApplication::sendEvent(w, &hide);
  ProcessEvents();
  w->setWindowState(Qt::WindowNoState);
  QShowEvent show;
  QSpontaneKeyEvent::setSpontaneous(&show);
  QApplication::sendEvent(w, &show);
  ProcessEvents();
}

void Harness::Click(ui::TControl* c, std::optional<ui::TPoint> At, ui::TMouseButton b, ui::TShiftState s) {
  MouseDown(c, At, b, s);
  MouseUp(c, At, b, s);
}

void Harness::DblClick(ui::TControl* c, std::optional<ui::TPoint> At) {
  ui::TPoint p = At.value_or(Centre(c));
  QWidget* w = Target(c, p);
  ASSERT_NE(w, nullptr);
  QTest::mouseDClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(p.X, p.Y));
}

void Harness::MouseDown(ui::TControl* c, std::optional<ui::TPoint> At, ui::TMouseButton b, ui::TShiftState s) {
  ui::TPoint p = At.value_or(Centre(c));
  QWidget* w = Target(c, p);
  ASSERT_NE(w, nullptr);
  QTest::mousePress(w, QtButton(b), QtMods(s), QPoint(p.X, p.Y));
}

void Harness::MouseUp(ui::TControl* c, std::optional<ui::TPoint> At, ui::TMouseButton b, ui::TShiftState s) {
  ui::TPoint p = At.value_or(Centre(c));
  QWidget* w = Target(c, p);
  ASSERT_NE(w, nullptr);
  QTest::mouseRelease(w, QtButton(b), QtMods(s), QPoint(p.X, p.Y));
}

void Harness::MouseMove(ui::TControl* c, ui::TPoint At, ui::TShiftState s) {
  ui::TPoint p = At;
  QWidget* w = Target(c, p);
  ASSERT_NE(w, nullptr);
  QMouseEvent e(QEvent::MouseMove, QPointF(p.X, p.Y), w->mapToGlobal(QPointF(p.X, p.Y)), Qt::NoButton,
                Qt::NoButton, QtMods(s));
  QApplication::sendEvent(w, &e);
}

void Harness::Key(ui::TWinControl* c, std::uint16_t vk, ui::TShiftState s) {
  QWidget* w = c->Widget();
  if (QWidget* proxy = w->focusProxy()) w = proxy;
  int key = ui::QtKeyFromVirtualKey(vk);
  bool keypad = vk >= ui::VK_NUMPAD0 && vk <= ui::VK_DIVIDE;
  Qt::KeyboardModifiers mods = QtMods(s) | (keypad ? Qt::KeypadModifier : Qt::NoModifier);
  QString text;
  if (vk == ui::VK_RETURN) text = QStringLiteral("\r");
  else if (vk == ui::VK_ESCAPE) text = QStringLiteral("\x1b");
  else if (vk == ui::VK_BACK) text = QStringLiteral("\b");
  else if (vk == ui::VK_TAB) text = QStringLiteral("\t");
  else if (vk == ui::VK_SPACE) text = QStringLiteral(" ");
  else if (vk >= 'A' && vk <= 'Z')
    text = s.Contains(ui::ssCtrl) ? QString(QChar(vk - 'A' + 1)) : QString(QChar(s.Contains(ui::ssShift) ? vk : vk + 32));
  else if (vk >= '0' && vk <= '9')
    text = QString(QChar(vk));
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(w, &release);
}

void Harness::Type(ui::TWinControl* c, const ui::String& Text) {
  QWidget* w = c->Widget();
  if (QWidget* proxy = w->focusProxy()) w = proxy;
  for (char16_t ch : Text) {
    QString t(QChar(static_cast<char16_t>(ch)));
    int key = Qt::Key_unknown;
    if (ch >= u'a' && ch <= u'z') key = Qt::Key_A + (ch - u'a');
    else if (ch >= u'A' && ch <= u'Z') key = Qt::Key_A + (ch - u'A');
    else if (ch >= u'0' && ch <= u'9') key = Qt::Key_0 + (ch - u'0');
    else if (ch < 0x80) key = ch;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, t);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, t);
    QApplication::sendEvent(w, &release);
  }
}

void Harness::Post(std::function<void()> Fn) {
  QMetaObject::invokeMethod(qApp, [fn = std::move(Fn)] { ui::Guarded(fn); }, Qt::QueuedConnection);
}

void Harness::ProcessEvents() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents(QEventLoop::AllEvents);
}

std::vector<ui::TMessageBoxRequest> Harness::TakeMessageBoxes() {
  auto out = std::move(boxes_);
  boxes_.clear();
  return out;
}

ui::TColor Harness::PixelAt(ui::TControl* c, int X, int Y) {
  ui::TPoint p{X, Y};
  QWidget* w = Target(c, p);
  if (!w) return ui::clNone;
  // What the window shows there, with everything above and below it.
  QWidget* top = w->window();
  QPoint at = w->mapTo(top, QPoint(p.X, p.Y));
  QImage img = top->grab(QRect(at, QSize(1, 1))).toImage();
  if (img.isNull()) return ui::clNone;
  return ui::qt::FromQColor(img.pixelColor(0, 0));
}

QImage Harness::ShownImage(ui::TWinControl* c) {
  QWidget* w = c->ClientWidget();
  QWidget* top = w->window();
  QBackingStore* store = top->backingStore();
  auto* shown = store ? dynamic_cast<QImage*>(store->paintDevice()) : nullptr;
  if (!shown) return {};
  return shown->copy(QRect(w->mapTo(top, QPoint(0, 0)), w->size()));
}

ui::TColor Harness::WindowPixelAt(ui::TWinControl* c, int X, int Y) {
  QWidget* w = c->Widget();
  QWidget* top = w->window();
  QPoint at = w->mapTo(top, QPoint(X, Y));
  QImage img = top->grab(QRect(at, QSize(1, 1))).toImage();
  if (img.isNull()) return ui::clNone;
  return ui::qt::FromQColor(img.pixelColor(0, 0));
}

std::string Harness::SaveScreenshot(ui::TWinControl* c, const std::string& Name, const std::string& Folder) {
  const std::string dir = Folder.empty() ? ScreenshotDir() : Folder;
  QDir().mkpath(QString::fromStdString(dir));
  std::string path = dir + "/" + Name + ".png";
  QPixmap pm = c->Widget()->grab();
  EXPECT_TRUE(pm.save(QString::fromStdString(path), "PNG")) << path;
  return path;
}

std::string Harness::SaveScreenshot(const std::vector<ui::TWinControl*>& Windows, const std::string& Name) {
  const std::string dir = ScreenshotDir();
  QDir().mkpath(QString::fromStdString(dir));
  std::string path = dir + "/" + Name + ".png";
  QRect area;
  for (ui::TWinControl* c : Windows) {
    QWidget* w = c->Widget();
    area |= QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
  }
  QPixmap pm(area.size());
  pm.fill(Qt::white);
  QPainter p(&pm);
  for (ui::TWinControl* c : Windows) {
    QWidget* w = c->Widget();
    p.drawPixmap(w->mapToGlobal(QPoint(0, 0)) - area.topLeft(), w->grab());
  }
  p.end();
  EXPECT_TRUE(pm.save(QString::fromStdString(path), "PNG")) << path;
  return path;
}

std::vector<ui::THintWindow*> ShownHintWindows() {
  std::vector<ui::THintWindow*> shown;
  if (!ui::Application) return shown;
  for (int i = 0; i < ui::Application->ComponentCount(); ++i)
    if (auto* w = dynamic_cast<ui::THintWindow*>(ui::Application->Components(i)); w && w->IsHintShown())
      shown.push_back(w);
  return shown;
}

ui::String ShownPlatformToolTip() { return QToolTip::isVisible() ? ui::qt::S(QToolTip::text()) : ui::String(); }

}  // namespace uitest

// Fontconfig keeps its caches for the life of the process; the leak checker
// of sanitizer builds is told so here rather than through the environment.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
