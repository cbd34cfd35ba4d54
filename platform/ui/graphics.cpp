#include "platform/ui/graphics.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace ui {
namespace {

// The system colours of a standard desktop scheme, fixed so that every
// machine (and every test) paints the same pixels.
constexpr std::uint32_t kSysColors[31] = {
    RGBColor(200, 200, 200),  // 0 scroll bar
    RGBColor(0, 0, 0),        // 1 desktop
    RGBColor(153, 180, 209),  // 2 active caption
    RGBColor(191, 205, 219),  // 3 inactive caption
    RGBColor(240, 240, 240),  // 4 menu
    RGBColor(255, 255, 255),  // 5 window
    RGBColor(100, 100, 100),  // 6 window frame
    RGBColor(0, 0, 0),        // 7 menu text
    RGBColor(0, 0, 0),        // 8 window text
    RGBColor(0, 0, 0),        // 9 caption text
    RGBColor(180, 180, 180),  // 10 active border
    RGBColor(244, 247, 252),  // 11 inactive border
    RGBColor(171, 171, 171),  // 12 application workspace
    RGBColor(51, 153, 255),   // 13 highlight
    RGBColor(255, 255, 255),  // 14 highlight text
    RGBColor(240, 240, 240),  // 15 button face
    RGBColor(160, 160, 160),  // 16 button shadow
    RGBColor(109, 109, 109),  // 17 grey text
    RGBColor(0, 0, 0),        // 18 button text
    RGBColor(67, 78, 84),     // 19 inactive caption text
    RGBColor(255, 255, 255),  // 20 button highlight
    RGBColor(105, 105, 105),  // 21 3-D dark shadow
    RGBColor(227, 227, 227),  // 22 3-D light
    RGBColor(0, 0, 0),        // 23 info text
    RGBColor(255, 255, 225),  // 24 info background
    RGBColor(0, 0, 0),        // 25 (unused)
    RGBColor(0, 102, 204),    // 26 hot light
    RGBColor(185, 209, 234),  // 27 gradient active caption
    RGBColor(215, 228, 242),  // 28 gradient inactive caption
    RGBColor(51, 153, 255),   // 29 menu highlight
    RGBColor(240, 240, 240),  // 30 menu bar
};

struct ColorIdent {
  TColor value;
  const char16_t* name;
};
constexpr ColorIdent kColorIdents[] = {
    {clBlack, u"clBlack"}, {clMaroon, u"clMaroon"}, {clGreen, u"clGreen"}, {clOlive, u"clOlive"},
    {clNavy, u"clNavy"}, {clPurple, u"clPurple"}, {clTeal, u"clTeal"}, {clGray, u"clGray"},
    {clSilver, u"clSilver"}, {clRed, u"clRed"}, {clLime, u"clLime"}, {clYellow, u"clYellow"},
    {clBlue, u"clBlue"}, {clFuchsia, u"clFuchsia"}, {clAqua, u"clAqua"}, {clWhite, u"clWhite"},
    {clMoneyGreen, u"clMoneyGreen"}, {clSkyBlue, u"clSkyBlue"}, {clCream, u"clCream"},
    {clMedGray, u"clMedGray"}, {clScrollBar, u"clScrollBar"}, {clBackground, u"clBackground"},
    {clActiveCaption, u"clActiveCaption"}, {clInactiveCaption, u"clInactiveCaption"}, {clMenu, u"clMenu"},
    {clWindow, u"clWindow"}, {clWindowFrame, u"clWindowFrame"}, {clMenuText, u"clMenuText"},
    {clWindowText, u"clWindowText"}, {clCaptionText, u"clCaptionText"}, {clActiveBorder, u"clActiveBorder"},
    {clInactiveBorder, u"clInactiveBorder"}, {clAppWorkSpace, u"clAppWorkSpace"}, {clHighlight, u"clHighlight"},
    {clHighlightText, u"clHighlightText"}, {clBtnFace, u"clBtnFace"}, {clBtnShadow, u"clBtnShadow"},
    {clGrayText, u"clGrayText"}, {clBtnText, u"clBtnText"}, {clInactiveCaptionText, u"clInactiveCaptionText"},
    {clBtnHighlight, u"clBtnHighlight"}, {cl3DDkShadow, u"cl3DDkShadow"}, {cl3DLight, u"cl3DLight"},
    {clInfoText, u"clInfoText"}, {clInfoBk, u"clInfoBk"}, {clHotLight, u"clHotLight"},
    {clGradientActiveCaption, u"clGradientActiveCaption"},
    {clGradientInactiveCaption, u"clGradientInactiveCaption"}, {clMenuHighlight, u"clMenuHighlight"},
    {clMenuBar, u"clMenuBar"}, {clNone, u"clNone"}, {clDefault, u"clDefault"},
};

int RoundDiv(int a, int b) {
  double v = static_cast<double>(a) / b;
  return static_cast<int>(std::lround(v));
}

}  // namespace

