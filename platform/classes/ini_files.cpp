#include "platform/classes/ini_files.h"

#include "platform/runtime/codepage.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/files.h"
#include "platform/runtime/line_file.h"
#include "platform/runtime/streams.h"

namespace rtl {

namespace {

std::vector<String> SplitLines(std::u16string_view text) {
  std::vector<String> lines;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t j = i;
    while (j < text.size() && text[j] != u'\r' && text[j] != u'\n') ++j;
    lines.emplace_back(text.substr(i, j - i));
    if (j < text.size() && text[j] == u'\r') ++j;
    if (j < text.size() && text[j] == u'\n') ++j;
    i = j;
  }
  return lines;
}

// "[name]" (blanks around allowed) -> name.
bool SectionHeader(const String& line, String& name) {
  const String t = Trim(line);
  if (t.size() < 2 || t.front() != u'[' || t.back() != u']') return false;
  name = Trim(std::u16string_view(t).substr(1, t.size() - 2));
  return true;
}

// Floats read back with either separator, whatever the locale.
const TFormatSettings& IniReadSettings() {
  static const TFormatSettings fs = [] {
    TFormatSettings s = TFormatSettings::Invariant();
    s.DecimalSeparator = u',';
    return s;
  }();
  return fs;
}

std::string Encode(std::u16string_view text, TIniEncoding enc) {
  switch (enc) {
    case TIniEncoding::UTF8: return EncodeFileText(text, TextEncoding::Utf8Bom);
    case TIniEncoding::Unicode: return EncodeFileText(text, TextEncoding::Utf16LE);
    case TIniEncoding::Default: break;
  }
  std::string bytes = EncodeFileText(text, TextEncoding::System);
  // Text in the system page may itself begin with the bytes of a mark (GBK's
  // "锘" and a character led by 0xBF give EF BB BF), and the file would read
  // back in that other encoding. A blank line first keeps it in the system
  // page; readers of ini files pass over blank lines.
  if (DetectFileEncoding(bytes) != TextEncoding::System) bytes.insert(0, "\r\n");
  return bytes;
}

}  // namespace

// --- typed access ---------------------------------------------------------

bool TCustomIniFile::SectionExists(const String& section) {
  ui::TStringList keys;
  ReadSection(section, keys);
  return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const String& section, const String& ident) {
  ui::TStringList keys;
  ReadSection(section, keys);
  return keys.IndexOf(ident) >= 0;
}

std::int32_t TCustomIniFile::ReadInteger(const String& section, const String& ident, std::int32_t def) {
  const String s = ReadString(section, ident, String());
  return s.empty() ? def : StrToIntDef(s, def);
}

void TCustomIniFile::WriteInteger(const String& section, const String& ident, std::int32_t value) {
  WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const String& section, const String& ident, bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const String& section, const String& ident, bool value) {
  WriteString(section, ident, value ? u"1" : u"0");
}

double TCustomIniFile::ReadFloat(const String& section, const String& ident, double def) {
  const String s = ReadString(section, ident, String());
  double v;
  return (!s.empty() && TryStrToFloat(s, v, IniReadSettings())) ? v : def;
}

void TCustomIniFile::WriteFloat(const String& section, const String& ident, double value) {
  WriteString(section, ident, FloatToStr(value, TFormatSettings::Invariant()));
}

TDateTime TCustomIniFile::ReadDate(const String& section, const String& ident, TDateTime def) {
  const String s = ReadString(section, ident, String());
  TDateTime v;
  return (!s.empty() && TryStrToDate(s, v)) ? v : def;
}

TDateTime TCustomIniFile::ReadTime(const String& section, const String& ident, TDateTime def) {
  const String s = ReadString(section, ident, String());
  TDateTime v;
  return (!s.empty() && TryStrToTime(s, v)) ? v : def;
}

