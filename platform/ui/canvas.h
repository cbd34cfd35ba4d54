// Drawing surface with the Windows pixel rules: right and bottom edges of
// rectangles are outside, the end point of a line is not drawn, outlines lie
// inside their rectangle. Drawn through an aliased QPainter.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/graphics.h"

class QPainter;
class QImage;
class QString;

namespace ui {
namespace qt {
struct FontFace;
}

class TBitmap;
class TControl;

// DrawText flags.
constexpr unsigned DT_TOP = 0x0000;
constexpr unsigned DT_LEFT = 0x0000;
constexpr unsigned DT_CENTER = 0x0001;
constexpr unsigned DT_RIGHT = 0x0002;
constexpr unsigned DT_VCENTER = 0x0004;
constexpr unsigned DT_BOTTOM = 0x0008;
constexpr unsigned DT_WORDBREAK = 0x0010;
constexpr unsigned DT_SINGLELINE = 0x0020;
constexpr unsigned DT_EXPANDTABS = 0x0040;
constexpr unsigned DT_NOCLIP = 0x0100;
constexpr unsigned DT_EXTERNALLEADING = 0x0200;
constexpr unsigned DT_CALCRECT = 0x0400;
constexpr unsigned DT_NOPREFIX = 0x0800;
constexpr unsigned DT_EDITCONTROL = 0x2000;
constexpr unsigned DT_PATH_ELLIPSIS = 0x4000;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;
constexpr unsigned DT_RTLREADING = 0x20000;
constexpr unsigned DT_WORD_ELLIPSIS = 0x40000;

// DrawEdge edges and sides.
constexpr unsigned BDR_RAISEDOUTER = 0x0001;
constexpr unsigned BDR_SUNKENOUTER = 0x0002;
constexpr unsigned BDR_RAISEDINNER = 0x0004;
constexpr unsigned BDR_SUNKENINNER = 0x0008;
constexpr unsigned BDR_OUTER = 0x0003;
constexpr unsigned BDR_INNER = 0x000C;
constexpr unsigned BDR_RAISED = 0x0005;
constexpr unsigned BDR_SUNKEN = 0x000A;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr unsigned BF_LEFT = 0x0001;
constexpr unsigned BF_TOP = 0x0002;
constexpr unsigned BF_RIGHT = 0x0004;
constexpr unsigned BF_BOTTOM = 0x0008;
constexpr unsigned BF_TOPLEFT = BF_TOP | BF_LEFT;
constexpr unsigned BF_TOPRIGHT = BF_TOP | BF_RIGHT;
constexpr unsigned BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT;
constexpr unsigned BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT;
constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr unsigned BF_MIDDLE = 0x0800;
constexpr unsigned BF_SOFT = 0x1000;
constexpr unsigned BF_ADJUST = 0x2000;
constexpr unsigned BF_FLAT = 0x4000;
constexpr unsigned BF_MONO = 0x8000;

// Text alignment of TextOut.
constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_RIGHT = 2;
constexpr unsigned TA_CENTER = 6;
constexpr unsigned TA_TOP = 0;
constexpr unsigned TA_BOTTOM = 8;
constexpr unsigned TA_BASELINE = 24;
// Right-to-left reading order (mixed scripts, trailing punctuation).
constexpr unsigned TA_RTLREADING = 256;

// Copy modes (raster operations) of CopyRect.
constexpr std::uint32_t cmSrcCopy = 0x00CC0020;
constexpr std::uint32_t cmSrcInvert = 0x00660046;
constexpr std::uint32_t cmSrcAnd = 0x008800C6;
constexpr std::uint32_t cmSrcPaint = 0x00EE0086;
constexpr std::uint32_t cmDstInvert = 0x00550009;

// A drawing recorded outside a paint; repainted (XOR) at the end of every
// paint until drawn a second time, which removes it.
struct TOverlayItem {
  enum Kind { XorLine, FocusRect } kind = XorLine;
  TPoint a, b;  // line ends or rectangle corners
  TColor color = clBlack;
  int width = 1;
  bool operator==(const TOverlayItem&) const = default;
};

class TCanvas : public TPersistent {
  JQ_UI_CLASSINFO
 public:
  TCanvas();
  ~TCanvas() override;

  TFont* Font() const { return font_.get(); }
  TPen* Pen() const { return pen_.get(); }
  TBrush* Brush() const { return brush_.get(); }
  void SetFont(const TFont* Value) { font_->Assign(Value); }
  void SetPen(const TPen* Value) { pen_->Assign(Value); }
  void SetBrush(const TBrush* Value) { brush_->Assign(Value); }
  TPoint PenPos() const { return penPos_; }
  void SetPenPos(TPoint Value) { penPos_ = Value; }
  std::uint32_t CopyMode() const { return copyMode_; }
  void SetCopyMode(std::uint32_t Value) { copyMode_ = Value; }
  unsigned TextFlags() const { return textAlign_; }
  void SetTextAlign(unsigned Value) { textAlign_ = Value; }

  // Whether drawing reaches a surface now (inside a paint, or a bitmap).
  bool HandleAllocated();
  // Bounds of the clip region in canvas coordinates.
  TRect ClipRect();

