// Ini files: named values grouped in sections.
//   TCustomIniFile  the common interface with the typed reads and writes
//   TIniFile        the profile kind: every read and write goes to the file
//   TMemIniFile     the in-memory kind: loaded once, written as a whole
// Section and key names compare without regard to case; names a file could
// not give back are refused (see CheckNames). Typed reads give the
// default for a missing value or one that does not convert: integers are
// decimal, or hexadecimal after "0x" or '$'; Booleans are written 1/0 and
// read as integers; floats are written in the general form with 15 digits and
// '.', and read with '.' or ','. Files are replaced through a temporary file,
// so a failed write leaves the old file as it was.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/runtime/datetime.h"
#include "platform/runtime/rtl_string.h"
#include "platform/classes/string_list.h"

namespace rtl {

class TStream;

class TCustomIniFile {
 public:
  explicit TCustomIniFile(String fileName) : fileName_(std::move(fileName)) {}
  virtual ~TCustomIniFile() = default;
  TCustomIniFile(const TCustomIniFile&) = delete;
  TCustomIniFile& operator=(const TCustomIniFile&) = delete;

  const String& FileName() const { return fileName_; }

  virtual String ReadString(const String& section, const String& ident, const String& def) = 0;
  virtual void WriteString(const String& section, const String& ident, const String& value) = 0;
  // Key names of a section.
  virtual void ReadSection(const String& section, ui::TStrings& strings) = 0;
  virtual void ReadSections(ui::TStrings& strings) = 0;
  // "name=value" lines of a section.
  virtual void ReadSectionValues(const String& section, ui::TStrings& strings) = 0;
  virtual void EraseSection(const String& section) = 0;
  virtual void DeleteKey(const String& section, const String& ident) = 0;
  virtual void UpdateFile() = 0;
  virtual bool SectionExists(const String& section);
  virtual bool ValueExists(const String& section, const String& ident);

  std::int32_t ReadInteger(const String& section, const String& ident, std::int32_t def);
  void WriteInteger(const String& section, const String& ident, std::int32_t value);
  bool ReadBool(const String& section, const String& ident, bool def);
  void WriteBool(const String& section, const String& ident, bool value);
  double ReadFloat(const String& section, const String& ident, double def);
  void WriteFloat(const String& section, const String& ident, double value);
  // Dates and times in the locale's short formats.
  TDateTime ReadDate(const String& section, const String& ident, TDateTime def);
  TDateTime ReadTime(const String& section, const String& ident, TDateTime def);
  TDateTime ReadDateTime(const String& section, const String& ident, TDateTime def);
  void WriteDate(const String& section, const String& ident, TDateTime value);
  void WriteTime(const String& section, const String& ident, TDateTime value);
  void WriteDateTime(const String& section, const String& ident, TDateTime value);
  // Binary data as two upper-case hexadecimal digits per byte. Reading
  // appends the bytes to `value` at its position and returns their count
  // (0 when the value is missing or not hexadecimal).
  std::int64_t ReadBinaryStream(const String& section, const String& ident, TStream& value);
  void WriteBinaryStream(const String& section, const String& ident, TStream& value);

 protected:
  // Refuses (EIniFileException) names the file could not give back: line
  // breaks or outer blanks in either; a key holding '=' or starting with
  // ';' or '['.
  static void CheckNames(const String& section, const String& ident);

  String fileName_;
};

// The profile kind. Each call reads the file; each write rewrites it at once,
// changing only the line it writes, adds or removes: every other line keeps
// its bytes and line end (comments, blank lines, text in another code page,
// stray bytes). A write holds a lock on the file's folder from reading to
// renaming, so writers in other threads and processes lose nothing. Values
// are trimmed, and one pair of enclosing quotes (' or ") is removed on
// reading. Written lines take the encoding the file was found in; a new file
// is in the system 8-bit page. Only regular files are read: anything else
// reads as empty. A file that cannot be read or written (read-only, not a
// regular file) raises EIniFileException "Unable to write to <file>" on a
// write, and the file is unchanged.
class TIniFile : public TCustomIniFile {
 public:
  explicit TIniFile(String fileName) : TCustomIniFile(std::move(fileName)) {}

  String ReadString(const String& section, const String& ident, const String& def) override;
  void WriteString(const String& section, const String& ident, const String& value) override;
  void ReadSection(const String& section, ui::TStrings& strings) override;
  void ReadSections(ui::TStrings& strings) override;
  void ReadSectionValues(const String& section, ui::TStrings& strings) override;
  void EraseSection(const String& section) override;
  void DeleteKey(const String& section, const String& ident) override;
  void UpdateFile() override {}
};

enum class TIniEncoding {
  Default,  // the system 8-bit page, no byte-order mark
  UTF8,     // UTF-8 with its byte-order mark
  Unicode,  // UTF-16 little-endian with its byte-order mark
};

// The in-memory kind. Reading sniffs a byte-order mark (UTF-8, UTF-16LE);
// without one the text is UTF-8 when valid, else the system page. Writing
// (UpdateFile) produces, for each section in the order first written, the
// line "[section]", its "key=value" lines in the order each key was first
// written, then one empty line; lines end in CR LF. Values are kept exactly
// as written (no trimming).
class TMemIniFile : public TCustomIniFile {
 public:
  // A missing file gives an empty storage. A file that exists but cannot be
  // read raises EFOpenError.
  explicit TMemIniFile(String fileName, TIniEncoding encoding = TIniEncoding::Default);
  ~TMemIniFile() override = default;

  String ReadString(const String& section, const String& ident, const String& def) override;
  void WriteString(const String& section, const String& ident, const String& value) override;
  void ReadSection(const String& section, ui::TStrings& strings) override;
  void ReadSections(ui::TStrings& strings) override;
  void ReadSectionValues(const String& section, ui::TStrings& strings) override;
  void EraseSection(const String& section) override;
  void DeleteKey(const String& section, const String& ident) override;
  bool SectionExists(const String& section) override;
  bool ValueExists(const String& section, const String& ident) override;
  // Writes the whole file. On failure raises EFCreateError; the data held
  // and the old file stay as they were.
  void UpdateFile() override;

  // While set, every write (WriteString, EraseSection, DeleteKey) is
  // followed by UpdateFile.
  bool AutoUpdate() const { return autoUpdate_; }
  void SetAutoUpdate(bool value) { autoUpdate_ = value; }
  TIniEncoding Encoding() const { return encoding_; }
  void SetEncoding(TIniEncoding encoding) { encoding_ = encoding; }

  // Switches to another file; with `reload` its contents replace the data
  // held. A failed reload raises and keeps the data held and the old name.
  void Rename(const String& fileName, bool reload);
  void Clear();
  // The whole content as the file would hold it.
  String Text() const;
  void SetText(std::u16string_view text);

 private:
  struct Entry {
    String key;    // empty for a kept comment line
    String value;  // the raw line for a comment
    bool comment = false;
  };
  struct Section {
    String name;
    std::vector<Entry> entries;
  };
  Section* FindSection(const String& name);
  Entry* FindEntry(Section& s, const String& ident);
  void Load(const String& fileName);
  void Changed();

  std::vector<String> preamble_;  // lines before the first section
  std::vector<Section> sections_;
  TIniEncoding encoding_;
  bool autoUpdate_ = false;
};

}  // namespace rtl
