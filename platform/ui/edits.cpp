#include "platform/ui/edits.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextCursor>

#include "platform/ui/guard.h"
#include "platform/ui/host.h"
#include "platform/ui/keys.h"
#include "platform/ui/multi_line_edit.h"
#include "platform/ui/qt_bridge.h"

namespace ui {
namespace {

std::vector<String> SplitLines(const String& text) {
  std::vector<String> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of(u"\r\n", start);
    if (end == String::npos) {
      out.push_back(text.substr(start));
      break;
    }
    out.push_back(text.substr(start, end - start));
    start = end + ((text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1);
  }
  return out;
}

String JoinLines(const std::vector<String>& lines) {
  String out;
  for (const String& l : lines) {
    out += l;
    out += u"\r\n";
  }
  return out;
}


// The line editor draws its caret as wide as its style says; a style that
// says 0 draws none. Set on the window only while its caret is hidden.
class NoCaretStyle : public QProxyStyle {
 public:
  NoCaretStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}
  int pixelMetric(PixelMetric Metric, const QStyleOption* Option, const QWidget* Widget) const override {
    if (Metric == PM_TextCursorWidth) return 0;
    return QProxyStyle::pixelMetric(Metric, Option, Widget);
  }
};

}  // namespace

bool HideCaret(TWinControl* Control) {
  auto* e = dynamic_cast<TCustomEdit*>(Control);
  if (!e) return false;
  e->HideCaret();
  return true;
}

bool ShowCaret(TWinControl* Control) {
  auto* e = dynamic_cast<TCustomEdit*>(Control);
  if (!e) return false;
  e->ShowCaret();
  return true;
}

// --- TCustomEdit --------------------------------------------------------------------

const TClassInfo& TCustomEdit::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCustomEdit>("TCustomEdit", &TWinControl::StaticClassInfo())
          .Boolean("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, 0)
          .Integer("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, 0)
          .Build();
  return info;
}

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  SetTabStop(true);
  SetBounds(0, 0, 121, 21);
}

TCustomEdit::~TCustomEdit() { BeginDestroy(); }

int TCustomEdit::ColorRole() const { return QPalette::Base; }

void TCustomEdit::WindowTextChanged() {
  Guarded([this] {
    auto alive = alive_;
    SendCommandToParent(this, EN_CHANGE);
    if (*alive) Change();
  });
}

void TCustomEdit::HideCaret() {
  if (++caretHidden_ == 1) ApplyCaret();
}

void TCustomEdit::ShowCaret() {
  if (caretHidden_ == 0) return;
  if (--caretHidden_ == 0) ApplyCaret();
}

void TCustomEdit::ApplyCaret() {
  const bool shown = caretHidden_ == 0;
  if (auto* m = dynamic_cast<QPlainTextEdit*>(widget_)) {
    m->setCursorWidth(shown ? 1 : 0);
    m->viewport()->update();
  } else if (auto* e = dynamic_cast<QLineEdit*>(widget_)) {
    auto* own = dynamic_cast<NoCaretStyle*>(e->style());
    if (shown && own) {
      e->setStyle(nullptr);
      delete own;
    } else if (!shown && !own) {
      auto* style = new NoCaretStyle;
      style->setParent(e);
      e->setStyle(style);
    }
    e->update();
  }
}

void TCustomEdit::DestroyHandle() {
  // Typed text lives only in the window: the window made anew starts from it.
  if (auto* e = dynamic_cast<QLineEdit*>(widget_))
    text_ = qt::S(e->text());
  else if (auto* m = dynamic_cast<QPlainTextEdit*>(widget_))
    text_ = qt::FromMultiLineText(m->toPlainText());
  TWinControl::DestroyHandle();
}

void TCustomEdit::Change() {
  modified_ = true;
  if (OnChange) OnChange(this);
}

