// Variants holding text (wide or 8-bit), converted to every other kind,
// compared and combined with numbers, under the invariant settings and under
// settings with a comma as the decimal separator. A conversion that does not
// go raises the runtime's own exceptions; nothing else may come out.
#include <cstddef>
#include <cstdint>

#include "fuzz/support/fuzz_support.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/rtl_string.h"
#include "platform/runtime/variant.h"

namespace {

using namespace rtl;

template <class F>
void Try(F&& f) {
  try {
    f();
  } catch (const Exception&) {
  }
}

void Convert(const Variant& v, const TFormatSettings& fs) {
  static const TVarType kinds[] = {varEmpty, varNull,    varSmallint, varInteger, varDouble, varCurrency,
                                   varDate,  varOleStr,  varBoolean,  varInt64,   varString, varUString};
  Try([&] { v.AsInteger(); });
  Try([&] { v.AsInt64(); });
  Try([&] { v.AsDouble(fs); });
  Try([&] { v.AsCurrency(); });
  Try([&] { v.AsBoolean(); });
  Try([&] { v.AsDateTime(fs); });
  Try([&] { v.AsString(fs); });
  for (const TVarType kind : kinds) Try([&] { VarAsType(v, kind); });
  Try([&] { VarToDateTime(v); });
  const Variant others[] = {Variant(1), Variant(2.5), Variant(std::int64_t{1} << 40), Variant(true), Variant(u"1"),
                            Variant::Null(), Variant(Currency::FromDouble(1.5))};
  for (const Variant& o : others) {
    Try([&] { VarCompareValue(v, o); });
    Try([&] { (void)(v == o); });
    Try([&] { (void)(v < o); });
    Try([&] { v + o; });
    Try([&] { v - o; });
    Try([&] { v * o; });
    Try([&] { v / o; });
    Try([&] { v.IntDiv(o); });
    Try([&] { v.Mod(o); });
    Try([&] { v & o; });
  }
  Try([&] { -v; });
  Try([&] { !v; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const String text = fuzz::Text(bytes);
  const TFormatSettings invariant = TFormatSettings::Invariant();
  TFormatSettings comma = invariant;
  comma.DecimalSeparator = u',';
  comma.ThousandSeparator = u'.';
  comma.DateSeparator = u'.';
  comma.ShortDateFormat = u"dd.mm.yyyy";
  for (const TFormatSettings* fs : {&invariant, const_cast<const TFormatSettings*>(&comma)}) {
    Convert(Variant(text), *fs);
    Convert(Variant::FromAnsi(AnsiString(bytes)), *fs);
  }
  std::int32_t i = 0;
  double d = 0;
  bool b = false;
  TDateTime t = 0;
  TryStrToInt(text, i);
  TryStrToFloat(text, d);
  TryStrToFloat(text, d, comma);
  TryStrToBool(text, b);
  TryStrToDate(text, t);
  TryStrToTime(text, t);
  TryStrToDateTime(text, t, comma);
  return 0;
}
