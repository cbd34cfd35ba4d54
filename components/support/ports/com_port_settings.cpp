// Storing a port's settings in an ini file or a registry key, as text values
// named after its properties.
#include <array>
#include <functional>

#include "components/support/ports/com_port.h"
#include "platform/runtime/convert.h"
#include "platform/classes/ini_files.h"
#include "platform/runtime/registry.h"
#include "platform/runtime/rtl_string.h"

namespace kit {

namespace {

using Port = TCustomComPort;

rtl::String YesNo(bool Value) { return Value ? u"Yes" : u"No"; }
bool IsYes(const rtl::String& Text) { return rtl::UpperCase(Text) == u"YES"; }

constexpr std::array<const char16_t*, 4> kRtsNames = {u"Disable", u"Enable", u"Handshake", u"Toggle"};
constexpr std::array<const char16_t*, 3> kDtrNames = {u"Disable", u"Enable", u"Handshake"};

template <std::size_t N>
int NameIndex(const std::array<const char16_t*, N>& Names, const rtl::String& Text) {
  for (std::size_t i = 0; i < N; ++i)
    if (rtl::SameText(Names[i], Text)) return static_cast<int>(i);
  return 0;
}

// One stored value: its group, key, whether the registry keeps it as an
// integer, when it is stored at all, and how it reads from and goes into the port.
struct TSetting {
  TStoredProp group;
  const char16_t* key;
  bool integer;
  std::function<bool(Port&)> stored;
  std::function<rtl::String(Port&)> get;
  std::function<void(Port&, const rtl::String&)> set;
};

std::function<rtl::String(Port&)> IntGetter(int (*f)(Port&)) {
  return [f](Port& p) { return rtl::IntToStr(f(p)); };
}

void SetInt(const rtl::String& Text, const std::function<void(int)>& Apply) {
  std::int32_t v = 0;
  if (!rtl::TryStrToInt(Text, v)) throw rtl::EConvertError(u"'" + Text + u"' is not a valid integer value");
  Apply(v);
}

const std::vector<TSetting>& Settings() {
  static const std::vector<TSetting> table = [] {
    auto always = [](Port&) { return true; };
    std::vector<TSetting> t;
    // spBasic
    t.push_back({spBasic, u"Port", false, always, [](Port& p) { return p.Port(); },
                 [](Port& p, const rtl::String& s) { p.SetPort(s); }});
    t.push_back({spBasic, u"BaudRate", false, always, [](Port& p) { return BaudRateName(p.BaudRate()); },
                 [](Port& p, const rtl::String& s) { p.SetBaudRate(BaudRateFromName(s)); }});
    t.push_back({spBasic, u"CustomBaudRate", true, [](Port& p) { return p.BaudRate() == brCustom; },
                 IntGetter([](Port& p) { return p.CustomBaudRate(); }),
                 [](Port& p, const rtl::String& s) { SetInt(s, [&](int v) { p.SetCustomBaudRate(v); }); }});
    t.push_back({spBasic, u"StopBits", false, always, [](Port& p) { return StopBitsName(p.StopBits()); },
                 [](Port& p, const rtl::String& s) { p.SetStopBits(StopBitsFromName(s)); }});
    t.push_back({spBasic, u"DataBits", false, always, [](Port& p) { return DataBitsName(p.DataBits()); },
                 [](Port& p, const rtl::String& s) { p.SetDataBits(DataBitsFromName(s)); }});
    t.push_back({spBasic, u"Parity", false, always, [](Port& p) { return ParityName(p.Parity().Bits()); },
                 [](Port& p, const rtl::String& s) { p.Parity().SetBits(ParityFromName(s)); }});
    t.push_back({spBasic, u"FlowControl", false, always,
                 [](Port& p) { return FlowControlName(p.FlowControl().FlowControl()); },
                 [](Port& p, const rtl::String& s) { p.FlowControl().SetFlowControl(FlowControlFromName(s)); }});
    // spOthers
    t.push_back({spOthers, u"EventChar", false, always, [](Port& p) { return ComCharToText(p.EventChar()); },
                 [](Port& p, const rtl::String& s) { p.SetEventChar(ComTextToChar(s)); }});
    t.push_back({spOthers, u"DiscardNull", false, always, [](Port& p) { return YesNo(p.DiscardNull()); },
                 [](Port& p, const rtl::String& s) { p.SetDiscardNull(IsYes(s)); }});
    // spParity
    t.push_back({spParity, u"Parity.Check", false, always, [](Port& p) { return YesNo(p.Parity().Check()); },
                 [](Port& p, const rtl::String& s) { p.Parity().SetCheck(IsYes(s)); }});
    t.push_back({spParity, u"Parity.Replace", false, always, [](Port& p) { return YesNo(p.Parity().Replace()); },
                 [](Port& p, const rtl::String& s) { p.Parity().SetReplace(IsYes(s)); }});
    t.push_back({spParity, u"Parity.ReplaceChar", false, always,
                 [](Port& p) { return ComCharToText(p.Parity().ReplaceChar()); },
                 [](Port& p, const rtl::String& s) { p.Parity().SetReplaceChar(ComTextToChar(s)); }});
    // spBuffer
    t.push_back({spBuffer, u"Buffer.OutputSize", true, always, IntGetter([](Port& p) { return p.Buffer().OutputSize(); }),
                 [](Port& p, const rtl::String& s) { SetInt(s, [&](int v) { p.Buffer().SetOutputSize(v); }); }});
    t.push_back({spBuffer, u"Buffer.InputSize", true, always, IntGetter([](Port& p) { return p.Buffer().InputSize(); }),
                 [](Port& p, const rtl::String& s) { SetInt(s, [&](int v) { p.Buffer().SetInputSize(v); }); }});
    // spTimeouts
    struct TimeoutRow {
      const char16_t* key;
      int (TComTimeouts::*get)() const;
      void (TComTimeouts::*set)(int);
    };
    static constexpr TimeoutRow timeouts[] = {
        {u"Timeouts.ReadInterval", &TComTimeouts::ReadInterval, &TComTimeouts::SetReadInterval},
        {u"Timeouts.ReadTotalConstant", &TComTimeouts::ReadTotalConstant, &TComTimeouts::SetReadTotalConstant},
        {u"Timeouts.ReadTotalMultiplier", &TComTimeouts::ReadTotalMultiplier, &TComTimeouts::SetReadTotalMultiplier},
        {u"Timeouts.WriteTotalConstant", &TComTimeouts::WriteTotalConstant, &TComTimeouts::SetWriteTotalConstant},
        {u"Timeouts.WriteTotalMultiplier", &TComTimeouts::WriteTotalMultiplier,
         &TComTimeouts::SetWriteTotalMultiplier},
    };
    for (const TimeoutRow& r : timeouts)
      t.push_back({spTimeouts, r.key, true, always, [r](Port& p) { return rtl::IntToStr((p.Timeouts().*r.get)()); },
                   [r](Port& p, const rtl::String& s) { SetInt(s, [&](int v) { (p.Timeouts().*r.set)(v); }); }});
    // spFlowControl
    t.push_back({spFlowControl, u"FlowControl.ControlRTS", false, always,
                 [](Port& p) { return rtl::String(kRtsNames[p.FlowControl().ControlRTS()]); },
                 [](Port& p, const rtl::String& s) {
                   p.FlowControl().SetControlRTS(TRTSFlowControl(NameIndex(kRtsNames, s)));
                 }});
    t.push_back({spFlowControl, u"FlowControl.ControlDTR", false, always,
                 [](Port& p) { return rtl::String(kDtrNames[p.FlowControl().ControlDTR()]); },
                 [](Port& p, const rtl::String& s) {
                   p.FlowControl().SetControlDTR(TDTRFlowControl(NameIndex(kDtrNames, s)));
                 }});
    struct FlagRow {
      const char16_t* key;
      bool (TComFlowControl::*get)() const;
      void (TComFlowControl::*set)(bool);
    };
    static constexpr FlagRow flags[] = {
        {u"FlowControl.DSRSensitivity", &TComFlowControl::DSRSensitivity, &TComFlowControl::SetDSRSensitivity},
        {u"FlowControl.OutCTSFlow", &TComFlowControl::OutCTSFlow, &TComFlowControl::SetOutCTSFlow},
        {u"FlowControl.OutDSRFlow", &TComFlowControl::OutDSRFlow, &TComFlowControl::SetOutDSRFlow},
        {u"FlowControl.TxContinueOnXoff", &TComFlowControl::TxContinueOnXoff, &TComFlowControl::SetTxContinueOnXoff},
        {u"FlowControl.XonXoffIn", &TComFlowControl::XonXoffIn, &TComFlowControl::SetXonXoffIn},
        {u"FlowControl.XonXoffOut", &TComFlowControl::XonXoffOut, &TComFlowControl::SetXonXoffOut},
    };
    for (const FlagRow& r : flags)
      t.push_back({spFlowControl, r.key, false, always, [r](Port& p) { return YesNo((p.FlowControl().*r.get)()); },
                   [r](Port& p, const rtl::String& s) { (p.FlowControl().*r.set)(IsYes(s)); }});
    t.push_back({spFlowControl, u"FlowControl.XoffChar", false, always,
                 [](Port& p) { return ComCharToText(p.FlowControl().XoffChar()); },
                 [](Port& p, const rtl::String& s) { p.FlowControl().SetXoffChar(ComTextToChar(s)); }});
    t.push_back({spFlowControl, u"FlowControl.XonChar", false, always,
                 [](Port& p) { return ComCharToText(p.FlowControl().XonChar()); },
                 [](Port& p, const rtl::String& s) { p.FlowControl().SetXonChar(ComTextToChar(s)); }});
    return t;
  }();
  return table;
}

// Walks the settings of the chosen groups in the stored order.
template <class F>
void ForStored(Port& P, F&& f) {
  static constexpr TStoredProp kOrder[] = {spBasic, spOthers, spParity, spBuffer, spTimeouts, spFlowControl};
  for (TStoredProp group : kOrder) {
    if (!P.StoredProps().Contains(group)) continue;
    for (const TSetting& s : Settings())
      if (s.group == group && s.stored(P)) f(s);
  }
}

struct KeyCloser {
  rtl::HKEY key = 0;
  ~KeyCloser() {
    if (key) rtl::RegCloseKey(key);
  }
};

// "HKEY_LOCAL_MACHINE\path" or "HKEY_CURRENT_USER\path" (any other root
// names the current user); false for a text without a backslash, which
// names no key.
bool ParseRegistryTarget(const rtl::String& Target, const rtl::String& Name, rtl::HKEY& Root, rtl::String& Path) {
  const std::size_t slash = Target.find(u'\\');
  if (slash == rtl::String::npos) return false;
  const rtl::String root = Target.substr(0, slash);
  Root = rtl::SameText(root, u"HKEY_LOCAL_MACHINE") ? rtl::HKEY_LOCAL_MACHINE : rtl::HKEY_CURRENT_USER;
  Path = Target.substr(slash + 1);
  if (!Path.empty() && Path.back() != u'\\') Path += u'\\';
  Path += Name;
  return true;
}

void RegWrite(rtl::HKEY Key, const TSetting& S, const rtl::String& Text) {
  rtl::LONG r;
  if (S.integer) {
    std::int32_t v = 0;
    if (!rtl::TryStrToInt(Text, v)) throw rtl::EConvertError(Text);
    const auto u = static_cast<std::uint32_t>(v);
    const std::uint8_t bytes[4] = {std::uint8_t(u), std::uint8_t(u >> 8), std::uint8_t(u >> 16), std::uint8_t(u >> 24)};
    r = rtl::RegSetValueEx(Key, S.key, rtl::REG_DWORD, bytes, 4);
  } else {
    const rtl::String z = Text + u'\0';
    r = rtl::RegSetValueEx(Key, S.key, rtl::REG_SZ, reinterpret_cast<const std::uint8_t*>(z.data()),
                           static_cast<std::uint32_t>(z.size() * 2));
  }
  if (r != rtl::ERROR_SUCCESS) throw rtl::Exception(u"registry write");
}

rtl::String RegRead(rtl::HKEY Key, const TSetting& S) {
  std::uint32_t type = 0, size = 0;
  rtl::LONG r = rtl::RegQueryValueEx(Key, S.key, &type, nullptr, &size);
  if (r == rtl::ERROR_FILE_NOT_FOUND && !S.integer) return rtl::String();
  if (r != rtl::ERROR_SUCCESS) throw rtl::Exception(u"registry read");
  std::vector<std::uint8_t> data(size + 2, 0);
  r = rtl::RegQueryValueEx(Key, S.key, &type, data.data(), &size);
  if (r != rtl::ERROR_SUCCESS) throw rtl::Exception(u"registry read");
  if (S.integer) {
    if (type != rtl::REG_DWORD || size != 4) throw rtl::Exception(u"registry read");
    const std::uint32_t u = data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t(data[3]) << 24;
    return rtl::IntToStr(static_cast<std::int32_t>(u));
  }
  if (type != rtl::REG_SZ && type != rtl::REG_EXPAND_SZ) throw rtl::Exception(u"registry read");
  rtl::String text(reinterpret_cast<const char16_t*>(data.data()), size / 2);
  while (!text.empty() && text.back() == u'\0') text.pop_back();
  return text;
}

}  // namespace

rtl::String ComCharToText(char Ch) {
  const auto code = static_cast<unsigned char>(Ch);
  // Control characters, and bytes that are no character of the 8-bit page on
  // their own, go by number so that they read back as they were.
  if (code < 33 || code >= 127) return u"#" + rtl::IntToStr(code);
  return rtl::String(1, static_cast<char16_t>(code));
}

char ComTextToChar(const rtl::String& Text) {
  if (Text.empty()) return 0;
  if (Text[0] == u'#' && Text.size() > 1) {
    const std::int32_t code = rtl::StrToIntDef(std::u16string_view(Text).substr(1), 0);
    return code >= 0 && code <= 255 ? static_cast<char>(code) : 0;
  }
  return Text[0] <= 255 ? static_cast<char>(Text[0]) : 0;
}

void TCustomComPort::StoreSettings(TStoreType StoreType, const rtl::String& StoreTo) {
  try {
    if (StoreType == stIniFile) {
      rtl::TIniFile ini(StoreTo);
      ForStored(*this, [&](const TSetting& s) { ini.WriteString(Name(), s.key, s.get(*this)); });
      return;
    }
    rtl::HKEY root = 0;
    rtl::String path;
    if (!ParseRegistryTarget(StoreTo, Name(), root, path)) throw rtl::Exception(u"no key");
    KeyCloser key;
    if (rtl::RegCreateKeyEx(root, path, rtl::KEY_ALL_ACCESS, &key.key, nullptr) != rtl::ERROR_SUCCESS)
      throw rtl::Exception(u"no key");
    ForStored(*this, [&](const TSetting& s) { RegWrite(key.key, s, s.get(*this)); });
  } catch (const EComPort&) {
    throw;
  } catch (const std::exception&) {
    throw EComPort::CreateNoWinCode(CError_StoreFailed);
  }
}

void TCustomComPort::LoadSettings(TStoreType StoreType, const rtl::String& LoadFrom) {
  bool failed = false;
  BeginUpdate();
  try {
    if (StoreType == stIniFile) {
      rtl::TIniFile ini(LoadFrom);
      ForStored(*this, [&](const TSetting& s) { s.set(*this, ini.ReadString(Name(), s.key, s.get(*this))); });
    } else {
      rtl::HKEY root = 0;
      rtl::String path;
      if (!ParseRegistryTarget(LoadFrom, Name(), root, path)) throw rtl::Exception(u"no key");
      KeyCloser key;
      if (rtl::RegOpenKeyEx(root, path, 0, rtl::KEY_READ, &key.key) != rtl::ERROR_SUCCESS)
        throw rtl::Exception(u"no key");
      ForStored(*this, [&](const TSetting& s) { s.set(*this, RegRead(key.key, s)); });
    }
  } catch (const std::exception&) {
    failed = true;
  }
  try {
    EndUpdate();
  } catch (const std::exception&) {
    failed = true;
  }
  if (failed) throw EComPort::CreateNoWinCode(CError_LoadFailed);
}

}  // namespace kit