void TCustomEdit::SetReadOnly(bool Value) {
  readOnly_ = Value;
  if (auto* e = dynamic_cast<QLineEdit*>(widget_)) e->setReadOnly(Value);
  if (auto* m = dynamic_cast<QPlainTextEdit*>(widget_)) m->setReadOnly(Value);
}

void TCustomEdit::SetMaxLength(int Value) {
  maxLength_ = std::max(0, Value);
  if (auto* e = dynamic_cast<QLineEdit*>(widget_)) e->setMaxLength(maxLength_ > 0 ? maxLength_ : 0x7FFFFFFF);
  if (auto* m = dynamic_cast<qt::MultiLineEditWidget*>(widget_)) m->SetMaxLength(maxLength_);
}

void TCustomEdit::SelectAll() {
  if (auto* e = dynamic_cast<QLineEdit*>(widget_)) e->selectAll();
  else if (auto* m = dynamic_cast<QPlainTextEdit*>(widget_)) m->selectAll();
  selStart_ = 0;
  selLength_ = static_cast<int>(GetText().size());
}

int TCustomEdit::SelStart() const {
  if (auto* e = dynamic_cast<QLineEdit*>(widget_)) return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
  if (auto* m = dynamic_cast<QPlainTextEdit*>(widget_)) return m->textCursor().selectionStart();
  return selStart_;
}

int TCustomEdit::SelLength() const {
  if (auto* e = dynamic_cast<QLineEdit*>(widget_)) return e->selectionLength();
  if (auto* m = dynamic_cast<QPlainTextEdit*>(widget_)) {
    QTextCursor c = m->textCursor();
    return c.selectionEnd() - c.selectionStart();
  }
  return selLength_;
}

void TCustomEdit::SetSelStart(int Value) {
  selStart_ = std::max(0, Value);
  selLength_ = 0;
  if (auto* e = dynamic_cast<QLineEdit*>(widget_)) e->setCursorPosition(selStart_);
  if (auto* m = dynamic_cast<QPlainTextEdit*>(widget_)) {
    QTextCursor c = m->textCursor();
    c.setPosition(std::min(selStart_, static_cast<int>(m->document()->characterCount()) - 1));
    m->setTextCursor(c);
  }
}

void TCustomEdit::SetSelLength(int Value) {
  selLength_ = std::max(0, Value);
  int start = SelStart();
  if (auto* e = dynamic_cast<QLineEdit*>(widget_)) e->setSelection(start, selLength_);
  if (auto* m = dynamic_cast<QPlainTextEdit*>(widget_)) {
    QTextCursor c = m->textCursor();
    int end = std::min(start + selLength_, static_cast<int>(m->document()->characterCount()) - 1);
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    m->setTextCursor(c);
  }
}

int TCustomEdit::TextAreaWidth() const {
  auto* e = dynamic_cast<QLineEdit*>(widget_);
  if (!e) return ClientWidth();
  // QLineEdit keeps 2 pixels on each side inside its frame, and the caret
  // takes one more at the end.
  constexpr int kInnerMargin = 2, kCaret = 1;
  const int frame = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e) : 0;
  const QMargins m = e->textMargins();
  return std::max(0, Width() - 2 * frame - 2 * kInnerMargin - kCaret - m.left() - m.right());
}

String TCustomEdit::SelText() const {
  String t = GetText();
  int s = std::min(SelStart(), static_cast<int>(t.size()));
  return t.substr(s, SelLength());
}

// --- TEdit --------------------------------------------------------------------------------

const TClassInfo& TEdit::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TEdit>("TEdit", &TCustomEdit::StaticClassInfo())
                                     .Str("Text", &TEdit::Text, &TEdit::SetText)
                                     .WideChar("PasswordChar", &TEdit::PasswordChar, &TEdit::SetPasswordChar)
                                     .Build();
  return info;
}

TEdit::TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

TEdit::~TEdit() { BeginDestroy(); }

