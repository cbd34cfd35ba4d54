#include "grid/core/db_grid_ex_module.h"

#include "grid/columns/columns/column_property_interceptors.h"
#include "grid/columns/filters/dataset_features_ex.h"
#include "grid/core/db_grid_ex_center.h"
#include "grid/core/db_grid_ex_style.h"
#include "grid/core/grid_core_internal.h"
#include "grid/core/grid_images.h"
#include "platform/data/dataset.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/canvas.h"
#include "platform/ui/forms.h"
#include "platform/ui/keys.h"

namespace grid {

using namespace ui;

TShortCut InplaceSearchShortCut = 0;
TShortCut InplaceSearchNextShortCut = 0;
TShortCut InplaceSearchPriorShortCut = 0;
TShortCut PrevRecordValueShortCut = 0;
TShortCut FindDialogShortCut = 0;
TShortCut FilterListShortCut = 0;
unsigned InplaceSearchTypingTimeOut = 0;
TColor InplaceSearchHighlightColor = 0x00FFFF;
TColor InplaceSearchHighlightTextColor = 0;
TFont* SortMarkerFont = nullptr;

namespace {

TDBGridExStyle* g_style = nullptr;
TDBGridExCenter* g_center = nullptr;
bool g_started = false;

// The toolkit carries no cursor pictures of its own: the column-move and
// sizing cursors stand for the nearest standard ones.
struct CursorEntry {
  TCursor Id;
  TCursor Standard;
};
constexpr CursorEntry kCursors[] = {{crDownCurEh, crSizeNS}, {crRightCurEh, crSizeWE}, {crLeftCurEh, crSizeWE}};

ui::TBitmap* g_drawBitmap = nullptr;
ui::TBitmap* g_paintBuffer = nullptr;
bool g_paintBufferTaken = false;
int g_drawBitmapUsers = 0;

int g_waitCount = 0;
TCursor g_savedCursor = crDefault;

}  // namespace

namespace core_detail {

void ForgetGlobalStyle(const TDBGridExStyle* Style) {
  if (g_style == Style) g_style = nullptr;
}

void ForgetGlobalCenter(const TDBGridExCenter* Center) {
  if (g_center == Center) g_center = nullptr;
}

void AcquireDrawBitmap() {
  if (g_drawBitmapUsers++ == 0) {
    g_drawBitmap = new TBitmap;
    g_paintBuffer = new TBitmap;
  }
}

void ReleaseDrawBitmap() {
  if (g_drawBitmapUsers == 0) return;
  if (--g_drawBitmapUsers == 0) {
    delete g_drawBitmap;
    g_drawBitmap = nullptr;
    delete g_paintBuffer;
    g_paintBuffer = nullptr;
  }
}

TBitmap* DrawBitmap() { return g_drawBitmap; }

TBitmap* TakePaintBuffer() {
  if (g_paintBufferTaken || !g_paintBuffer) return nullptr;
  g_paintBufferTaken = true;
  return g_paintBuffer;
}

void GivePaintBufferBack(TBitmap* Buffer) {
  if (Buffer == g_paintBuffer) g_paintBufferTaken = false;
}

}  // namespace core_detail

TDBGridExStyle* GetDefaultGridStyle() { return g_style; }

TDBGridExCenter* GetDefaultGridCenter() { return g_center; }

void InitDBGridEx() {
  if (g_started) return;
  g_started = true;
  // The dataset-features registry starts before the grid module and ends after it.
  InitDatasetFeatures();
  RegisterColumnPropertyInterceptors();
  g_style = new TDBGridExStyle;
  g_center = new TDBGridExCenter;
  // The font height follows the descending marker's picture.
  SortMarkerFont = new TFont;
  SortMarkerFont->SetHeight(1 - SortMarkerImageHeight);
  SortMarkerFont->SetName(u"Arial");
  if (Screen)
    for (const CursorEntry& c : kCursors) Screen->SetCursors(c.Id, c.Standard);
  InplaceSearchShortCut = ShortCut(u'F', {ssCtrl});
  InplaceSearchNextShortCut = ShortCut(VK_RETURN, {ssCtrl});
  InplaceSearchPriorShortCut = ShortCut(VK_RETURN, {ssCtrl, ssShift});
  PrevRecordValueShortCut = ShortCut(222, {ssCtrl});
  FindDialogShortCut = ShortCut(u'F', {ssCtrl});
  FilterListShortCut = ShortCut(u'T', {ssCtrl});
  InplaceSearchTypingTimeOut = 1500;
  InplaceSearchHighlightColor = 0x00FFFF;
  InplaceSearchHighlightTextColor = 0;
  LoadGridImages();
}

void DoneDBGridEx() {
  if (!g_started) return;
  g_started = false;
  FreeGridImages();
  core_detail::FreeIndicatorTitleMenu();
  if (Screen)
    for (const CursorEntry& c : kCursors) Screen->SetCursors(c.Id, crDefault);
  delete SortMarkerFont;
  SortMarkerFont = nullptr;
  delete g_center;
  delete g_style;
  UnregisterColumnPropertyInterceptors();
  DoneDatasetFeatures();
}

// --- routines --------------------------------------------------------------------

void StoreFontAttributes(const TFont* Font, TFontAttributes& Attributes) {
  Attributes.Height = Font->Height();
  Attributes.Pitch = Font->Pitch();
  Attributes.Style = Font->Style();
  Attributes.Charset = Font->Charset();
  Attributes.Name = Font->Name();
  Attributes.Color = Font->Color();
}

void ApplyFontAttributes(TFont* Font, const TFontAttributes& Attributes) {
  if (Font->Height() != Attributes.Height) Font->SetHeight(Attributes.Height);
  if (Font->Pitch() != Attributes.Pitch) Font->SetPitch(Attributes.Pitch);
  if (Font->Style() != Attributes.Style) Font->SetStyle(Attributes.Style);
  if (Font->Charset() != Attributes.Charset) Font->SetCharset(Attributes.Charset);
  if (Font->Name() != Attributes.Name) Font->SetName(Attributes.Name);
  if (Font->Color() != Attributes.Color) Font->SetColor(Attributes.Color);
}

TRect MakeRect(TPoint TopLeft, TPoint BottomRight) { return {TopLeft.X, TopLeft.Y, BottomRight.X, BottomRight.Y}; }

int MaxInteger(int A, int B) { return A > B ? A : B; }

int MinInteger(int A, int B) { return A < B ? A : B; }

int ChooseInteger(bool Condition, int IfTrue, int IfFalse) { return Condition ? IfTrue : IfFalse; }

TColor MixColors(TColor A, TColor B, double Amount) {
  std::uint32_t a = ColorToRGB(A), b = ColorToRGB(B), result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    int ca = static_cast<int>((a >> shift) & 0xFF), cb = static_cast<int>((b >> shift) & 0xFF);
    int c = ca + static_cast<int>((cb - ca) / 255.0 * Amount);
    c = c < 0 ? 0 : c > 255 ? 255 : c;
    result |= static_cast<std::uint32_t>(c) << shift;
  }
  return static_cast<TColor>(result);
}