TDateTime TCustomIniFile::ReadDateTime(const String& section, const String& ident, TDateTime def) {
  const String s = ReadString(section, ident, String());
  TDateTime v;
  return (!s.empty() && TryStrToDateTime(s, v)) ? v : def;
}

void TCustomIniFile::WriteDate(const String& section, const String& ident, TDateTime value) {
  WriteString(section, ident, DateToStr(value));
}

void TCustomIniFile::WriteTime(const String& section, const String& ident, TDateTime value) {
  WriteString(section, ident, TimeToStr(value));
}

void TCustomIniFile::WriteDateTime(const String& section, const String& ident, TDateTime value) {
  WriteString(section, ident, DateTimeToStr(value));
}

std::int64_t TCustomIniFile::ReadBinaryStream(const String& section, const String& ident, TStream& value) {
  const String s = ReadString(section, ident, String());
  if (s.size() % 2 != 0) return 0;
  std::string bytes;
  for (std::size_t i = 0; i < s.size(); i += 2) {
    auto nibble = [](char16_t c) -> int {
      if (c >= u'0' && c <= u'9') return c - u'0';
      if (c >= u'a' && c <= u'f') return c - u'a' + 10;
      if (c >= u'A' && c <= u'F') return c - u'A' + 10;
      return -1;
    };
    const int hi = nibble(s[i]), lo = nibble(s[i + 1]);
    if (hi < 0 || lo < 0) return 0;
    bytes.push_back(static_cast<char>(hi << 4 | lo));
  }
  if (!bytes.empty()) value.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  return static_cast<std::int64_t>(bytes.size());
}

void TCustomIniFile::WriteBinaryStream(const String& section, const String& ident, TStream& value) {
  const std::int64_t n = value.Size() - value.Position();
  std::string bytes(static_cast<std::size_t>(std::max<std::int64_t>(n, 0)), '\0');
  if (n > 0) value.ReadBuffer(bytes.data(), n);
  String text;
  for (unsigned char b : bytes) text += IntToHex(b, 2);
  WriteString(section, ident, text);
}

// --- profile kind ---------------------------------------------------------

namespace {

[[noreturn]] void RaiseUnwritable(const String& fileName) {
  throw EIniFileException(Format(u"Unable to write to %s", {fileName}));
}

// The file as lines (TLineFile): a write re-encodes only the line it writes,
// so values in another code page and stray bytes elsewhere survive it.
struct ProfileFile {
  TLineFile lines;
  bool readable = true;

  // A missing file reads as empty, and so does one that cannot be read
  // (readable is false then).
  explicit ProfileFile(const String& fileName) { readable = lines.Load(fileName); }

  bool IsHeader(std::size_t i, String* name) const {
    String n;
    if (!lines.Holds(i, '[') || !SectionHeader(lines.Text(i), n)) return false;
    if (name) *name = std::move(n);
    return true;
  }

  // Index of the header line of the section, or -1.
  int FindSection(const String& section) const {
    String name;
    for (std::size_t i = 0; i < lines.Count(); ++i)
      if (IsHeader(i, &name) && SameText(name, section)) return static_cast<int>(i);
    return -1;
  }

  // One past the last line of the section that starts at `header`.
  std::size_t SectionEnd(int header) const {
    std::size_t i = static_cast<std::size_t>(header) + 1;
    while (i < lines.Count() && !IsHeader(i, nullptr)) ++i;
    return i;
  }

  static bool KeyLine(const String& line, String& key, String& value) {
    const String t = TrimLeft(line);
    if (t.empty() || t[0] == u';') return false;
    const std::size_t eq = t.find(u'=');
    if (eq == String::npos) return false;
    key = Trim(std::u16string_view(t).substr(0, eq));
    value = Trim(std::u16string_view(t).substr(eq + 1));
    return true;
  }

  // Calls line(key, value) for each key line of the section at `header`.
  template <class Line>
  void ForEachKey(int header, Line line) const {
    const std::size_t end = SectionEnd(header);
    String k, v;
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i)
      if (lines.Holds(i, '=') && KeyLine(lines.Text(i), k, v)) line(k, v);
  }

