// Colours, fonts, pens and brushes.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/classes/classes.h"

namespace ui {

// 0x00BBGGRR; negative values name system colours (0x80000000 | index).
using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor SysColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }
constexpr TColor clScrollBar = SysColor(0);
constexpr TColor clBackground = SysColor(1);
constexpr TColor clActiveCaption = SysColor(2);
constexpr TColor clInactiveCaption = SysColor(3);
constexpr TColor clMenu = SysColor(4);
constexpr TColor clWindow = SysColor(5);
constexpr TColor clWindowFrame = SysColor(6);
constexpr TColor clMenuText = SysColor(7);
constexpr TColor clWindowText = SysColor(8);
constexpr TColor clCaptionText = SysColor(9);
constexpr TColor clActiveBorder = SysColor(10);
constexpr TColor clInactiveBorder = SysColor(11);
constexpr TColor clAppWorkSpace = SysColor(12);
constexpr TColor clHighlight = SysColor(13);
constexpr TColor clHighlightText = SysColor(14);
constexpr TColor clBtnFace = SysColor(15);
constexpr TColor clBtnShadow = SysColor(16);
constexpr TColor clGrayText = SysColor(17);
constexpr TColor clBtnText = SysColor(18);
constexpr TColor clInactiveCaptionText = SysColor(19);
constexpr TColor clBtnHighlight = SysColor(20);
constexpr TColor cl3DDkShadow = SysColor(21);
constexpr TColor cl3DLight = SysColor(22);
constexpr TColor clInfoText = SysColor(23);
constexpr TColor clInfoBk = SysColor(24);
constexpr TColor clHotLight = SysColor(26);
constexpr TColor clGradientActiveCaption = SysColor(27);
constexpr TColor clGradientInactiveCaption = SysColor(28);
constexpr TColor clMenuHighlight = SysColor(29);
constexpr TColor clMenuBar = SysColor(30);

// RGB value of a colour (system colours from one fixed table).
std::uint32_t ColorToRGB(TColor Color);
constexpr TColor RGBColor(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(std::uint32_t c) { return c & 0xFF; }
constexpr int GetGValue(std::uint32_t c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(std::uint32_t c) { return (c >> 16) & 0xFF; }
// The display is always true-colour: every colour is its own nearest colour.
inline TColor GetNearestColor(TColor Color) { return static_cast<TColor>(ColorToRGB(Color)); }
// Identifier ("clBtnFace") or "$00BBGGRR" text; false for unknown text.
String ColorToString(TColor Color);
bool IdentToColor(const String& Ident, TColor& Color);

constexpr int ScreenPixelsPerInch = 96;

// Base of fonts, pens and brushes: change notice to the owner.
class TGraphicsObject : public TPersistent {
  JQ_UI_CLASSINFO
 public:
  TNotifyEvent OnChange;

 protected:
  void Changed();
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = std::uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset GB2312_CHARSET = 134;

class TFont : public TGraphicsObject {
  JQ_UI_CLASSINFO
 public:
  TFont();

  const String& Name() const { return name_; }
  void SetName(const String& Value);
  // Points; Height is pixels at 96 dpi, negative for the character height.
  int Size() const;
  void SetSize(int Value);
  int Height() const { return height_; }
  void SetHeight(int Value);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles Value);
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  TFontCharset Charset() const { return charset_; }
  void SetCharset(TFontCharset Value);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch Value);
  // Tenths of a degree, counter-clockwise.
  int Orientation() const { return orientation_; }
  void SetOrientation(int Value);

  void Assign(const TPersistent* Source) override;
  bool SameAs(const TFont& other) const;

  // Changes whenever a setting does; never repeats, across all fonts.
  std::uint64_t Revision() const { return revision_; }
  // What the platform builds from these settings, kept until they change.
  struct Handle {
    virtual ~Handle() = default;
  };
  Handle* CachedHandle() const { return handle_.get(); }
  void SetCachedHandle(std::shared_ptr<Handle> H) const { handle_ = std::move(H); }

 private:
  void SettingsChanged();
  std::int64_t StyleBits() const { return static_cast<std::int64_t>(style_.Bits()); }
  void SetStyleBits(std::int64_t v) { SetStyle(TFontStyles::FromBits(static_cast<std::uint64_t>(v))); }
  int CharsetInt() const { return charset_; }
  void SetCharsetInt(int v) { SetCharset(static_cast<TFontCharset>(v)); }

  String name_;
  int height_;
  TFontStyles style_;
  TColor color_;
  TFontCharset charset_;
  TFontPitch pitch_ = fpDefault;
  int orientation_ = 0;
  std::uint64_t revision_;
  mutable std::shared_ptr<Handle> handle_;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class TPen : public TGraphicsObject {
  JQ_UI_CLASSINFO
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  int Width() const { return width_; }
  void SetWidth(int Value);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle Value);
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode Value);
  void Assign(const TPersistent* Source) override;

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
  JQ_UI_CLASSINFO
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle Value);
  void Assign(const TPersistent* Source) override;

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
};

// Face names the program asks for -> faces this system has.
String MapFontFace(const String& Face);

}  // namespace ui