std::uint32_t ColorToRGB(TColor Color) {
  if (Color < 0) {
    unsigned index = static_cast<std::uint32_t>(Color) & 0xFF;
    return index < std::size(kSysColors) ? kSysColors[index] : 0;
  }
  return static_cast<std::uint32_t>(Color);
}

String ColorToString(TColor Color) {
  for (const auto& c : kColorIdents)
    if (c.value == Color) return c.name;
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%.8X", static_cast<unsigned>(Color));
  return rtl::Utf8ToString(buf);
}

bool IdentToColor(const String& Ident, TColor& Color) {
  for (const auto& c : kColorIdents) {
    if (rtl::SameText(Ident, c.name)) {
      Color = c.value;
      return true;
    }
  }
  return false;
}

// --- TGraphicsObject ----------------------------------------------------------

const TClassInfo& TGraphicsObject::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TGraphicsObject>("TGraphicsObject", &TPersistent::StaticClassInfo()).Build();
  return info;
}

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

// --- TFont ----------------------------------------------------------------------

const TClassInfo& TFont::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TFont>("TFont", &TGraphicsObject::StaticClassInfo())
          .Integer("Charset", &TFont::CharsetInt, &TFont::SetCharsetInt)
          .Integer("Color", &TFont::Color, &TFont::SetColor)
          .Integer("Height", &TFont::Height, &TFont::SetHeight)
          .Str("Name", &TFont::Name, &TFont::SetName)
          .Enum("Pitch", "TFontPitch", {"fpDefault", "fpVariable", "fpFixed"}, &TFont::Pitch, &TFont::SetPitch)
          .Integer("Size", &TFont::Size, &TFont::SetSize)
          .NotStored()
          .Set("Style", "TFontStyles", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, &TFont::StyleBits,
               &TFont::SetStyleBits)
          .Build();
  return info;
}

namespace {
std::uint64_t NextFontRevision() {
  static std::atomic<std::uint64_t> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

TFont::TFont()
    : name_(u"Tahoma"), height_(-11), color_(clWindowText), charset_(DEFAULT_CHARSET), revision_(NextFontRevision()) {}

void TFont::SettingsChanged() {
  revision_ = NextFontRevision();
  handle_.reset();
  Changed();
}

void TFont::SetName(const String& Value) {
  if (Value.empty() || Value == name_) return;
  name_ = Value;
  SettingsChanged();
}

int TFont::Size() const { return -RoundDiv(height_ * 72, ScreenPixelsPerInch); }

void TFont::SetSize(int Value) { SetHeight(-RoundDiv(Value * ScreenPixelsPerInch, 72)); }

void TFont::SetHeight(int Value) {
  if (Value == height_) return;
  height_ = Value;
  SettingsChanged();
}

void TFont::SetStyle(TFontStyles Value) {
  if (Value == style_) return;
  style_ = Value;
  SettingsChanged();
}

void TFont::SetColor(TColor Value) {
  if (Value == color_) return;
  color_ = Value;
  // The colour is drawn with, not part of, the platform font.
  Changed();
}

void TFont::SetCharset(TFontCharset Value) {
  if (Value == charset_) return;
  charset_ = Value;
  SettingsChanged();
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == pitch_) return;
  pitch_ = Value;
  SettingsChanged();
}

void TFont::SetOrientation(int Value) {
  if (Value == orientation_) return;
  orientation_ = Value;
  SettingsChanged();
}

bool TFont::SameAs(const TFont& o) const {
  return name_ == o.name_ && height_ == o.height_ && style_ == o.style_ && color_ == o.color_ &&
         charset_ == o.charset_ && pitch_ == o.pitch_ && orientation_ == o.orientation_;
}

void TFont::Assign(const TPersistent* Source) {
  auto* f = dynamic_cast<const TFont*>(Source);
  if (!f) {
    TGraphicsObject::Assign(Source);
    return;
  }
  if (SameAs(*f)) return;
  if (name_ == f->name_ && height_ == f->height_ && style_ == f->style_ && charset_ == f->charset_ &&
      pitch_ == f->pitch_ && orientation_ == f->orientation_) {
    SetColor(f->color_);
    return;
  }
  name_ = f->name_;
  height_ = f->height_;
  style_ = f->style_;
  color_ = f->color_;
  charset_ = f->charset_;
  pitch_ = f->pitch_;
  orientation_ = f->orientation_;
  SettingsChanged();
  // The handle follows the settings just copied, so the copy shares it.
  handle_ = f->handle_;
}

// --- TPen / TBrush ------------------------------------------------------------

const TClassInfo& TPen::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TPen>("TPen", &TGraphicsObject::StaticClassInfo())
          .Integer("Color", &TPen::Color, &TPen::SetColor)
          .Enum("Mode", "TPenMode",
                {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot", "pmMaskPenNot",
                 "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor",
                 "pmNotXor"},
                &TPen::Mode, &TPen::SetMode)
          .Enum("Style", "TPenStyle",
                {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"},
                &TPen::Style, &TPen::SetStyle)
          .Integer("Width", &TPen::Width, &TPen::SetWidth)
          .Build();
  return info;
}

void TPen::SetColor(TColor Value) {
  if (Value == color_) return;
  color_ = Value;
  Changed();
}
void TPen::SetWidth(int Value) {
  if (Value < 0) Value = 0;
  if (Value == width_) return;
  width_ = Value;
  Changed();
}
void TPen::SetStyle(TPenStyle Value) {
  if (Value == style_) return;
  style_ = Value;
  Changed();
}
void TPen::SetMode(TPenMode Value) {
  if (Value == mode_) return;
  mode_ = Value;
  Changed();
}
void TPen::Assign(const TPersistent* Source) {
  auto* p = dynamic_cast<const TPen*>(Source);
  if (!p) {
    TGraphicsObject::Assign(Source);
    return;
  }
  color_ = p->color_;
  width_ = p->width_;
  style_ = p->style_;
  mode_ = p->mode_;
  Changed();
}

const TClassInfo& TBrush::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TBrush>("TBrush", &TGraphicsObject::StaticClassInfo())
          .Integer("Color", &TBrush::Color, &TBrush::SetColor)
          .Enum("Style", "TBrushStyle",
                {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross",
                 "bsDiagCross"},
                &TBrush::Style, &TBrush::SetStyle)
          .Build();
  return info;
}