  // Index of the key's line in the section at `header`, or -1; `key` and
  // `value` as found.
  int FindKey(int header, const String& ident, String* key, String* value) const {
    const std::size_t end = SectionEnd(header);
    String k, v;
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i) {
      if (lines.Holds(i, '=') && KeyLine(lines.Text(i), k, v) && SameText(k, ident)) {
        if (key) *key = std::move(k);
        if (value) *value = std::move(v);
        return static_cast<int>(i);
      }
    }
    return -1;
  }
};

// One read-modify-write of the file. It holds the lock of the file's folder
// throughout, so writers in other threads and processes do not lose each
// other's changes; `edit` returns false when it changed nothing.
template <class Edit>
void ChangeProfile(const String& fileName, Edit edit) {
  TFileLock lock(ExtractFilePath(ExpandFileName(fileName)), true);
  if (lock.TimedOut()) RaiseUnwritable(fileName);
  ProfileFile f(fileName);
  // A file that is there but cannot be read would be replaced by the one
  // change alone, losing every other key.
  if (!f.readable) RaiseUnwritable(fileName);
  if (!edit(f)) return;
  std::string bytes;
  if (!f.lines.Join(bytes)) RaiseUnwritable(fileName);
  try {
    AtomicWriteFile(fileName, bytes);
  } catch (const Exception&) {
    RaiseUnwritable(fileName);
  }
}

String Unquote(const String& v) {
  if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// A line break inside a value would end the line early and turn the rest
// into a line of its own.
String OneLine(const String& value) {
  String clean = value;
  for (auto& c : clean)
    if (c == u'\r' || c == u'\n') c = u' ';
  return clean;
}

}  // namespace

void TCustomIniFile::CheckNames(const String& section, const String& ident) {
  const auto breaks = [](const String& s) { return s.find_first_of(u"\r\n") != String::npos; };
  if (breaks(section) || Trim(section) != section)
    throw EIniFileException(Format(u"Section name \"%s\" cannot be stored in an ini file", {section}));
  // Reading trims key names, takes a ';' line for a comment, ends the name
  // at the first '=' and may take "[k=v]" for a section header.
  if (breaks(ident) || Trim(ident) != ident || ident.find(u'=') != String::npos ||
      (!ident.empty() && (ident[0] == u';' || ident[0] == u'[')))
    throw EIniFileException(Format(u"Key name \"%s\" cannot be stored in an ini file", {ident}));
}

String TIniFile::ReadString(const String& section, const String& ident, const String& def) {
  const ProfileFile f(fileName_);
  const int h = f.FindSection(section);
  String v;
  if (h < 0 || f.FindKey(h, ident, nullptr, &v) < 0) return def;
  return Unquote(v);
}

void TIniFile::WriteString(const String& section, const String& ident, const String& value) {
  CheckNames(section, ident);
  const String clean = OneLine(value);
  ChangeProfile(fileName_, [&](ProfileFile& f) {
    TLineFile& lines = f.lines;
    const int h = f.FindSection(section);
    if (h < 0) {
      if (lines.Count() > 0 && !Trim(lines.Text(lines.Count() - 1)).empty()) lines.InsertText(lines.Count(), u"");
      lines.InsertText(lines.Count(), u"[" + section + u"]");
      lines.InsertText(lines.Count(), ident + u"=" + clean);
      return true;
    }
    String key;
    const int k = f.FindKey(h, ident, &key, nullptr);
    if (k >= 0) {
      lines.ReplaceText(static_cast<std::size_t>(k), key + u"=" + clean);
    } else {
      std::size_t at = f.SectionEnd(h);
      while (at > static_cast<std::size_t>(h) + 1 && Trim(lines.Text(at - 1)).empty()) --at;
      lines.InsertText(at, ident + u"=" + clean);
    }
    return true;
  });
}

