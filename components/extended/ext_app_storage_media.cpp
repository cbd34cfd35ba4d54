#include "components/extended/ext_app_storage_media.h"

#include <cstring>

#include "platform/runtime/convert.h"
#include "platform/classes/typinfo.h"

namespace ext {

namespace {

// Floats are written with '.' whatever the locale, so files move between
// machines.
String FloatText(double v) { return rtl::FloatToStr(v, rtl::TFormatSettings::Invariant()); }
double TextFloat(const String& s) { return rtl::StrToFloat(s, rtl::TFormatSettings::Invariant()); }

String HexOf(const void* Buf, int Size) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  String r;
  const auto* b = static_cast<const unsigned char*>(Buf);
  for (int i = 0; i < Size; ++i) {
    r.push_back(kHex[b[i] >> 4]);
    r.push_back(kHex[b[i] & 15]);
  }
  return r;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

bool StartsWithUpper(const String& UpperText, const String& UpperPrefix) {
  return UpperText.compare(0, UpperPrefix.size(), UpperPrefix) == 0;
}

}  // namespace

// --- in memory ------------------------------------------------------------------

const ui::TClassInfo& TExtAppMemoryStorage::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TExtAppMemoryStorage>("TExtAppMemoryStorage", &TExtCustomAppStorage::StaticClassInfo()).Build();
  return info;
}

String TExtAppMemoryStorage::KeyOf(const String& Path) const { return rtl::UpperCase(AbsolutePath(Path)); }

const TExtAppMemoryStorage::Value* TExtAppMemoryStorage::Find(const String& Path) const {
  const auto it = values_.find(KeyOf(Path));
  return it == values_.end() ? nullptr : &it->second;
}

void TExtAppMemoryStorage::Put(const String& Path, Value V) {
  V.path = AbsolutePath(Path);
  values_[rtl::UpperCase(V.path)] = std::move(V);
}

void TExtAppMemoryStorage::Children(const String& KeyPath, ui::TStringList& Strings, bool Folders) const {
  const String abs = AbsolutePath(KeyPath);
  const String prefix = abs.empty() ? String() : rtl::UpperCase(abs) + u"\\";
  for (const auto& [key, v] : values_) {
    if (!StartsWithUpper(key, prefix)) continue;
    const String rest = v.path.substr(prefix.size());
    const std::size_t slash = rest.find(u'\\');
    if (Folders != (slash != String::npos)) continue;
    const String name = Folders ? rest.substr(0, slash) : rest;
    if (Strings.IndexOf(name) < 0) Strings.Add(name);
  }
}

void TExtAppMemoryStorage::EnumFolderNames(const String& KeyPath, ui::TStringList& Strings) {
  Strings.Clear();
  Children(KeyPath, Strings, true);
}

void TExtAppMemoryStorage::EnumValueNames(const String& KeyPath, ui::TStringList& Strings, bool ReportListAsValue) {
  Strings.Clear();
  Children(KeyPath, Strings, false);
  if (!ReportListAsValue) return;
  ui::TStringList folders;
  Children(KeyPath, folders, true);
  for (int i = 0; i < folders.Count(); ++i)
    if (ListStoredAt(At({KeyPath, folders[i]}))) Strings.Add(folders[i]);
}

bool TExtAppMemoryStorage::IsFolderAt(const String& Path, bool ListIsValue) {
  const String prefix = KeyOf(Path) + u"\\";
  bool any = false;
  for (const auto& kv : values_)
    if (StartsWithUpper(kv.first, prefix)) {
      any = true;
      break;
    }
  return any && !(ListIsValue && ListStoredAt(Path));
}

bool TExtAppMemoryStorage::PathExistsAt(const String& Path) { return ValueStoredAt(Path) || IsFolderAt(Path, false); }
bool TExtAppMemoryStorage::ValueStoredAt(const String& Path) { return Find(Path) != nullptr; }
void TExtAppMemoryStorage::DeleteValueAt(const String& Path) { values_.erase(KeyOf(Path)); }

void TExtAppMemoryStorage::DeleteSubTreeAt(const String& Path) {
  const String key = KeyOf(Path);
  const String prefix = key.empty() ? String() : key + u"\\";
  for (auto it = values_.begin(); it != values_.end();)
    it = (it->first == key || StartsWithUpper(it->first, prefix)) ? values_.erase(it) : std::next(it);
}

