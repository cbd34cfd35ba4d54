// Variants holding text (wide or 8-bit), converted to every other kind,
// compared and combined with numbers, under the invariant settings and under
// settings with a comma as the decimal separator. A conversion that does not
// go raises the runtime's own exceptions; nothing else may come out.
//
// One input runs one operation: the first byte picks the settings and the
// variant's kind, the second the operation, the rest is the text. Running every
// operation on every input cost hundreds of thrown exceptions an input (a
// few hundred inputs a second); the fuzzer reaches each operation anyway,
// since the picking byte is part of what it mutates.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "fuzz/support/fuzz_support.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/rtl_string.h"
#include "platform/runtime/variant.h"

namespace {

using namespace rtl;

using Operation = std::function<void(const Variant&, const String&, const TFormatSettings&)>;

std::vector<Operation> MakeOperations() {
  std::vector<Operation> ops = {
      [](const Variant& v, const String&, const TFormatSettings&) { v.AsInteger(); },
      [](const Variant& v, const String&, const TFormatSettings&) { v.AsInt64(); },
      [](const Variant& v, const String&, const TFormatSettings& fs) { v.AsDouble(fs); },
      [](const Variant& v, const String&, const TFormatSettings&) { v.AsCurrency(); },
      [](const Variant& v, const String&, const TFormatSettings&) { v.AsBoolean(); },
      [](const Variant& v, const String&, const TFormatSettings& fs) { v.AsDateTime(fs); },
      [](const Variant& v, const String&, const TFormatSettings& fs) { v.AsString(fs); },
      [](const Variant& v, const String&, const TFormatSettings&) { VarToDateTime(v); },
      [](const Variant& v, const String&, const TFormatSettings&) { -v; },
      [](const Variant& v, const String&, const TFormatSettings&) { !v; },
      [](const Variant&, const String& t, const TFormatSettings&) {
        std::int32_t i = 0;
        TryStrToInt(t, i);
      },
      [](const Variant&, const String& t, const TFormatSettings& fs) {
        double d = 0;
        TryStrToFloat(t, d);
        TryStrToFloat(t, d, fs);
      },
      [](const Variant&, const String& t, const TFormatSettings&) {
        bool b = false;
        TryStrToBool(t, b);
      },
      [](const Variant&, const String& t, const TFormatSettings& fs) {
        TDateTime d = 0;
        TryStrToDate(t, d);
        TryStrToTime(t, d);
        TryStrToDateTime(t, d, fs);
      },
  };
  for (const TVarType kind : {varEmpty, varNull, varSmallint, varInteger, varDouble, varCurrency, varDate, varOleStr,
                              varBoolean, varInt64, varString, varUString})
    ops.push_back([kind](const Variant& v, const String&, const TFormatSettings&) { VarAsType(v, kind); });
  const std::vector<Variant> others = {Variant(1),    Variant(2.5),     Variant(std::int64_t{1} << 40),
                                       Variant(true), Variant(u"1"),    Variant::Null(),
                                       Variant(Currency::FromDouble(1.5))};
  for (const Variant& o : others) {
    ops.push_back([o](const Variant& v, const String&, const TFormatSettings&) { VarCompareValue(v, o); });
    ops.push_back([o](const Variant& v, const String&, const TFormatSettings&) {
      (void)(v == o);
      (void)(v < o);
    });
    ops.push_back([o](const Variant& v, const String&, const TFormatSettings&) { v + o; });
    ops.push_back([o](const Variant& v, const String&, const TFormatSettings&) { v - o; });
    ops.push_back([o](const Variant& v, const String&, const TFormatSettings&) { v * o; });
    ops.push_back([o](const Variant& v, const String&, const TFormatSettings&) { v / o; });
    ops.push_back([o](const Variant& v, const String&, const TFormatSettings&) { v.IntDiv(o); });
    ops.push_back([o](const Variant& v, const String&, const TFormatSettings&) { v.Mod(o); });
    ops.push_back([o](const Variant& v, const String&, const TFormatSettings&) { v & o; });
  }
  return ops;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<Operation> ops = MakeOperations();
  if (size < 2) return 0;
  const std::uint8_t pick = data[0];
  const std::size_t op = data[1] % ops.size();
  const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  const String text = fuzz::Text(bytes);
  TFormatSettings fs = TFormatSettings::Invariant();
  if (pick & 1) {
    fs.DecimalSeparator = u',';
    fs.ThousandSeparator = u'.';
    fs.DateSeparator = u'.';
    fs.ShortDateFormat = u"dd.mm.yyyy";
  }
  const Variant v = (pick & 2) ? Variant::FromAnsi(AnsiString(bytes)) : Variant(text);
  try {
    ops[op](v, text, fs);
  } catch (const Exception&) {
  }
  return 0;
}
