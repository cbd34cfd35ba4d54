// Saving and restoring the user's arrangement of the columns (order, widths,
// visibility, sort markers, drop-down sizes, row-panel placement) and the
// row height, in ini files or the registry. The stored form is read by other
// programs and older files, so its keys and value layout stay fixed: one
// "%d,%d,%d,%d,%d,%d,%d,%d,%d" value per column under "<grid>.<field>", and
// "RowHeight,RowLines" under the default value ("(Default)" in ini files).
#include <climits>
#include <memory>
#include <set>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "platform/classes/ini_files.h"
#include "platform/classes/reg_ini_file.h"
#include "platform/runtime/format.h"

namespace grid {

using namespace ui;

namespace {

const String kIniDefaultKey = u"(Default)";

// A stored word as a decimal integer; anything else (missing, not a number,
// beyond 32 bits) leaves Current.
int WordAsInt(const String& Value, int N, int Current) {
  static const std::set<char16_t> kSeparators{u' ', u','};
  const String word = NthWord(N, Value, kSeparators);
  if (word.empty()) return Current;
  std::size_t i = 0;
  bool negative = false;
  if (word[0] == u'-' || word[0] == u'+') {
    negative = word[0] == u'-';
    i = 1;
  }
  if (i >= word.size()) return Current;
  long long v = 0;
  for (; i < word.size(); ++i) {
    if (word[i] < u'0' || word[i] > u'9') return Current;
    v = v * 10 + (word[i] - u'0');
    if (v > static_cast<long long>(INT_MAX) + 1) return Current;
  }
  if (negative) v = -v;
  if (v < INT_MIN || v > INT_MAX) return Current;
  return static_cast<int>(v);
}

String ReadValue(const TGridLayoutStorage& Storage, const String& Section, const String& Key) {
  if (auto* reg = std::get_if<rtl::TRegIniFile*>(&Storage)) return (*reg)->ReadString(Section, Key, String());
  return std::get<rtl::TCustomIniFile*>(Storage)->ReadString(Section, Key, String());
}

void WriteValue(const TGridLayoutStorage& Storage, const String& Section, const String& Key, String Value) {
  if (auto* reg = std::get_if<rtl::TRegIniFile*>(&Storage)) {
    (*reg)->WriteString(Section, Key, Value);
    return;
  }
  // Ini files strip one pair of enclosing quotes on reading; a value that
  // has them itself gets another pair so that it reads back whole.
  if (Value.size() >= 2 && (Value.front() == u'"' || Value.front() == u'\'') && Value.back() == Value.front())
    Value = u"\"" + Value + u"\"";
  std::get<rtl::TCustomIniFile*>(Storage)->WriteString(Section, Key, Value);
}

bool IsRegistry(const TGridLayoutStorage& Storage) {
  return std::holds_alternative<rtl::TRegIniFile*>(Storage);
}

String GridValueKey(const TGridLayoutStorage& Storage) {
  return IsRegistry(Storage) ? String() : kIniDefaultKey;
}

TColumnExRestoreParams ColumnParamsOf(TDBGridExRestoreParams G) {
  TColumnExRestoreParams P;
  if (G.Contains(grpColIndexEx)) P.Include(crpColIndexEx);
  if (G.Contains(grpColWidthsEx)) P.Include(crpColWidthsEx);
  if (G.Contains(grpSortMarkerEx)) P.Include(crpSortMarkerEx);
  if (G.Contains(grpColVisibleEx)) P.Include(crpColVisibleEx);
  if (G.Contains(grpDropDownRowsEx)) P.Include(crpDropDownRowsEx);
  if (G.Contains(grpDropDownWidthEx)) P.Include(crpDropDownWidthEx);
  if (G.Contains(grpRowPanelColPlacementEx)) P.Include(crpRowPanelColPlacementEx);
  return P;
}

}  // namespace

String TCustomDBGridEx::ColumnLayoutKey(TColumnEx* Column) const {
  return rtl::Format(u"%s.%s", {Name(), Column->FieldName()});
}

void TCustomDBGridEx::WriteColumnsLayout(const TGridLayoutStorage& Storage, const String& Section,
                                         bool DeleteSection) {
  if (IsRegistry(Storage))
    std::get<rtl::TRegIniFile*>(Storage)->EraseSection(Section);
  else if (DeleteSection)
    std::get<rtl::TCustomIniFile*>(Storage)->EraseSection(Section);
  for (int i = 0; i < FColumns->Count(); ++i) {
    TColumnEx* column = FColumns->ColumnAt(i);
    const String value = rtl::Format(
        u"%d,%d,%d,%d,%d,%d,%d,%d,%d",
        {column->Index(), column->Width(), static_cast<int>(column->Title()->SortMarker()),
         column->Visible() ? 1 : 0, column->Title()->SortIndex(), static_cast<int>(column->DropDownRows()),
         column->DropDownWidth(), column->InRowLinePos(), column->InRowLineHeight()});
    WriteValue(Storage, Section, ColumnLayoutKey(column), value);
  }
}

void TCustomDBGridEx::ReadColumnsLayout(const TGridLayoutStorage& Storage, const String& Section,
                                        TColumnExRestoreParams P) {
  const bool autoFit = FAutoFitColWidths;
  if (autoFit) SetAutoFitColWidths(false);
  LockUpdate();
  FColumns->BeginUpdate();
  try {
    const int count = FColumns->Count();
    struct Target {
      TColumnEx* Column;
      int Index;
      int SortIndex;
    };
    std::vector<Target> targets;
    targets.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      TColumnEx* column = FColumns->ColumnAt(i);
      Target t{column, column->Index(), 0};
      const String value = ReadValue(Storage, Section, ColumnLayoutKey(column));
      if (!value.empty()) {
        t.Index = WordAsInt(value, 1, t.Index);
        // Values a user or another program could not have saved are passed
        // over: the column keeps what it has.
        if (P.Contains(crpColWidthsEx)) {
          const int width = WordAsInt(value, 2, column->Width());
          if (width >= 0) column->SetWidth(width);
        }
        if (P.Contains(crpSortMarkerEx)) {
          const int marker = WordAsInt(value, 3, column->Title()->SortMarker());
          if (marker >= smNoneEx && marker <= smUpEx)
            column->Title()->SetSortMarker(static_cast<TSortMarkerEx>(marker));
          const int sortIndex = WordAsInt(value, 5, 0);
          t.SortIndex = sortIndex >= 0 && sortIndex <= count ? sortIndex : 0;
        }
        if (P.Contains(crpColVisibleEx))
          column->SetVisible(WordAsInt(value, 4, column->Visible() ? 1 : 0) != 0);
        if (P.Contains(crpDropDownRowsEx)) {
          const int rows = WordAsInt(value, 6, static_cast<int>(column->DropDownRows()));
          if (rows >= 0) column->SetDropDownRows(static_cast<unsigned>(rows));
        }
        if (P.Contains(crpDropDownWidthEx)) {
          const int width = WordAsInt(value, 7, column->DropDownWidth());
          if (width >= 0) column->SetDropDownWidth(width);
        }
        if (P.Contains(crpRowPanelColPlacementEx)) {
          const int pos = WordAsInt(value, 8, column->InRowLinePos());
          const int height = WordAsInt(value, 9, column->InRowLineHeight());
          if (pos >= 0) column->SetInRowLinePos(pos);
          if (height >= 0) column->SetInRowLineHeight(height);
        }
      }
      targets.push_back(t);
    }
    if (P.Contains(crpSortMarkerEx))
      for (const Target& t : targets) t.Column->Title()->SetSortIndex(t.SortIndex);
    if (P.Contains(crpColIndexEx))
      for (int p = 0; p < count; ++p)
        for (const Target& t : targets)
          if (t.Index == p) {
            t.Column->SetIndex(p);
            break;
          }
  } catch (...) {
    FColumns->EndUpdate();
    UnlockUpdate();
    // A storage that fails part way must not cost the grid its fitting.
    if (autoFit) SetAutoFitColWidths(true);
    throw;
  }
  FColumns->EndUpdate();
  UnlockUpdate();
  SetSortMarkedColumns();
  if (autoFit)
    SetAutoFitColWidths(true);
  else
    RelayoutGrid();
}

