#include "components/support/store/kit_reg_ini_file.h"

#include <cstdlib>
#include <vector>

#include "platform/runtime/files.h"
#include "platform/runtime/format.h"
#include "platform/ui/ui.h"

namespace kit {

namespace {

constexpr std::uint32_t kAccessMasks[] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x20019, 0x20006, 0x20019, 0xF003F};

rtl::HKEY RootOf(TKitRegKey Key) { return rtl::HKEY(0x80000000u + unsigned(Key)); }

rtl::String EnvFolder(const char* Name, const char* HomeRelative) {
  if (const char* v = std::getenv(Name); v && *v) return rtl::FromSysPath(v);
  if (const char* home = std::getenv("HOME"); home && *home)
    return rtl::IncludeTrailingPathDelimiter(rtl::FromSysPath(home)) + rtl::FromSysPath(HomeRelative);
  return rtl::String();
}

// The folder a special-folder choice stands for here; empty when unknown.
rtl::String SpecialFolderPath(TKitSpecialFolder Folder) {
  switch (Folder) {
    case sfUserAppDataRoaming: return EnvFolder("XDG_CONFIG_HOME", ".config");
    case sfUserAppDataLocal: return EnvFolder("XDG_DATA_HOME", ".local/share");
    case sfUserDocuments: return EnvFolder("XDG_DOCUMENTS_DIR", "Documents");
    case sfProgramData: return u"/var/lib";
    default: return rtl::String();
  }
}


// Values under a registry key: one subkey per section, one value per name.
class TRegistryIniFile : public rtl::TCustomIniFile {
 public:
  TRegistryIniFile(rtl::HKEY Root, const rtl::String& Path, std::uint32_t Access)
      : rtl::TCustomIniFile(Path), root_(Root), access_(Access) {
    rtl::HKEY key = 0;
    const rtl::LONG r = rtl::RegCreateKeyEx(root_, Path, access_, &key, nullptr);
    if (r != rtl::ERROR_SUCCESS)
      throw rtl::Exception(rtl::Format(u"Failed to create key %s (error %d)", {Path, r}));
    rtl::RegCloseKey(key);
  }

  rtl::String ReadString(const rtl::String& Section, const rtl::String& Name, const rtl::String& Def) override {
    Key k(*this, Section, false);
    if (!k.key) return Def;
    std::uint32_t type = 0, size = 0;
    if (rtl::RegQueryValueEx(k.key, Name, &type, nullptr, &size) != rtl::ERROR_SUCCESS) return Def;
    std::vector<std::uint8_t> data(size + 2);
    if (rtl::RegQueryValueEx(k.key, Name, &type, data.data(), &size) != rtl::ERROR_SUCCESS) return Def;
    return Text(type, data.data(), size);
  }
  void WriteString(const rtl::String& Section, const rtl::String& Name, const rtl::String& Value) override {
    Key k(*this, Section, true);
    const rtl::LONG r = rtl::RegSetValueEx(k.key, Name, rtl::REG_SZ, reinterpret_cast<const std::uint8_t*>(Value.c_str()),
                                           std::uint32_t((Value.size() + 1) * 2));
    if (r != rtl::ERROR_SUCCESS) throw rtl::Exception(rtl::Format(u"Failed to set data for '%s'", {Name}));
  }
  void ReadSection(const rtl::String& Section, ui::TStrings& List) override {
    List.Clear();
    Key k(*this, Section, false);
    if (!k.key) return;
    for (std::uint32_t i = 0;; ++i) {
      char16_t name[256];
      std::uint32_t chars = 256;
      if (rtl::RegEnumValue(k.key, i, name, &chars, nullptr, nullptr, nullptr) != rtl::ERROR_SUCCESS) break;
      List.Add(rtl::String(name, chars));
    }
  }
  void ReadSections(ui::TStrings& List) override {
    List.Clear();
    Key k(*this, rtl::String(), false);
    if (!k.key) return;
    for (std::uint32_t i = 0;; ++i) {
      char16_t name[256];
      std::uint32_t chars = 256;
      if (rtl::RegEnumKeyEx(k.key, i, name, &chars) != rtl::ERROR_SUCCESS) break;
      List.Add(rtl::String(name, chars));
    }
  }
  void ReadSectionValues(const rtl::String& Section, ui::TStrings& List) override {
    List.Clear();
    Key k(*this, Section, false);
    if (!k.key) return;
    ui::TStringList names;
    ReadSection(Section, names);
    names.Sort();
    for (int i = 0; i < names.Count(); ++i) {
      std::uint32_t type = 0, size = 0;
      rtl::RegQueryValueEx(k.key, names[i], &type, nullptr, &size);
      std::vector<std::uint8_t> data(size + 2);
      rtl::RegQueryValueEx(k.key, names[i], &type, data.data(), &size);
      rtl::String text;
      if (type == rtl::REG_BINARY) {
        static const char16_t kHex[] = u"0123456789ABCDEF";
        for (std::uint32_t b = 0; b < size; ++b) {
          text += kHex[data[b] >> 4];
          text += kHex[data[b] & 15];
          text += u' ';
        }
      } else if (type == rtl::REG_SZ || type == rtl::REG_EXPAND_SZ || type == rtl::REG_DWORD) {
        text = Text(type, data.data(), size);
      } else {
        text = u"Unknown Data Type";
      }
      List.Add((names[i].empty() ? rtl::String(u"Default") : names[i]) + u"=" + text);
    }
  }
  void EraseSection(const rtl::String& Section) override {
    Key k(*this, rtl::String(), true);
    rtl::RegDeleteKey(k.key, Section);
  }
  void DeleteKey(const rtl::String& Section, const rtl::String& Name) override {
    Key k(*this, Section, true);
    rtl::RegDeleteValue(k.key, Name);
  }
  void UpdateFile() override {}