namespace {

// Lists the key lines of one section of the file, each as `line(key, value)`.
template <class Line>
void ListSection(const String& file_name, const String& section, ui::TStrings& strings, Line line) {
  strings.BeginUpdate();
  strings.Clear();
  const ProfileFile f(file_name);
  const int h = f.FindSection(section);
  if (h >= 0) f.ForEachKey(h, [&](const String& k, const String& v) { strings.Add(line(k, v)); });
  strings.EndUpdate();
}

}  // namespace

void TIniFile::ReadSection(const String& section, ui::TStrings& strings) {
  ListSection(fileName_, section, strings, [](const String& k, const String&) { return k; });
}

void TIniFile::ReadSections(ui::TStrings& strings) {
  strings.BeginUpdate();
  strings.Clear();
  const ProfileFile f(fileName_);
  String name;
  for (std::size_t i = 0; i < f.lines.Count(); ++i)
    if (f.IsHeader(i, &name)) strings.Add(name);
  strings.EndUpdate();
}

void TIniFile::ReadSectionValues(const String& section, ui::TStrings& strings) {
  ListSection(fileName_, section, strings,
              [](const String& k, const String& v) { return k + u"=" + Unquote(v); });
}

void TIniFile::EraseSection(const String& section) {
  ChangeProfile(fileName_, [&](ProfileFile& f) {
    const int h = f.FindSection(section);
    if (h < 0) return false;
    f.lines.Erase(static_cast<std::size_t>(h), f.SectionEnd(h));
    return true;
  });
}

void TIniFile::DeleteKey(const String& section, const String& ident) {
  ChangeProfile(fileName_, [&](ProfileFile& f) {
    const int h = f.FindSection(section);
    const int k = h < 0 ? -1 : f.FindKey(h, ident, nullptr, nullptr);
    if (k < 0) return false;
    f.lines.Erase(static_cast<std::size_t>(k), static_cast<std::size_t>(k) + 1);
    return true;
  });
}

// --- in-memory kind -------------------------------------------------------

TMemIniFile::TMemIniFile(String fileName, TIniEncoding encoding)
    : TCustomIniFile(std::move(fileName)), encoding_(encoding) {
  Load(fileName_);
}

void TMemIniFile::Load(const String& fileName) {
  std::string bytes;
  if (!ReadFileBytes(fileName, bytes)) {
    if (GetLastError() == 2 || GetLastError() == 3) {  // no file yet: empty storage
      Clear();
      return;
    }
    throw EFOpenError(Format(u"Cannot open file \"%s\". %s", {fileName, SysErrorMessage(GetLastError())}));
  }
  SetText(DecodeFileText(bytes));
}

void TMemIniFile::Clear() {
  preamble_.clear();
  sections_.clear();
}

void TMemIniFile::SetText(std::u16string_view text) {
  std::vector<String> preamble;
  std::vector<Section> sections;
  Section* cur = nullptr;
  for (const String& line : SplitLines(text)) {
    if (Trim(line).empty()) continue;
    String name;
    if (SectionHeader(line, name)) {
      cur = nullptr;
      for (auto& s : sections)
        if (SameText(s.name, name)) cur = &s;
      if (!cur) {
        sections.push_back(Section{name, {}});
        cur = &sections.back();
      }
      continue;
    }
    if (!cur) {
      preamble.push_back(line);
      continue;
    }
    const std::size_t eq = line.find(u'=');
    const String t = TrimLeft(line);
    if (eq == String::npos || (!t.empty() && t[0] == u';')) {
      cur->entries.push_back(Entry{String(), line, true});
    } else {
      cur->entries.push_back(Entry{Trim(std::u16string_view(line).substr(0, eq)), line.substr(eq + 1), false});
    }
  }
  preamble_ = std::move(preamble);
  sections_ = std::move(sections);
}