void TBrush::SetColor(TColor Value) {
  if (Value == color_ && style_ != bsClear) return;
  color_ = Value;
  // Giving a clear brush a colour makes it solid again.
  if (style_ == bsClear) style_ = bsSolid;
  Changed();
}
void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == style_) return;
  style_ = Value;
  Changed();
}
void TBrush::Assign(const TPersistent* Source) {
  auto* b = dynamic_cast<const TBrush*>(Source);
  if (!b) {
    TGraphicsObject::Assign(Source);
    return;
  }
  color_ = b->color_;
  style_ = b->style_;
  Changed();
}

// --- face map -----------------------------------------------------------------

String MapFontFace(const String& Face) {
  static const std::pair<const char16_t*, const char16_t*> kMap[] = {
      {u"Tahoma", u"DejaVu Sans"},
      {u"Verdana", u"DejaVu Sans"},
      {u"MS Sans Serif", u"DejaVu Sans"},
      {u"Microsoft Sans Serif", u"DejaVu Sans"},
      {u"MS Shell Dlg", u"DejaVu Sans"},
      {u"MS Shell Dlg 2", u"DejaVu Sans"},
      {u"Arial", u"DejaVu Sans"},
      {u"Segoe UI", u"DejaVu Sans"},
      {u"System", u"DejaVu Sans"},
      {u"Marlett", u"DejaVu Sans"},
      {u"Courier New", u"DejaVu Sans Mono"},
      {u"Courier", u"DejaVu Sans Mono"},
      {u"Fixedsys", u"DejaVu Sans Mono"},
      {u"Terminal", u"DejaVu Sans Mono"},
      {u"Lucida Console", u"DejaVu Sans Mono"},
      {u"Consolas", u"DejaVu Sans Mono"},
      {u"Times New Roman", u"DejaVu Serif"},
      {u"SimSun", u"WenQuanYi Micro Hei"},
      {u"NSimSun", u"WenQuanYi Micro Hei"},
      {u"SimHei", u"WenQuanYi Micro Hei"},
      {u"Microsoft YaHei", u"WenQuanYi Micro Hei"},
      {u"\u5B8B\u4F53", u"WenQuanYi Micro Hei"},              // 宋体
      {u"\u65B0\u5B8B\u4F53", u"WenQuanYi Micro Hei"},        // 新宋体
      {u"\u9ED1\u4F53", u"WenQuanYi Micro Hei"},              // 黑体
      {u"\u5FAE\u8F6F\u96C5\u9ED1", u"WenQuanYi Micro Hei"},  // 微软雅黑
  };
  for (const auto& [from, to] : kMap)
    if (rtl::SameText(Face, from)) return to;
  return Face;
}

}  // namespace ui
