// Helpers shared by the extended-control tests.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QWidget>

#include <string>

#include "platform/runtime/format_settings.h"
#include "tests/platform/ui/harness.h"
#include "platform/ui/mask_edit.h"

namespace exttest {

// '.' decimal and ',' thousands separators for the length of a test.
struct Separators {
  rtl::TFormatSettings saved = rtl::FormatSettings();
  Separators(char16_t dec = u'.', char16_t th = u',') {
    rtl::FormatSettings().DecimalSeparator = dec;
    rtl::FormatSettings().ThousandSeparator = th;
  }
  ~Separators() { rtl::FormatSettings() = saved; }
};

// Counts beeps instead of sounding them.
struct BeepCounter {
  int count = 0;
  BeepCounter() { ui::SetBeepHook([this] { ++count; }); }
  ~BeepCounter() { ui::SetBeepHook(nullptr); }
};

// Collects the errors the window loop reports.
struct ErrorCatcher {
  std::vector<std::string> messages;
  ErrorCatcher() {
    ui::Application->OnException = [this](ui::TObject*, const std::exception& e) { messages.push_back(e.what()); };
  }
};

// A wheel turn over a windowed control (delta in eighths of a degree, 120 a notch).
inline void Wheel(ui::TWinControl* c, int delta) {
  QWidget* w = c->Widget();
  QPointF at(w->width() / 2.0, w->height() / 2.0);
  QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  QApplication::sendEvent(w, &e);
}

// Saves what a control shows into this test process's own temporary folder
// (kept after the run, so the pictures can be looked at).
inline std::string Screenshot(ui::TWinControl* c, const std::string& name) {
  static const QString dir = [] {
    QTemporaryDir d(QString::fromStdString(::testing::TempDir()) + "/jq_extended_screens-XXXXXX");
    d.setAutoRemove(false);
    return d.path();
  }();
  QString path = dir + "/" + QString::fromStdString(name) + ".png";
  ::testing::Test::RecordProperty("screenshot_" + name, path.toStdString());
  EXPECT_TRUE(c->Widget()->grab().save(path, "PNG")) << path.toStdString();
  return path.toStdString();
}

}  // namespace exttest
