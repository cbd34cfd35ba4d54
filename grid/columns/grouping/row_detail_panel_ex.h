// The detail panel under a data grid's current record: its settings and the
// container control that the grid places below the record, pushing the
// following rows down.
#pragma once

#include "platform/classes/classes.h"
#include "platform/ui/forms.h"
#include "platform/ui/panels.h"

namespace grid {

class TCustomDBGridEx;

enum TBevelEdge { beLeft, beTop, beRight, beBottom };
using TBevelEdges = ui::TSet<TBevelEdge>;
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };

// The designer fills it with any controls; the grid places it.
class TRowDetailPanelControlEx : public ui::TScrollBox {
  JQ_UI_CLASSINFO
 public:
  explicit TRowDetailPanelControlEx(ui::TComponent* AOwner);
  ui::TBevelCut BevelInner() const { return FBevelInner; }
  ui::TBevelCut BevelOuter() const { return FBevelOuter; }
  TBevelEdges BevelEdges() const { return FBevelEdges; }
  TBevelKind BevelKind() const { return FBevelKind; }
  int BevelWidth() const { return FBevelWidth; }
  void SetBevels(TBevelEdges Edges, ui::TBevelCut Inner, ui::TBevelCut Outer, TBevelKind Kind, int Width);
  // Widths of the frame round the client area: the single border, then the bevels.
  ui::TPadding FrameWidths() const;

 protected:
  void Dispatch(ui::TMessage& Message) override;

 private:
  void PaintFrame();

 private:
  TBevelEdges FBevelEdges{beLeft, beTop, beRight, beBottom};
  ui::TBevelCut FBevelInner = ui::bvRaised;
  ui::TBevelCut FBevelOuter = ui::bvLowered;
  TBevelKind FBevelKind = bkNone;
  int FBevelWidth = 1;
};

class TRowDetailPanelEx : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TRowDetailPanelEx(TCustomDBGridEx* AGrid);

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  bool Visible() const { return FVisible; }
  // Showing needs a real current record; the grid's events may refuse either way.
  void SetVisible(bool Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  ui::TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(ui::TWinControl* Value);
  TBevelEdges BevelEdges() const { return FBevelEdges; }
  void SetBevelEdges(TBevelEdges Value);
  // The edges as the layout stores them (bit n = edge n).
  int BevelEdgesBits() const;
  void SetBevelEdgesBits(int Bits);
  bool IsBevelEdgesStored() const;
  ui::TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(ui::TBevelCut Value);
  ui::TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(ui::TBevelCut Value);
  TBevelKind BevelKind() const { return FBevelKind; }
  void SetBevelKind(TBevelKind Value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int Value);
  ui::TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(ui::TBorderStyle Value);
  ui::TColor Color() const;
  void SetColor(ui::TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  bool IsColorStored() const { return !FParentColor; }

  void Assign(const ui::TPersistent* Source) override;

 private:
  void Replace();

  TCustomDBGridEx* FGrid;
  bool FActive = false;
  bool FVisible = false;
  int FWidth = 0;
  int FHeight = 120;
  ui::TWinControl* FActiveControl = nullptr;
  TBevelEdges FBevelEdges{beLeft, beTop, beRight, beBottom};
  ui::TBevelCut FBevelInner = ui::bvRaised;
  ui::TBevelCut FBevelOuter = ui::bvLowered;
  TBevelKind FBevelKind = bkNone;
  int FBevelWidth = 1;
  ui::TBorderStyle FBorderStyle = ui::bsSingle;
  ui::TColor FColor;
  bool FParentColor = false;
};

}  // namespace grid
