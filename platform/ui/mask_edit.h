// The masked edit: an edit whose text follows an edit mask (rtl::TEditMask),
// and the edit that clipboard commands reach as messages (WM_CUT, WM_COPY,
// WM_PASTE, WM_CLEAR, WM_UNDO, EM_UNDO), so descendants can refuse them.
#pragma once

#include "platform/runtime/edit_mask.h"
#include "platform/ui/edits.h"
#include "platform/runtime/exceptions.h"

namespace ui {

constexpr std::uint32_t EM_SETMARGINS = 0x00D3;
constexpr WPARAM EC_LEFTMARGIN = 1;
constexpr WPARAM EC_RIGHTMARGIN = 2;

// Text that does not complete its mask when the edit is left.
class EDBEditError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// The system's default beep. Tests count beeps through the hook.
void MessageBeep(unsigned Type = 0);
void SetBeepHook(std::function<void()> Hook);

class TCustomMaskEdit : public TEdit {
  JQ_UI_CLASSINFO
 public:
  explicit TCustomMaskEdit(TComponent* AOwner);
  ~TCustomMaskEdit() override;

  const String& EditMask() const { return mask_; }
  void SetEditMask(const String& Value);
  bool IsMasked() const { return !engine_.Empty(); }
  // The text as shown, literals and blanks included.
  String EditText() const { return ShownText(); }
  void SetEditText(const String& Value) { SetShownText(Value); }
  // Raises EDBEditError when a masked text misses a required character.
  virtual void ValidateEdit();
  // Margins of the text area beside buttons drawn inside the edit.
  void SetMargins(int Left, int Right);
  // bsNone: no frame (fields inside a composite control).
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  TAlignment TextAlignment() const { return alignment_; }
  void SetTextAlignment(TAlignment Value);

  // Multi-line mode: the window becomes a multi-line text window (made anew
  // when it exists), its lines aligned by TextAlignment, centre included.
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool Value);
  // Multi-line lines break at words to fit the width; off, they run on.
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool Value);
  // The edit window's queries: lines as shown (one on a single line), the
  // line of a character (-1: the caret's), and the rectangle the text is
  // laid out in, in client coordinates. They make the window if needed.
  int LineCount();
  int LineFromChar(int CharIndex = -1);
  TRect FormattingRect();
  // Multi-line mode only (EM_SETRECTNP), as the edit window has it.
  void SetFormattingRect(const TRect& R);

  void Dispatch(TMessage& Message) override;

 protected:
  String GetText() const override;
  void SetTextInternal(const String& Value) override;
  QWidget* CreateWidget(QWidget* Parent) override;
  void InitWidget() override;
  void DoExit() override;

 private:
  void MaskedChar(char16_t Ch);
  void MaskedErase(bool Backward);
  void ClipboardAction(std::uint32_t Msg);
  void ApplyMultiLineOptions();
  String ShownText() const;
  void SetShownText(const String& Value);
  String mask_;
  rtl::TEditMask engine_;
  int leftMargin_ = 0, rightMargin_ = 0;
  // Multi-line mode keeps the formatting rectangle's top and bottom too.
  int topMargin_ = 0, bottomMargin_ = 0;
  TAlignment alignment_ = taLeftJustify;
  TBorderStyle borderStyle_ = bsSingle;
  bool multiLine_ = false;
  bool wordWrap_ = true;
};

}  // namespace ui
