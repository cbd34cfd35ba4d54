#include "components/extended/ext_core_utils.h"

#include "platform/runtime/format_settings.h"

namespace ext {

String CharRun(char16_t Ch, int Count) { return Count <= 0 ? String() : String(Count, Ch); }

String ReplaceAll(const String& Text, const String& Old, const String& New) {
  if (Old.empty()) return Text;
  String out;
  std::size_t from = 0;
  for (std::size_t p; (p = Text.find(Old, from)) != String::npos; from = p + Old.size()) {
    out.append(Text, from, p - from);
    out += New;
  }
  out.append(Text, from, String::npos);
  return out;
}

String RemoveChar(const String& Text, char16_t Ch) {
  String out;
  for (char16_t c : Text)
    if (c != Ch) out += c;
  return out;
}

String TrimLeftSpaces(const String& Text) {
  std::size_t i = Text.find_first_not_of(u' ');
  return i == String::npos ? String() : Text.substr(i);
}

String TrimRightSpaces(const String& Text) {
  std::size_t i = Text.find_last_not_of(u' ');
  return i == String::npos ? String() : Text.substr(0, i + 1);
}

String TrimSpaces(const String& Text) { return TrimLeftSpaces(TrimRightSpaces(Text)); }

String StripThousands(const String& Text) {
  const rtl::TFormatSettings& fs = rtl::FormatSettings();
  return fs.DecimalSeparator == fs.ThousandSeparator ? Text : RemoveChar(Text, fs.ThousandSeparator);
}

String NormalizeNumberText(const String& Text) {
  const rtl::TFormatSettings& fs = rtl::FormatSettings();
  char16_t dec = fs.DecimalSeparator, th = fs.ThousandSeparator;
  String s = TrimSpaces(Text);
  if (dec != th) s = RemoveChar(s, th);
  if (dec != u'.' && th != u'.')
    for (char16_t& c : s)
      if (c == u'.') c = dec;
  if (dec != u',' && th != u',')
    for (char16_t& c : s)
      if (c == u',') c = dec;
  String out;
  for (char16_t c : s)
    if (c == u'+' || c == u'-' || (c >= u'0' && c <= u'9') || c == dec || c == th) out += c;
  if (out.empty()) return u"0";
  if (out == u"-") return u"-0";
  return out;
}

bool ReplaceComponentReference(ui::TComponent* Owner, ui::TComponent* NewComponent, ui::TComponent*& Reference) {
  if (NewComponent == Reference || !Owner) return false;
  if (Reference) Reference->RemoveFreeNotification(Owner);
  Reference = NewComponent;
  if (Reference) Reference->FreeNotification(Owner);
  return true;
}

String& ExtDefaultCompanyName() {
  static String name;
  return name;
}

}  // namespace ext