std::int32_t TExtAppMemoryStorage::LoadInteger(const String& Path, std::int32_t Default) {
  const Value* v = Find(Path);
  if (!v) return Default;
  switch (v->kind) {
    case Kind::Integer: return static_cast<std::int32_t>(v->i);
    case Kind::Float: return static_cast<std::int32_t>(v->f);
    case Kind::Text: return rtl::StrToInt(v->text);
    default: throw rtl::EConvertError(u"Binary data is not an integer value");
  }
}
void TExtAppMemoryStorage::SaveInteger(const String& Path, std::int32_t Value) {
  TExtAppMemoryStorage::Value v;
  v.kind = Kind::Integer;
  v.i = Value;
  Put(Path, std::move(v));
}

double TExtAppMemoryStorage::LoadFloat(const String& Path, double Default) {
  const Value* v = Find(Path);
  if (!v) return Default;
  switch (v->kind) {
    case Kind::Integer: return static_cast<double>(v->i);
    case Kind::Float: return v->f;
    case Kind::Text: return rtl::StrToFloat(v->text);
    default: throw rtl::EConvertError(u"Binary data is not a floating point value");
  }
}
void TExtAppMemoryStorage::SaveFloat(const String& Path, double Value) {
  TExtAppMemoryStorage::Value v;
  v.kind = Kind::Float;
  v.f = Value;
  Put(Path, std::move(v));
}

String TExtAppMemoryStorage::LoadString(const String& Path, const String& Default) {
  const Value* v = Find(Path);
  if (!v) return Default;
  switch (v->kind) {
    case Kind::Integer: return rtl::IntToStr(v->i);
    case Kind::Float: return rtl::FloatToStr(v->f);
    case Kind::Text: return v->text;
    default: return HexOf(v->bytes.data(), static_cast<int>(v->bytes.size()));
  }
}
void TExtAppMemoryStorage::SaveString(const String& Path, const String& Value) {
  TExtAppMemoryStorage::Value v;
  v.kind = Kind::Text;
  v.text = Value;
  Put(Path, std::move(v));
}

int TExtAppMemoryStorage::LoadBinary(const String& Path, void* Buf, int BufSize) {
  const Value* v = Find(Path);
  if (!v || v->kind != Kind::Binary || !Buf || BufSize <= 0) return 0;
  const int n = std::min(BufSize, static_cast<int>(v->bytes.size()));
  std::memcpy(Buf, v->bytes.data(), static_cast<std::size_t>(n));
  return n;
}
void TExtAppMemoryStorage::SaveBinary(const String& Path, const void* Buf, int BufSize) {
  TExtAppMemoryStorage::Value v;
  v.kind = Kind::Binary;
  if (Buf && BufSize > 0) v.bytes.assign(static_cast<const char*>(Buf), static_cast<std::size_t>(BufSize));
  Put(Path, std::move(v));
}

// --- ini file ------------------------------------------------------------------------

const ui::TClassInfo& TExtAppIniFileStorage::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TExtAppIniFileStorage>("TExtAppIniFileStorage", &TExtCustomAppStorage::StaticClassInfo()).Build();
  return info;
}

TExtAppIniFileStorage::TExtAppIniFileStorage(ui::TComponent* AOwner, const String& FileName)
    : TExtCustomAppStorage(AOwner), fileName_(FileName) {
  Reload();
}

TExtAppIniFileStorage::~TExtAppIniFileStorage() {
  if (FlushOnDestroy() && !ReadOnly()) {
    try {
      Flush();
    } catch (...) {
      // A destructor cannot report it; the file keeps its last saved state.
    }
  }
}

void TExtAppIniFileStorage::Flush() {
  if (ini_ && !ReadOnly()) ini_->UpdateFile();
}

void TExtAppIniFileStorage::Reload() {
  // A file that cannot be read leaves the values held so far.
  auto fresh = std::make_unique<rtl::TMemIniFile>(fileName_, rtl::TIniEncoding::UTF8);
  ini_ = std::move(fresh);
}

void TExtAppIniFileStorage::Split(const String& Path, String& Section, String& Ident) const {
  String key;
  SplitValuePath(Path, key, Ident);
  Section = SectionOf(key);
}

void TExtAppIniFileStorage::SubSections(const String& KeyPath, ui::TStringList& Names) const {
  const String abs = AbsolutePath(KeyPath);
  const String prefix = abs.empty() ? String() : rtl::UpperCase(abs) + u"\\";
  ui::TStringList sections;
  ini_->ReadSections(sections);
  for (int i = 0; i < sections.Count(); ++i) {
    const String& s = sections[i];
    if (s == u"\\" || !StartsWithUpper(rtl::UpperCase(s), prefix) || s.size() == prefix.size()) continue;
    const String rest = s.substr(prefix.size());
    const String name = rest.substr(0, rest.find(u'\\'));
    if (!name.empty() && Names.IndexOf(name) < 0) Names.Add(name);
  }
}

