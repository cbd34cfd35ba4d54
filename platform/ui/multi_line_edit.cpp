#include "platform/ui/multi_line_edit.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QLineEdit>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>

#include "platform/ui/host.h"
#include "platform/ui/qt_bridge.h"

namespace ui::qt {
namespace {

// A window not shown yet has had no resize event, so the editor has not
// laid its lines out for its width; a query must not count them unwrapped.
void EnsureLaidOut(QPlainTextEdit* e) {
  if (!e->testAttribute(Qt::WA_PendingResizeEvent)) return;
  e->setAttribute(Qt::WA_PendingResizeEvent, false);
  QResizeEvent resize(e->size(), QSize(-1, -1));
  if (auto* host = dynamic_cast<HostIface*>(e))
    host->BaseEvent(&resize);
  else
    QCoreApplication::sendEvent(e, &resize);
}

int LinesOf(QPlainTextEdit* e, const QTextBlock& b) {
  e->document()->documentLayout()->blockBoundingRect(b);  // lays the block out
  const QTextLayout* layout = b.layout();
  return std::max(1, layout ? layout->lineCount() : 1);
}

}  // namespace

QString ToMultiLineText(const rtl::String& s) {
  QString q = Q(s);
  q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  q.replace(u'\r', u'\n');
  return q;
}

rtl::String FromMultiLineText(QString s) {
  s.replace(u'\n', QStringLiteral("\r\n"));
  return S(s);
}

MultiLineEditWidget::MultiLineEditWidget(QWidget* parent) : QPlainTextEdit(parent) {
  // The formatting rectangle alone decides where the text goes.
  document()->setDocumentMargin(0);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTabChangesFocus(true);
  // Margins beside the text look like the text's background.
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
  connect(document(), &QTextDocument::contentsChange, this,
          [this](int position, int, int added) { KeepToMaxLength(position, added); });
}

void MultiLineEditWidget::SetTextMargins(int left, int top, int right, int bottom) {
  setViewportMargins(std::max(0, left), std::max(0, top), std::max(0, right), std::max(0, bottom));
}

void MultiLineEditWidget::SetAlignment(Qt::Alignment alignment) {
  QTextOption option = document()->defaultTextOption();
  option.setAlignment(alignment);
  document()->setDefaultTextOption(option);
}

void MultiLineEditWidget::SetWordWrap(bool on) {
  setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  QTextOption option = document()->defaultTextOption();
  option.setWrapMode(on ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
  document()->setDefaultTextOption(option);
}

void MultiLineEditWidget::KeepToMaxLength(int position, int added) {
  if (trimming_ || maxLength_ <= 0 || added <= 0) return;
  // The limit counts a line end as the two characters CR LF it is in the text.
  const int excess = document()->characterCount() - 1 + document()->blockCount() - 1 - maxLength_;
  if (excess <= 0) return;
  // What went in last gives way, as an edit window refuses the overflow.
  const int cut = std::min(excess, added);
  trimming_ = true;
  QTextCursor c(document());
  c.setPosition(position + added - cut);
  c.setPosition(position + added, QTextCursor::KeepAnchor);
  c.removeSelectedText();
  trimming_ = false;
}

bool MultiLineEditWidget::event(QEvent* e) {
  // The frame and the margins are the control's to paint over (buttons,
  // images); the text area is the viewport's own paint.
  if (e->type() == QEvent::Paint) {
    auto* host = dynamic_cast<HostIface*>(this);
    if (host && host->Control()) {
      host->Control()->HostPaint(this, e, [this, e] { QPlainTextEdit::event(e); }, false);
      return true;
    }
  }
  return QPlainTextEdit::event(e);
}

int EditLineCount(QPlainTextEdit* e) {
  EnsureLaidOut(e);
  int lines = 0;
  for (QTextBlock b = e->document()->begin(); b.isValid(); b = b.next()) lines += LinesOf(e, b);
  return std::max(1, lines);
}

int EditLineFromChar(QPlainTextEdit* e, int position) {
  EnsureLaidOut(e);
  QTextDocument* doc = e->document();
  if (position < 0) position = e->textCursor().selectionStart();
  position = std::clamp(position, 0, std::max(0, doc->characterCount() - 1));
  const QTextBlock target = doc->findBlock(position);
  int line = 0;
  for (QTextBlock b = doc->begin(); b.isValid() && b != target; b = b.next()) line += LinesOf(e, b);
  LinesOf(e, target);
  if (const QTextLayout* layout = target.layout(); layout && layout->lineCount() > 0) {
    const QTextLine l = layout->lineForTextPosition(position - target.position());
    if (l.isValid()) line += l.lineNumber();
  }
  return line;
}

QRect EditFormattingRect(QWidget* w) {
  if (auto* m = dynamic_cast<QPlainTextEdit*>(w)) return m->viewport()->geometry();
  if (auto* e = dynamic_cast<QLineEdit*>(w)) {
    const QMargins t = e->textMargins();
    return QRect(QPoint(t.left(), 0), QPoint(e->width() - t.right() - 1, e->height() - 1));
  }
  return QRect();
}

bool SetEditFormattingRect(QWidget* w, const QRect& r) {
  auto* m = dynamic_cast<MultiLineEditWidget*>(w);
  if (!m) return false;
  const QRect inside = m->frameRect().adjusted(m->frameWidth(), m->frameWidth(), -m->frameWidth(), -m->frameWidth());
  m->SetTextMargins(r.left() - inside.left(), r.top() - inside.top(), inside.right() - r.right(),
                    inside.bottom() - r.bottom());
  return true;
}

void EditScrollCaret(QWidget* w) {
  if (auto* m = dynamic_cast<QPlainTextEdit*>(w)) m->ensureCursorVisible();
  // A line editor keeps its caret in view by itself.
}

}  // namespace ui::qt
