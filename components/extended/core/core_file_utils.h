// Version information of program files: the version block every binary of
// ours carries (see platform/runtime/version_info.h), parsed whole into its
// fixed block, string tables and translations.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "components/extended/core/core_sys_utils.h"
#include "platform/classes/string_list.h"
#include "platform/runtime/version_info.h"

namespace ext {

using rtl::String;

// The path of a loaded module; null is the program itself.
String ModulePathOf(TModuleHandle Module);
// The file's fixed block; false when the file has none (or it is not 52
// bytes). Never raises.
bool ReadFixedVersionInfo(const String& FileName, rtl::VS_FIXEDFILEINFO& FixedInfo);

struct TLangIdRec {
  std::uint16_t LangId = 0;
  std::uint16_t CodePage = 0;
  std::uint32_t Pair() const { return static_cast<std::uint32_t>(CodePage) << 16 | LangId; }
};

enum TFileFlag { ffDebug, ffInfoInferred, ffPatched, ffPreRelease, ffPrivateBuild, ffSpecialBuild };
// Bit (1 << TFileFlag) per flag.
using TFileFlags = std::uint32_t;
inline constexpr bool HasFileFlag(TFileFlags Flags, TFileFlag F) { return (Flags >> F) & 1u; }

// An identifier of a window: 0 is none.
using TWindowHandle = std::uintptr_t;

class TCoreFileVersionInfo {
 public:
  explicit TCoreFileVersionInfo(const String& FileName);
  // String lists are not movable: the lists are copied, the rest is moved.
  TCoreFileVersionInfo(TCoreFileVersionInfo&& Other);
  // The program that owns the window.
  static TCoreFileVersionInfo FromWindow(TWindowHandle Window);
  static TCoreFileVersionInfo FromModule(TModuleHandle Module);
  // An in-memory block, copied.
  static TCoreFileVersionInfo Attach(const void* Data, std::size_t Size);

  // Which process owns a window; replaceable so the window layer can tell.
  // The default answers this process for any window.
  static std::function<int(TWindowHandle)>& WindowProcessHook();

  String Comments() const { return Value(u"Comments"); }
  String CompanyName() const { return Value(u"CompanyName"); }
  String FileDescription() const { return Value(u"FileDescription"); }
  String FileVersion() const { return Value(u"FileVersion"); }
  String InternalName() const { return Value(u"InternalName"); }
  String LegalCopyright() const { return Value(u"LegalCopyright"); }
  String LegalTradeMarks() const { return Value(u"LegalTradeMarks"); }
  String OriginalFilename() const { return Value(u"OriginalFilename"); }
  String ProductName() const { return Value(u"ProductName"); }
  String ProductVersion() const { return Value(u"ProductVersion"); }
  String SpecialBuild() const { return Value(u"SpecialBuild"); }
  String PrivateBuild() const { return Value(u"PrivateBuild"); }
  // Key names by index 1 to 12; empty outside.
  static String KeyName(int Index);

  String BinFileVersion() const;
  String BinProductVersion() const;
  String FileVersionMajor() const { return VersionPart(FileVersion(), 0); }
  String FileVersionMinor() const { return VersionPart(FileVersion(), 1); }
  String FileVersionRelease() const { return VersionPart(FileVersion(), 2); }
  String FileVersionBuild() const { return VersionPart(FileVersion(), 3); }
  String ProductVersionMajor() const { return VersionPart(ProductVersion(), 0); }
  String ProductVersionMinor() const { return VersionPart(ProductVersion(), 1); }
  String ProductVersionRelease() const { return VersionPart(ProductVersion(), 2); }
  String ProductVersionBuild() const { return VersionPart(ProductVersion(), 3); }

  rtl::VS_FIXEDFILEINFO FixedInfo() const { return fixedInfo_; }
  TFileFlags FileFlags() const { return fileFlags_; }
  std::uint32_t FileOS() const { return fixedInfo_.dwFileOS; }
  std::uint32_t FileType() const { return fixedInfo_.dwFileType; }
  std::uint32_t FileSubType() const { return fixedInfo_.dwFileSubtype; }

  // key=value lines of the selected language; each object is the language's
  // TLangIdRec pair.
  const ui::TStringList& Items() const { return items_; }
  // Every table's lines; each object is the 0-based table index.
  const ui::TStringList& ItemList() const { return itemList_; }
  int LanguageCount() const { return static_cast<int>(languages_.size()); }
  int TranslationCount() const { return static_cast<int>(translations_.size()); }
  const std::vector<TLangIdRec>& Languages() const { return languages_; }
  const std::vector<TLangIdRec>& Translations() const { return translations_; }
  int LanguageIndex() const { return languageIndex_; }
  void SetLanguageIndex(int Index);
  // How often Items was built (for callers that cache it).
  int ItemsBuildCount() const { return itemsBuilds_; }

  bool TranslationMatchesLanguages(bool Exact = true) const;
  static String VersionLanguageId(const TLangIdRec& Rec);
  static String VersionLanguageName(std::uint16_t LangId);

  // Part of a version text: 0 major, 1 minor, 2 release, 3 build.
  static String VersionPart(const String& Version, int Part);

 private:
  TCoreFileVersionInfo() = default;
  void ParseVersionBlock();
  bool ReadStringFileInfo(std::size_t From, std::size_t To, bool Wide);
  bool ReadVarFileInfo(std::size_t From, std::size_t To, bool Wide);
  void BuildItemsForLanguage();
  String Value(const String& Key) const { return items_.Values(Key); }

  std::string buffer_;
  rtl::VS_FIXEDFILEINFO fixedInfo_{};
  TFileFlags fileFlags_ = 0;
  ui::TStringList itemList_;
  ui::TStringList items_;
  std::vector<TLangIdRec> languages_;
  int languageIndex_ = 0;
  std::vector<TLangIdRec> translations_;
  int itemsBuilds_ = 0;
};

}  // namespace ext
