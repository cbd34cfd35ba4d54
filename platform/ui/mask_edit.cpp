#include "platform/ui/mask_edit.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalBlocker>

#include "platform/ui/host.h"
#include "platform/ui/keys.h"
#include "platform/ui/multi_line_edit.h"
#include "platform/ui/qt_bridge.h"

namespace ui {
namespace {

std::function<void()>& BeepHook() {
  static std::function<void()> hook;
  return hook;
}

bool Down(int vk) { return GetKeyState(vk) < 0; }

Qt::Alignment QtAlignment(TAlignment alignment_) {
  Qt::Alignment h = alignment_ == taRightJustify ? Qt::AlignRight : alignment_ == taCenter ? Qt::AlignHCenter
                                                                                          : Qt::AlignLeft;
  return h | Qt::AlignVCenter;
}

}  // namespace

void MessageBeep(unsigned) {
  if (BeepHook()) {
    BeepHook()();
    return;
  }
  QApplication::beep();
}

void SetBeepHook(std::function<void()> Hook) { BeepHook() = std::move(Hook); }

const TClassInfo& TCustomMaskEdit::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCustomMaskEdit>("TCustomMaskEdit", &TEdit::StaticClassInfo())
          .Str("EditMask", &TCustomMaskEdit::EditMask, &TCustomMaskEdit::SetEditMask)
          .Build();
  return info;
}

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TEdit(AOwner) {}

TCustomMaskEdit::~TCustomMaskEdit() { BeginDestroy(); }

void TCustomMaskEdit::SetEditMask(const String& Value) {
  if (Value == mask_) return;
  String value = GetText();
  mask_ = Value;
  engine_ = rtl::TEditMask(Value);
  SetTextInternal(value);
}

String TCustomMaskEdit::GetText() const {
  String shown = ShownText();
  return IsMasked() ? engine_.Strip(shown) : shown;
}

void TCustomMaskEdit::SetTextInternal(const String& Value) {
  SetShownText(IsMasked() ? engine_.Apply(Value) : Value);
}

String TCustomMaskEdit::ShownText() const {
  if (!multiLine_) return TEdit::GetText();
  if (auto* m = dynamic_cast<QPlainTextEdit*>(widget_)) return qt::FromMultiLineText(m->toPlainText());
  return text_;
}

void TCustomMaskEdit::SetShownText(const String& Value) {
  if (!multiLine_) {
    TEdit::SetTextInternal(Value);
    return;
  }
  text_ = Value;
  if (auto* m = dynamic_cast<QPlainTextEdit*>(widget_)) {
    settingText_ = true;
    m->setPlainText(qt::ToMultiLineText(Value));
    settingText_ = false;
  }
  Change();
  modified_ = false;
}

QWidget* TCustomMaskEdit::CreateWidget(QWidget* Parent) {
  if (!multiLine_) return TEdit::CreateWidget(Parent);
  auto* m = new qt::Host<qt::MultiLineEditWidget>(this, false, Parent);
  QObject::connect(m, &QPlainTextEdit::textChanged, m, [this] {
    if (!settingText_) WindowTextChanged();
  });
  return m;
}

void TCustomMaskEdit::InitWidget() {
  if (multiLine_) {
    auto* m = static_cast<qt::MultiLineEditWidget*>(widget_);
    {
      QSignalBlocker block(m);
      m->setPlainText(qt::ToMultiLineText(text_));
    }
    m->setReadOnly(readOnly_);
    m->SetMaxLength(maxLength_);
    ApplyMultiLineOptions();
    if (!CaretShown()) ApplyCaret();
    return;
  }
  TEdit::InitWidget();
  if (auto* e = static_cast<QLineEdit*>(widget_)) {
    e->setTextMargins(leftMargin_, 0, rightMargin_, 0);
    e->setAlignment(QtAlignment(alignment_));
    e->setFrame(borderStyle_ != bsNone);
  }
}

void TCustomMaskEdit::ApplyMultiLineOptions() {
  auto* m = dynamic_cast<qt::MultiLineEditWidget*>(widget_);
  if (!m) return;
  m->setFrameShape(borderStyle_ != bsNone ? QFrame::StyledPanel : QFrame::NoFrame);
  m->SetTextMargins(leftMargin_, topMargin_, rightMargin_, bottomMargin_);
  m->SetAlignment((QtAlignment(alignment_) & Qt::AlignHorizontal_Mask) | Qt::AlignTop);
  m->SetWordWrap(wordWrap_);
}

void TCustomMaskEdit::SetMultiLine(bool Value) {
  if (multiLine_ == Value) return;
  // The text moves over to the new window.
  text_ = ShownText();
  multiLine_ = Value;
  RecreateWnd();
}

void TCustomMaskEdit::SetWordWrap(bool Value) {
  wordWrap_ = Value;
  ApplyMultiLineOptions();
}

int TCustomMaskEdit::LineCount() {
  HandleNeeded();
  return static_cast<int>(Perform(EM_GETLINECOUNT));
}

int TCustomMaskEdit::LineFromChar(int CharIndex) {
  HandleNeeded();
  return static_cast<int>(Perform(EM_LINEFROMCHAR, static_cast<WPARAM>(static_cast<std::intptr_t>(CharIndex))));
}

TRect TCustomMaskEdit::FormattingRect() {
  HandleNeeded();
  TRect r;
  Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  return r;
}

void TCustomMaskEdit::SetFormattingRect(const TRect& R) {
  if (!multiLine_) return;
  HandleNeeded();
  Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&R));
  // Kept for a window made anew.
  if (auto* m = dynamic_cast<qt::MultiLineEditWidget*>(widget_)) {
    const QMargins t = m->TextMargins();
    leftMargin_ = t.left();
    topMargin_ = t.top();
    rightMargin_ = t.right();
    bottomMargin_ = t.bottom();
  }
}

