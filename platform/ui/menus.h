// Menus: items in a tree (caption, shortcut, checked, enabled, visible,
// OnClick) and the popup menu that shows them at a screen point. A caption
// of "-" is a separator line. Popup returns after the menu has closed, and
// the chosen item's OnClick has then already run.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/ui/keys.h"

namespace ui {

// A key with its modifiers: virtual key | scShift | scCtrl | scAlt.
using TShortCut = std::uint16_t;
TShortCut ShortCut(std::uint16_t Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, std::uint16_t& Key, TShiftState& Shift);
// "Ctrl+Shift+F5"; empty for 0 or a key without a name.
String ShortCutToText(TShortCut ShortCut);
// The reverse; 0 when the text names no key.
TShortCut TextToShortCut(const String& Text);

class TMenu;
class TMenuItem;
class TBitmap;
class TImageList;
class TCanvas;

enum TMenuBreak { mbNone, mbBreak, mbBarBreak };
enum TMenuAutoFlag { maAutomatic, maManual, maParent };
using TMenuMeasureItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;
using TMenuDrawItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, bool Selected)>;
using TAdvancedMenuDrawItemEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, unsigned State)>;

class TMenuItem : public TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TMenuItem(TComponent* AOwner);
  // Frees the sub-items (whoever owns them) and leaves the parent item.
  ~TMenuItem() override;

  const String& Caption() const { return caption_; }
  void SetCaption(const String& Value) { caption_ = Value; }
  bool IsLine() const { return caption_ == u"-"; }
  bool Checked() const { return checked_; }
  void SetChecked(bool Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value) { enabled_ = Value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool Value) { visible_ = Value; }
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value) { shortCut_ = Value; }
  const String& Hint() const { return hint_; }
  void SetHint(const String& Value) { hint_ = Value; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value) { imageIndex_ = Value; }
  // Checked items of one group in radio style exclude each other.
  std::uint8_t GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(std::uint8_t Value) { groupIndex_ = Value; }
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool Value) { radioItem_ = Value; }
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool Value) { autoCheck_ = Value; }
  bool Default() const { return default_; }
  void SetDefault(bool Value) { default_ = Value; }
  TMenuBreak Break() const { return break_; }
  void SetBreak(TMenuBreak Value) { break_ = Value; }
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int Value) { helpContext_ = Value; }
  TMenuAutoFlag AutoHotkeys() const { return autoHotkeys_; }
  void SetAutoHotkeys(TMenuAutoFlag Value) { autoHotkeys_ = Value; }
  TMenuAutoFlag AutoLineReduction() const { return autoLineReduction_; }
  void SetAutoLineReduction(TMenuAutoFlag Value) { autoLineReduction_ = Value; }
  // The item's own picture, made on first use; shown when it has one.
  TBitmap* Bitmap();
  bool HasBitmap() const;
  void SetBitmap(TBitmap* Value);
  // Images of the sub-items (not owned); the menu's images otherwise.
  TImageList* SubMenuImages() const { return subMenuImages_; }
  void SetSubMenuImages(TImageList* Value) { subMenuImages_ = Value; }

  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int Index) const;
  TMenuItem* Parent() const { return parent_; }
  int IndexOf(const TMenuItem* Item) const;
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  // Takes the item out without freeing it.
  void Remove(TMenuItem* Item);
  // Takes the item at Index out without freeing it.
  void Delete(int Index);
  // Frees every sub-item.
  void Clear();
  // The menu this item belongs to (through its parents), or nullptr.
  TMenu* GetParentMenu() const;

  // Toggles an AutoCheck item, then runs OnClick.
  virtual void Click();
  TNotifyEvent OnClick;
  // Kept for callers that copy items; the platform's menu draws its items itself.
  TMenuMeasureItemEvent OnMeasureItem;
  TMenuDrawItemEvent OnDrawItem;
  TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;

 private:
  friend class TMenu;
  String caption_;
  String hint_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  bool radioItem_ = false;
  bool autoCheck_ = false;
  bool default_ = false;
  std::uint8_t groupIndex_ = 0;
  TShortCut shortCut_ = 0;
  int imageIndex_ = -1;
  int helpContext_ = 0;
  TMenuBreak break_ = mbNone;
  TMenuAutoFlag autoHotkeys_ = maParent;
  TMenuAutoFlag autoLineReduction_ = maParent;
  std::unique_ptr<TBitmap> bitmap_;
  TImageList* subMenuImages_ = nullptr;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on a menu's root item only
  std::vector<TMenuItem*> items_;
};

class TMenu : public TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;
  // The root item; its sub-items are the menu's entries.
  TMenuItem* Items() const { return items_; }
  // Clicks the enabled, visible item (on an enabled, visible path) whose
  // shortcut is this key; false when none has it.
  bool IsShortCut(std::uint16_t Key, TShiftState Shift);
  // The item with that shortcut anywhere in the menu, or nullptr.
  TMenuItem* FindItemByShortCut(TShortCut ShortCut) const;
  // Images shown before the items by their ImageIndex (not owned).
  TImageList* Images() const { return images_; }
  void SetImages(TImageList* Value);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TMenuItem* items_;
  TImageList* images_ = nullptr;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
  JQ_UI_CLASSINFO
 public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;
  // Shows the menu with its left edge (right edge, centre by Alignment) at
  // the screen point and waits until it closes; the chosen item is clicked.
  virtual void Popup(int X, int Y);
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment Value) { alignment_ = Value; }
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool Value) { autoPopup_ = Value; }
  // The control the menu was popped up for (set by the caller).
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* Value);
  TPoint PopupPoint() const { return popupPoint_; }

  // Runs before the menu shows, so items can be enabled or filled.
  TNotifyEvent OnPopup;
  TNotifyEvent OnClose;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TPopupAlignment alignment_ = paLeft;
  bool autoPopup_ = true;
  TComponent* popupComponent_ = nullptr;
  TPoint popupPoint_{-1, -1};
};

}  // namespace ui
