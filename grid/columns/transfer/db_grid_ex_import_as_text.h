// The text readers: cells separated by tabs, records by CR LF, the source
// ended by its end or by a 0 character; 8-bit text in the system code page
// or UTF-16 little-endian.
#pragma once

#include <string>

#include "grid/columns/transfer/db_grid_ex_import.h"

namespace grid {

enum TImportTextSreamState { itssChar, itssTab, itssNewLine, itssEof };

class TDBGridExImportAsText : public TDBGridExImport {
 public:
  TDBGridExImportAsText() = default;
  void ImportFromStream(rtl::TStream& AStream, bool IsImportAll) override;

 protected:
  void ReadPrefix() override;
  void ReadRecord(const std::vector<TColumnEx*>& ColumnsList) override;
  void ReadDataCell(TColumnEx* Column) override;

  // One character into FLastChar; false when the source has no whole one left.
  virtual bool ReadChar();
  // Bytes of one character.
  virtual int CharSize() const { return 1; }
  // The cell's characters as text.
  virtual String CellText() const;
  virtual String ErrorPrefix() const { return u"TDBGridExImportAsText.CheckState: "; }
  TImportTextSreamState CheckState();
  TImportTextSreamState ReadString();

  char16_t FLastChar = 0;
  TImportTextSreamState FLastState = itssNewLine;
  // The cell's characters (bytes of the code page for the 8-bit reader).
  std::u16string FLastString;
  bool FIgnoreAll = false;

 private:
  void PushBack(int Chars);
  void AssignCell(TColumnEx* Column, const String& Text);
};

class TDBGridExImportAsUnicodeText : public TDBGridExImportAsText {
 public:
  TDBGridExImportAsUnicodeText() = default;

 protected:
  bool ReadChar() override;
  int CharSize() const override { return 2; }
  String CellText() const override { return FLastString; }
  String ErrorPrefix() const override { return u"TDBGridExImportAsUnicodeText.CheckState: "; }
};

}  // namespace grid
