// TCustomDBEditEx: the base of the data-aware single-line editors (date-time,
// combo box, number). It shows one field through a TFieldDataLinkEx, or holds
// its own value when neither a data source nor a field name is set. The
// window stays read-only until a key or clipboard command starts editing, so
// the dataset enters edit state only when the user really changes something.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "grid/editor_support/edit_buttons.h"
#include "grid/editors/edit_image_ex.h"
#include "grid/editors/field_data_link_ex.h"
#include "platform/ui/hint_window.h"
#include "grid/editors/inplace_edit_intf_ex.h"
#include "platform/ui/mask_edit.h"
#include "grid/editor_support/month_calendar.h"
#include "grid/editor_support/mru_list.h"
#include "platform/ui/shape.h"

namespace grid {

enum TDBEditExValue { evAlignmentEx, evEditMaskEx };

using TUpdateDataEventEx = std::function<void(ui::TObject* Sender, bool& Handled)>;
using TCloseUpEventEx = std::function<void(ui::TObject* Sender, bool Accept)>;
using TOnCheckDrawRequiredStateEventEx = std::function<void(ui::TObject* Sender, bool& DrawState)>;
using TGetImageIndexEventEx = std::function<void(ui::TObject* Sender, int& ImageIndex)>;

class TCustomDBEditEx : public ui::TCustomMaskEdit, public IPopupOwnerEx, public IInplaceEditorEx {
 public:
  explicit TCustomDBEditEx(ui::TComponent* AOwner);
  ~TCustomDBEditEx() override;

  // The bound field, if any.
  db::TField* Field() const { return dataLink_->Field(); }
  TFieldDataLinkEx* DataLink() const { return dataLink_.get(); }
  db::TDataSource* DataSource() const { return dataLink_->DataSource(); }
  virtual void SetDataSource(db::TDataSource* Value);
  const String& DataField() const { return dataLink_->FieldName(); }
  virtual void SetDataField(const String& Value);

  // Text and Value writes store at once (a bound editor puts the dataset
  // into edit state first).
  String Text() const { return GetText(); }
  void SetText(const String& Value);
  Variant Value() const;
  void SetValue(const Variant& Value) { StoreValue(Value); }
  virtual void Clear() { SetText(String()); }
  void Undo();
  // Drops the user's changes and reloads the display.
  void Reset();

  void SetEditMask(const String& Value);
  ui::TAlignment Alignment() const;
  void SetAlignment(ui::TAlignment Value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool Value);
  bool HighlightRequired() const { return highlightRequired_; }
  void SetHighlightRequired(bool Value) { highlightRequired_ = Value; }
  bool AlwaysShowBorder() const { return alwaysShowBorder_; }
  void SetAlwaysShowBorder(bool Value);
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool Value) { autoSelect_ = Value; }
  bool WantReturns() const { return wantReturns_; }
  bool WantTabs() const { return wantTabs_; }
  bool IsFocusedEditor() const { return focused_; }
  bool DataPosting() const { return dataPosting_; }

  // What layout storage keeps: only an unbound editor's own content, and
  // alignment and mask only when set explicitly.
  bool IsTextStored() const { return dataLink_->DataIndepended() && !Text().empty(); }
  bool IsValueStored() const { return dataLink_->DataIndepended() && !Value().IsNull(); }
  bool IsAlignmentStored() const { return assignedAlignment_; }
  bool IsEditMaskStored() const { return assignedEditMask_; }

  // Stores the editor's content: mask check while focused, OnUpdateData,
  // then the field write unless the handler took over.
  virtual void UpdateData();

  TUpdateDataEventEx OnUpdateData;

