#include "platform/runtime/format.h"

#include <cstdint>
#include <vector>

#include "platform/runtime/convert.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/format_settings.h"

namespace rtl {

namespace {

[[noreturn]] void BadFormat(std::u16string_view fmt) {
  throw EConvertError(Format(u"Format '%s' invalid or incompatible with argument", {fmt}));
}

[[noreturn]] void NoArgument(std::u16string_view fmt) {
  throw EConvertError(Format(u"No argument for format '%s'", {fmt}));
}

String PadDigits(String digits, int minDigits) {
  while (static_cast<int>(digits.size()) < minDigits) digits.insert(digits.begin(), u'0');
  return digits;
}

}  // namespace

String Format(std::u16string_view fmt, std::initializer_list<FormatArg> argList,
              const TFormatSettings& fs) {
  const std::vector<FormatArg> args(argList);
  String out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < fmt.size(); ++i) {
    const char16_t c = fmt[i];
    if (c != u'%') {
      out.push_back(c);
      continue;
    }
    if (i + 1 < fmt.size() && fmt[i + 1] == u'%') {
      out.push_back(u'%');
      ++i;
      continue;
    }
    ++i;
    auto takeArg = [&]() -> const FormatArg& {
      if (next >= args.size()) NoArgument(fmt);
      return args[next++];
    };
    auto readNumber = [&](int& value) -> bool {
      if (i < fmt.size() && fmt[i] == u'*') {
        const FormatArg& a = takeArg();
        if (a.kind() == FormatArg::Kind::Int) value = static_cast<int>(a.asInt());
        else if (a.kind() == FormatArg::Kind::UInt) value = static_cast<int>(a.asUInt());
        else BadFormat(fmt);
        ++i;
        return true;
      }
      bool any = false;
      value = 0;
      while (i < fmt.size() && fmt[i] >= u'0' && fmt[i] <= u'9') {
        value = value * 10 + (fmt[i] - u'0');
        if (value > 100000) BadFormat(fmt);
        ++i;
        any = true;
      }
      return any;
    };
    // [index:]
    {
      std::size_t j = i;
      std::size_t index = 0;
      bool any = false;
      while (j < fmt.size() && fmt[j] >= u'0' && fmt[j] <= u'9' && index < 100000) {
        index = index * 10 + (fmt[j] - u'0');
        ++j;
        any = true;
      }
      if (any && j < fmt.size() && fmt[j] == u':') {
        next = index;
        i = j + 1;
      }
    }
    bool left = false;
    if (i < fmt.size() && fmt[i] == u'-') left = true, ++i;
    int width = 0, precision = -1;
    readNumber(width);
    if (i < fmt.size() && fmt[i] == u'.') {
      ++i;
      int p;
      readNumber(p);
      precision = p;
    }
    if (i >= fmt.size()) BadFormat(fmt);
    const char16_t type = static_cast<char16_t>(fmt[i] | 0x20);
    const FormatArg& a = takeArg();
    String piece;
    auto asDouble = [&]() -> double {
      switch (a.kind()) {
        case FormatArg::Kind::Float: return a.asFloat();
        case FormatArg::Kind::Int: return static_cast<double>(a.asInt());
        case FormatArg::Kind::UInt: return static_cast<double>(a.asUInt());
        default: BadFormat(fmt);
      }
    };
    switch (type) {
      case u'd':
        if (a.kind() == FormatArg::Kind::Int) {
          const std::int64_t v = a.asInt();
          const std::uint64_t mag = v < 0 ? static_cast<std::uint64_t>(0) - static_cast<std::uint64_t>(v)
                                          : static_cast<std::uint64_t>(v);
          piece = (v < 0 ? u"-" : u"") + PadDigits(UIntToStr(mag), precision);
        } else if (a.kind() == FormatArg::Kind::UInt) {
          piece = PadDigits(UIntToStr(a.asUInt()), precision);
        } else {
          BadFormat(fmt);
        }
        break;
      case u'u':
      case u'x': {
        std::uint64_t v;
        if (a.kind() == FormatArg::Kind::Int) {
          const std::int64_t s = a.asInt();
          // Negative values in the 32-bit range show as their 32-bit pattern.
          v = (s < 0 && s >= INT32_MIN) ? static_cast<std::uint32_t>(s) : static_cast<std::uint64_t>(s);
        } else if (a.kind() == FormatArg::Kind::UInt) {
          v = a.asUInt();
        } else {
          BadFormat(fmt);
        }
        piece = type == u'u' ? PadDigits(UIntToStr(v), precision) : IntToHex(v, precision);
        break;
      }
      case u'e':
        piece = FloatToStrF(asDouble(), TFloatFormat::ffExponent, precision < 0 ? 15 : precision, 3, fs);
        break;
      case u'f':
        piece = FloatToStrF(asDouble(), TFloatFormat::ffFixed, 15, precision < 0 ? 2 : precision, fs);
        break;
      case u'g':
        piece = FloatToStrF(asDouble(), TFloatFormat::ffGeneral, precision < 0 ? 15 : precision, 0, fs);
        break;
      case u'n':
        piece = FloatToStrF(asDouble(), TFloatFormat::ffNumber, 15, precision < 0 ? 2 : precision, fs);
        break;
      case u'm':
        piece = FloatToStrF(asDouble(), TFloatFormat::ffCurrency, 15,
                            precision < 0 ? fs.CurrencyDecimals : precision, fs);
        break;
      case u's':
        if (a.kind() != FormatArg::Kind::Text) BadFormat(fmt);
        piece = a.asText();
        if (precision >= 0 && static_cast<std::size_t>(precision) < piece.size()) piece.resize(precision);
        break;
      case u'p':
        if (a.kind() != FormatArg::Kind::Pointer) BadFormat(fmt);
        piece = IntToHex(reinterpret_cast<std::uintptr_t>(a.asPointer()), sizeof(void*) * 2);
        break;
      default:
        BadFormat(fmt);
    }
    if (static_cast<int>(piece.size()) < width) {
      const String pad(width - piece.size(), u' ');
      piece = left ? piece + pad : pad + piece;
    }
    out += piece;
  }
  return out;
}

String Format(std::u16string_view fmt, std::initializer_list<FormatArg> args) {
  return Format(fmt, args, FormatSettings());
}

}  // namespace rtl