  void FillRect(const TRect& R);
  void FrameRect(const TRect& R);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Polygon(const std::vector<TPoint>& Points);
  void Polyline(const std::vector<TPoint>& Points);
  void MoveTo(int X, int Y) { penPos_ = {X, Y}; }
  void LineTo(int X, int Y);
  // Ends holds point pairs; each pair is drawn as MoveTo(first), LineTo(second).
  void LineSegments(const std::vector<TPoint>& Ends);
  // Pixel read works on bitmaps; on a window it answers clNone.
  TColor Pixel(int X, int Y);
  void SetPixel(int X, int Y, TColor Color);

  void TextOut(int X, int Y, const String& Text);
  void TextRect(const TRect& R, int X, int Y, const String& Text);
  int TextWidth(const String& Text) const;
  // The same width for a text about to be drawn: its glyphs are kept then.
  int DrawnTextWidth(const String& Text) const;
  int TextHeight(const String& Text) const;
  TSize TextExtent(const String& Text) const;
  // Returns the height of the text; with DT_CALCRECT only measures into R.
  int DrawText(const String& Text, TRect& R, unsigned Flags);
  bool DrawEdge(TRect& R, unsigned Edge, unsigned Flags);
  // XOR dotted frame: drawing the same rectangle again erases it.
  void DrawFocusRect(const TRect& R);

  void CopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect);
  void Draw(int X, int Y, TBitmap* Graphic);
  void StretchDraw(const TRect& R, TBitmap* Graphic);

  // Right-to-left mapping: logical pixel x lands on pixel Width - 1 - x, so
  // a rectangle (L, R) covers (Width - R, Width - L). Text keeps readable
  // glyphs in its mirrored box; clip rectangles and ClipRect are logical.
  // Only while a painter is attached; Attach starts unmirrored.
  void SetMirroring(bool Mirrored, int Width);
  bool Mirrored() const { return mirrorWidth_ >= 0; }
  // The rectangle on the surface (the same mirror serves both directions).
  TRect MirrorRect(const TRect& R) const;

  // Saves pen, brush, font and clip; RestoreDC(id) returns to that point.
  int SaveDC();
  void RestoreDC(int SavedDC);
  void IntersectClipRect(const TRect& R);
  void ExcludeClipRect(const TRect& R);
  bool RectVisible(const TRect& R);

  TNotifyEvent OnChange;

  // --- platform side ---------------------------------------------------------
  // Binds the canvas to a painter for the duration of a paint. KeepState
  // carries the clip and saved states over (a bitmap reopening its painter);
  // otherwise a paint starts afresh.
  void Attach(QPainter* Painter, bool KeepState = false);
  void Detach();
  QPainter* AttachedPainter() const { return painter_; }

 protected:
  // Painter to draw with now, or nullptr.
  virtual QPainter* RequirePainter() { return painter_; }
  // Image behind the canvas when there is one (bitmaps); painting is finished first.
  virtual QImage* RequireImage() { return nullptr; }
  // Outside a paint: keeps XOR feedback for the next paint. Returns false when not kept.
  virtual bool ToggleOverlay(const TOverlayItem&) { return false; }

 private:
  friend class TBitmap;
  void PrepareForPen(QPainter& p, TColor color);
  void DrawPixels(QPainter& p, const std::vector<TPoint>& pts, TColor color);
  void LinePixels(TPoint from, TPoint to, std::vector<TPoint>& out, bool dotted, int& phase) const;
  void FillRaw(QPainter& p, const TRect& r, TColor color);
  // A solid one-pixel horizontal or vertical line as a fill; false for other lines.
  bool StraightLine(QPainter& p, TPoint from, TPoint to, TColor color);
  // The current font's face, looked up again only when the font changes.
  qt::FontFace& Face() const;
  mutable qt::FontFace* face_ = nullptr;
  mutable std::uint64_t faceRevision_ = 0;
  TRect PlaceText(int X, int Y, const String& Text, QString& Out);
  void DrawPlacedText(QPainter& p, const TRect& Cell, const QString& S, bool Opaque);
  // The placed text turned by the font's orientation round the reference point.
  void DrawTextAt(QPainter& p, TPoint Ref, const TRect& Cell, const QString& S, bool Opaque);

  std::unique_ptr<TFont> font_;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  TPoint penPos_;
  std::uint32_t copyMode_ = cmSrcCopy;
  unsigned textAlign_ = TA_LEFT | TA_TOP;
  QPainter* painter_ = nullptr;
  int mirrorWidth_ = -1;
  // Points (not areas) land one pixel off under the mirror transform.
  int PointShift() const { return Mirrored() ? 1 : 0; }
  // Runs Fn with the painter's own (unmirrored) transform.
  template <class Fn>
  void Unmirrored(QPainter& p, Fn&& fn);
  struct Saved;
  struct ClipState;
  std::vector<Saved> saved_;
  std::unique_ptr<ClipState> clip_;
  std::unique_ptr<ClipState> baseClip_;  // the painter's own clip when attached
  void ApplyClip();
  void SetShapePenAndBrush(QPainter* p);
  // Narrows the clip to `R` (keep_inside) or cuts `R` out of it.
  void CombineClip(const TRect& R, bool keep_inside);
};

// Canvas of a control: live during its paint; outside a paint it keeps XOR
// lines and focus frames as overlay state of the window that paints it.
class TControlCanvas : public TCanvas {
  JQ_UI_CLASSINFO
 public:
  explicit TControlCanvas(TControl* Control) : control_(Control) {}
  TControl* Control() const { return control_; }

 protected:
  bool ToggleOverlay(const TOverlayItem& Item) override;

 private:
  TControl* control_;
};

}  // namespace ui
