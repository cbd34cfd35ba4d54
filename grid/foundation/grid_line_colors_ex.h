// Colours of the base grid's lines, and the per-colour line batches a paint
// collects so that each colour is drawn in one call.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "platform/ui/ui.h"

namespace grid {

class TCustomGridEx;

class TGridLineColorsEx {
 public:
  enum Kind {
    BrightColor, DarkColor, DataHorzColor, DataVertColor, FixedHorzColor, FixedVertColor,
    HorzAreaContraBorderColor, HorzAreaContraHorzColor, HorzAreaContraVertColor, HorzAreaFrozenBorderColor,
    HorzAreaFrozenHorzColor, HorzAreaFrozenVertColor, VertAreaContraBorderColor, VertAreaContraHorzColor,
    VertAreaContraVertColor, VertAreaFrozenBorderColor, VertAreaFrozenHorzColor, VertAreaFrozenVertColor,
    KindCount
  };
  explicit TGridLineColorsEx(TCustomGridEx* Grid) : FGrid(Grid) { FColors.fill(ui::clDefault); }
  virtual ~TGridLineColorsEx() = default;

  // The stored value (clDefault: derived by the getter).
  ui::TColor Color(Kind K) const { return FColors[K]; }
  void SetColor(Kind K, ui::TColor Value) { FColors[K] = Value; }

  virtual ui::TColor GetDarkColor() const;
  virtual ui::TColor GetBrightColor() const;
  virtual ui::TColor GetCellColor(int Col, int Row) const;
  virtual ui::TColor GetLeftBorderCellColor(int Col, int Row) const;
  virtual ui::TColor GetTopBorderCellColor(int Col, int Row) const;
  virtual ui::TColor GetRightBorderCellColor(int Col, int Row) const;
  virtual ui::TColor GetDownBorderCellColor(int Col, int Row) const;
  virtual ui::TColor GetFixedVertColor() const { return OrDark(FixedVertColor); }
  virtual ui::TColor GetFixedHorzColor() const { return OrDark(FixedHorzColor); }
  virtual ui::TColor GetVertAreaFrozenVertColor() const { return OrBright(VertAreaFrozenVertColor); }
  virtual ui::TColor GetVertAreaFrozenHorzColor() const { return OrBright(VertAreaFrozenHorzColor); }
  virtual ui::TColor GetHorzAreaFrozenVertColor() const { return OrBright(HorzAreaFrozenVertColor); }
  virtual ui::TColor GetHorzAreaFrozenHorzColor() const { return OrBright(HorzAreaFrozenHorzColor); }
  virtual ui::TColor GetVertAreaFrozenBorderColor() const { return OrDark(VertAreaFrozenBorderColor); }
  virtual ui::TColor GetHorzAreaFrozenBorderColor() const { return OrDark(HorzAreaFrozenBorderColor); }
  virtual ui::TColor GetDataVertColor() const { return OrBright(DataVertColor); }
  virtual ui::TColor GetDataHorzColor() const { return OrBright(DataHorzColor); }
  virtual ui::TColor GetVertAreaContraVertColor() const { return OrBright(VertAreaContraVertColor); }
  virtual ui::TColor GetVertAreaContraHorzColor() const { return OrBright(VertAreaContraHorzColor); }
  virtual ui::TColor GetHorzAreaContraVertColor() const { return OrBright(HorzAreaContraVertColor); }
  virtual ui::TColor GetHorzAreaContraHorzColor() const { return OrBright(HorzAreaContraHorzColor); }
  virtual ui::TColor GetVertAreaContraBorderColor() const { return OrDark(VertAreaContraBorderColor); }
  virtual ui::TColor GetHorzAreaContraBorderColor() const { return OrDark(HorzAreaContraBorderColor); }

 protected:
  ui::TColor OrDark(Kind K) const { return FColors[K] == ui::clDefault ? GetDarkColor() : FColors[K]; }
  ui::TColor OrBright(Kind K) const { return FColors[K] == ui::clDefault ? GetBrightColor() : FColors[K]; }
  std::array<ui::TColor, KindCount> FColors;
  TCustomGridEx* FGrid;
};

// Lines of one colour, two points per line.
struct TGridLinesEx {
  ui::TColor Color = 0;
  std::vector<ui::TPoint> Points;
};

class TGridLinesCacheEx {
 public:
  void Clear() {
    FLines.clear();
    FLast = nullptr;
  }
  TGridLinesEx& GetGridLines(ui::TColor Color);
  void AddLine(ui::TColor Color, int X1, int Y1, int X2, int Y2);
  void Draw(TCustomGridEx* Grid);
  int Count() const { return static_cast<int>(FLines.size()); }

 private:
  std::vector<std::unique_ptr<TGridLinesEx>> FLines;
  TGridLinesEx* FLast = nullptr;  // the colour used last: lines of one area mostly share it
};

}  // namespace grid