  // --- buttons, image and look
  // The main button sits innermost, nearest the text; the further buttons
  // follow outwards. Both are made on first use by the Create... factories,
  // so an editor class gets its own kind of button by overriding them.
  TEditButtonEx* EditButton() const;
  void SetEditButton(const TEditButtonEx* Value) { EditButton()->Assign(Value); }
  TEditButtonsEx* EditButtons() const;
  void SetEditButtons(const TEditButtonsEx* Value) { EditButtons()->Assign(Value); }
  TEditImageEx* EditImage() const;
  ui::TImageList* Images() const { return EditImage()->Images(); }
  // Assigning a list also shows the image.
  void SetImages(ui::TImageList* Value);
  bool Flat() const { return flat_; }
  void SetFlat(bool Value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool Value);
  void SetPasswordChar(char16_t Value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  bool Tooltips() const { return tooltips_; }
  void SetTooltips(bool Value);
  bool ShowHint() const { return ownShowHint_; }
  void SetShowHint(bool Value);
  bool BorderActive() const { return borderActive_; }
  int ButtonWidth() const { return buttonWidth_; }
  int ButtonHeight() const { return buttonHeight_; }
  int ImageWidth() const { return imageWidth_; }
  int ButtonControlCount() const { return static_cast<int>(editButtonControlList_.size()); }
  const TEditButtonControlLineRec& ButtonControl(int Index) const { return editButtonControlList_.at(Index); }
  // The area the text may use: the client area less buttons and image.
  ui::TRect TextArea() const {
    ui::TRect r;
    TextAreaRect(r);
    return r;
  }
  // Where the buttons and the image sit (client coordinates).
  ui::TRect ButtonsRect() const;
  ui::TRect ImageRect() const;
  // The answer to a tool tip about to show: the whole text below the editor
  // when it does not fit; false refuses the tool tip.
  virtual bool GetHintInfo(ui::THintInfo& Info) const;
  // The text is wider or taller than the text area.
  bool TextOverflows() const;

  TButtonClickEventEx OnButtonClick;
  TButtonDownEventEx OnButtonDown;
  TOnCheckDrawRequiredStateEventEx OnCheckDrawRequiredState;
  const TGetImageIndexEventEx& OnGetImageIndex() const { return onGetImageIndex_; }
  // Setting the handler picks the image again at once.
  void SetOnGetImageIndex(TGetImageIndexEventEx Value);

  virtual String DisplayTextForPaintCopy() const;

  // Closes whatever drop-down the editor has open (popups close through it).
  void CloseUp(bool Accept) override;

  // --- in-place mode: a holder shows and hides the editor over a rectangle
  // of its own and sees the editor's messages and keys first.
  ui::TWinControl* InplaceEditHolder() const { return inplaceEditHolder_; }
  bool InplaceMode() const { return inplaceMode_; }
  void SetInplaceEditHolder(ui::TWinControl* AHolder) override;
  void Move(const ui::TRect& Loc);
  void UpdateLoc(const ui::TRect& Loc);
  void Hide();
  bool Visible() const;
  void SetVisible(bool Value) override;
  void SetFocus() override;
  void Deselect();
  ui::TFont* QueryFont() override { return Font(); }
  void ApplyBorderStyle(ui::TBorderStyle Value) override { SetBorderStyle(Value); }
  void ApplyFont(const ui::TFont* Value) override { SetFont(Value); }
  void ApplyColor(ui::TColor Value) override { SetColor(Value); }
  void SetOnKeyPress(ui::TKeyPressEvent Value) override { OnKeyPress = std::move(Value); }
  void SetOnExit(ui::TNotifyEvent Value) override { OnExit = std::move(Value); }

  // --- the drop-down of recently entered texts
  TMRUListEx* MRUList() const { return mruList_.get(); }
  void SetMRUList(const TMRUListEx* Value) { mruList_->Assign(Value); }
  // The list box, made on first use.
  TMRUListboxEx* MRUListControl();

 protected:
  virtual std::unique_ptr<TEditButtonEx> CreateEditButton();
  virtual TEditButtonControlEx* CreateEditButtonControl();
  virtual std::unique_ptr<TEditButtonsEx> CreateEditButtons();
  virtual std::unique_ptr<TEditImageEx> CreateEditImage();
  virtual void FitHeightToFont();
  // The main button was pressed (IsDownButton: its lower half).
  virtual void DefaultButtonDown(bool IsDownButton);
  virtual void TextAreaRect(ui::TRect& Rect) const;
  virtual void EditButtonClick(ui::TObject* Sender);
  virtual void EditButtonDown(ui::TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
  virtual void EditButtonMouseMove(ui::TObject* Sender, ui::TShiftState Shift, int X, int Y);
  virtual void EditButtonMouseUp(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
  virtual void PaintRequiredState(ui::TCanvas* Canvas);
  virtual void ApplyAutoHeight();
  virtual void UpdateShowHint();
  virtual void UpdateImageIndex();
  virtual void UpdateEditButtonControlList();
  virtual void UpdateEditButtonControlsState();
  virtual void UpdateBorderActive();
  void EditButtonChanged();
  void UpdateEditRect();
  // Single- or multi-line window after WordWrap and PasswordChar.
  void ApplyWindowKind();
  // The main edit button has one of the two-half (up-down) styles.
  bool MainButtonUpDown() const { return IsTwoHalfStyle(EditButton()->Style()); }
  // The key with this shift state presses one of the edit buttons.
  bool IsEditButtonShortCut(std::uint16_t Key, ui::TShiftState Shift) const;
  // The guard set by the press that opened a drop-down, so the click that
  // ends the same press does not close it again.
  bool NoClickCloseUp() const { return noClickCloseUp_; }
  void SetNoClickCloseUp(bool Value) { noClickCloseUp_ = Value; }

  virtual TMRUListboxEx* CreateMRUListControl();
  virtual void FilterMRUItem(const String& AText, bool& Accept);
  virtual void MRUListControlResized(ui::TObject* Sender);
  // The user changed the text (typing, pasting, deleting).
  virtual void UserTextChanged();
  void MRUListDropDown(ui::TObject* Sender);
  void MRUListCloseUp(ui::TObject* Sender, bool Accept);
  void MRUListControlMouseUp(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
  bool MRUListVisible() const { return mruList_ && mruList_->DroppedDown(); }
  // A cancel-mode notice from the editor itself or its drop-down keeps that
  // drop-down open; one from anywhere else closes it.
  bool CancelModeFromOutside(const ui::TMessage& Message, const ui::TWinControl* DropDownWindow) const;
  // The text of an empty editor: the mask's literals, or nothing.
  String EmptyText() const;
  void InplaceMove(const ui::TRect& Rect, bool Redraw);
  bool WidgetShouldBeVisible() const override;
  void VisibleChanged() override;

  virtual bool EditButtonsActive() const;
  virtual std::unique_ptr<TFieldDataLinkEx> CreateDataLink();
  virtual bool DataIndepended() const { return dataLink_->DataIndepended(); }
  virtual ui::TAlignment DefaultAlignment() const;
  virtual String DefaultEditMask() const;
  virtual int DefaultImageIndex() const { return -1; }
  virtual void ReadValue(Variant& Value) const;
  virtual bool IsValidChar(char16_t Key) const;
  virtual void ActiveChanged();
  virtual void DataChanged();
  virtual void DropDown();
  virtual void ReflectEditingState() { UpdateEditReadOnly(); }
  virtual void PutText(const String& Value);
  virtual void PutValue(const Variant& Value);
  virtual void WriteFieldText();
  virtual void ResetMaxLength();
  virtual void SetFocused(bool Value);
  virtual void StoreValue(const Variant& Value);
  virtual void UpdateEditReadOnly();
  // The link's Edit, asked before the text changes.
  virtual bool CanModifyText();

  void Loaded() override;
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;
  void Change() override;
  bool TellFormOfFocus(ui::TCustomForm* Form) override;
  void DoEnter() override;
  void DoExit() override;
  void DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoKeyUp(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoKeyPress(char16_t& Key) override;
  void Dispatch(ui::TMessage& Message) override;
  void InitWidget() override;
  void PaintWindow(QWidget* Target, const ui::TRect& Area, const std::function<void()>& Base) override;
  void SizeChanged(int OldWidth, int OldHeight) override;
  void FontChanged() override;
  void ColorChanged() override;
  void EnabledChanged() override;

  bool DroppedDown() const { return droppedDown_; }
  bool Designing() const { return ComponentState().Contains(ui::csDesigning); }

 private:
  // Puts a bound dataset into edit state, runs Put, then stores; a failed
  // store reloads the display before the error goes on.
  void WriteThrough(const std::function<void()>& Put);
  void KeepCaretInMask();
  void StartEditing();
  // The client rectangle inside the frame the edit window draws itself.
  ui::TRect InnerClientRect() const;
  int FrameWidth() const;
  ui::TAlignment WindowAlignment() const;
  // The edit's own text, drawn when the window would show it wrongly aligned.
  void PaintText(ui::TCanvas* Canvas);
  bool PaintsItself() const;
  int ButtonControlIndex(ui::TObject* Sender) const;
  TEditButtonEx* ButtonOfIndex(int Index) const;
  bool PressButtonByShortCut(std::uint16_t Key, ui::TShiftState Shift);
  void PopupDropdownMenu(TEditButtonEx* Button, TEditButtonControlEx* Control);
  void CancelButtonCapture();
  bool InplaceWindowMessage(ui::TMessage& Message);
  void DispatchEditMessage(ui::TMessage& Message);
  void AfterUserTextChange(char16_t Ch);
  bool MRUWindowMessage(ui::TMessage& Message);
  static bool IsUserTextMessage(std::uint32_t Msg);
  void SetMouseAbove(bool Value);
  int CharHeight(const ui::TFont* Font) const;

  std::unique_ptr<TFieldDataLinkEx> dataLink_;
  ui::TAlignment alignment_ = ui::taLeftJustify;
  bool assignedAlignment_ = false;
  bool assignedEditMask_ = false;
  bool alwaysShowBorder_ = false;
  bool autoSelect_ = true;
  bool highlightRequired_ = false;
  bool readOnly_ = false;
  bool wantReturns_ = false;
  bool wantTabs_ = false;
  bool dataPosting_ = false;
  bool focused_ = false;

  mutable std::unique_ptr<TEditButtonEx> editButton_;
  mutable std::unique_ptr<TEditButtonsEx> editButtons_;
  mutable std::unique_ptr<TEditImageEx> editImage_;
  std::vector<TEditButtonControlLineRec> editButtonControlList_;
  TGetImageIndexEventEx onGetImageIndex_;
  bool flat_ = false;
  bool wordWrap_ = false;
  bool autoSize_ = true;
  bool tooltips_ = false;
  bool ownShowHint_ = false;
  bool borderActive_ = false;
  bool mouseAboveControl_ = false;
  bool noClickCloseUp_ = false;
  bool fixedHeight_ = false;
  bool layingOutButtons_ = false;
  int buttonWidth_ = 0;
  int buttonHeight_ = 0;
  int imageWidth_ = 0;

  ui::TWinControl* inplaceEditHolder_ = nullptr;
  IInplaceEditHolderEx* intfInplaceEditHolder_ = nullptr;
  bool inplaceMode_ = false;
  bool inplaceShown_ = false;
  std::unique_ptr<TMRUListEx> mruList_;
  TMRUListboxEx* mruListControl_ = nullptr;
  // A text change seen while a message of the user was handled.
  bool userTextChanged_ = false;
  int userMessageDepth_ = 0;
  char16_t pendingUserChar_ = 0;
  // The character that follows a key-down which closed the list is no text.
  char16_t swallowChar_ = 0;
  // The settings' own filter event while the editor filters through them.
  const TFilterMRUItemEventEx* userFilter_ = nullptr;

 protected:
  bool droppedDown_ = false;
};

}  // namespace grid
