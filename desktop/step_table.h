// The rows of the auto-run window's two tables (the script and the
// positions). The rows live in an in-memory dataset, so data-aware views
// bind to its data source; the window and the runner move and read rows only
// through this class, in their own record types.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/data/data_source.h"
#include "components/extended/data/ext_memory_data.h"
#include "platform/runtime/rtl_string.h"

namespace desktop {

// One stored column: its field, and how views show it.
struct TStepFieldDef {
  const char16_t* Name;
  db::TFieldType Type;
  int Size;                       // characters of a text field
  const char16_t* Label = u"";
  int Width = 0;                  // display width in characters
  bool Visible = true;
  const char16_t* Format = u"";  // display format of a number
};

// The dataset, its cursor and the operations that do not depend on the row
// type. Row numbers are 0-based here; the current row is -1 in an empty table.
class TStepTableBase {
 public:
  explicit TStepTableBase(const std::vector<TStepFieldDef>& Fields);
  virtual ~TStepTableBase();
  TStepTableBase(const TStepTableBase&) = delete;
  TStepTableBase& operator=(const TStepTableBase&) = delete;

  ext::TExtMemoryData* DataSet() const { return data_.get(); }
  db::TDataSource* DataSource() const { return source_.get(); }

  int RecordCount() const;
  bool IsEmpty() const { return RecordCount() == 0; }
  int RecNo() const;
  // Past the last row after Next from it.
  bool Eof() const;

  void First();
  void Last();
  void Next();
  void MoveTo(int Index);
  // The row after it (or the new last one) becomes current.
  void Delete();
  void Clear();

 protected:
  // A new row (before the current one when Before, else at the end) filled
  // by Fill; it becomes current. A fill that raises adds nothing.
  void AddRow(bool Before, const std::function<void()>& Fill);
  // The current row's fields rewritten by Fill.
  void EditRow(const std::function<void()>& Fill);
  // Every row from the first, read by Read; the current row stays.
  void ForEachRow(const std::function<void()>& Read) const;
  // Replaces every row, the first becoming current; views hear of it once.
  void Replace(int Count, const std::function<void(int)>& Fill);
  db::TField* Field(int Index) const { return data_->Fields(Index); }

 private:
  std::unique_ptr<ext::TExtMemoryData> data_;
  std::unique_ptr<db::TDataSource> source_;
};

// Where a member of the row type is stored: the fields follow this list in
// order, and its member types pick the field types (integer, float, text).
template <class Row>
struct TStepField {
  using Member = std::variant<std::int32_t Row::*, double Row::*, rtl::String Row::*>;
  Member Value;
  const char16_t* Name;
  int Size = 0;
  const char16_t* Label = u"";
  int Width = 0;
  bool Visible = true;
  const char16_t* Format = u"";
};

template <class Row>
class TStepTable : public TStepTableBase {
 public:
  explicit TStepTable(std::vector<TStepField<Row>> Fields)
      : TStepTableBase(Defs(Fields)), fields_(std::move(Fields)) {}

  // The current row; an empty row in an empty table.
  Row Current() const {
    Row r{};
    if (!IsEmpty()) Read(r);
    return r;
  }
  std::vector<Row> Rows() const {
    std::vector<Row> rows;
    ForEachRow([&] {
      rows.emplace_back();
      Read(rows.back());
    });
    return rows;
  }

  // The new row becomes the current one.
  void Append(const Row& R) { AddRow(false, [&] { Write(R); }); }
  void Insert(const Row& R) { AddRow(true, [&] { Write(R); }); }
  // Rewrites the current row.
  void Update(const Row& R) { EditRow([&] { Write(R); }); }
  void Assign(const std::vector<Row>& Rows) {
    Replace(static_cast<int>(Rows.size()), [&](int i) { Write(Rows[static_cast<std::size_t>(i)]); });
  }

 private:
  static std::vector<TStepFieldDef> Defs(const std::vector<TStepField<Row>>& Fields) {
    std::vector<TStepFieldDef> defs;
    for (const TStepField<Row>& f : Fields) {
      TStepFieldDef d{f.Name, db::ftUnknown, f.Size, f.Label, f.Width, f.Visible, f.Format};
      d.Type = std::visit(
          [](auto Member) {
            using T = std::remove_cvref_t<decltype(std::declval<Row&>().*Member)>;
            if constexpr (std::is_same_v<T, std::int32_t>) return db::ftInteger;
            else if constexpr (std::is_same_v<T, double>) return db::ftFloat;
            else return db::ftWideString;
          },
          f.Value);
      defs.push_back(d);
    }
    return defs;
  }
  void Read(Row& R) const {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      db::TField* f = Field(static_cast<int>(i));
      std::visit(
          [&](auto Member) {
            using T = std::remove_cvref_t<decltype(R.*Member)>;
            if constexpr (std::is_same_v<T, std::int32_t>) R.*Member = f->AsInteger();
            else if constexpr (std::is_same_v<T, double>) R.*Member = f->AsFloat();
            else R.*Member = f->AsString();
          },
          fields_[i].Value);
    }
  }
  void Write(const Row& R) const {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      db::TField* f = Field(static_cast<int>(i));
      std::visit(
          [&](auto Member) {
            using T = std::remove_cvref_t<decltype(R.*Member)>;
            if constexpr (std::is_same_v<T, std::int32_t>) f->SetAsInteger(R.*Member);
            else if constexpr (std::is_same_v<T, double>) f->SetAsFloat(R.*Member);
            else f->SetAsString(R.*Member);
          },
          fields_[i].Value);
    }
  }
  std::vector<TStepField<Row>> fields_;
};

}  // namespace desktop