QWidget* TEdit::CreateWidget(QWidget* Parent) {
  auto* e = new qt::Host<QLineEdit>(this, false, Parent);
  QObject::connect(e, &QLineEdit::textChanged, e, [this] {
    if (!settingText_) WindowTextChanged();
  });
  return e;
}

void TEdit::InitWidget() {
  auto* e = static_cast<QLineEdit*>(widget_);
  QSignalBlocker block(e);
  e->setText(qt::Q(text_));
  e->setCursorPosition(0);
  e->setReadOnly(readOnly_);
  e->setMaxLength(maxLength_ > 0 ? maxLength_ : 0x7FFFFFFF);
  if (passwordChar_) e->setEchoMode(QLineEdit::Password);
  if (caretHidden_) ApplyCaret();
}

String TEdit::GetText() const {
  if (auto* e = dynamic_cast<QLineEdit*>(widget_)) return qt::S(e->text());
  return text_;
}

void TEdit::SetTextInternal(const String& Value) {
  text_ = Value;
  if (auto* e = dynamic_cast<QLineEdit*>(widget_)) {
    settingText_ = true;
    e->setText(qt::Q(Value));
    // A text set by code shows from its first character (a QLineEdit would
    // put the caret, and so the view, at its end); an edit the user is
    // typing in keeps its caret where the editing code put it.
    if (!e->hasFocus()) e->setCursorPosition(0);
    settingText_ = false;
  }
  Change();
  modified_ = false;
}

void TEdit::SetPasswordChar(char16_t Value) {
  passwordChar_ = Value;
  if (auto* e = dynamic_cast<QLineEdit*>(widget_)) e->setEchoMode(Value ? QLineEdit::Password : QLineEdit::Normal);
}

void TEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
    return;
  }
  TCustomEdit::Dispatch(Message);
}

// --- TMemo --------------------------------------------------------------------------------

class TMemo::MemoStrings : public TStrings {
 public:
  explicit MemoStrings(TMemo* memo) : memo_(memo) {}
  int Count() const override { return static_cast<int>(memo_->SplitText().size()); }
  String Get(int Index) const override {
    const auto& lines = memo_->SplitText();
    if (Index < 0 || Index >= static_cast<int>(lines.size())) IndexError(Index);
    return lines[Index];
  }
  void Put(int Index, const String& S) override {
    auto lines = memo_->SplitText();
    if (Index < 0 || Index >= static_cast<int>(lines.size())) IndexError(Index);
    lines[Index] = S;
    memo_->SetText(JoinLines(lines));
  }
  void Insert(int Index, const String& S) override {
    auto lines = memo_->SplitText();
    if (Index < 0 || Index > static_cast<int>(lines.size())) IndexError(Index);
    if (Index == static_cast<int>(lines.size())) {
      memo_->AppendLine(S);
      return;
    }
    lines.insert(lines.begin() + Index, S);
    memo_->SetText(JoinLines(lines));
  }
  void Delete(int Index) override {
    auto lines = memo_->SplitText();
    if (Index < 0 || Index >= static_cast<int>(lines.size())) IndexError(Index);
    lines.erase(lines.begin() + Index);
    memo_->SetText(JoinLines(lines));
  }
  void Clear() override { memo_->SetText(String()); }

 private:
  TMemo* memo_;
};

const TClassInfo& TMemo::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TMemo>("TMemo", &TCustomEdit::StaticClassInfo())
          .Object("Lines", "TStrings", &TMemo::Lines, &TMemo::SetLines)
          .Boolean("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap, 1)
          .Enum("ScrollBars", "TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}, &TMemo::ScrollBars,
                &TMemo::SetScrollBars, ssNone)
          .Boolean("WantReturns", &TMemo::WantReturns, &TMemo::SetWantReturns, 1)
          .Boolean("WantTabs", &TMemo::WantTabs, &TMemo::SetWantTabs, 0)
          .Build();
  return info;
}