 private:
  // An open key of one section, closed when it goes out of scope.
  struct Key {
    Key(TRegistryIniFile& Owner, const rtl::String& Section, bool Create) {
      rtl::String path = Owner.FileName();
      if (!Section.empty()) path = (path.empty() || path.back() == u'\\' ? path : path + u"\\") + Section;
      if (Create)
        rtl::RegCreateKeyEx(Owner.root_, path, Owner.access_, &key, nullptr);
      else if (rtl::RegOpenKeyEx(Owner.root_, path, 0, rtl::KEY_READ, &key) != rtl::ERROR_SUCCESS)
        key = 0;
    }
    ~Key() {
      if (key) rtl::RegCloseKey(key);
    }
    rtl::HKEY key = 0;
  };
  static rtl::String Text(std::uint32_t Type, const std::uint8_t* Data, std::uint32_t Size) {
    if (Type == rtl::REG_DWORD && Size >= 4) {
      std::int32_t v = std::int32_t(Data[0] | Data[1] << 8 | Data[2] << 16 | std::uint32_t(Data[3]) << 24);
      return rtl::IntToStr(v);
    }
    rtl::String s(reinterpret_cast<const char16_t*>(Data), Size / 2);
    while (!s.empty() && s.back() == u'\0') s.pop_back();
    return s;
  }
  rtl::HKEY root_;
  std::uint32_t access_;
};

}  // namespace

const ui::TClassInfo& TKitRegIniFile::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TKitRegIniFile>("TKitRegIniFile", &ui::TComponent::StaticClassInfo())
          .Str("Path", &TKitRegIniFile::Path, &TKitRegIniFile::SetPath)
          .Enum("PathType", "TKitPathType", {"ptIniFile", "ptRegistry"}, &TKitRegIniFile::PathType,
                &TKitRegIniFile::SetPathType, ptIniFile)
          .Enum("RegKey", "TKitRegKey",
                {"hkeyClassesRoot", "hkeyCurrentUser", "hkeyLocalMachine", "hkeyUsers", "hkeyPerformanceData",
                 "hkeyCurrentConfig", "hkeyDynData"},
                &TKitRegIniFile::RegKey, &TKitRegIniFile::SetRegKey, hkeyCurrentUser)
          .Enum("SpecialFolder", "TKitSpecialFolder",
                {"sfNone", "sfUserAppDataRoaming", "sfUserAppDataLocal", "sfUserDocuments", "sfProgramData"},
                &TKitRegIniFile::SpecialFolder, &TKitRegIniFile::SetSpecialFolder, sfNone)
          .Enum("FileEncoding", "TKitIniFileEncoding", {"feDefault", "feUTF8", "feUnicode"},
                &TKitRegIniFile::FileEncoding, &TKitRegIniFile::SetFileEncoding, feDefault)
          .Boolean("AutoUpdateIniFile", &TKitRegIniFile::AutoUpdateIniFile, &TKitRegIniFile::SetAutoUpdateIniFile, 1)
          .Build();
  return info;
}

