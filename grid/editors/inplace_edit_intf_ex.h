// What a control that shows an editor over a part of itself (a holder: the
// grid's filter row) and the editor it shows offer each other. Neither side
// owns the other: both are components freed by their owners.
#pragma once

#include <cstdint>

#include "platform/ui/controls.h"

namespace grid {

class IInplaceEditHolderEx {
 public:
  virtual ~IInplaceEditHolderEx() = default;
  // May the editor's text be changed now.
  virtual bool InplaceEditCanModify(ui::TControl* Control) = 0;
  // The holder's last press in screen coordinates and its time; the holder
  // forgets the time once it has answered.
  virtual bool GetMouseDownInfo(ui::TPoint& Pos, std::uint32_t& Time) = 0;
  // Sees every message of the editor first; a non-zero Result ends it there.
  virtual void InplaceEditWndProc(ui::TControl* Control, ui::TMessage& Message) = 0;
  // Key hooks: clearing the key ends the editor's handling of it.
  virtual void InplaceEditKeyDown(ui::TControl* Control, std::uint16_t& Key, ui::TShiftState Shift) = 0;
  virtual void InplaceEditKeyPress(ui::TControl* Control, char16_t& Key) = 0;
  virtual void InplaceEditKeyUp(ui::TControl* Control, std::uint16_t& Key, ui::TShiftState Shift) = 0;
};

class IInplaceEditorEx {
 public:
  virtual ~IInplaceEditorEx() = default;
  virtual ui::TFont* QueryFont() = 0;
  virtual void SetInplaceEditHolder(ui::TWinControl* AHolder) = 0;
  virtual void ApplyBorderStyle(ui::TBorderStyle Value) = 0;
  virtual void ApplyFont(const ui::TFont* Value) = 0;
  virtual void ApplyColor(ui::TColor Value) = 0;
  virtual void SetOnKeyPress(ui::TKeyPressEvent Value) = 0;
  virtual void SetOnExit(ui::TNotifyEvent Value) = 0;
};

}  // namespace grid
