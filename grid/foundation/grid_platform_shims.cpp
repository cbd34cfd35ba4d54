#include "grid/foundation/grid_platform_shims.h"

#include "platform/runtime/rtl_string.h"

namespace grid {

using namespace ui;

bool WideCharInByteSet(char16_t C, const TByteSet& Set) {
  if (C >= 256) return false;
  return (Set[C / 32] >> (C % 32)) & 1u;
}

int DrawTextString(TCanvas* Canvas, const String& Text, TRect& Rect, unsigned Format) {
  return Canvas->DrawText(Text, Rect, Format);
}

LRESULT SendMessagePointer(TControl* Window, std::uint32_t Msg, WPARAM WParam, const void* Pointer) {
  return Window->Perform(Msg, WParam, reinterpret_cast<LPARAM>(Pointer));
}

LRESULT SendMessageText(TControl* Window, std::uint32_t Msg, WPARAM WParam, const String& Text) {
  return Window->Perform(Msg, WParam, reinterpret_cast<LPARAM>(Text.c_str()));
}

void InvalidateWindowRect(TWinControl* Window, const TRect* Rect, bool) {
  if (Rect)
    Window->InvalidateRect(*Rect);
  else
    Window->Invalidate();
}

void ScrollWindowArea(TWinControl* Window, int DX, int DY, unsigned Flags, const TRect* Scroll, const TRect* Clip) {
  Window->ScrollWindowEx(DX, DY, Scroll, Clip, Flags);
}

void ScrollWindowRect(TWinControl* Window, int DX, int DY, const TRect* Scroll, const TRect* Clip) {
  Window->ScrollWindowEx(DX, DY, Scroll, Clip, SW_INVALIDATE);
}

TMessage CopyMessageRecord(const TMessage& Message) { return Message; }

LPARAM SmallPointToLParam(int X, int Y) { return MakeLParam(X, Y); }

TPoint LParamToSmallPoint(LPARAM LParam) { return {XPos(LParam), YPos(LParam)}; }

void QueryEditSelection(TWinControl* Window, int& Start, int& End) {
  std::uint32_t s = 0, e = 0;
  Window->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  Start = static_cast<int>(s);
  End = static_cast<int>(e);
}

String UpperCaseLocale(const String& S) { return rtl::UpperCase(S); }
String LowerCaseLocale(const String& S) { return rtl::LowerCase(S); }
int CompareStrLocale(const String& A, const String& B) { return rtl::AnsiCompareStr(A, B); }
int CompareTextLocale(const String& A, const String& B) { return rtl::AnsiCompareText(A, B); }

}  // namespace grid
