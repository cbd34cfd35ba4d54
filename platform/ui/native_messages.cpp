// Messages that code sends or posts to a windowed control reach its native
// widget here. Qt runs a widget's own behaviour only for a Qt event in
// flight, so an editor would ignore a character sent by a grid or a paste
// asked for by a menu; the widget's base handling is called directly
// instead (past the control, which has already seen the message).
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <algorithm>

#include "platform/ui/controls.h"
#include "platform/ui/host.h"
#include "platform/ui/keys.h"
#include "platform/ui/multi_line_edit.h"
#include "platform/ui/qt_bridge.h"

namespace ui {
namespace {

QLineEdit* LineEditOf(QWidget* w) {
  if (auto* e = dynamic_cast<QLineEdit*>(w)) return e;
  if (auto* c = dynamic_cast<QComboBox*>(w)) return c->lineEdit();
  return nullptr;
}

// A character outside the basic plane arrives as two messages; the first half
// waits here for the second.
struct PendingSurrogate {
  const TWinControl* control = nullptr;
  char16_t high = 0;
};
PendingSurrogate g_pending;

String TextAt(LPARAM p) {
  const auto* s = reinterpret_cast<const char16_t*>(p);
  return s ? String(s) : String();
}

void SendKey(QWidget* w, QEvent::Type type, int key, Qt::KeyboardModifiers mods, const QString& text) {
  auto* host = dynamic_cast<qt::HostIface*>(w);
  if (!host) return;
  QKeyEvent e(type, key, mods, text);
  qt::DepthScope depth(host);
  host->BaseEvent(&e);
}

// Selection in UTF-16 units, both ends clamped to the text.
void SetSelection(QWidget* w, std::intptr_t start, std::intptr_t end) {
  if (QLineEdit* e = LineEditOf(w)) {
    const std::intptr_t len = e->text().size();
    if (start < 0) {
      e->deselect();
      return;
    }
    if (end < 0) end = len;
    start = std::min(start, len);
    end = std::min(end, len);
    e->setSelection(static_cast<int>(start), static_cast<int>(end - start));
  } else if (auto* m = dynamic_cast<QPlainTextEdit*>(w)) {
    QTextCursor c = m->textCursor();
    const std::intptr_t len = m->document()->characterCount() - 1;
    if (start < 0) {
      c.clearSelection();
    } else {
      if (end < 0) end = len;
      c.setPosition(static_cast<int>(std::min(start, len)));
      c.setPosition(static_cast<int>(std::min(end, len)), QTextCursor::KeepAnchor);
    }
    m->setTextCursor(c);
  }
}

bool Selection(QWidget* w, int& start, int& end) {
  if (QLineEdit* e = LineEditOf(w)) {
    if (e->hasSelectedText()) {
      start = e->selectionStart();
      end = start + e->selectionLength();
    } else {
      start = end = e->cursorPosition();
    }
    return true;
  }
  if (auto* m = dynamic_cast<QPlainTextEdit*>(w)) {
    QTextCursor c = m->textCursor();
    start = c.selectionStart();
    end = c.selectionEnd();
    return true;
  }
  return false;
}

bool ReadOnly(QWidget* w) {
  if (QLineEdit* e = LineEditOf(w)) return e->isReadOnly();
  if (auto* m = dynamic_cast<QPlainTextEdit*>(w)) return m->isReadOnly();
  return true;
}

// Cut, copy, paste, clear, undo and select-all on whichever editor the widget is.
bool EditAction(QWidget* w, std::uint32_t msg) {
  const bool ro = ReadOnly(w);
  if (QLineEdit* e = LineEditOf(w)) {
    switch (msg) {
      case WM_COPY: e->copy(); return true;
      case WM_CUT: if (!ro) e->cut(); return !ro;
      case WM_PASTE: if (!ro) e->paste(); return !ro;
      case WM_CLEAR: if (!ro && e->hasSelectedText()) e->del(); return !ro;
      case WM_UNDO: case EM_UNDO: {
        if (ro || !e->isUndoAvailable()) return false;
        e->undo();
        return true;
      }
      case EM_CANUNDO: return !ro && e->isUndoAvailable();
      case EM_SETSEL: e->selectAll(); return true;
    }
  } else if (auto* m = dynamic_cast<QPlainTextEdit*>(w)) {
    switch (msg) {
      case WM_COPY: m->copy(); return true;
      case WM_CUT: if (!ro) m->cut(); return !ro;
      case WM_PASTE: if (!ro) m->paste(); return !ro;
      case WM_CLEAR: {
        if (ro) return false;
        QTextCursor c = m->textCursor();
        c.removeSelectedText();
        m->setTextCursor(c);
        return true;
      }
      case WM_UNDO: case EM_UNDO: {
        if (ro || !m->document()->isUndoAvailable()) return false;
        m->undo();
        return true;
      }
      case EM_CANUNDO: return !ro && m->document()->isUndoAvailable();
      case EM_SETSEL: m->selectAll(); return true;
    }
  }
  return false;
}

// A typed character as an editor takes it: control characters are the
// editing keys they stand for.
void DeliverChar(QWidget* w, char16_t ch) {
  switch (ch) {
    case 1: EditAction(w, EM_SETSEL); return;  // Ctrl+A
    case 3: EditAction(w, WM_COPY); return;    // Ctrl+C
    case 22: EditAction(w, WM_PASTE); return;  // Ctrl+V
    case 24: EditAction(w, WM_CUT); return;    // Ctrl+X
    case 26: EditAction(w, WM_UNDO); return;   // Ctrl+Z
    case 8: SendKey(w, QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QString()); return;
    case 9:
      // A tab is text only where the editor keeps tabs; elsewhere it moves no focus when sent by code.
      if (auto* m = dynamic_cast<QPlainTextEdit*>(w); m && !m->tabChangesFocus() && !m->isReadOnly())
        m->insertPlainText(QStringLiteral("\t"));
      return;
    case 10:
    case 13:
      if (dynamic_cast<QPlainTextEdit*>(w)) SendKey(w, QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString());
      return;
    default: break;
  }
  if (ch < 32 || ch == 127) return;
  const QString text(QChar(static_cast<char16_t>(ch)));
  const int key = ch < 128 ? int(QChar(ch).toUpper().unicode()) : int(Qt::Key_unknown);
  SendKey(w, QEvent::KeyPress, key, Qt::NoModifier, text);
}

}  // namespace

void TWinControl::NativeDefault(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETTEXT:
      SetText(TextAt(Message.LParam));
      Message.Result = 1;
      return;
    case WM_GETTEXTLENGTH:
      Message.Result = static_cast<LRESULT>(GetText().size());
      return;
    case WM_MOUSEWHEEL:
      // A wheel nobody took here is offered to the parent, as the system does.
      if (TWinControl* parent = Parent()) Message.Result = parent->Perform(Message.Msg, Message.WParam, Message.LParam);
      return;
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<char16_t*>(Message.LParam);
      if (!buf || Message.WParam == 0) {
        Message.Result = 0;
        return;
      }
      String t = GetText();
      std::size_t n = std::min<std::size_t>(t.size(), Message.WParam - 1);
      std::copy_n(t.data(), n, buf);
      buf[n] = 0;
      Message.Result = static_cast<LRESULT>(n);
      return;
    }
    default: break;
  }
  if (!widget_) return;
  QWidget* w = widget_;
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      auto vk = static_cast<std::uint16_t>(Message.WParam);
      // These keys act through the character that follows them.
      if (vk == VK_BACK || vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE) return;
      int key = QtKeyFromVirtualKey(vk);
      if (key == 0) return;
      bool down = Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN;
      SendKey(w, down ? QEvent::KeyPress : QEvent::KeyRelease, key, QApplication::keyboardModifiers(), QString());
      return;
    }
    case WM_CHAR:
    case WM_SYSCHAR: {
      if (Message.Msg == WM_SYSCHAR) return;
      auto ch = static_cast<char16_t>(Message.WParam);
      if (ch >= 0xD800 && ch < 0xDC00) {
        g_pending = {this, ch};
        return;
      }
      if (ch >= 0xDC00 && ch < 0xE000) {
        if (g_pending.control != this || !g_pending.high) return;
        const char16_t pair[2] = {g_pending.high, ch};
        g_pending = {};
        SendKey(w, QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(reinterpret_cast<const QChar*>(pair), 2));
        return;
      }
      g_pending = {};
      DeliverChar(w, ch);
      return;
    }
    case WM_CUT:
    case WM_COPY:
    case WM_PASTE:
    case WM_CLEAR:
      EditAction(w, Message.Msg);
      return;
    case WM_UNDO:
    case EM_UNDO:
    case EM_CANUNDO:
      Message.Result = EditAction(w, Message.Msg) ? 1 : 0;
      return;
    case EM_SETSEL:
      SetSelection(w, static_cast<std::intptr_t>(Message.WParam), static_cast<std::intptr_t>(Message.LParam));
      return;
    case EM_GETSEL: {
      int s = 0, e = 0;
      if (!Selection(w, s, e)) return;
      if (Message.WParam) *reinterpret_cast<std::uint32_t*>(Message.WParam) = static_cast<std::uint32_t>(s);
      if (Message.LParam) *reinterpret_cast<std::uint32_t*>(Message.LParam) = static_cast<std::uint32_t>(e);
      Message.Result = MakeLParam(s, e);
      return;
    }
    case EM_GETLINECOUNT:
      if (auto* m = dynamic_cast<QPlainTextEdit*>(w)) Message.Result = qt::EditLineCount(m);
      else if (LineEditOf(w)) Message.Result = 1;
      return;
    case EM_LINEFROMCHAR:
      if (auto* m = dynamic_cast<QPlainTextEdit*>(w))
        Message.Result = qt::EditLineFromChar(m, static_cast<int>(static_cast<std::intptr_t>(Message.WParam)));
      else
        Message.Result = 0;
      return;
    case EM_GETRECT:
      if (auto* r = reinterpret_cast<TRect*>(Message.LParam); r && (LineEditOf(w) || dynamic_cast<QPlainTextEdit*>(w))) {
        const QRect q = qt::EditFormattingRect(w);
        *r = Rect(q.left(), q.top(), q.right() + 1, q.bottom() + 1);
      }
      return;
    case EM_SETRECT:
    case EM_SETRECTNP:
      if (const auto* r = reinterpret_cast<const TRect*>(Message.LParam)) {
        const TRect& f = *r;
        if (qt::SetEditFormattingRect(w, QRect(QPoint(f.Left, f.Top), QPoint(f.Right - 1, f.Bottom - 1))) &&
            Message.Msg == EM_SETRECT)
          w->update();
      }
      return;
    case EM_SCROLLCARET:
      qt::EditScrollCaret(w);
      Message.Result = 1;
      return;
    case EM_REPLACESEL:
      if (QLineEdit* e = LineEditOf(w)) {
        e->insert(qt::Q(TextAt(Message.LParam)));
      } else if (auto* m = dynamic_cast<QPlainTextEdit*>(w)) {
        m->insertPlainText(qt::Q(TextAt(Message.LParam)));
      }
      return;
    default: return;
  }
}

}  // namespace ui
