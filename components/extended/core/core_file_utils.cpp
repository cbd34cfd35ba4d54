#include "components/extended/core/core_file_utils.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/runtime/codepage.h"
#include "components/extended/core/core_errors.h"
#include "components/extended/core/core_strings.h"
#include "platform/runtime/files.h"
#include "platform/runtime/format.h"

namespace ext {

namespace {

constexpr char16_t kNoVersionInfo[] = u"File contains no version information";

std::uint32_t Get16(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
std::uint32_t Get32(const std::string& b, std::size_t at) { return Get16(b, at) | Get16(b, at + 2) << 16; }
std::size_t Up4(std::size_t v) { return (v + 3) & ~static_cast<std::size_t>(3); }

// The language key of a string table: every "0x" removed, then every
// character that is not a hexadecimal digit.
String CleanLanguageKey(String key) {
  for (std::size_t p; (p = key.find(u"0x")) != String::npos;) key.erase(p, 2);
  String r;
  for (char16_t c : key)
    if ((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')) r.push_back(c);
  return r;
}

std::uint16_t HexWord(const String& s) {
  std::uint32_t v = 0;
  for (char16_t c : s) {
    const int d = c <= u'9' ? c - u'0' : (c | 0x20) - u'a' + 10;
    v = v << 4 | static_cast<std::uint32_t>(d);
  }
  return static_cast<std::uint16_t>(v);
}

String ProcessExePath(int pid) {
  if (pid == static_cast<int>(::getpid())) return rtl::ProgramFileName();
  const std::string link = "/proc/" + std::to_string(pid) + "/exe";
  std::vector<char> buf(4096);
  const ssize_t n = ::readlink(link.c_str(), buf.data(), buf.size() - 1);
  if (n <= 0) return String();
  return rtl::FromSysPath(std::string_view(buf.data(), static_cast<std::size_t>(n)));
}

[[noreturn]] void NoVersionInfo() { throw ECoreFileVersionInfoError(kNoVersionInfo); }

}  // namespace

String ModulePathOf(TModuleHandle Module) {
  if (Module) {
    link_map* map = nullptr;
    if (::dlinfo(Module, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && map->l_name[0])
      return rtl::FromSysPath(map->l_name);
  }
  return rtl::ProgramFileName();
}

bool ReadFixedVersionInfo(const String& FileName, rtl::VS_FIXEDFILEINFO& FixedInfo) {
  std::uint32_t handle = 0;
  const std::uint32_t size = rtl::GetFileVersionInfoSize(FileName, &handle);
  if (size == 0) return false;
  std::string block(size, '\0');
  if (!rtl::GetFileVersionInfo(FileName, handle, size, block.data())) return false;
  const void* value = nullptr;
  std::uint32_t len = 0;
  if (!rtl::VerQueryValue(block.data(), size, u"\\", &value, &len) || len != sizeof(rtl::VS_FIXEDFILEINFO))
    return false;
  std::memcpy(&FixedInfo, value, sizeof FixedInfo);
  return true;
}

// --- construction ----------------------------------------------------------

TCoreFileVersionInfo::TCoreFileVersionInfo(const String& FileName) {
  std::uint32_t handle = 0;
  const std::uint32_t size = rtl::GetFileVersionInfoSize(FileName, &handle);
  if (size == 0) NoVersionInfo();
  buffer_.assign(size, '\0');
  if (!rtl::GetFileVersionInfo(FileName, handle, size, buffer_.data())) rtl::RaiseLastOSError();
  ParseVersionBlock();
}

std::function<int(TWindowHandle)>& TCoreFileVersionInfo::WindowProcessHook() {
  static std::function<int(TWindowHandle)> hook = [](TWindowHandle) { return static_cast<int>(::getpid()); };
  return hook;
}

TCoreFileVersionInfo TCoreFileVersionInfo::FromWindow(TWindowHandle Window) {
  if (Window == 0)
    throw ECoreError(u"The window with handle %d is not valid", {static_cast<std::int64_t>(Window)});
  const int pid = WindowProcessHook() ? WindowProcessHook()(Window) : static_cast<int>(::getpid());
  const String path = pid > 0 ? ProcessExePath(pid) : String();
  if (path.empty()) throw ECoreError(u"The process with ID %d is not valid", {pid});
  return TCoreFileVersionInfo(path);
}

TCoreFileVersionInfo TCoreFileVersionInfo::FromModule(TModuleHandle Module) {
  if (!Module)
    throw ECoreError(u"The Module with handle %d is not valid", {static_cast<std::int64_t>(0)});
  return TCoreFileVersionInfo(ModulePathOf(Module));
}

TCoreFileVersionInfo::TCoreFileVersionInfo(TCoreFileVersionInfo&& Other)
    : buffer_(std::move(Other.buffer_)),
      fixedInfo_(Other.fixedInfo_),
      fileFlags_(Other.fileFlags_),
      languages_(std::move(Other.languages_)),
      languageIndex_(Other.languageIndex_),
      translations_(std::move(Other.translations_)),
      itemsBuilds_(Other.itemsBuilds_) {
  itemList_.Assign(Other.itemList_);
  items_.Assign(Other.items_);
}

TCoreFileVersionInfo TCoreFileVersionInfo::Attach(const void* Data, std::size_t Size) {
  TCoreFileVersionInfo info;
  if (Data && Size) info.buffer_.assign(static_cast<const char*>(Data), Size);
  info.ParseVersionBlock();
  return info;
}

// --- parsing -----------------------------------------------------------------

// Every read stays inside the buffer and inside the node that holds it: any
// length, terminator or value that would reach outside makes the whole block
// "no version information".
void TCoreFileVersionInfo::ParseVersionBlock() {
  itemList_.Clear();
  items_.Clear();
  languages_.clear();
  translations_.clear();
  const std::string& b = buffer_;
  if (b.size() < 6) NoVersionInfo();
  const bool wide = Get16(b, 4) < 2;
  rtl::VersionNode root;
  if (!rtl::ReadVersionNode(b.data(), b.size(), 0, b.size(), wide, root)) NoVersionInfo();
  if (!rtl::SameText(root.key, u"VS_VERSION_INFO") || root.valueLength != sizeof(rtl::VS_FIXEDFILEINFO) ||
      root.end - root.valueAt < sizeof(rtl::VS_FIXEDFILEINFO))
    NoVersionInfo();
  std::uint32_t fields[sizeof(rtl::VS_FIXEDFILEINFO) / 4];
  for (std::size_t i = 0; i < std::size(fields); ++i) fields[i] = Get32(b, root.valueAt + 4 * i);
  std::memcpy(&fixedInfo_, fields, sizeof fixedInfo_);
  if (fixedInfo_.dwSignature != rtl::VS_FFI_SIGNATURE) NoVersionInfo();

  std::size_t pos = Up4(root.valueAt + sizeof(rtl::VS_FIXEDFILEINFO));
  while (pos < root.end) {
    rtl::VersionNode child;
    if (!rtl::ReadVersionNode(b.data(), b.size(), pos, root.end, wide, child)) NoVersionInfo();
    if (rtl::SameText(child.key, u"StringFileInfo")) {
      if (!ReadStringFileInfo(child.childrenAt, child.end, wide)) NoVersionInfo();
    } else if (rtl::SameText(child.key, u"VarFileInfo")) {
      if (!ReadVarFileInfo(child.childrenAt, child.end, wide)) NoVersionInfo();
    } else {
      break;
    }
    pos = Up4(child.end);
  }

  const std::uint32_t f = fixedInfo_.dwFileFlags & fixedInfo_.dwFileFlagsMask;
  fileFlags_ = 0;
  if (f & rtl::VS_FF_DEBUG) fileFlags_ |= 1u << ffDebug;
  if (f & rtl::VS_FF_INFOINFERRED) fileFlags_ |= 1u << ffInfoInferred;
  if (f & rtl::VS_FF_PATCHED) fileFlags_ |= 1u << ffPatched;
  if (f & rtl::VS_FF_PRERELEASE) fileFlags_ |= 1u << ffPreRelease;
  if (f & rtl::VS_FF_PRIVATEBUILD) fileFlags_ |= 1u << ffPrivateBuild;
  if (f & rtl::VS_FF_SPECIALBUILD) fileFlags_ |= 1u << ffSpecialBuild;
  BuildItemsForLanguage();
}

bool TCoreFileVersionInfo::ReadStringFileInfo(std::size_t From, std::size_t To, bool Wide) {
  const std::string& b = buffer_;
  for (std::size_t pos = From; pos < To;) {
    rtl::VersionNode table;
    if (!rtl::ReadVersionNode(b.data(), b.size(), pos, To, Wide, table)) return false;
    const String key = CleanLanguageKey(table.key);
    if (table.valueLength != 0 || key.size() != 8) return false;
    languages_.push_back({HexWord(key.substr(0, 4)), HexWord(key.substr(4, 4))});
    const auto tableIndex = static_cast<std::uintptr_t>(languages_.size() - 1);
    for (std::size_t at = table.childrenAt; at < table.end;) {
      rtl::VersionNode n;
      if (!rtl::ReadVersionNode(b.data(), b.size(), at, table.end, Wide, n)) return false;
      String value;
      const char* v = b.data() + n.valueAt;
      if (n.type == 1) {
        if (n.valueLength != 0) {
          if (Wide) {
            for (std::size_t i = 0; i + 1 < n.valueBytes; i += 2)
              value.push_back(static_cast<char16_t>(Get16(b, n.valueAt + i)));
            CutAtFirstNull(value);
          } else {
            const std::size_t len = std::find(v, v + n.valueBytes, '\0') - v;
            value = rtl::AnsiToString(std::string_view(v, len));
          }
        }
      } else if (n.type == 0) {
        if (n.valueLength >= 1 && n.valueLength <= 4) {
          // Only the bytes the value has, never a whole 32-bit word.
          if (n.valueBytes < n.valueLength) return false;
          std::uint32_t word = 0;
          for (int i = n.valueLength - 1; i >= 0; --i) word = word << 8 | static_cast<unsigned char>(v[i]);
          String hex = rtl::IntToHex(word, 2 * n.valueLength);
          value = u"$" + hex;
        } else if (Wide && n.valueLength != 0) {
          for (std::size_t i = 0; i + 1 < n.valueBytes; i += 2)
            value.push_back(static_cast<char16_t>(Get16(b, n.valueAt + i)));
          CutAtFirstNull(value);
        }
      } else {
        return false;
      }
      itemList_.AddObject(n.key + u"=" + value, reinterpret_cast<void*>(tableIndex));
      at = Up4(n.end);
    }
    pos = Up4(table.end);
  }
  return true;
}

bool TCoreFileVersionInfo::ReadVarFileInfo(std::size_t From, std::size_t To, bool Wide) {
  if (From >= To) return true;
  rtl::VersionNode n;
  if (!rtl::ReadVersionNode(buffer_.data(), buffer_.size(), From, To, Wide, n)) return false;
  if (rtl::SameText(n.key, u"Translation")) {
    const std::size_t count = std::min<std::size_t>(n.valueLength, n.valueBytes) / 4;
    for (std::size_t i = 0; i < count; ++i)
      translations_.push_back({static_cast<std::uint16_t>(Get16(buffer_, n.valueAt + 4 * i)),
                               static_cast<std::uint16_t>(Get16(buffer_, n.valueAt + 4 * i + 2))});
  }
  return true;
}

void TCoreFileVersionInfo::BuildItemsForLanguage() {
  ++itemsBuilds_;
  items_.Clear();
  if (languageIndex_ < 0 || languageIndex_ >= LanguageCount()) return;
  const auto pair = static_cast<std::uintptr_t>(languages_[static_cast<std::size_t>(languageIndex_)].Pair());
  for (int i = 0; i < itemList_.Count(); ++i)
    if (reinterpret_cast<std::uintptr_t>(itemList_.Objects(i)) == static_cast<std::uintptr_t>(languageIndex_))
      items_.AddObject(itemList_[i], reinterpret_cast<void*>(pair));
}

// --- properties ---------------------------------------------------------------

void TCoreFileVersionInfo::SetLanguageIndex(int Index) {
  if (Index < 0 || Index >= LanguageCount()) throw ECoreFileVersionInfoError(u"Illegal language index");
  if (Index == languageIndex_) return;
  languageIndex_ = Index;
  BuildItemsForLanguage();
}

String TCoreFileVersionInfo::KeyName(int Index) {
  static const char16_t* const kNames[] = {u"Comments",       u"CompanyName",      u"FileDescription",
                                           u"FileVersion",    u"InternalName",     u"LegalCopyright",
                                           u"LegalTradeMarks", u"OriginalFilename", u"ProductName",
                                           u"ProductVersion", u"SpecialBuild",     u"PrivateBuild"};
  return Index >= 1 && Index <= 12 ? String(kNames[Index - 1]) : String();
}

String TCoreFileVersionInfo::BinFileVersion() const {
  return rtl::Format(u"%u.%u.%u.%u", {fixedInfo_.dwFileVersionMS >> 16, fixedInfo_.dwFileVersionMS & 0xFFFF,
                                      fixedInfo_.dwFileVersionLS >> 16, fixedInfo_.dwFileVersionLS & 0xFFFF});
}

String TCoreFileVersionInfo::BinProductVersion() const {
  return rtl::Format(u"%u.%u.%u.%u",
                     {fixedInfo_.dwProductVersionMS >> 16, fixedInfo_.dwProductVersionMS & 0xFFFF,
                      fixedInfo_.dwProductVersionLS >> 16, fixedInfo_.dwProductVersionLS & 0xFFFF});
}

String TCoreFileVersionInfo::VersionPart(const String& Version, int Part) {
  const String s = ReplaceCharCopy(Version, u',', u'.');
  std::vector<std::size_t> dots;
  for (std::size_t i = 0; i < s.size(); ++i)
    if (s[i] == u'.') dots.push_back(i);
  switch (Part) {
    case 0:
      return rtl::Trim(dots.empty() ? s : s.substr(0, dots[0]));
    case 1:
      return dots.size() < 2 ? String() : rtl::Trim(s.substr(dots[0] + 1, dots[1] - dots[0] - 1));
    case 2:
      return dots.size() < 3 ? String() : rtl::Trim(s.substr(dots[1] + 1, dots[2] - dots[1] - 1));
    default:
      return rtl::Trim(dots.empty() ? s : s.substr(dots.back() + 1));
  }
}

bool TCoreFileVersionInfo::TranslationMatchesLanguages(bool Exact) const {
  const bool counts = translations_.size() == languages_.size() || (!Exact && !translations_.empty());
  if (!counts) return false;
  for (const TLangIdRec& t : translations_) {
    const bool found = std::any_of(languages_.begin(), languages_.end(),
                                   [&](const TLangIdRec& l) { return l.Pair() == t.Pair(); });
    if (!found) return false;
  }
  return true;
}

String TCoreFileVersionInfo::VersionLanguageId(const TLangIdRec& Rec) {
  static constexpr char16_t kHex[] = u"0123456789abcdef";
  String s;
  for (std::uint16_t v : {Rec.LangId, Rec.CodePage})
    for (int shift = 12; shift >= 0; shift -= 4) s.push_back(kHex[(v >> shift) & 0xF]);
  return s;
}

String TCoreFileVersionInfo::VersionLanguageName(std::uint16_t LangId) {
  // The languages our files and their peers are written in; the platform
  // has no table of Windows language ids.
  struct Row {
    std::uint16_t id;
    const char16_t* name;
  };
  static const Row kNames[] = {
      {0x0000, u"Language Neutral"},
      {0x0404, u"Chinese (Traditional)"},
      {0x0407, u"German (Germany)"},
      {0x0409, u"English (United States)"},
      {0x040C, u"French (France)"},
      {0x0411, u"Japanese"},
      {0x0412, u"Korean"},
      {0x0419, u"Russian"},
      {0x0804, u"Chinese (Simplified)"},
      {0x0809, u"English (United Kingdom)"},
      {0x0C04, u"Chinese (Hong Kong S.A.R.)"},
  };
  for (const Row& r : kNames)
    if (r.id == LangId) return r.name;
  return u"Language Neutral";
}

}  // namespace ext
