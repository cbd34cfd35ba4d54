// Push buttons.
#pragma once

#include <memory>

#include "platform/ui/bitmap.h"
#include "platform/ui/controls.h"

namespace ui {

class TButton : public TWinControl {
  JQ_UI_CLASSINFO
 public:
  explicit TButton(TComponent* AOwner);
  ~TButton() override;

  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult Value) { modalResult_ = Value; }
  // Enter anywhere on the form clicks the default button (unless another
  // button has the focus); Esc clicks the cancel button.
  bool Default() const { return default_; }
  void SetDefault(bool Value) { default_ = Value; }
  bool Cancel() const { return cancel_; }
  void SetCancel(bool Value) { cancel_ = Value; }

  // Passes the button's ModalResult to its form, then runs OnClick; works
  // on a disabled button too, as code clicking it expects.
  void Click() override;
  void Dispatch(TMessage& Message) override;

 protected:
  QWidget* CreateWidget(QWidget* Parent) override;
  void InitWidget() override;
  void SetTextInternal(const String& Value) override;
  int ColorRole() const override;

 private:
  TModalResult modalResult_ = mrNone;
  bool default_ = false;
  bool cancel_ = false;
};

// A button with a picture beside its caption.
class TBitBtn : public TButton {
  JQ_UI_CLASSINFO
 public:
  explicit TBitBtn(TComponent* AOwner);
  ~TBitBtn() override;
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(const TBitmap* Value) { glyph_->Assign(Value); }
  // Images side by side in the glyph (normal, disabled...); the first is shown.
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int Value);

 protected:
  void InitWidget() override;

 private:
  void UpdateIcon();
  std::unique_ptr<TBitmap> glyph_;
  int numGlyphs_ = 1;
};

}  // namespace ui
