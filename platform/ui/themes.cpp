#include "platform/ui/themes.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/ui/forms.h"
#include "platform/ui/qt_bridge.h"

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

namespace {

QStyle::State StyleState(TThemedState State) {
  switch (State) {
    case tsNormal: return QStyle::State_Enabled | QStyle::State_Raised;
    case tsHot: return QStyle::State_Enabled | QStyle::State_MouseOver | QStyle::State_Raised;
    case tsPressed: return QStyle::State_Enabled | QStyle::State_Sunken | QStyle::State_On;
    case tsDisabled: return QStyle::State_Raised;
  }
  return QStyle::State_Enabled;
}

// Runs Fn with the canvas's painter and the style, the painter's state kept.
template <class Fn>
void WithStyle(TCanvas* Canvas, const TRect& R, TThemedState State, Fn&& fn) {
  // A bitmap's canvas opens its painter on first use.
  QPainter* p = Canvas && Canvas->HandleAllocated() ? Canvas->AttachedPainter() : nullptr;
  if (!p || !qApp || R.IsEmpty()) return;
  QStyle* style = QApplication::style();
  if (!style) return;
  p->save();
  // The canvas draws aliased; the style's pictures are meant to be smooth.
  p->setRenderHint(QPainter::Antialiasing, true);
  auto fill = [&](QStyleOption& opt) {
    opt.rect = qt::Q(R);
    opt.palette = QApplication::palette();
    opt.state = StyleState(State);
    if (State == tsDisabled) opt.palette.setCurrentColorGroup(QPalette::Disabled);
  };
  fn(p, style, fill);
  p->restore();
}

}  // namespace

void DrawThemedPushButton(TCanvas* Canvas, const TRect& R, TThemedState State) {
  WithStyle(Canvas, R, State, [](QPainter* p, QStyle* style, auto& fill) {
    QStyleOptionButton opt;
    fill(opt);
    style->drawControl(QStyle::CE_PushButtonBevel, &opt, p, nullptr);
  });
}

void DrawThemedToolButton(TCanvas* Canvas, const TRect& R, TThemedState State, bool SplitDropDown) {
  WithStyle(Canvas, R, State, [&](QPainter* p, QStyle* style, auto& fill) {
    QStyleOptionToolButton opt;
    fill(opt);
    opt.subControls = QStyle::SC_ToolButton;
    opt.activeSubControls = State == tsPressed ? QStyle::SC_ToolButton : QStyle::SC_None;
    if (SplitDropDown) {
      opt.subControls |= QStyle::SC_ToolButtonMenu;
      opt.features = QStyleOptionToolButton::MenuButtonPopup;
    }
    // A tool-bar button is flat: at rest (and disabled) it shows no frame,
    // hot and pressed draw one.
    opt.state |= QStyle::State_AutoRaise;
    style->drawComplexControl(QStyle::CC_ToolButton, &opt, p, nullptr);
  });
}

namespace {

// One filled and drawn tool button, with what its pixels depend on.
struct GroundedButton {
  int Width = 0, Height = 0;
  TThemedState State = tsNormal;
  QRgb Ground = 0;
  const QStyle* Style = nullptr;
  qint64 Palette = 0;
  QImage::Format Format = QImage::Format_Invalid;
  QImage Pixels;
};

// The device position of the canvas point, when the painter maps canvas
// pixels one to one onto an image a cached face can be copied to.
bool PlainImageTarget(QPainter& P, const TRect& R, QPoint& At) {
  QPaintDevice* d = P.device();
  if (!d || d->devType() != QInternal::Image || d->devicePixelRatio() != 1 || P.opacity() != 1.0 ||
      P.viewTransformEnabled() ||
      P.compositionMode() != QPainter::CompositionMode_SourceOver)
    return false;
  const QImage::Format f = static_cast<QImage*>(d)->format();
  if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32_Premultiplied && f != QImage::Format_ARGB32)
    return false;
  const QTransform t = P.worldTransform();
  if (t.type() > QTransform::TxTranslate || t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy()))
    return false;
  At = QPoint(R.Left + static_cast<int>(t.dx()), R.Top + static_cast<int>(t.dy()));
  return true;
}

}  // namespace

void DrawThemedToolButtonOnGround(TCanvas* Canvas, const TRect& R, TThemedState State, TColor Ground) {
  QPainter* p = Canvas && Canvas->HandleAllocated() ? Canvas->AttachedPainter() : nullptr;
  QStyle* style = qApp ? QApplication::style() : nullptr;
  QPoint at;
  if (!p || !style || R.IsEmpty() || Canvas->Brush()->Style() != bsSolid || !PlainImageTarget(*p, R, at)) {
    Canvas->Brush()->SetColor(Ground);
    Canvas->FillRect(R);
    DrawThemedToolButton(Canvas, R, State);
    return;
  }
  const QImage::Format format = static_cast<QImage*>(p->device())->format();
  const QRgb ground = qt::ToQColor(Ground).rgba();
  const qint64 palette = QApplication::palette().cacheKey();
  // A handful of faces: the sizes of a grid's header and indicator cells.
  static std::vector<GroundedButton> cache;
  auto hit = std::find_if(cache.begin(), cache.end(), [&](const GroundedButton& b) {
    return b.Width == R.Width() && b.Height == R.Height() && b.State == State && b.Ground == ground &&
           b.Style == style && b.Palette == palette && b.Format == format;
  });
  if (hit == cache.end()) {
    if (cache.size() >= 32) cache.erase(cache.begin());
    GroundedButton b{R.Width(), R.Height(), State, ground, style, palette, format, QImage(R.Width(), R.Height(), format)};
    b.Pixels.fill(QColor::fromRgba(ground));
    QPainter q(&b.Pixels);
    q.setRenderHint(QPainter::Antialiasing, true);
    QStyleOptionToolButton opt;
    opt.rect = QRect(0, 0, R.Width(), R.Height());
    opt.palette = QApplication::palette();
    opt.state = StyleState(State) | QStyle::State_AutoRaise;
    opt.subControls = QStyle::SC_ToolButton;
    opt.activeSubControls = State == tsPressed ? QStyle::SC_ToolButton : QStyle::SC_None;
    if (State == tsDisabled) opt.palette.setCurrentColorGroup(QPalette::Disabled);
    style->drawComplexControl(QStyle::CC_ToolButton, &opt, &q, nullptr);
    q.end();
    cache.push_back(std::move(b));
    hit = cache.end() - 1;
  }
  Canvas->Brush()->SetColor(Ground);
  // Drawn untransformed at its device place: an opaque copy of the pixels.
  const QTransform old = p->worldTransform();
  p->resetTransform();
  p->drawImage(at, hit->Pixels);
  p->setWorldTransform(old);
  if (Canvas->OnChange) Canvas->OnChange(Canvas);
}