void TCustomMaskEdit::SetBorderStyle(TBorderStyle Value) {
  borderStyle_ = Value;
  if (auto* e = dynamic_cast<QLineEdit*>(widget_)) e->setFrame(Value != bsNone);
  ApplyMultiLineOptions();
}

void TCustomMaskEdit::SetTextAlignment(TAlignment Value) {
  alignment_ = Value;
  if (auto* e = dynamic_cast<QLineEdit*>(widget_)) e->setAlignment(QtAlignment(alignment_));
  ApplyMultiLineOptions();
}

void TCustomMaskEdit::SetMargins(int Left, int Right) {
  leftMargin_ = Left;
  rightMargin_ = Right;
  if (auto* e = dynamic_cast<QLineEdit*>(widget_)) e->setTextMargins(Left, 0, Right, 0);
  ApplyMultiLineOptions();
}

void TCustomMaskEdit::ValidateEdit() {
  if (IsMasked() && !engine_.Complete(EditText()))
    throw EDBEditError(u"Invalid input value.  Use escape key to abandon changes");
}

void TCustomMaskEdit::DoExit() {
  if (IsMasked() && Modified()) ValidateEdit();
  TEdit::DoExit();
}

void TCustomMaskEdit::MaskedChar(char16_t Ch) {
  if (ReadOnly()) return;
  String shown = EditText();
  int pos = engine_.NextEditable(SelStart());
  if (pos >= engine_.Length()) {
    MessageBeep();
    return;
  }
  auto c = engine_.Accept(pos, Ch);
  if (!c) {
    MessageBeep();
    return;
  }
  shown.resize(engine_.Length(), engine_.BlankChar());
  shown[pos] = *c;
  SetShownText(shown);
  modified_ = true;
  SetSelStart(engine_.NextEditable(pos + 1));
}

void TCustomMaskEdit::MaskedErase(bool Backward) {
  if (ReadOnly()) return;
  String shown = EditText();
  int start = SelStart(), len = SelLength();
  if (len == 0) {
    int pos = Backward ? engine_.PrevEditable(start) : engine_.NextEditable(start);
    if (pos < 0 || pos >= engine_.Length()) return;
    start = pos;
    len = 1;
  }
  for (int i = start; i < start + len && i < static_cast<int>(shown.size()); ++i)
    if (!engine_.IsLiteral(i)) shown[i] = engine_.BlankChar();
  SetShownText(shown);
  modified_ = true;
  SetSelStart(start);
}

void TCustomMaskEdit::ClipboardAction(std::uint32_t Msg) {
  // Either window kind: both editors offer the same clipboard calls.
  auto run = [this, Msg](auto* e, auto clear) {
    if (Msg == WM_COPY) {
      e->copy();
      return;
    }
    if (ReadOnly()) return;
    switch (Msg) {
      case WM_CUT: e->cut(); break;
      case WM_PASTE: e->paste(); break;
      case WM_CLEAR: clear(); break;
      default: e->undo(); break;
    }
  };
  if (auto* m = dynamic_cast<QPlainTextEdit*>(widget_))
    run(m, [m] { m->textCursor().removeSelectedText(); });
  else if (auto* e = dynamic_cast<QLineEdit*>(widget_))
    run(e, [e] { e->del(); });
}

void TCustomMaskEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_KEYDOWN: {
      // Clipboard keys travel as messages, so a descendant can refuse them.
      auto key = static_cast<std::uint16_t>(Message.WParam);
      bool ctrl = Down(VK_CONTROL), shift = Down(VK_SHIFT);
      std::uint32_t clip = 0;
      if (ctrl && !shift) {
        clip = key == 'C' || key == VK_INSERT ? WM_COPY : key == 'X' ? WM_CUT : key == 'V' ? WM_PASTE
               : key == 'Z' ? WM_UNDO : 0;
      } else if (shift && !ctrl) {
        clip = key == VK_INSERT ? WM_PASTE : key == VK_DELETE ? WM_CUT : 0;
      }
      if (clip) {
        TEdit::Dispatch(Message);  // key events first
        if (Message.WParam == 0 || Message.Result) return;
        Perform(clip);
        Message.Result = 1;
        return;
      }
      if (IsMasked() && (key == VK_BACK || key == VK_DELETE)) {
        TEdit::Dispatch(Message);
        if (Message.WParam == 0 || Message.Result) return;
        MaskedErase(key == VK_BACK);
        Message.Result = 1;
        return;
      }
      TEdit::Dispatch(Message);
      return;
    }
    case WM_CHAR:
      if (IsMasked()) {
        auto ch = static_cast<char16_t>(Message.WParam);
        DoKeyPress(ch);
        if (ch >= 0x20) MaskedChar(ch);
        else if (ch) DefaultHandler(Message);
        return;
      }
      TEdit::Dispatch(Message);
      return;
    case WM_CUT:
    case WM_COPY:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
      ClipboardAction(Message.Msg);
      Message.Result = 1;
      return;
    case EM_SETMARGINS: {
      int l = (Message.WParam & EC_LEFTMARGIN) ? LoWord(static_cast<std::uintptr_t>(Message.LParam)) : leftMargin_;
      int r = (Message.WParam & EC_RIGHTMARGIN) ? HiWord(static_cast<std::uintptr_t>(Message.LParam)) : rightMargin_;
      SetMargins(l, r);
      return;
    }
    default:
      TEdit::Dispatch(Message);
  }
}

}  // namespace ui
