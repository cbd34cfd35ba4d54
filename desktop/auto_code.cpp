#include "desktop/auto_code.h"

#include <algorithm>

#include "platform/runtime/convert.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/format.h"

namespace desktop {

namespace {

struct TActionEntry {
  const char16_t* Code;
  const char16_t* Caption;
};

constexpr TActionEntry kActions[] = {
    {u"Zero", u"归零"}, {u"Rel", u"相对定位"}, {u"Abs", u"绝对定位"}, {u"Pause", u"暂停"}, {u"Adjust", u"坐标调整"},
};

template <class Pick>
std::vector<rtl::String> Column(Pick P) {
  std::vector<rtl::String> out;
  for (const TActionEntry& e : kActions) out.emplace_back(P(e));
  return out;
}

rtl::String Lookup(const std::vector<rtl::String>& From, const std::vector<rtl::String>& To, const rtl::String& Key) {
  auto it = std::find(From.begin(), From.end(), Key);
  return it == From.end() ? rtl::String() : To[static_cast<std::size_t>(it - From.begin())];
}

}  // namespace

const std::vector<rtl::String>& Action_Codes() {
  static const std::vector<rtl::String> codes = Column([](const TActionEntry& e) { return e.Code; });
  return codes;
}

const std::vector<rtl::String>& Action_Captions() {
  static const std::vector<rtl::String> captions = Column([](const TActionEntry& e) { return e.Caption; });
  return captions;
}

rtl::String Action_To_Caption(const rtl::String& Code) { return Lookup(Action_Codes(), Action_Captions(), Code); }

rtl::String Caption_To_Action(const rtl::String& Caption) {
  return Lookup(Action_Captions(), Action_Codes(), Caption);
}

bool Action_Valid(const rtl::String& Text) {
  const auto& codes = Action_Codes();
  return std::find(codes.begin(), codes.end(), Text) != codes.end();
}

void Normalise_Code(TAutoCode& Code) {
  if (Code.Action == u"Zero" || Code.Action == u"Pause") {
    Code.Param = 0;
    Code.Count = 1;
  } else if (Code.Action == u"Abs" || Code.Action == u"Adjust") {
    Code.Count = 1;
  }
}

bool Caption_Breaks_Script(const rtl::String& Caption) {
  return Caption.find_first_of(u",'\"\r\n") != rtl::String::npos;
}

std::vector<rtl::String> Split_Script_Line(const rtl::String& Line) {
  std::vector<rtl::String> fields;
  rtl::String field;
  char16_t quote = 0;
  for (char16_t c : Line) {
    if (quote) {
      if (c == quote) quote = 0;
      field += c;
    } else if (c == u',') {
      if (!field.empty()) fields.push_back(std::move(field));
      field.clear();
    } else {
      if (c == u'\'' || c == u'"') quote = c;
      field += c;
    }
  }
  if (!field.empty()) fields.push_back(std::move(field));
  return fields;
}

rtl::String Format_Script_Line(const TAutoCode& Code) {
  return rtl::IntToStr(Code.ID) + u"," + Code.Axis + u"," + Code.Action + u"," +
         rtl::FloatToStr(Code.Param, rtl::TFormatSettings::Invariant()) + u"," + rtl::IntToStr(Code.Delay) + u"," +
         rtl::IntToStr(Code.Count);
}

std::optional<TAutoCode> Parse_Script_Line(const rtl::String& Line) {
  std::vector<rtl::String> f = Split_Script_Line(Line);
  if (f.size() != 6 || !Action_Valid(f[2])) return std::nullopt;
  TAutoCode code;
  code.ID = rtl::StrToInt(f[0]);
  code.Axis = f[1];
  code.Action = f[2];
  code.Caption = Action_To_Caption(f[2]);
  // A quoted parameter may carry a decimal comma (a file from a machine
  // whose locale writes one).
  rtl::String param = f[3];
  if (param.size() >= 2 && (param[0] == u'"' || param[0] == u'\'') && param.back() == param[0])
    param = param.substr(1, param.size() - 2);
  std::replace(param.begin(), param.end(), u',', u'.');
  code.Param = rtl::StrToFloat(param, rtl::TFormatSettings::Invariant());
  code.Delay = rtl::StrToInt(f[4]);
  code.Count = rtl::StrToInt(f[5]);
  return code;
}

TScriptRead Read_Script_Text(const rtl::String& Text) {
  std::vector<rtl::String> lines;
  std::size_t start = 0;
  while (start < Text.size()) {
    std::size_t end = Text.find_first_of(u"\r\n", start);
    if (end == rtl::String::npos) {
      lines.push_back(Text.substr(start));
      break;
    }
    lines.push_back(Text.substr(start, end - start));
    start = end + ((Text[end] == u'\r' && end + 1 < Text.size() && Text[end + 1] == u'\n') ? 2 : 1);
  }
  TScriptRead read;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::optional<TAutoCode> code;
    try {
      code = Parse_Script_Line(lines[i]);
      if (!code) read.Stop_Reason = lines[i].empty() ? u"空行" : u"不是 6 个字段或动作无法识别";
    } catch (const rtl::EConvertError& e) {
      read.Stop_Reason = e.Message();
    }
    if (!code) {
      // Blank lines at the very end are what some editors leave; they stop
      // nothing the user would miss.
      bool rest_blank = std::all_of(lines.begin() + static_cast<std::ptrdiff_t>(i), lines.end(),
                                    [](const rtl::String& l) { return l.empty(); });
      if (!rest_blank) read.Stop_Line = static_cast<int>(i) + 1;
      break;
    }
    read.Steps.push_back(std::move(*code));
  }
  return read;
}

rtl::String Script_Text(const std::vector<TAutoCode>& Steps) {
  rtl::String text;
  for (const TAutoCode& s : Steps) text += Format_Script_Line(s) + u"\r\n";
  return text;
}

}  // namespace desktop
