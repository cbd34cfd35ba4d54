#include "desktop/step_table.h"

#include <algorithm>

#include "platform/data/fields.h"

namespace desktop {

TStepTableBase::TStepTableBase(const std::vector<TStepFieldDef>& Fields)
    : data_(std::make_unique<ext::TExtMemoryData>()), source_(std::make_unique<db::TDataSource>(nullptr)) {
  for (const TStepFieldDef& f : Fields) data_->FieldDefs().Add(f.Name, f.Type, f.Size);
  data_->Open();
  for (std::size_t i = 0; i < Fields.size(); ++i) {
    db::TField* field = Field(static_cast<int>(i));
    field->SetDisplayLabel(Fields[i].Label);
    if (Fields[i].Width > 0) field->SetDisplayWidth(Fields[i].Width);
    field->SetVisible(Fields[i].Visible);
    field->SetDisplayFormat(Fields[i].Format);
  }
  source_->SetDataSet(data_.get());
}

TStepTableBase::~TStepTableBase() {
  // Views still bound let go of the source before the dataset goes.
  source_.reset();
  data_.reset();
}

int TStepTableBase::RecordCount() const { return data_->RecordCount(); }

int TStepTableBase::RecNo() const { return IsEmpty() ? -1 : data_->RecNo() - 1; }

bool TStepTableBase::Eof() const { return IsEmpty() || data_->Eof(); }

void TStepTableBase::First() { data_->First(); }

void TStepTableBase::Last() { data_->Last(); }

void TStepTableBase::Next() { data_->Next(); }

void TStepTableBase::MoveTo(int Index) {
  if (IsEmpty()) return;
  data_->SetRecNo(std::clamp(Index, 0, RecordCount() - 1) + 1);
}

void TStepTableBase::Delete() {
  if (!IsEmpty()) data_->Delete();
}

void TStepTableBase::Clear() { data_->EmptyTable(); }

void TStepTableBase::AddRow(bool Before, const std::function<void()>& Fill) {
  if (Before && !IsEmpty())
    data_->Insert();
  else
    data_->Append();
  try {
    Fill();
    data_->Post();
  } catch (...) {
    data_->Cancel();
    throw;
  }
}

void TStepTableBase::EditRow(const std::function<void()>& Fill) {
  if (IsEmpty()) return;
  data_->Edit();
  try {
    Fill();
    data_->Post();
  } catch (...) {
    data_->Cancel();
    throw;
  }
}

void TStepTableBase::ForEachRow(const std::function<void()>& Read) const {
  if (IsEmpty()) return;
  const int current = RecNo();
  data_->DisableControls();
  try {
    for (data_->First(); !data_->Eof(); data_->Next()) Read();
  } catch (...) {
    data_->SetRecNo(current + 1);
    data_->EnableControls();
    throw;
  }
  data_->SetRecNo(current + 1);
  data_->EnableControls();
}

void TStepTableBase::Replace(int Count, const std::function<void(int)>& Fill) {
  data_->DisableControls();
  try {
    data_->EmptyTable();
    for (int i = 0; i < Count; ++i) AddRow(false, [&] { Fill(i); });
    data_->First();
  } catch (...) {
    data_->EnableControls();
    throw;
  }
  data_->EnableControls();
}

}  // namespace desktop
