// Two media of the application storage: one in memory (tests, scratch
// settings) and one in an ini file (section = folder path, key = value name).
#pragma once

#include <map>
#include <memory>

#include "components/extended/ext_app_storage.h"
#include "platform/classes/ini_files.h"

namespace ext {

// Folders hold values of their own kind (integer, float, text, binary);
// reading one kind as another converts or raises the conversion error.
class TExtAppMemoryStorage : public TExtCustomAppStorage {
  JQ_UI_CLASSINFO
 public:
  explicit TExtAppMemoryStorage(ui::TComponent* AOwner) : TExtCustomAppStorage(AOwner) {}

  void EnumFolderNames(const String& KeyPath, ui::TStringList& Strings) override;
  void EnumValueNames(const String& KeyPath, ui::TStringList& Strings, bool ReportListAsValue) override;
  bool IsFolderAt(const String& Path, bool ListIsValue) override;
  bool PathExistsAt(const String& Path) override;
  bool ValueStoredAt(const String& Path) override;
  void DeleteValueAt(const String& Path) override;
  void DeleteSubTreeAt(const String& Path) override;
  std::int32_t LoadInteger(const String& Path, std::int32_t Default) override;
  void SaveInteger(const String& Path, std::int32_t Value) override;
  double LoadFloat(const String& Path, double Default) override;
  void SaveFloat(const String& Path, double Value) override;
  String LoadString(const String& Path, const String& Default) override;
  void SaveString(const String& Path, const String& Value) override;
  int LoadBinary(const String& Path, void* Buf, int BufSize) override;
  void SaveBinary(const String& Path, const void* Buf, int BufSize) override;

 private:
  enum class Kind { Integer, Float, Text, Binary };
  struct Value {
    String path;  // as written
    Kind kind = Kind::Text;
    std::int64_t i = 0;
    double f = 0;
    String text;
    std::string bytes;
  };
  String KeyOf(const String& Path) const;  // upper-cased absolute path
  const Value* Find(const String& Path) const;
  void Put(const String& Path, Value V);
  // Names of what lies directly under the folder: values or sub-folders.
  void Children(const String& KeyPath, ui::TStringList& Strings, bool Folders) const;
  std::map<String, Value> values_;
};

// Every value is text in the file; the file is written as UTF-8 on Flush
// (and at destruction while FlushOnDestroy is on) through a temporary file.
class TExtAppIniFileStorage : public TExtCustomAppStorage {
  JQ_UI_CLASSINFO
 public:
  TExtAppIniFileStorage(ui::TComponent* AOwner, const String& FileName);
  ~TExtAppIniFileStorage() override;

  const String& FileName() const { return fileName_; }
  void Flush() override;
  void Reload() override;

  void EnumFolderNames(const String& KeyPath, ui::TStringList& Strings) override;
  void EnumValueNames(const String& KeyPath, ui::TStringList& Strings, bool ReportListAsValue) override;
  bool IsFolderAt(const String& Path, bool ListIsValue) override;
  bool PathExistsAt(const String& Path) override;
  bool ValueStoredAt(const String& Path) override;
  void DeleteValueAt(const String& Path) override;
  void DeleteSubTreeAt(const String& Path) override;
  std::int32_t LoadInteger(const String& Path, std::int32_t Default) override;
  void SaveInteger(const String& Path, std::int32_t Value) override;
  double LoadFloat(const String& Path, double Default) override;
  void SaveFloat(const String& Path, double Value) override;
  String LoadString(const String& Path, const String& Default) override;
  void SaveString(const String& Path, const String& Value) override;
  int LoadBinary(const String& Path, void* Buf, int BufSize) override;
  void SaveBinary(const String& Path, const void* Buf, int BufSize) override;

 private:
  // The section of a folder path; the top folder is "\".
  static String SectionOf(const String& KeyPath) { return KeyPath.empty() ? String(u"\\") : KeyPath; }
  void Split(const String& Path, String& Section, String& Ident) const;
  void SubSections(const String& KeyPath, ui::TStringList& Names) const;
  String fileName_;
  std::unique_ptr<rtl::TMemIniFile> ini_;
};

}  // namespace ext
