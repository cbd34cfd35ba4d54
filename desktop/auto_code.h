// One step of an auto-run script, the action codes and their captions, and
// the script file's line format.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/runtime/rtl_string.h"

namespace desktop {

struct TAutoCode {
  bool bInsert = false;
  std::int32_t ID = 0;
  rtl::String Axis;
  rtl::String Action;
  rtl::String Caption;
  double Param = 0;
  std::int32_t Delay = 0;
  std::int32_t Count = 0;
};

// The five actions; code i belongs to caption i.
const std::vector<rtl::String>& Action_Codes();
const std::vector<rtl::String>& Action_Captions();
// Exact matches; empty text when there is none.
rtl::String Action_To_Caption(const rtl::String& Code);
rtl::String Caption_To_Action(const rtl::String& Caption);
bool Action_Valid(const rtl::String& Text);

// What an added step keeps of what was typed: homing and pauses take no
// parameter, only relative moves repeat.
void Normalise_Code(TAutoCode& Code);

// A caption that would split or quote a script line when saved.
bool Caption_Breaks_Script(const rtl::String& Caption);

// Fields of a script line: split at commas, empty fields dropped, a quote
// opens a section (up to the same quote) in which commas do not split.
std::vector<rtl::String> Split_Script_Line(const rtl::String& Line);
// "0,第1轴,Rel,2.5,1000,3": the parameter always with a point, so files move
// between machines whatever their locale.
rtl::String Format_Script_Line(const TAutoCode& Code);
// A step from a line; nothing when the line does not give six fields or the
// action is not a known code. A number that does not read raises the
// conversion error. The parameter reads with a point or a comma.
std::optional<TAutoCode> Parse_Script_Line(const rtl::String& Line);

// A script file read whole: the steps up to the first line that stopped the
// reading, and that line (1-based; 0 when every line was read).
struct TScriptRead {
  std::vector<TAutoCode> Steps;
  int Stop_Line = 0;
  rtl::String Stop_Reason;
};
TScriptRead Read_Script_Text(const rtl::String& Text);
// The whole file's text, CR LF after every line.
rtl::String Script_Text(const std::vector<TAutoCode>& Steps);

}  // namespace desktop