void TCustomDBGridEx::WriteGridLayout(const TGridLayoutStorage& Storage, const String& Section,
                                      bool DeleteSection) {
  WriteColumnsLayout(Storage, Section, DeleteSection);
  WriteValue(Storage, Section, GridValueKey(Storage), rtl::Format(u"%d,%d", {FRowHeight, FRowLines}));
}

void TCustomDBGridEx::ReadGridLayout(const TGridLayoutStorage& Storage, const String& Section,
                                     TDBGridExRestoreParams G) {
  ReadColumnsLayout(Storage, Section, ColumnParamsOf(G));
  if (!G.Contains(grpRowHeightEx)) return;
  const String value = ReadValue(Storage, Section, GridValueKey(Storage));
  const int height = WordAsInt(value, 1, FRowHeight);
  if (height >= 0) SetRowHeight(height);
  const int lines = WordAsInt(value, 2, 0);
  SetRowLines(lines >= 0 ? lines : 0);
}

// --- the public forms ----------------------------------------------------------------

void TCustomDBGridEx::SaveColumnsLayoutIni(const String& IniFileName, const String& Section,
                                           bool DeleteSection) {
  rtl::TIniFile ini(IniFileName);
  WriteColumnsLayout(&ini, Section, DeleteSection);
}

void TCustomDBGridEx::RestoreColumnsLayoutIni(const String& IniFileName, const String& Section,
                                              TColumnExRestoreParams RestoreParams) {
  rtl::TIniFile ini(IniFileName);
  ReadColumnsLayout(&ini, Section, RestoreParams);
}

