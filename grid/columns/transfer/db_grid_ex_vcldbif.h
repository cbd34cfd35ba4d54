// VCLDBIF, the typed grid-data format in which grids hand cell values to one
// another (clipboard or file): a 12-byte prefix ("VCLDBIF", version 1, the
// column count), one descriptor per column, the cells of the records as
// tagged values in column order, and an end tag. Integers are little-endian.
#pragma once

#include <cstdint>

#include "grid/columns/transfer/db_grid_ex_export.h"
#include "grid/columns/transfer/db_grid_ex_import.h"
#include "platform/classes/string_list.h"
#include "platform/runtime/variant.h"

namespace grid {

#pragma pack(push, 1)
struct TVCLDBIF_BOF {
  char Signatura[7];
  std::uint8_t Version;
  std::int32_t ColCount;
};
#pragma pack(pop)
static_assert(sizeof(TVCLDBIF_BOF) == 12);

// The tags of the cell values.
enum : std::uint8_t {
  vdbifEnd = 0,
  vdbifNoValue = 1,
  vdbifNull = 2,
  vdbifInteger = 3,
  vdbifFloat = 4,
  vdbifAnsiText = 5,
  vdbifBinary = 6,
  vdbifWideText = 7
};

class TDBGridExExportAsVCLDBIF : public TDBGridExExport {
 public:
  TDBGridExExportAsVCLDBIF() = default;

 protected:
  void WriteStreamPrefix() override;
  void WriteSuffix() override;
  void WriteDataCell(TColumnEx* Column, TColCellParamsEx& CellParams) override;
};

class TDBGridExImportAsVCLDBIF : public TDBGridExImport {
 public:
  TDBGridExImportAsVCLDBIF() = default;
  void ImportFromStream(rtl::TStream& AStream, bool IsImportAll) override;

 protected:
  void ReadPrefix() override;
  void ReadRecord(const std::vector<TColumnEx*>& ColumnsList) override;
  void ReadDataCell(TColumnEx* Column) override;
  void ReadValue();
  void AssignLastValue(db::TField* Field, const rtl::Variant& Value);

  TVCLDBIF_BOF Prefix{};
  bool FIgnoreAll = false;
  rtl::Variant LastValue;
  std::unique_ptr<ui::TStringList> FieldNames;
  bool UseFieldNames = false;

 private:
  [[noreturn]] static void FormatError();
  void ReadExact(void* Buffer, std::int64_t Count);
  // A 4-byte length that the rest of the source can hold.
  std::int32_t ReadLength();
};

}  // namespace grid