String TMemIniFile::Text() const {
  String out;
  for (const auto& l : preamble_) out += l + u"\r\n";
  if (!preamble_.empty()) out += u"\r\n";
  for (const auto& s : sections_) {
    out += u"[" + s.name + u"]\r\n";
    for (const auto& e : s.entries) {
      if (e.comment) out += e.value + u"\r\n";
      else out += e.key + u"=" + e.value + u"\r\n";
    }
    out += u"\r\n";
  }
  return out;
}

TMemIniFile::Section* TMemIniFile::FindSection(const String& name) {
  for (auto& s : sections_)
    if (SameText(s.name, name)) return &s;
  return nullptr;
}

TMemIniFile::Entry* TMemIniFile::FindEntry(Section& s, const String& ident) {
  for (auto& e : s.entries)
    if (!e.comment && SameText(e.key, ident)) return &e;
  return nullptr;
}

String TMemIniFile::ReadString(const String& section, const String& ident, const String& def) {
  Section* s = FindSection(section);
  if (!s) return def;
  const Entry* e = FindEntry(*s, ident);
  return e ? e->value : def;
}

void TMemIniFile::WriteString(const String& section, const String& ident, const String& value) {
  CheckNames(section, ident);
  const String clean = OneLine(value);
  Section* s = FindSection(section);
  if (!s) {
    sections_.push_back(Section{section, {}});
    s = &sections_.back();
  }
  if (Entry* e = FindEntry(*s, ident)) {
    e->value = clean;
  } else {
    s->entries.push_back(Entry{ident, clean, false});
  }
  Changed();
}

void TMemIniFile::ReadSection(const String& section, ui::TStrings& strings) {
  strings.BeginUpdate();
  strings.Clear();
  if (Section* s = FindSection(section))
    for (const auto& e : s->entries)
      if (!e.comment) strings.Add(e.key);
  strings.EndUpdate();
}

void TMemIniFile::ReadSections(ui::TStrings& strings) {
  strings.BeginUpdate();
  strings.Clear();
  for (const auto& s : sections_) strings.Add(s.name);
  strings.EndUpdate();
}

void TMemIniFile::ReadSectionValues(const String& section, ui::TStrings& strings) {
  strings.BeginUpdate();
  strings.Clear();
  if (Section* s = FindSection(section))
    for (const auto& e : s->entries)
      if (!e.comment) strings.Add(e.key + u"=" + e.value);
  strings.EndUpdate();
}

void TMemIniFile::EraseSection(const String& section) {
  for (auto it = sections_.begin(); it != sections_.end(); ++it) {
    if (SameText(it->name, section)) {
      sections_.erase(it);
      Changed();
      return;
    }
  }
}

void TMemIniFile::DeleteKey(const String& section, const String& ident) {
  Section* s = FindSection(section);
  if (!s) return;
  for (auto it = s->entries.begin(); it != s->entries.end(); ++it) {
    if (!it->comment && SameText(it->key, ident)) {
      s->entries.erase(it);
      Changed();
      return;
    }
  }
}

bool TMemIniFile::SectionExists(const String& section) { return FindSection(section) != nullptr; }

bool TMemIniFile::ValueExists(const String& section, const String& ident) {
  Section* s = FindSection(section);
  return s && FindEntry(*s, ident) != nullptr;
}

void TMemIniFile::UpdateFile() { AtomicWriteFile(fileName_, Encode(Text(), encoding_)); }

void TMemIniFile::Changed() {
  if (autoUpdate_) UpdateFile();
}

void TMemIniFile::Rename(const String& fileName, bool reload) {
  if (reload) {
    // Load into a scratch object first: a failure leaves this one untouched.
    TMemIniFile fresh(fileName, encoding_);
    preamble_ = std::move(fresh.preamble_);
    sections_ = std::move(fresh.sections_);
  }
  fileName_ = fileName;
}

}  // namespace rtl
