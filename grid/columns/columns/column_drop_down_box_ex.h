// How a lookup column's drop-down data grid looks: the settings a column
// keeps for it. Most of them live in that drop-down grid itself and are
// reached through the owning column.
#pragma once

#include <memory>

#include "grid/editor_support/spec_row.h"
#include "grid/editor_support/tool_routines.h"
#include "platform/data/data_source.h"
#include "platform/ui/ui.h"

namespace grid {

class TCustomDBGridEx;
class TDBGridColumnsEx;
class TColumnDefValuesEx;

// What a drop-down box asks of its owner (the grid column). Not counted:
// both sides are components or items their owners free.
class IDropDownBoxOwnerEx {
 public:
  virtual ~IDropDownBoxOwnerEx() = default;
  // The owner's grid asks Component for its free notification; nil is ignored.
  virtual void NotifyGridOfComponent(ui::TComponent* Component) = 0;
  // The drop-down data grid, nil where the owner has none.
  virtual TCustomDBGridEx* DataList() = 0;
  // The drop-down grid's options as their bits.
  virtual std::uint32_t DropDownGridOptions() = 0;
  virtual void SetDropDownGridOptions(std::uint32_t Options) = 0;
};

class TColumnDropDownBoxEx : public ui::TPersistent {
  JQ_UI_CLASSINFO
  friend class TColumnEx;

 public:
  explicit TColumnDropDownBoxEx(ui::TPersistent* Owner);
  ~TColumnDropDownBoxEx() override;

  bool AutoFitColWidths() const { return FAutoFitColWidths; }
  void SetAutoFitColWidths(bool Value) { FAutoFitColWidths = Value; }
  TColumnDefValuesEx* ColumnDefValues() const;
  void SetColumnDefValues(const TColumnDefValuesEx* Value);
  TDBGridColumnsEx* Columns() const;
  void SetColumns(const TDBGridColumnsEx* Value);
  // Stored only when the drop-down grid's columns are customized.
  bool IsColumnsStored() const;
  db::TDataSource* ListSource() const { return FListSource; }
  void SetListSource(db::TDataSource* Value);
  std::uint32_t Options() const;
  void SetOptions(std::uint32_t Value);
  bool SortLocal() const;
  void SetSortLocal(bool Value);
  bool UseMultiTitle() const { return FUseMultiTitle; }
  void SetUseMultiTitle(bool Value) { FUseMultiTitle = Value; }

  // Kept for the owning column, which reads and writes them.
  TDropDownAlign Align() const { return FAlign; }
  bool AutoDrop() const { return FAutoDrop; }
  int Rows() const { return FRows; }
  bool ShowTitles() const { return FShowTitles; }
  bool Sizable() const { return FSizable; }
  int Width() const { return FWidth; }
  TSpecRowEx* SpecRow() const { return FSpecRow.get(); }

  void Assign(const ui::TPersistent* Source) override;
  ui::TPersistent* GetOwner() const override { return FOwner; }

 private:
  IDropDownBoxOwnerEx* BoxOwner() const;
  TCustomDBGridEx* OwnerDataList() const;

  TDropDownAlign FAlign = daLeft;
  bool FAutoDrop = false;
  bool FAutoFitColWidths = true;
  db::TDataSource* FListSource = nullptr;
  ui::TPersistent* FOwner;
  int FRows = 0;
  bool FShowTitles = false;
  bool FSizable = false;
  std::unique_ptr<TSpecRowEx> FSpecRow;
  bool FUseMultiTitle = false;
  int FWidth = 0;
};

}  // namespace grid
