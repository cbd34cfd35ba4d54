// The extra row a lookup list can show above its data rows (for example a
// row standing for an empty key): cell texts, key value, look and shortcut.
#pragma once

#include <memory>

#include "platform/classes/string_list.h"
#include "platform/ui/ui.h"

namespace grid {

class TSpecRowEx : public ui::TPersistent {
  JQ_UI_CLASSINFO

 public:
  explicit TSpecRowEx(ui::TPersistent* Owner);
  ~TSpecRowEx() override;

  const ui::String& CellsText() const { return cellsText_; }
  void SetCellsText(const ui::String& Value);
  // The cells split from CellsText.
  const ui::TStrings* CellsStrings() const { return cells_.get(); }
  ui::String CellTextAt(int Index) const;

  // The assigned colour, else the owner's.
  ui::TColor Color() const;
  void SetColor(ui::TColor Value);
  // Back to following the owner's colour.
  void RestoreDefaultColor();
  bool ColorAssigned() const { return colorAssigned_; }
  // Follows the owner's font until a font is assigned.
  ui::TFont* Font();
  void SetFont(const ui::TFont* Value);
  bool FontAssigned() const { return fontAssigned_; }
  std::uint16_t ShortCut() const { return shortCut_; }
  void SetShortCut(std::uint16_t Value) { shortCut_ = Value; }
  bool ShowIfNotInKeyList() const { return showIfNotInKeyList_; }
  void SetShowIfNotInKeyList(bool Value);
  const rtl::Variant& Value() const { return value_; }
  bool IsValueStored() const { return !value_.IsNull(); }
  void SetValue(const rtl::Variant& Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  bool Selected() const { return selected_; }
  void SetSelected(bool Value) { selected_ = Value; }
  int UpdateCount() const { return updateCount_; }

  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  bool LocateKey(const rtl::Variant& KeyValue) const;
  void Assign(const ui::TPersistent* Source) override;
  ui::TPersistent* GetOwner() const override { return owner_; }

  ui::TNotifyEvent OnChanged;

  static constexpr std::uint16_t DefaultShortCut = 0x8000 | 0x2E;  // Alt+Delete

 protected:
  const ui::TFont* DefaultFont() const;
  ui::TColor DefaultColor() const;
  void NotifyChanged();

 private:
  void SplitCellsText();
  // Font for readers by name, which hold the row as const.
  ui::TFont* PublishedFont() const { return const_cast<TSpecRowEx*>(this)->Font(); }
  void HandleFontChange();

  std::unique_ptr<ui::TStringList> cells_;
  ui::String cellsText_;
  ui::TColor color_ = ui::clWindow;
  std::unique_ptr<ui::TFont> font_;
  ui::TPersistent* owner_;
  bool selected_ = false;
  std::uint16_t shortCut_ = DefaultShortCut;
  bool showIfNotInKeyList_ = true;
  int updateCount_ = 0;
  rtl::Variant value_ = rtl::Variant::Null();
  bool visible_ = false;
  bool colorAssigned_ = false;
  bool fontAssigned_ = false;
  bool copyingFont_ = false;
};

}  // namespace grid
