// Import into a data grid's dataset: the grid's selection (or, with nothing
// selected, the current record and column onwards) decides which records
// and columns receive the data; the concrete readers parse the bytes.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "grid/columns/columns/column_ex.h"
#include "platform/runtime/streams.h"

namespace grid {

class TCustomDBGridEx;

class TDBGridExImport {
 public:
  TDBGridExImport() = default;
  virtual ~TDBGridExImport() = default;
  TDBGridExImport(const TDBGridExImport&) = delete;
  TDBGridExImport& operator=(const TDBGridExImport&) = delete;

  TCustomDBGridEx* DBGridEx() const { return FDBGridEx; }
  void SetDBGridEx(TCustomDBGridEx* Value) { FDBGridEx = Value; }

  // Reads from the stream's position. With IsImportAll the selection is
  // cleared and the data goes in from the first record and visible column.
  virtual void ImportFromStream(rtl::TStream& AStream, bool IsImportAll);
  void ImportFromFile(const String& FileName, bool IsImportAll);

 protected:
  virtual void ReadPrefix() {}
  virtual void ReadSuffix() {}
  virtual void ReadRecord(const std::vector<TColumnEx*>& ColumnsList);
  virtual void ReadDataCell(TColumnEx*) {}

  // Appends (or inserts) records while the source lasts.
  void AppendRecords();
  // An assignment failed: asks whether to go on ("All" stops asking; "No"
  // ends the import with a silent abort).
  static void AskIgnoreError(const String& Message, bool& IgnoreAll);

  TCustomDBGridEx* FDBGridEx = nullptr;
  rtl::TStream* FStream = nullptr;
  std::vector<TColumnEx*> FImpCols;
  bool Eos = false;

 private:
  void Fill(bool& AppendMode, bool& Inserting, const std::function<void()>& ReturnToSaved);
  bool FAppendMode = false;
};

using TDBGridExImportClass = std::unique_ptr<TDBGridExImport> (*)();
template <class T>
std::unique_ptr<TDBGridExImport> ImportClassOf() {
  return std::make_unique<T>();
}

// Makes an importer, binds it to the grid, imports and frees it (also on failure).
void ImportGridFromStream(TDBGridExImportClass ImportClass, TCustomDBGridEx* Grid, rtl::TStream& Stream,
                          bool IsImportAll);

}  // namespace grid
