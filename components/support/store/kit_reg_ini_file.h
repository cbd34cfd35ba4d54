// Named values in sections, kept in an ini file held in memory or under a
// registry key, for components that remember settings.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/classes/classes.h"
#include "platform/classes/ini_files.h"
#include "platform/runtime/registry.h"

namespace kit {

enum TKitPathType { ptIniFile, ptRegistry };
enum TKitRegKey {
  hkeyClassesRoot, hkeyCurrentUser, hkeyLocalMachine, hkeyUsers, hkeyPerformanceData, hkeyCurrentConfig, hkeyDynData
};
enum TKitRegAccessKey {
  keyQueryValue, keySetValue, keyCreateSubKey, keyEnumerateSubKeys, keyNotify, keyCreateLink, keyRead, keyWrite,
  keyExecute, keyAllAccess
};
using TKitRegAccess = ui::TSet<TKitRegAccessKey>;
enum TKitSpecialFolder { sfNone, sfUserAppDataRoaming, sfUserAppDataLocal, sfUserDocuments, sfProgramData };
enum TKitIniFileEncoding { feDefault, feUTF8, feUnicode };

class TKitRegIniFile : public ui::TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TKitRegIniFile(ui::TComponent* AOwner);
  ~TKitRegIniFile() override;

  // After the first access: the path in use (the computed one when empty).
  const rtl::String& Path() const { return FPath; }
  virtual void SetPath(const rtl::String& Value);
  TKitPathType PathType() const { return FPathType; }
  virtual void SetPathType(TKitPathType Value);
  TKitRegKey RegKey() const { return FRegKey; }
  virtual void SetRegKey(TKitRegKey Value);
  TKitRegAccess RegAccess() const { return FRegAccess; }
  virtual void SetRegAccess(TKitRegAccess Value);
  TKitSpecialFolder SpecialFolder() const { return FSpecialFolder; }
  virtual void SetSpecialFolder(TKitSpecialFolder Value);
  TKitIniFileEncoding FileEncoding() const { return FFileEncoding; }
  virtual void SetFileEncoding(TKitIniFileEncoding Value);
  bool AutoUpdateIniFile() const { return FAutoUpdateIniFile; }
  void SetAutoUpdateIniFile(bool Value) { FAutoUpdateIniFile = Value; }

  bool SectionExists(const rtl::String& Section);
  bool ValueExists(const rtl::String& Section, const rtl::String& Name);
  bool ReadBool(const rtl::String& Section, const rtl::String& Name, bool Default);
  void WriteBool(const rtl::String& Section, const rtl::String& Name, bool Value);
  std::int32_t ReadInteger(const rtl::String& Section, const rtl::String& Name, std::int32_t Default);
  void WriteInteger(const rtl::String& Section, const rtl::String& Name, std::int32_t Value);
  double ReadFloat(const rtl::String& Section, const rtl::String& Name, double Default);
  void WriteFloat(const rtl::String& Section, const rtl::String& Name, double Value);
  rtl::String ReadString(const rtl::String& Section, const rtl::String& Name, const rtl::String& Default);
  void WriteString(const rtl::String& Section, const rtl::String& Name, const rtl::String& Value);
  rtl::TDateTime ReadDate(const rtl::String& Section, const rtl::String& Name, rtl::TDateTime Default);
  void WriteDate(const rtl::String& Section, const rtl::String& Name, rtl::TDateTime Value);
  rtl::TDateTime ReadTime(const rtl::String& Section, const rtl::String& Name, rtl::TDateTime Default);
  void WriteTime(const rtl::String& Section, const rtl::String& Name, rtl::TDateTime Value);
  rtl::TDateTime ReadDateTime(const rtl::String& Section, const rtl::String& Name, rtl::TDateTime Default);
  void WriteDateTime(const rtl::String& Section, const rtl::String& Name, rtl::TDateTime Value);
  std::int64_t ReadBinaryStream(const rtl::String& Section, const rtl::String& Name, rtl::TStream& Value);
  void WriteBinaryStream(const rtl::String& Section, const rtl::String& Name, rtl::TStream& Value);
  void ReadSection(const rtl::String& Section, ui::TStrings& List);
  void ReadSections(ui::TStrings& List);
  void ReadSectionValues(const rtl::String& Section, ui::TStrings& List);
  void EraseSection(const rtl::String& Section);
  void DeleteKey(const rtl::String& Section, const rtl::String& Name);
  // Writes the whole ini file in the chosen encoding (nothing in registry mode).
  void UpdateIniFile();
  // Why the ini file could not be read ("" when it could, or was missing).
  // Such a file is never written: the values live in memory only, from the
  // defaults, until the path changes.
  const rtl::String& LoadError() {
    BuildStorage();
    return FLoadError;
  }

 private:
  rtl::TCustomIniFile& Storage();
  void Changed();
  void AfterWrite();
  void BuildStorage();

  rtl::String FPath;
  TKitPathType FPathType = ptIniFile;
  TKitRegKey FRegKey = hkeyCurrentUser;
  TKitRegAccess FRegAccess{keyAllAccess};
  TKitSpecialFolder FSpecialFolder = sfNone;
  TKitIniFileEncoding FFileEncoding = feDefault;
  bool FRefreshStorage = true;
  bool FAutoUpdateIniFile = true;
  std::unique_ptr<rtl::TMemIniFile> FIni;
  std::unique_ptr<rtl::TCustomIniFile> FReg;
  rtl::String FLoadError;
};

}  // namespace kit