TMemo::TMemo(TComponent* AOwner) : TCustomEdit(AOwner), lines_(std::make_unique<MemoStrings>(this)) {
  SetBounds(0, 0, 185, 89);
}

TMemo::~TMemo() { BeginDestroy(); }

QWidget* TMemo::CreateWidget(QWidget* Parent) {
  auto* m = new qt::Host<QPlainTextEdit>(this, false, Parent);
  QObject::connect(m, &QPlainTextEdit::textChanged, m, [this] {
    lineCacheValid_ = false;
    if (!settingText_) WindowTextChanged();
  });
  return m;
}

void TMemo::InitWidget() {
  auto* m = static_cast<QPlainTextEdit*>(widget_);
  QSignalBlocker block(m);
  m->setPlainText(qt::ToMultiLineText(text_));
  m->setReadOnly(readOnly_);
  ApplyOptions();
  if (caretHidden_) ApplyCaret();
}

void TMemo::ApplyOptions() {
  auto* m = static_cast<QPlainTextEdit*>(widget_);
  if (!m) return;
  bool hbar = scrollBars_ == ssHorizontal || scrollBars_ == ssBoth;
  bool vbar = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
  m->setLineWrapMode(wordWrap_ && !hbar ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  m->setHorizontalScrollBarPolicy(hbar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  m->setVerticalScrollBarPolicy(vbar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  m->setTabChangesFocus(!wantTabs_);
}

void TMemo::SetWordWrap(bool Value) {
  wordWrap_ = Value;
  ApplyOptions();
}

void TMemo::SetScrollBars(TScrollStyle Value) {
  scrollBars_ = Value;
  ApplyOptions();
}

String TMemo::GetText() const {
  if (auto* m = static_cast<QPlainTextEdit*>(widget_)) return qt::FromMultiLineText(m->toPlainText());
  return text_;
}

const std::vector<String>& TMemo::SplitText() const {
  if (widget_) {
    if (!lineCacheValid_ || !lineCacheFromWidget_) {
      lineCache_ = SplitLines(GetText());
      lineSource_.clear();
      lineCacheValid_ = lineCacheFromWidget_ = true;
    }
  } else if (!lineCacheValid_ || lineCacheFromWidget_ || lineSource_ != text_) {
    lineCache_ = SplitLines(text_);
    lineSource_ = text_;
    lineCacheValid_ = true;
    lineCacheFromWidget_ = false;
  }
  return lineCache_;
}

void TMemo::SetTextInternal(const String& Value) {
  lineCacheValid_ = false;
  text_ = Value;
  if (auto* m = static_cast<QPlainTextEdit*>(widget_)) {
    settingText_ = true;
    m->setPlainText(qt::ToMultiLineText(Value));
    settingText_ = false;
  }
  Change();
  modified_ = false;
}

void TMemo::AppendLine(const String& Line) {
  lineCacheValid_ = false;
  if (auto* m = static_cast<QPlainTextEdit*>(widget_)) {
    settingText_ = true;
    QTextCursor c(m->document());
    c.movePosition(QTextCursor::End);
    QString existing = m->toPlainText();
    QString add = qt::Q(Line) + u'\n';
    if (!existing.isEmpty() && !existing.endsWith(u'\n')) add.prepend(u'\n');
    c.insertText(add);
    settingText_ = false;
    m->verticalScrollBar()->setValue(m->verticalScrollBar()->maximum());
    Change();
    return;
  }
  String t = text_;
  if (!t.empty() && t.back() != u'\n' && t.back() != u'\r') t += u"\r\n";
  t += Line + u"\r\n";
  text_ = t;
  Change();
}

void TMemo::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
    if (wantReturns_ && Message.WParam == VK_RETURN) Message.Result |= DLGC_WANTALLKEYS;
    if (wantTabs_) Message.Result |= DLGC_WANTTAB;
    return;
  }
  TCustomEdit::Dispatch(Message);
}

}  // namespace ui