void TCustomDBGridEx::SaveColumnsLayout(rtl::TRegIniFile* ARegIni) {
  WriteColumnsLayout(ARegIni, GetComponentPath(this), true);
}

void TCustomDBGridEx::SaveColumnsLayout(rtl::TCustomIniFile* ACustIni, const String& Section) {
  WriteColumnsLayout(ACustIni, Section, false);
}

void TCustomDBGridEx::RestoreColumnsLayout(rtl::TRegIniFile* ARegIni, TColumnExRestoreParams RestoreParams) {
  ReadColumnsLayout(ARegIni, GetComponentPath(this), RestoreParams);
}

void TCustomDBGridEx::RestoreColumnsLayout(rtl::TCustomIniFile* ACustIni, const String& Section,
                                           TColumnExRestoreParams RestoreParams) {
  ReadColumnsLayout(ACustIni, Section, RestoreParams);
}

void TCustomDBGridEx::SaveGridLayout(rtl::TRegIniFile* ARegIni) {
  WriteGridLayout(ARegIni, GetComponentPath(this), true);
}

void TCustomDBGridEx::SaveGridLayout(rtl::TCustomIniFile* ACustIni, const String& Section) {
  WriteGridLayout(ACustIni, Section, false);
}

void TCustomDBGridEx::RestoreGridLayout(rtl::TRegIniFile* ARegIni, TDBGridExRestoreParams RestoreParams) {
  ReadGridLayout(ARegIni, GetComponentPath(this), RestoreParams);
}

void TCustomDBGridEx::RestoreGridLayout(rtl::TCustomIniFile* ACustIni, const String& Section,
                                        TDBGridExRestoreParams RestoreParams) {
  ReadGridLayout(ACustIni, Section, RestoreParams);
}

void TCustomDBGridEx::SaveGridLayoutIni(const String& IniFileName, const String& Section,
                                        bool DeleteSection) {
  rtl::TIniFile ini(IniFileName);
  WriteGridLayout(&ini, Section, DeleteSection);
}

void TCustomDBGridEx::RestoreGridLayoutIni(const String& IniFileName, const String& Section,
                                           TDBGridExRestoreParams RestoreParams) {
  rtl::TIniFile ini(IniFileName);
  ReadGridLayout(&ini, Section, RestoreParams);
}

}  // namespace grid
