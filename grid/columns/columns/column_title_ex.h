// A column's header cell: caption, look, the title button and the sort
// marker. Its assigned values are the cvTitle members of its column's set.
#pragma once

#include <memory>

#include "grid/columns/columns/column_ex.h"

namespace grid {

enum TTextOrientationEx { tohHorizontal, tohVertical };

class TColumnTitleEx : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TColumnTitleEx(TColumnEx* Column);
  ~TColumnTitleEx() override;

  TColumnEx* Column() const { return FColumn; }

  ui::TAlignment Alignment() const;
  void SetAlignment(ui::TAlignment Value);
  String Caption() const;
  void SetCaption(const String& Value) { WriteCaption(Value); }
  ui::TColor Color() const;
  void SetColor(ui::TColor Value);
  bool EndEllipsis() const;
  void SetEndEllipsis(bool Value);
  ui::TFont* Font() const;
  void SetFont(const ui::TFont* Value);
  const String& Hint() const { return FHint; }
  void SetHint(const String& Value) { FHint = Value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  TTextOrientationEx Orientation() const;
  void SetOrientation(TTextOrientationEx Value);
  int SortIndex() const { return FSortIndex; }
  void SetSortIndex(int Value);
  TSortMarkerEx SortMarker() const { return FSortMarker; }
  void SetSortMarker(TSortMarkerEx Value);
  bool TitleButton() const;
  void SetTitleButton(bool Value);
  bool ToolTips() const;
  void SetToolTips(bool Value);

  ui::TAlignment DefaultAlignment() const;
  String DefaultCaption() const;
  ui::TColor DefaultColor() const;
  bool DefaultEndEllipsis() const;
  ui::TFont* DefaultFont() const;
  TTextOrientationEx DefaultOrientation() const;
  bool DefaultTitleButton() const;
  bool DefaultToolTips() const;

  int GetSortMarkingWidth() const;
  int GetFilterButtonAreaWidth() const;
  void SetNextSortMarkerValue(bool KeepMulti);
  void Assign(const ui::TPersistent* Source) override;
  ui::TPersistent* GetOwner() const override { return FColumn; }

  virtual void WriteCaption(const String& Value);
  virtual void RestoreDefaults();

  // The column's font changed: the title font follows unless assigned.
  void RefreshDefaultFont();

  bool IsAlignmentStored() const;
  bool IsCaptionStored() const;
  bool IsColorStored() const;
  bool IsEndEllipsisStored() const;
  bool IsFontStored() const;
  bool IsOrientationStored() const;
  bool IsTitleButtonStored() const;
  bool IsToolTipsStored() const;

 private:
  bool Has(TColumnExValue V) const { return FColumn->FAssignedValues.Contains(V); }
  void Mark(TColumnExValue V) { FColumn->FAssignedValues.Include(V); }
  void FontChanged();
  TCustomDBGridEx* Grid() const { return FColumn->Grid(); }

  ui::TAlignment FAlignment = ui::taLeftJustify;
  String FCaption;
  ui::TColor FColor = ui::clBtnFace;
  TColumnEx* FColumn;
  bool FEndEllipsis = false;
  std::unique_ptr<ui::TFont> FFont;
  String FHint;
  int FImageIndex = -1;
  TTextOrientationEx FOrientation = tohHorizontal;
  int FSortIndex = 0;
  bool FToolTips = false;
  TSortMarkerEx FSortMarker = smNoneEx;
  bool FTitleButton = false;
  mutable bool FCopyingFont = false;
};

}  // namespace grid
