// Text and component routines the extended controls share.
#pragma once

#include "platform/classes/classes.h"
#include "platform/runtime/rtl_string.h"

namespace ext {

using rtl::String;

String CharRun(char16_t Ch, int Count);
// Every occurrence of Old, searched left to right after the previous
// replacement, replaced by New. An empty Old finds nothing.
String ReplaceAll(const String& Text, const String& Old, const String& New);
String RemoveChar(const String& Text, char16_t Ch);
String TrimLeftSpaces(const String& Text);
String TrimRightSpaces(const String& Text);
String TrimSpaces(const String& Text);
// The text without thousands separators (unchanged when the locale's two
// separators are equal).
String StripThousands(const String& Text);
// Text of a number in any local spelling, reduced to what a float reader takes.
String NormalizeNumberText(const String& Text);

// The company name texts fall back on when a program names none; empty
// unless a program sets it.
String& ExtDefaultCompanyName();

// Points Reference at NewComponent, moving the free notification along, so
// the reference is cleared when the component is freed. Answers whether it
// changed.
bool ReplaceComponentReference(ui::TComponent* Owner, ui::TComponent* NewComponent, ui::TComponent*& Reference);

}  // namespace ext