void DrawThemedHeader(TCanvas* Canvas, const TRect& R, TThemedState State) {
  WithStyle(Canvas, R, State, [](QPainter* p, QStyle* style, auto& fill) {
    QStyleOptionHeader opt;
    fill(opt);
    opt.orientation = Qt::Horizontal;
    opt.position = QStyleOptionHeader::Middle;
    opt.state |= QStyle::State_Horizontal;
    style->drawControl(QStyle::CE_HeaderSection, &opt, p, nullptr);
  });
}

void DrawThemedCheckBox(TCanvas* Canvas, const TRect& R, TThemedCheck Check, TThemedState State) {
  WithStyle(Canvas, R, State, [&](QPainter* p, QStyle* style, auto& fill) {
    QStyleOptionButton opt;
    fill(opt);
    opt.state &= ~(QStyle::State_Raised | QStyle::State_Sunken | QStyle::State_On);
    if (State == tsPressed) opt.state |= QStyle::State_Sunken;
    opt.state |= Check == tcChecked ? QStyle::State_On : Check == tcMixed ? QStyle::State_NoChange : QStyle::State_Off;
    // The box always shows its ground, which the check box's own paint does not.
    p->fillRect(opt.rect, opt.palette.base());
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &opt, p, nullptr);
  });
}

namespace {

// A push-button face with one of the style's arrows on it.
void BevelWithArrow(TCanvas* Canvas, const TRect& R, TThemedState State, QStyle::PrimitiveElement Arrow, int Inset) {
  WithStyle(Canvas, R, State, [&](QPainter* p, QStyle* style, auto& fill) {
    QStyleOptionButton opt;
    fill(opt);
    style->drawControl(QStyle::CE_PushButtonBevel, &opt, p, nullptr);
    QStyleOption arrow;
    fill(arrow);
    arrow.rect = opt.rect.adjusted(Inset, Inset, -Inset, -Inset);
    style->drawPrimitive(Arrow, &arrow, p, nullptr);
  });
}

}  // namespace

void DrawThemedComboButton(TCanvas* Canvas, const TRect& R, TThemedState State) {
  BevelWithArrow(Canvas, R, State, QStyle::PE_IndicatorArrowDown, 2);
}

void DrawThemedSpinButton(TCanvas* Canvas, const TRect& R, bool Up, TThemedState State) {
  BevelWithArrow(Canvas, R, State, Up ? QStyle::PE_IndicatorSpinUp : QStyle::PE_IndicatorSpinDown, 1);
}

void DrawThemedTreeGlyph(TCanvas* Canvas, const TRect& R, bool Expanded) {
  WithStyle(Canvas, R, tsNormal, [&](QPainter* p, QStyle* style, auto& fill) {
    QStyleOption opt;
    fill(opt);
    opt.state = QStyle::State_Enabled | QStyle::State_Item | QStyle::State_Children;
    if (Expanded) opt.state |= QStyle::State_Open;
    style->drawPrimitive(QStyle::PE_IndicatorBranch, &opt, p, nullptr);
  });
}

void DrawThemedGroupBox(TCanvas* Canvas, const TRect& R, TThemedState State) {
  WithStyle(Canvas, R, State, [](QPainter* p, QStyle* style, auto& fill) {
    QStyleOptionFrame opt;
    fill(opt);
    opt.lineWidth = 1;
    opt.midLineWidth = 0;
    opt.features = QStyleOptionFrame::None;
    opt.state &= ~(QStyle::State_Sunken | QStyle::State_Raised);
    // The style's group-box frame keeps a title band free at the top (it
    // cannot know the caption is drawn elsewhere), which leaves a short
    // button with a bar under its caption; the plain frame goes round the
    // whole rectangle.
    // A one-pixel frame on whole pixels, inside the rectangle.
    p->setRenderHint(QPainter::Antialiasing, false);
    style->drawPrimitive(QStyle::PE_Frame, &opt, p, nullptr);
  });
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
  qt::ClipToPaint(p);
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
  // A graphic control is painted inside its parent's paint, over the
  // background already laid: rendering the parent again would recurse.
  if (dynamic_cast<TGraphicControl*>(Control)) return true;
  QWidget* source = parent->ClientWidget();
  // The parent's own painting only: its windowed children (this control
  // among them) are left out, so the paint cannot come back here.
  const TPadding& frame = parent->NonClientMargins();
  QRegion area(qt::Q(Control->BoundsRect()).translated(frame.Left, frame.Top));
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
    case crHSplit: w->setCursor(Qt::SplitHCursor); break;
    case crVSplit: w->setCursor(Qt::SplitVCursor); break;
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
