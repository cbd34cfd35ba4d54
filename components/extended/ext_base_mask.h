// Base of the extended edits: the masked edit with the shared notice
// table, clipboard commands that can be refused one by one, a beep on
// refused input and the focus frame.
#pragma once

#include "components/extended/ext_base_controls.h"
#include "platform/ui/mask_edit.h"

namespace ext {

enum TExtClipboardCommand { caCopy, caCut, caPaste, caClear, caUndo };
using TExtClipboardCommands = ui::TSet<TExtClipboardCommand>;

class TExtBaseCustomMaskEdit : public TExtBaseMixin<ui::TCustomMaskEdit, true> {
  JQ_UI_CLASSINFO
 public:
  explicit TExtBaseCustomMaskEdit(ui::TComponent* AOwner);
  ~TExtBaseCustomMaskEdit() override;

  TExtClipboardCommands ClipboardCommands() const { return clipboard_; }
  virtual void SetClipboardCommands(TExtClipboardCommands Value) { clipboard_ = Value; }
  std::uint64_t ClipboardCommandBits() const { return clipboard_.Bits(); }
  void SetClipboardCommandBits(std::uint64_t Value) { SetClipboardCommands(TExtClipboardCommands::FromBits(Value)); }
  bool BeepOnError() const { return beepOnError_; }
  virtual void SetBeepOnError(bool Value) { beepOnError_ = Value; }
  bool DotNetHighlighting() const { return frame_.on_; }
  void SetDotNetHighlighting(bool Value);

  void Dispatch(TMessage& M) override;

 protected:
  // Refused input: a beep when BeepOnError.
  virtual void SignalError();
  void PaintWindow(QWidget* Target, const ui::TRect& Area, const std::function<void()>& Base) override;
  void AfterFrameEvent() override;

 private:
  TExtClipboardCommands clipboard_{caCopy, caCut, caPaste, caClear, caUndo};
  bool beepOnError_ = true;
  TExtFocusFrame frame_;
};

}  // namespace ext
