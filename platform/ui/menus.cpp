#include "platform/ui/menus.h"

#include <QAction>
#include <QIcon>
#include <QPixmap>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <algorithm>
#include <map>

#include "platform/ui/bitmap.h"
#include "platform/ui/guard.h"
#include "platform/ui/qt_bridge.h"
#include "platform/runtime/rtl_string.h"

namespace ui {

// --- shortcuts -----------------------------------------------------------------------

TShortCut ShortCut(std::uint16_t Key, TShiftState Shift) {
  // Keys above 255 have no shortcut form.
  if (Key > 0xFF) return 0;
  TShortCut s = Key;
  if (Shift.Contains(ssShift)) s |= scShift;
  if (Shift.Contains(ssCtrl)) s |= scCtrl;
  if (Shift.Contains(ssAlt)) s |= scAlt;
  return s;
}

void ShortCutToKey(TShortCut Value, std::uint16_t& Key, TShiftState& Shift) {
  Key = Value & 0xFF;
  Shift = {};
  if (Value & scShift) Shift = Shift + ssShift;
  if (Value & scCtrl) Shift = Shift + ssCtrl;
  if (Value & scAlt) Shift = Shift + ssAlt;
}

namespace {

String KeyName(std::uint16_t Key) {
  if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z')) return String(1, static_cast<char16_t>(Key));
  if (Key >= VK_F1 && Key <= VK_F1 + 23) return u"F" + rtl::IntToStr(Key - VK_F1 + 1);
  if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD0 + 9) return u"Num " + rtl::IntToStr(Key - VK_NUMPAD0);
  switch (Key) {
    case VK_BACK: return u"BkSp";
    case VK_TAB: return u"Tab";
    case VK_RETURN: return u"Enter";
    case VK_ESCAPE: return u"Esc";
    case VK_SPACE: return u"Space";
    case VK_PRIOR: return u"PgUp";
    case VK_NEXT: return u"PgDn";
    case VK_END: return u"End";
    case VK_HOME: return u"Home";
    case VK_LEFT: return u"Left";
    case VK_UP: return u"Up";
    case VK_RIGHT: return u"Right";
    case VK_DOWN: return u"Down";
    case VK_INSERT: return u"Ins";
    case VK_DELETE: return u"Del";
    default: return String();
  }
}

}  // namespace

String ShortCutToText(TShortCut Value) {
  String name = KeyName(Value & 0xFF);
  if (name.empty()) return String();
  String text;
  if (Value & scShift) text += u"Shift+";
  if (Value & scCtrl) text += u"Ctrl+";
  if (Value & scAlt) text += u"Alt+";
  return text + name;
}

TShortCut TextToShortCut(const String& Text) {
  String rest = Text;
  TShortCut mods = 0;
  // Modifier prefixes in any order and case, then exactly one key name.
  for (bool found = true; found;) {
    found = false;
    for (auto [prefix, bit] : {std::pair<const char16_t*, TShortCut>{u"Shift+", scShift}, {u"Ctrl+", scCtrl},
                               {u"Alt+", scAlt}}) {
      if (rtl::StartsText(prefix, rest)) {
        mods |= bit;
        rest.erase(0, String(prefix).size());
        found = true;
      }
    }
  }
  if (rest.empty()) return 0;
  for (int key = 1; key <= 0xFF; ++key)
    if (rtl::SameText(KeyName(static_cast<std::uint16_t>(key)), rest)) return static_cast<TShortCut>(key | mods);
  return 0;
}

// --- items ---------------------------------------------------------------------------

