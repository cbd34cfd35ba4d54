// The multi-line text window behind edits that wrap their text: Qt's plain
// text editor with what an edit window offers besides, the formatting
// rectangle, the alignment of its lines, a text limit, and the line queries
// asked of it. Private to platform/ui.
#pragma once

#include <QPlainTextEdit>
#include <QRect>

#include "platform/runtime/rtl_string.h"

namespace ui::qt {

class MultiLineEditWidget : public QPlainTextEdit {
 public:
  explicit MultiLineEditWidget(QWidget* parent);
  // Space kept free round the text inside the frame.
  void SetTextMargins(int left, int top, int right, int bottom);
  QMargins TextMargins() const { return viewportMargins(); }
  void SetAlignment(Qt::Alignment alignment);
  void SetWordWrap(bool on);
  // 0: no limit. Typed or pasted text beyond it is cut off.
  void SetMaxLength(int length) { maxLength_ = length; }

 protected:
  bool event(QEvent* e) override;

 private:
  void KeepToMaxLength(int position, int added);
  int maxLength_ = 0;
  bool trimming_ = false;
};

// Program text ends lines with CR LF; the editor's paragraphs end with LF.
QString ToMultiLineText(const rtl::String& s);
rtl::String FromMultiLineText(QString s);

// Lines as the editor shows them (a wrapped paragraph is several), from 0.
int EditLineCount(QPlainTextEdit* e);
// The line of a character position; a negative position asks for the line
// of the selection's start (the caret's when nothing is selected).
int EditLineFromChar(QPlainTextEdit* e, int position);
// The rectangle the text is laid out in, in widget coordinates; the
// single-line editor's is the widget less its text margins.
QRect EditFormattingRect(QWidget* w);
// Sets that rectangle; false for a widget that is no text editor.
bool SetEditFormattingRect(QWidget* w, const QRect& r);
// Scrolls the caret into view.
void EditScrollCaret(QWidget* w);

}  // namespace ui::qt