TKitRegIniFile::TKitRegIniFile(ui::TComponent* AOwner) : ui::TComponent(AOwner) {}

TKitRegIniFile::~TKitRegIniFile() {
  // A file written only on demand gets its one write now; the held data is
  // kept safe by the ini file's own atomic save, and a destructor must not throw.
  if (!FAutoUpdateIniFile && FIni) {
    try {
      UpdateIniFile();
    } catch (const rtl::Exception&) {
    }
  }
}

void TKitRegIniFile::Changed() { FRefreshStorage = true; }

void TKitRegIniFile::SetPath(const rtl::String& Value) {
  if (Value != FPath) FPath = Value, Changed();
}
void TKitRegIniFile::SetPathType(TKitPathType Value) {
  if (Value != FPathType) FPathType = Value, Changed();
}
void TKitRegIniFile::SetRegKey(TKitRegKey Value) {
  if (Value != FRegKey) FRegKey = Value, Changed();
}
void TKitRegIniFile::SetRegAccess(TKitRegAccess Value) {
  if (!(Value == FRegAccess)) FRegAccess = Value, Changed();
}
void TKitRegIniFile::SetSpecialFolder(TKitSpecialFolder Value) {
  if (Value != FSpecialFolder) FSpecialFolder = Value, Changed();
}
void TKitRegIniFile::SetFileEncoding(TKitIniFileEncoding Value) {
  if (Value != FFileEncoding) FFileEncoding = Value, Changed();
}

void TKitRegIniFile::BuildStorage() {
  if (!FRefreshStorage) return;
  FIni.reset();
  FReg.reset();
  rtl::String p = FPath;
  const rtl::String program = rtl::ProgramFileName();
  if (FPathType == ptIniFile) {
    if (FSpecialFolder != sfNone) {
      rtl::String base = SpecialFolderPath(FSpecialFolder);
      if (!base.empty()) {
        rtl::String folder =
            rtl::IncludeTrailingPathDelimiter(rtl::IncludeTrailingPathDelimiter(base) + rtl::ExtractFilePath(p));
        rtl::ForceDirectories(folder);
        p = folder + rtl::ChangeFileExt(rtl::ExtractFileName(p.empty() ? program : p), u".ini");
      }
    }
    // Beside the program: its folder when writable, else the user's configuration folder.
    if (p.empty())
      p = rtl::BesideProgram(rtl::ChangeFileExt(rtl::ExtractFileName(program), u".ini"));
    else if (rtl::ExtractFilePath(p).empty())
      p = rtl::BesideProgram(rtl::ChangeFileExt(p, u".ini"));
    rtl::TIniEncoding enc = FFileEncoding == feUTF8      ? rtl::TIniEncoding::UTF8
                            : FFileEncoding == feUnicode ? rtl::TIniEncoding::Unicode
                                                         : rtl::TIniEncoding::Default;
    FLoadError.clear();
    try {
      FIni = std::make_unique<rtl::TMemIniFile>(p, enc);
    } catch (const rtl::Exception& e) {
      // A file that cannot be read must not stop its user, nor be replaced
      // by the defaults the user then works with.
      FLoadError = e.Message();
      FIni = std::make_unique<rtl::TMemIniFile>(rtl::String(), enc);
    }
  } else {
    if (p.empty()) {
      rtl::String title = ui::Application ? ui::Application->Title() : rtl::String();
      p = u"\\Software\\Temp\\" +
          (title.empty() ? rtl::ChangeFileExt(rtl::ExtractFileName(program), rtl::String()) : title);
    }
    std::uint32_t access = 0;
    for (int k = keyQueryValue; k <= keyAllAccess; ++k)
      if (FRegAccess.Contains(TKitRegAccessKey(k))) access |= kAccessMasks[k];
    FReg = std::make_unique<TRegistryIniFile>(RootOf(FRegKey), p, access);
  }
  FPath = p;
  FRefreshStorage = false;
}

