// Single-line and multi-line text editors.
#pragma once

#include <memory>

#include "platform/ui/controls.h"

namespace ui {

class TCustomEdit : public TWinControl {
  JQ_UI_CLASSINFO
 public:
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;

  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool Value);
  // 0: no limit.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int Value);
  void SelectAll();
  void Clear() { SetText(String()); }
  int SelStart() const;
  void SetSelStart(int Value);
  int SelLength() const;
  void SetSelLength(int Value);
  String SelText() const;
  bool Modified() const { return modified_; }
  void SetModified(bool Value) { modified_ = Value; }
  // Pixels a one-line text can use between the frame and the margins.
  int TextAreaWidth() const;

  // The caret hides while something else takes the typing (an open
  // drop-down). Hiding counts: each HideCaret needs its ShowCaret.
  void HideCaret();
  void ShowCaret();
  bool CaretShown() const { return caretHidden_ == 0; }

  // Every change of the text, typed or assigned.
  TNotifyEvent OnChange;

 protected:
  virtual void Change();
  void DestroyHandle() override;
  // Puts the caret's state on the window (after it is made).
  void ApplyCaret();
  // The window's text changed (typed, pasted): tells the parent and OnChange.
  void WindowTextChanged();
  int ColorRole() const override;
  bool settingText_ = false;
  bool readOnly_ = false;
  int maxLength_ = 0;
  bool modified_ = false;
  int selStart_ = 0;
  int selLength_ = 0;
  int caretHidden_ = 0;
};

// The window layer's caret calls on an edit window: false for a control
// that is no edit.
bool HideCaret(TWinControl* Control);
bool ShowCaret(TWinControl* Control);

class TEdit : public TCustomEdit {
  JQ_UI_CLASSINFO
 public:
  explicit TEdit(TComponent* AOwner);
  ~TEdit() override;
  char16_t PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char16_t Value);
  void Dispatch(TMessage& Message) override;

 protected:
  QWidget* CreateWidget(QWidget* Parent) override;
  void InitWidget() override;
  String GetText() const override;
  void SetTextInternal(const String& Value) override;

 private:
  char16_t passwordChar_ = 0;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TMemo : public TCustomEdit {
  JQ_UI_CLASSINFO
 public:
  explicit TMemo(TComponent* AOwner);
  ~TMemo() override;
  // The text as lines (CR LF, LF or CR end a line).
  TStrings* Lines() const { return lines_.get(); }
  void SetLines(const TStrings* Value) { lines_->Assign(Value); }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool Value);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle Value);
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool Value) { wantReturns_ = Value; }
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool Value) {
    wantTabs_ = Value;
    ApplyOptions();
  }
  void Dispatch(TMessage& Message) override;

 protected:
  QWidget* CreateWidget(QWidget* Parent) override;
  void InitWidget() override;
  String GetText() const override;
  void SetTextInternal(const String& Value) override;

 private:
  class MemoStrings;
  friend class MemoStrings;
  void AppendLine(const String& Line);
  void ApplyOptions();
  // The text split into lines, kept until the text changes: the widget's
  // change signal drops it; without a widget the stored text is compared.
  const std::vector<String>& SplitText() const;
  std::unique_ptr<TStrings> lines_;
  mutable std::vector<String> lineCache_;
  mutable String lineSource_;
  mutable bool lineCacheValid_ = false;
  mutable bool lineCacheFromWidget_ = false;
  bool wordWrap_ = true;
  TScrollStyle scrollBars_ = ssNone;
  bool wantReturns_ = true;
  bool wantTabs_ = false;
};

}  // namespace ui
