#include "desktop/table_view.h"

#include "platform/data/dataset.h"
#include "platform/data/fields.h"
#include "platform/classes/scoped_change.h"

namespace desktop {

using namespace ui;

const TClassInfo& TTableView::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TTableView>("TTableView", &TPanel::StaticClassInfo()).Build();
  return info;
}

namespace {
constexpr int kHeaderHeight = 20;
constexpr int kRowHeight = 18;
constexpr int kPad = 4;
// Pixels per character of a field's display width (the dialog font's
// average character).
constexpr int kCharWidth = 7;
}  // namespace

class TTableView::TLink : public db::TDataLink {
 public:
  explicit TLink(TTableView* View) : view_(View) {}
  TTableView* view_;

 protected:
  void ActiveChanged() override { Layout(); }
  void LayoutChanged() override { Layout(); }
  void DataSetChanged() override { Changed(); }
  void DataSetScrolled(int) override { Changed(); }
  void RecordChanged(db::TField*) override { Changed(); }

 private:
  void Layout() {
    if (!view_) return;
    view_->BuildColumns();
    view_->Sync();
  }
  void Changed() {
    if (view_) view_->Sync();
  }
};

TTableView::TTableView(TComponent* AOwner) : TPanel(AOwner), link_(std::make_unique<TLink>(this)) {
  SetBevelOuter(bvLowered);
  SetCaption(rtl::String());
  header_ = new TPanel(this);
  header_->SetParent(this);
  header_->SetAlign(alTop);
  header_->SetHeight(kHeaderHeight);
  header_->SetBevelOuter(bvRaised);
  header_->SetCaption(rtl::String());
  list_ = new TListBox(this);
  list_->SetParent(this);
  list_->SetAlign(alClient);
  list_->SetStyle(lbVirtualOwnerDraw);
  list_->SetItemHeight(kRowHeight);
  list_->OnDrawItem = [this](TWinControl*, int Index, TRect Rect, TOwnerDrawState State) {
    DrawRow(Index, Rect, State);
  };
  list_->OnClick = [this](TObject*) {
    if (list_->ItemIndex() >= 0) SelectRow(list_->ItemIndex());
  };
}

TTableView::~TTableView() {
  link_->view_ = nullptr;
  link_.reset();
}

db::TDataSource* TTableView::DataSource() const { return link_->DataSource(); }

void TTableView::SetDataSource(db::TDataSource* Value) {
  link_->SetDataSource(Value);
  BuildColumns();
  Sync();
}

void TTableView::BuildColumns() {
  for (TColumn& c : columns_) delete c.Label;
  columns_.clear();
  db::TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr;
  if (!ds) return;
  int left = 0;
  for (int i = 0; i < ds->FieldCount(); ++i) {
    db::TField* f = ds->Fields(i);
    if (!f->Visible()) continue;
    const int width = f->DisplayWidth() * kCharWidth;
    auto* label = new TLabel(this);
    label->SetParent(header_);
    label->SetAutoSize(false);
    label->SetBounds(left + kPad, 3, width - kPad, kHeaderHeight - 6);
    label->SetCaption(f->DisplayLabel());
    columns_.push_back({f->FieldName(), f->DisplayLabel(), width, label});
    left += width;
  }
}

void TTableView::Sync() {
  if (reading_) return;
  db::TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr;
  if (!ds) {
    list_->SetCount(0);
    list_->Invalidate();
    return;
  }
  // A row being filled shows once it is posted.
  if (ds->State() != db::dsBrowse) return;
  const int count = ds->RecordCount();
  list_->SetCount(count);
  list_->SetItemIndex(count > 0 ? ds->RecNo() - 1 : -1);
  list_->Invalidate();
}

int TTableView::RowCount() const { return list_->Count(); }

int TTableView::Selected() const { return list_->ItemIndex(); }

void TTableView::SelectRow(int Row) {
  db::TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr;
  if (!Enabled() || !ds || Row < 0 || Row >= RowCount()) return;
  ds->SetRecNo(Row + 1);
  Sync();
}

rtl::String TTableView::CellText(int Row, int Col) {
  if (Col < 0 || Col >= ColumnCount()) return {};
  return RowTexts(Row)[static_cast<std::size_t>(Col)];
}

std::vector<rtl::String> TTableView::RowTexts(int Row) {
  std::vector<rtl::String> texts(columns_.size());
  db::TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr;
  if (!ds || ds->State() != db::dsBrowse || Row < 0 || Row >= ds->RecordCount()) return texts;
  // The cursor visits the row and returns; the dataset's other views hear of
  // it once, as a change.
  const int current = ds->RecNo();
  ui::TScopedValue reading(reading_, true);
  ds->DisableControls();
  try {
    ds->SetRecNo(Row + 1);
    for (std::size_t i = 0; i < columns_.size(); ++i)
      if (db::TField* f = ds->FindField(columns_[i].Field)) texts[i] = f->DisplayText();
    ds->SetRecNo(current);
  } catch (...) {
    ds->EnableControls();
    throw;
  }
  ds->EnableControls();
  return texts;
}

void TTableView::EnabledChanged() {
  TPanel::EnabledChanged();
  list_->SetEnabled(Enabled());
}

void TTableView::DrawRow(int Index, TRect Rect, TOwnerDrawState State) {
  TCanvas* c = list_->Canvas();
  // The selected row stays marked when the table is disabled or unfocused:
  // it is where a run stands.
  const bool selected = State.Contains(odSelected);
  c->Brush()->SetColor(selected ? clHighlight : clWindow);
  c->Font()->SetColor(selected ? clHighlightText : (Enabled() ? clWindowText : clGrayText));
  c->FillRect(Rect);
  const std::vector<rtl::String> texts = RowTexts(Index);
  int left = Rect.Left;
  for (int col = 0; col < ColumnCount(); ++col) {
    const int width = columns_[static_cast<std::size_t>(col)].Width;
    TRect cell{left, Rect.Top, left + width, Rect.Bottom};
    c->TextRect(cell, left + kPad, Rect.Top + 2, texts[static_cast<std::size_t>(col)]);
    c->Pen()->SetColor(clBtnFace);
    c->MoveTo(left + width - 1, Rect.Top);
    c->LineTo(left + width - 1, Rect.Bottom);
    left += width;
  }
  c->MoveTo(Rect.Left, Rect.Bottom - 1);
  c->LineTo(Rect.Right, Rect.Bottom - 1);
}

}  // namespace desktop
