#include "platform/data/db_types.h"

#include "platform/runtime/format.h"

namespace db {

const char16_t* FieldTypeName(TFieldType t) {
  static const char16_t* const names[] = {
      u"Unknown", u"String", u"Smallint", u"Integer", u"Word", u"Boolean", u"Float", u"Currency", u"BCD",
      u"Date", u"Time", u"DateTime", u"Bytes", u"VarBytes", u"AutoInc", u"Blob", u"Memo", u"Graphic",
      u"FmtMemo", u"ParadoxOle", u"DBaseOle", u"TypedBinary", u"Cursor", u"FixedChar", u"WideString",
      u"Largeint", u"ADT", u"Array", u"Reference", u"DataSet", u"OraBlob", u"OraClob", u"Variant",
      u"Interface", u"IDispatch", u"Guid", u"TimeStamp", u"FMTBcd", u"FixedWideChar", u"WideMemo",
      u"OraTimeStamp", u"OraInterval", u"LongWord", u"Shortint", u"Byte", u"Extended"};
  auto i = static_cast<std::size_t>(t);
  return i < sizeof(names) / sizeof(names[0]) ? names[i] : u"Unknown";
}

bool IsBlobType(TFieldType t) {
  switch (t) {
    case ftBlob: case ftMemo: case ftGraphic: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle:
    case ftTypedBinary: case ftOraBlob: case ftOraClob: case ftWideMemo:
      return true;
    default:
      return false;
  }
}

String ExtractFieldName(const String& Names, std::size_t& Pos) {
  std::size_t start = Pos;
  while (Pos < Names.size() && Names[Pos] != u';') ++Pos;
  String name = rtl::Trim(std::u16string_view(Names).substr(start, Pos - start));
  if (Pos < Names.size()) ++Pos;
  return name;
}

void DatabaseError(const String& Message) { throw EDatabaseError(Message); }

void DatabaseErrorFmt(std::u16string_view Fmt, const String& Arg) {
  throw EDatabaseError(rtl::Format(Fmt, {Arg}));
}

}  // namespace db
