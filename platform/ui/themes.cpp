#include "themes.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>
#include <QWindow>

#include "forms.h"
#include "qt_bridge.h"

namespace ui {
namespace {

bool g_themesWanted = true;

}  // namespace

bool ThemesEnabled() { return g_themesWanted && qApp && QApplication::style() != nullptr; }

void SetThemesEnabled(bool Value) { g_themesWanted = Value; }

void DrawThemedSpinHalf(TBitmap* Target, const std::vector<TPoint>& Clip, const TRect& Face, bool ShowArrow,
                        TPoint Arrow, bool Up, bool Pressed, bool Hot, bool Enabled) {
  if (!Target || !qApp) return;
  QStyle* style = QApplication::style();
  if (!style || !Target->Image() || Target->Image()->isNull()) return;
  QImage img = *Target->Image();
  QPainter p(&img);
  QPolygon poly;
  for (const TPoint& pt : Clip) poly << QPoint(pt.X, pt.Y);
  p.setClipRegion(QRegion(poly));
  QStyleOptionButton button;
  button.rect = qt::Q(Face);
  button.palette = QApplication::palette();
  button.state = (Enabled ? QStyle::State_Enabled : QStyle::State_None) |
                 (Pressed ? QStyle::State_Sunken : QStyle::State_Raised) | (Hot ? QStyle::State_MouseOver : QStyle::State_None);
  style->drawPrimitive(QStyle::PE_PanelButtonCommand, &button, &p, nullptr);
  if (!ShowArrow) {
    p.end();
    Target->SetImage(img);
    return;
  }
  QStyleOption arrow;
  arrow.rect = QRect(Arrow.X - 4 + (Pressed ? 1 : 0), Arrow.Y - 4 + (Pressed ? 1 : 0), 9, 9);
  arrow.palette = button.palette;
  arrow.state = Enabled ? QStyle::State_Enabled : QStyle::State_None;
  style->drawPrimitive(Up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &arrow, &p, nullptr);
  p.end();
  Target->SetImage(img);
}

void DrawThemedStatusPart(TCanvas* Canvas, TThemedStatusPart Part, const TRect& R) {
  QPainter* p = Canvas ? Canvas->AttachedPainter() : nullptr;
  if (!p || !qApp) return;
  QStyle* style = QApplication::style();
  if (!style) return;
  p->save();
  QStyleOption opt;
  opt.rect = qt::Q(R);
  opt.palette = QApplication::palette();
  opt.state = QStyle::State_Enabled;
  switch (Part) {
    case tspStatusBackground:
      p->fillRect(opt.rect, opt.palette.window());
      style->drawPrimitive(QStyle::PE_PanelStatusBar, &opt, p, nullptr);
      break;
    case tspStatusPane:
      style->drawPrimitive(QStyle::PE_FrameStatusBarItem, &opt, p, nullptr);
      break;
    case tspStatusGripper: {
      QStyleOptionSizeGrip grip;
      grip.rect = opt.rect;
      grip.palette = opt.palette;
      grip.state = opt.state;
      grip.corner = Qt::BottomRightCorner;
      style->drawControl(QStyle::CE_SizeGrip, &grip, p, nullptr);
      break;
    }
  }
  p->restore();
}

void DrawThemedText(TCanvas* Canvas, const TRect& R, const String& Text, unsigned Flags, bool Enabled) {
  QPainter* p = Canvas ? Canvas->AttachedPainter() : nullptr;
  if (!p || !qApp) return;
  QStyle* style = QApplication::style();
  if (!style) return;
  int align = Qt::AlignVCenter | Qt::TextSingleLine;
  if (Flags & DT_CENTER)
    align |= Qt::AlignHCenter;
  else if (Flags & DT_RIGHT)
    align |= Qt::AlignRight;
  else
    align |= Qt::AlignLeft;
  p->save();
  p->setFont(qt::ToQFont(*Canvas->Font()));
  QPalette pal = QApplication::palette();
  pal.setColor(QPalette::WindowText, qt::ToQColor(Canvas->Font()->Color()));
  style->drawItemText(p, qt::Q(R), align, pal, Enabled, qt::Q(Text), QPalette::WindowText);
  p->restore();
}

void PaintOnWidget(QWidget* Target, TCanvas* Canvas, const std::function<void()>& Fn) {
  if (!Target || !Canvas) return;
  QPainter p(Target);
  Canvas->Attach(&p);
  try {
    Fn();
  } catch (...) {
    Canvas->Detach();
    throw;
  }
  Canvas->Detach();
}

bool PaintParentBackground(TControl* Control, TCanvas* Canvas) {
  TWinControl* parent = Control ? Control->Parent() : nullptr;
  if (!parent) return false;
  QPainter* p = Canvas ? Canvas->AttachedPainter() : nullptr;
  if (!p || !parent->HandleAllocated()) return true;
  QWidget* source = parent->ClientWidget();
  // The parent's own painting only: its windowed children (this control
  // among them) are left out, so the paint cannot come back here.
  QRegion area(qt::Q(Control->BoundsRect()));
  p->save();
  source->render(p, QPoint(0, 0), area, QWidget::DrawWindowBackground);
  p->restore();
  return true;
}

void ShowControlCursor(TWinControl* Control, TCursor Cursor) {
  if (!Control || !Control->HandleAllocated()) return;
  QWidget* w = Control->Widget();
  if (Cursor == crDefault) Cursor = Control->Cursor();
  switch (Cursor) {
    case crDefault: w->unsetCursor(); break;
    case crSizeNWSE: w->setCursor(Qt::SizeFDiagCursor); break;
    case crSizeNESW: w->setCursor(Qt::SizeBDiagCursor); break;
    case crSizeNS: w->setCursor(Qt::SizeVerCursor); break;
    case crSizeWE: w->setCursor(Qt::SizeHorCursor); break;
    case crSizeAll: w->setCursor(Qt::SizeAllCursor); break;
    case crHandPoint: w->setCursor(Qt::PointingHandCursor); break;
    case crIBeam: w->setCursor(Qt::IBeamCursor); break;
    case crCross: w->setCursor(Qt::CrossCursor); break;
    case crHourGlass: w->setCursor(Qt::WaitCursor); break;
    default: w->setCursor(Qt::ArrowCursor); break;
  }
}

void StartSystemSizeBottomRight(TCustomForm* Form) {
  if (!Form || !Form->HandleAllocated()) return;
  if (QWindow* win = Form->Widget()->windowHandle()) win->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
}

void TextOutRotated(TCanvas* Canvas, int X, int Y, const String& Text, int Tenths) {
  QPainter* p = Canvas ? Canvas->AttachedPainter() : nullptr;
  if (!p) return;
  p->save();
  p->translate(X, Y);
  p->rotate(-Tenths / 10.0);
  QFont f = qt::ToQFont(*Canvas->Font());
  p->setFont(f);
  p->setPen(qt::ToQColor(Canvas->Font()->Color()));
  p->drawText(0, 0, qt::Q(Text));
  p->restore();
}

}  // namespace ui
