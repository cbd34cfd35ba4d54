// The one place through which the grid library's controls reach platform
// services: window messages, invalidation and scrolling, text drawing,
// locale string operations and a few conversions.
#pragma once

#include <array>
#include <cstdint>

#include "platform/ui/ui.h"

namespace grid {

// 256 bits: bit c mod 32 of word c div 32.
using TByteSet = std::array<std::uint32_t, 8>;
bool WideCharInByteSet(char16_t C, const TByteSet& Set);

inline void NoOpPersistentHook(ui::TPersistent*) {}

int DrawTextString(ui::TCanvas* Canvas, const ui::String& Text, ui::TRect& Rect, unsigned Format);
ui::LRESULT SendMessagePointer(ui::TControl* Window, std::uint32_t Msg, ui::WPARAM WParam, const void* Pointer);
ui::LRESULT SendMessageText(ui::TControl* Window, std::uint32_t Msg, ui::WPARAM WParam, const ui::String& Text);
void InvalidateWindowRect(ui::TWinControl* Window, const ui::TRect* Rect, bool Erase);
void ScrollWindowArea(ui::TWinControl* Window, int DX, int DY, unsigned Flags, const ui::TRect* Scroll,
                      const ui::TRect* Clip);
void ScrollWindowRect(ui::TWinControl* Window, int DX, int DY, const ui::TRect* Scroll, const ui::TRect* Clip);
ui::TMessage CopyMessageRecord(const ui::TMessage& Message);
ui::LPARAM SmallPointToLParam(int X, int Y);
ui::TPoint LParamToSmallPoint(ui::LPARAM LParam);
void QueryEditSelection(ui::TWinControl* Window, int& Start, int& End);
ui::String UpperCaseLocale(const ui::String& S);
ui::String LowerCaseLocale(const ui::String& S);
int CompareStrLocale(const ui::String& A, const ui::String& B);
int CompareTextLocale(const ui::String& A, const ui::String& B);
inline ui::TRect ZeroRect() { return {0, 0, 0, 0}; }

}  // namespace grid