const TClassInfo& TMenuItem::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TMenuItem>("TMenuItem", &TComponent::StaticClassInfo())
          .Str("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
          .Boolean("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, 0)
          .Boolean("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, 1)
          .Boolean("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, 1)
          .Integer("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex, -1)
          .Boolean("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem, 0)
          .Boolean("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck, 0)
          .Boolean("Default", &TMenuItem::Default, &TMenuItem::SetDefault, 0)
          .Str("Hint", &TMenuItem::Hint, &TMenuItem::SetHint)
          .Build();
  return info;
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TBitmap* TMenuItem::Bitmap() {
  if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
  return bitmap_.get();
}

bool TMenuItem::HasBitmap() const { return bitmap_ && bitmap_->Width() > 0 && bitmap_->Height() > 0; }

void TMenuItem::SetBitmap(TBitmap* Value) {
  if (!Value) {
    bitmap_.reset();
    return;
  }
  Bitmap()->Assign(Value);
}

TMenuItem::~TMenuItem() {
  BeginDestroy();
  Clear();
  if (parent_) parent_->Remove(this);
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw rtl::EListError(u"List index out of bounds (%d)", {Index});
  return items_[Index];
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto it = std::find(items_.begin(), items_.end(), Item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->parent_) throw rtl::Exception(u"Menu inserted twice");
  // An item may not become its own descendant.
  for (const TMenuItem* p = this; p; p = p->parent_)
    if (p == Item) throw rtl::Exception(u"Menu inserted twice");
  if (Index < 0 || Index > Count()) throw rtl::EListError(u"List index out of bounds (%d)", {Index});
  items_.insert(items_.begin() + Index, Item);
  Item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* Item) {
  const int index = IndexOf(Item);
  if (index < 0) throw rtl::Exception(u"Sub-menu is not in menu");
  Delete(index);
}

void TMenuItem::Delete(int Index) {
  TMenuItem* item = Items(Index);
  items_.erase(items_.begin() + Index);
  item->parent_ = nullptr;
}

void TMenuItem::Clear() {
  while (!items_.empty()) {
    TMenuItem* child = items_.back();
    items_.pop_back();
    child->parent_ = nullptr;
    Free(child);
  }
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* root = this;
  while (root->parent_) root = root->parent_;
  return root->menu_;
}

void TMenuItem::SetChecked(bool Value) {
  checked_ = Value;
  // Checking a radio item unchecks the others of its group.
  if (Value && radioItem_ && parent_)
    for (TMenuItem* sibling : parent_->items_)
      if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_) sibling->checked_ = false;
}

void TMenuItem::Click() {
  if (autoCheck_) SetChecked(!checked_);
  if (OnClick) OnClick(this);
}

// --- menus ---------------------------------------------------------------------------

const TClassInfo& TMenu::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TMenu>("TMenu", &TComponent::StaticClassInfo()).Build();
  return info;
}

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), items_(new TMenuItem(nullptr)) { items_->menu_ = this; }

TMenu::~TMenu() {
  BeginDestroy();
  Free(items_);
}

void TMenu::SetImages(TImageList* Value) {
  if (images_ == Value) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = Value;
  if (images_) images_->FreeNotification(this);
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) images_ = nullptr;
}

TMenuItem* TMenu::FindItemByShortCut(TShortCut Value) const {
  if (Value == 0) return nullptr;
  std::vector<TMenuItem*> stack{items_};
  while (!stack.empty()) {
    TMenuItem* item = stack.back();
    stack.pop_back();
    if (item != items_ && item->shortCut_ == Value) return item;
    for (auto it = item->items_.rbegin(); it != item->items_.rend(); ++it) stack.push_back(*it);
  }
  return nullptr;
}

bool TMenu::IsShortCut(std::uint16_t Key, TShiftState Shift) {
  TMenuItem* item = FindItemByShortCut(ShortCut(Key, Shift));
  if (!item) return false;
  for (TMenuItem* p = item; p && p != items_; p = p->parent_)
    if (!p->enabled_ || !p->visible_) return false;
  item->Click();
  return true;
}

const TClassInfo& TPopupMenu::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TPopupMenu>("TPopupMenu", &TMenu::StaticClassInfo())
          .Enum("Alignment", "TPopupAlignment", {"paLeft", "paRight", "paCenter"}, &TPopupMenu::Alignment,
                &TPopupMenu::SetAlignment, paLeft)
          .Boolean("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, 1)
          .Build();
  return info;
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

TPopupMenu::~TPopupMenu() { BeginDestroy(); }

void TPopupMenu::SetPopupComponent(TComponent* Value) {
  if (popupComponent_ == Value) return;
  if (popupComponent_) popupComponent_->RemoveFreeNotification(this);
  popupComponent_ = Value;
  if (popupComponent_) popupComponent_->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == popupComponent_) popupComponent_ = nullptr;
}

namespace {

// Builds the Qt menu of one level; actions remember their items.
QIcon IconOf(TMenuItem* item, TImageList* images) {
  if (item->HasBitmap()) return QIcon(QPixmap::fromImage(*item->Bitmap()->Image()));
  if (images && item->ImageIndex() >= 0 && item->ImageIndex() < images->Count())
    if (const QImage* img = images->ImageAt(item->ImageIndex())) return QIcon(QPixmap::fromImage(*img));
  return QIcon();
}

void Fill(QMenu* menu, TMenuItem* parent, TImageList* images, std::map<QAction*, TMenuItem*>& items) {
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* item = parent->Items(i);
    if (!item->Visible()) continue;
    if (item->IsLine()) {
      menu->addSeparator();
      continue;
    }
    QAction* action;
    if (item->Count() > 0) {
      QMenu* sub = menu->addMenu(qt::Q(item->Caption()));
      Fill(sub, item, item->SubMenuImages() ? item->SubMenuImages() : images, items);
      action = sub->menuAction();
    } else {
      action = menu->addAction(qt::Q(item->Caption()));
      items[action] = item;
    }
    action->setEnabled(item->Enabled());
    action->setIcon(IconOf(item, images));
    if (item->Checked() || item->AutoCheck()) {
      action->setCheckable(true);
      action->setChecked(item->Checked());
    }
    if (item->ShortCut() != 0) {
      // Shown beside the caption only: the menu's owner dispatches shortcuts.
      action->setShortcut(QKeySequence(qt::Q(ShortCutToText(item->ShortCut()))));
      action->setShortcutContext(Qt::WidgetShortcut);
    }
    if (item->Default()) {
      QFont f = action->font();
      f.setBold(true);
      action->setFont(f);
    }
    if (!item->Hint().empty()) action->setStatusTip(qt::Q(item->Hint()));
  }
}

}  // namespace

void TPopupMenu::Popup(int X, int Y) {
  popupPoint_ = Point(X, Y);
  if (OnPopup) OnPopup(this);
  QMenu menu;
  std::map<QAction*, TMenuItem*> items;
  Fill(&menu, Items(), Images(), items);
  if (menu.actions().isEmpty()) return;
  QPoint at(X, Y);
  const int width = menu.sizeHint().width();
  if (alignment_ == paRight)
    at.rx() -= width;
  else if (alignment_ == paCenter)
    at.rx() -= width / 2;
  QAction* chosen = menu.exec(at);
  if (OnClose) OnClose(this);
  auto it = chosen ? items.find(chosen) : items.end();
  if (it == items.end()) return;
  // Items may be freed by handlers that ran while the menu showed.
  TMenuItem* item = it->second;
  std::vector<TMenuItem*> live{Items()};
  bool found = false;
  while (!live.empty() && !found) {
    TMenuItem* p = live.back();
    live.pop_back();
    if (p == item) found = true;
    for (int i = 0; i < p->Count(); ++i) live.push_back(p->Items(i));
  }
  if (found && item->Enabled()) item->Click();
}

}  // namespace ui
