// A registry key used like an ini file: each section is a subkey of the key,
// each name one text value in it, and the empty name addresses the subkey's
// default value. Keys are opened for each call, so other processes see every
// change at once (see registry.h).
#pragma once

#include "platform/runtime/registry.h"
#include "platform/runtime/rtl_string.h"

namespace rtl {

class TRegIniFile {
 public:
  // FileName is the key's path under Root; it is created when missing.
  // Raises ERegistryException when it can be neither opened nor created.
  explicit TRegIniFile(const String& FileName, HKEY Root = HKEY_CURRENT_USER);
  virtual ~TRegIniFile() = default;
  TRegIniFile(const TRegIniFile&) = delete;
  TRegIniFile& operator=(const TRegIniFile&) = delete;

  const String& FileName() const { return fileName_; }
  HKEY RootKey() const { return root_; }

  // Def when the section or the value is missing or holds no text.
  String ReadString(const String& Section, const String& Ident, const String& Def);
  // Raises ERegistryException when the value cannot be written.
  void WriteString(const String& Section, const String& Ident, const String& Value);
  // Removes the section's subkey with everything below it; a missing one is no error.
  void EraseSection(const String& Section);

 private:
  String SectionPath(const String& Section) const;

  String fileName_;
  HKEY root_;
};

}  // namespace rtl
