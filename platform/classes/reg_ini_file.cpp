#include "platform/classes/reg_ini_file.h"

#include <vector>

#include "platform/runtime/exceptions.h"
#include "platform/runtime/format.h"

namespace rtl {

namespace {

// Closes a key when it goes out of scope.
struct OpenKey {
  HKEY key = 0;
  ~OpenKey() {
    if (key) RegCloseKey(key);
  }
};

void DeleteTree(HKEY Parent, const String& Name) {
  OpenKey k;
  if (RegOpenKeyEx(Parent, Name, 0, KEY_ALL_ACCESS, &k.key) != ERROR_SUCCESS) return;
  // Children first: a key with subkeys cannot be deleted.
  for (;;) {
    char16_t child[256];
    std::uint32_t chars = 256;
    if (RegEnumKeyEx(k.key, 0, child, &chars) != ERROR_SUCCESS) break;
    const String childName(child, chars);
    DeleteTree(k.key, childName);
    OpenKey probe;
    if (RegOpenKeyEx(k.key, childName, 0, KEY_READ, &probe.key) == ERROR_SUCCESS) break;
  }
  RegCloseKey(k.key);
  k.key = 0;
  RegDeleteKey(Parent, Name);
}

}  // namespace

TRegIniFile::TRegIniFile(const String& FileName, HKEY Root) : fileName_(FileName), root_(Root) {
  OpenKey k;
  const LONG r = RegCreateKeyEx(root_, fileName_, KEY_ALL_ACCESS, &k.key, nullptr);
  if (r != ERROR_SUCCESS) throw ERegistryException(Format(u"Failed to create key %s", {fileName_}));
}

String TRegIniFile::SectionPath(const String& Section) const {
  if (Section.empty()) return fileName_;
  if (fileName_.empty() || fileName_.back() == u'\\') return fileName_ + Section;
  return fileName_ + u"\\" + Section;
}

String TRegIniFile::ReadString(const String& Section, const String& Ident, const String& Def) {
  OpenKey k;
  if (RegOpenKeyEx(root_, SectionPath(Section), 0, KEY_READ, &k.key) != ERROR_SUCCESS) return Def;
  std::uint32_t type = 0, size = 0;
  if (RegQueryValueEx(k.key, Ident, &type, nullptr, &size) != ERROR_SUCCESS) return Def;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return Def;
  std::vector<std::uint8_t> data(size + 2, 0);
  if (RegQueryValueEx(k.key, Ident, &type, data.data(), &size) != ERROR_SUCCESS) return Def;
  String text(reinterpret_cast<const char16_t*>(data.data()), size / 2);
  while (!text.empty() && text.back() == u'\0') text.pop_back();
  return text;
}

void TRegIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
  OpenKey k;
  const String path = SectionPath(Section);
  if (RegCreateKeyEx(root_, path, KEY_ALL_ACCESS, &k.key, nullptr) != ERROR_SUCCESS)
    throw ERegistryException(Format(u"Failed to create key %s", {path}));
  const LONG r = RegSetValueEx(k.key, Ident, REG_SZ, reinterpret_cast<const std::uint8_t*>(Value.c_str()),
                               static_cast<std::uint32_t>((Value.size() + 1) * sizeof(char16_t)));
  if (r != ERROR_SUCCESS) throw ERegistryException(Format(u"Failed to set data for '%s'", {Ident}));
}

void TRegIniFile::EraseSection(const String& Section) {
  if (Section.empty()) return;
  OpenKey k;
  if (RegOpenKeyEx(root_, fileName_, 0, KEY_ALL_ACCESS, &k.key) != ERROR_SUCCESS) return;
  DeleteTree(k.key, Section);
}

}  // namespace rtl