void RaiseInvalidGridOperation(const String& Message) { throw EInvalidGridOperationEx(Message); }

String GetComponentPath(const TComponent* Component) {
  if (!Component) return String();
  if (dynamic_cast<const TCustomForm*>(Component)) return Component->ClassName();
  String path = Component->Name();
  for (const TComponent* owner = Component->Owner(); owner; owner = owner->Owner()) {
    // The form's class name runs straight into the path: stored layouts are found under that name.
    if (dynamic_cast<const TCustomForm*>(owner)) return owner->ClassName() + path;
    path = owner->Name() + u"." + path;
  }
  return path;
}

void BeginWaitCursor() {
  if (g_waitCount++ == 0 && Screen) {
    g_savedCursor = Screen->Cursor();
    Screen->SetCursor(crHourGlass);
  }
}

void EndWaitCursor() {
  if (g_waitCount == 0) return;
  if (--g_waitCount == 0 && Screen) Screen->SetCursor(g_savedCursor);
}

TRect SwapRectExtents(const TRect& Rect) {
  return {Rect.Left, Rect.Top, Rect.Left + (Rect.Bottom - Rect.Top), Rect.Top + (Rect.Right - Rect.Left)};
}

int FieldAsIntegerDef(db::TField* Field, int Default) {
  if (!Field || Field->IsNull()) return Default;
  try {
    return Field->AsInteger();
  } catch (const rtl::Exception&) {
    return Default;
  }
}

bool IsFieldReadOnly(db::TField* Field) {
  if (!Field->ReadOnly() && Field->Lookup() && !Field->KeyFields().empty()) {
    db::TDataSet* ds = Field->DataSet();
    if (!ds) return true;
    std::vector<db::TField*> keys;
    ds->GetFieldList(keys, Field->KeyFields());
    for (db::TField* key : keys)
      if (!key->ReadOnly()) return false;
    return true;
  }
  return Field->ReadOnly();
}

void RemovePendingMessage(TWinControl* Control, std::uint32_t Msg) {
  TMsg m;
  while (PeekMessage(m, Control, Msg, Msg, PM_REMOVE)) {
  }
}

bool TextExceedsRect(TCanvas* Canvas, const TRect& Rect, const String& Text, int LeftMargin, int TopMargin,
                     bool WordWrap, int& TextWidth, int& TextHeight) {
  int width = Rect.Right - Rect.Left - LeftMargin - 2;
  if (width < 1) width = 1;
  TRect r{0, 0, width, 0};
  Canvas->DrawText(Text, r, DT_CALCRECT | DT_NOPREFIX | (WordWrap ? DT_WORDBREAK : DT_SINGLELINE));
  TextWidth = r.Right - r.Left;
  TextHeight = r.Bottom - r.Top;
  return TextWidth > width || TextHeight > Rect.Bottom - Rect.Top - TopMargin + 1;
}

String CrLfLineBreaks(const String& Text) {
  String result;
  for (std::size_t i = 0; i < Text.size(); ++i) {
    const char16_t c = Text[i];
    if (c == u'\r') {
      result += u"\r\n";
      if (i + 1 < Text.size() && Text[i + 1] == u'\n') ++i;
    } else if (c == u'\n') {
      result += u"\r\n";
    } else {
      result += c;
    }
  }
  return result;
}

int CalcTextWidth(TCanvas* Canvas, const String& Text) {
  TRect r{0, 0, 1, 0};
  Canvas->DrawText(Text, r, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
  return r.Right - r.Left;
}

bool SetCanvasMirroring(TCanvas* Canvas, bool Mirrored, int Width) {
  const bool was = Canvas->Mirrored();
  // A bitmap's canvas opens its painter on demand; the mapping needs one.
  if (Canvas->HandleAllocated()) Canvas->SetMirroring(Mirrored, Width);
  return was;
}

bool AllFieldsCanModify(const std::vector<db::TField*>& Fields) {
  for (db::TField* field : Fields)
    if (!field->CanModify()) return false;
  return true;
}

void RepaintGridRow(TCustomGridEx* Grid, int Row) {
  Grid->InvalidateCellRange({0, Row, Grid->FullColCount() - 1, Row});
}

}  // namespace grid