rtl::TCustomIniFile& TKitRegIniFile::Storage() {
  BuildStorage();
  return FPathType == ptIniFile ? static_cast<rtl::TCustomIniFile&>(*FIni) : *FReg;
}

void TKitRegIniFile::AfterWrite() {
  if (FPathType == ptIniFile && FAutoUpdateIniFile) UpdateIniFile();
}

void TKitRegIniFile::UpdateIniFile() {
  if (FPathType != ptIniFile || !FIni || !FLoadError.empty()) return;
  FIni->SetEncoding(FFileEncoding == feUTF8      ? rtl::TIniEncoding::UTF8
                    : FFileEncoding == feUnicode ? rtl::TIniEncoding::Unicode
                                                 : rtl::TIniEncoding::Default);
  FIni->UpdateFile();
}

bool TKitRegIniFile::SectionExists(const rtl::String& S) { return Storage().SectionExists(S); }
bool TKitRegIniFile::ValueExists(const rtl::String& S, const rtl::String& N) { return Storage().ValueExists(S, N); }

#define JQ_KIT_RW(Type, Read, Write)                                                      \
  Type TKitRegIniFile::Read(const rtl::String& S, const rtl::String& N, Type Default) {   \
    return Storage().Read(S, N, Default);                                                 \
  }                                                                                       \
  void TKitRegIniFile::Write(const rtl::String& S, const rtl::String& N, Type Value) {    \
    Storage().Write(S, N, Value);                                                         \
    AfterWrite();                                                                         \
  }
JQ_KIT_RW(bool, ReadBool, WriteBool)
JQ_KIT_RW(std::int32_t, ReadInteger, WriteInteger)
JQ_KIT_RW(double, ReadFloat, WriteFloat)
JQ_KIT_RW(rtl::TDateTime, ReadDate, WriteDate)
JQ_KIT_RW(rtl::TDateTime, ReadTime, WriteTime)
JQ_KIT_RW(rtl::TDateTime, ReadDateTime, WriteDateTime)
#undef JQ_KIT_RW

rtl::String TKitRegIniFile::ReadString(const rtl::String& S, const rtl::String& N, const rtl::String& Default) {
  return Storage().ReadString(S, N, Default);
}
void TKitRegIniFile::WriteString(const rtl::String& S, const rtl::String& N, const rtl::String& Value) {
  Storage().WriteString(S, N, Value);
  AfterWrite();
}
std::int64_t TKitRegIniFile::ReadBinaryStream(const rtl::String& S, const rtl::String& N, rtl::TStream& Value) {
  return Storage().ReadBinaryStream(S, N, Value);
}
void TKitRegIniFile::WriteBinaryStream(const rtl::String& S, const rtl::String& N, rtl::TStream& Value) {
  Storage().WriteBinaryStream(S, N, Value);
  AfterWrite();
}
void TKitRegIniFile::ReadSection(const rtl::String& S, ui::TStrings& L) { Storage().ReadSection(S, L); }
void TKitRegIniFile::ReadSections(ui::TStrings& L) { Storage().ReadSections(L); }
void TKitRegIniFile::ReadSectionValues(const rtl::String& S, ui::TStrings& L) {
  Storage().ReadSectionValues(S, L);
}
void TKitRegIniFile::EraseSection(const rtl::String& S) {
  Storage().EraseSection(S);
  AfterWrite();
}
void TKitRegIniFile::DeleteKey(const rtl::String& S, const rtl::String& N) {
  Storage().DeleteKey(S, N);
  AfterWrite();
}

}  // namespace kit