void TExtAppIniFileStorage::EnumFolderNames(const String& KeyPath, ui::TStringList& Strings) {
  Strings.Clear();
  SubSections(KeyPath, Strings);
}

void TExtAppIniFileStorage::EnumValueNames(const String& KeyPath, ui::TStringList& Strings, bool ReportListAsValue) {
  Strings.Clear();
  ini_->ReadSection(SectionOf(AbsolutePath(KeyPath)), Strings);
  if (!ReportListAsValue) return;
  ui::TStringList folders;
  SubSections(KeyPath, folders);
  for (int i = 0; i < folders.Count(); ++i)
    if (ListStoredAt(At({KeyPath, folders[i]}))) Strings.Add(folders[i]);
}

bool TExtAppIniFileStorage::IsFolderAt(const String& Path, bool ListIsValue) {
  const String abs = AbsolutePath(Path);
  ui::TStringList subs;
  SubSections(Path, subs);
  const bool any = ini_->SectionExists(SectionOf(abs)) || subs.Count() > 0;
  return any && !(ListIsValue && ListStoredAt(Path));
}

bool TExtAppIniFileStorage::PathExistsAt(const String& Path) { return ValueStoredAt(Path) || IsFolderAt(Path, false); }

bool TExtAppIniFileStorage::ValueStoredAt(const String& Path) {
  String section, ident;
  Split(Path, section, ident);
  return ini_->ValueExists(section, ident);
}

void TExtAppIniFileStorage::DeleteValueAt(const String& Path) {
  String section, ident;
  Split(Path, section, ident);
  ini_->DeleteKey(section, ident);
}

void TExtAppIniFileStorage::DeleteSubTreeAt(const String& Path) {
  const String abs = AbsolutePath(Path);
  const String upper = rtl::UpperCase(abs);
  ui::TStringList sections;
  ini_->ReadSections(sections);
  for (int i = 0; i < sections.Count(); ++i) {
    const String u = rtl::UpperCase(sections[i]);
    if (abs.empty() || u == upper || StartsWithUpper(u, upper + u"\\")) ini_->EraseSection(sections[i]);
  }
  DeleteValueAt(Path);
}

String TExtAppIniFileStorage::LoadString(const String& Path, const String& Default) {
  String section, ident;
  Split(Path, section, ident);
  return ini_->ReadString(section, ident, Default);
}
void TExtAppIniFileStorage::SaveString(const String& Path, const String& Value) {
  String section, ident;
  Split(Path, section, ident);
  ini_->WriteString(section, ident, Value);
}

std::int32_t TExtAppIniFileStorage::LoadInteger(const String& Path, std::int32_t Default) {
  if (!ValueStoredAt(Path)) return Default;
  return rtl::StrToInt(rtl::Trim(LoadString(Path, String())));
}
void TExtAppIniFileStorage::SaveInteger(const String& Path, std::int32_t Value) { SaveString(Path, rtl::IntToStr(Value)); }

double TExtAppIniFileStorage::LoadFloat(const String& Path, double Default) {
  if (!ValueStoredAt(Path)) return Default;
  return TextFloat(rtl::Trim(LoadString(Path, String())));
}
void TExtAppIniFileStorage::SaveFloat(const String& Path, double Value) { SaveString(Path, FloatText(Value)); }

int TExtAppIniFileStorage::LoadBinary(const String& Path, void* Buf, int BufSize) {
  if (!Buf || BufSize <= 0 || !ValueStoredAt(Path)) return 0;
  const String hex = rtl::Trim(LoadString(Path, String()));
  auto* out = static_cast<unsigned char*>(Buf);
  int n = 0;
  for (std::size_t i = 0; i + 1 < hex.size() && n < BufSize; i += 2) {
    const int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
    if (hi < 0 || lo < 0) throw rtl::EConvertError(u"'%s' is not valid binary data", {hex});
    out[n++] = static_cast<unsigned char>(hi << 4 | lo);
  }
  return n;
}
void TExtAppIniFileStorage::SaveBinary(const String& Path, const void* Buf, int BufSize) {
  SaveString(Path, HexOf(Buf, Buf ? BufSize : 0));
}

}  // namespace ext
