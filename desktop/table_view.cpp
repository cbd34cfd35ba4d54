#include "table_view.h"

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
}  // namespace

TTableView::TTableView(TComponent* AOwner) : TPanel(AOwner) {
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
    if (OnSelect && list_->ItemIndex() >= 0) OnSelect(list_->ItemIndex());
  };
}

TTableView::~TTableView() = default;

void TTableView::AddColumn(const rtl::String& Title, int Width) {
  int left = 0;
  for (const TColumn& c : columns_) left += c.Width;
  auto* label = new TLabel(this);
  label->SetParent(header_);
  label->SetAutoSize(false);
  label->SetBounds(left + kPad, 3, Width - kPad, kHeaderHeight - 6);
  label->SetCaption(Title);
  columns_.push_back({Title, Width, label});
}

void TTableView::SetRows(int Count, int Selected) {
  list_->SetCount(Count);
  list_->SetItemIndex(Selected);
  list_->Invalidate();
}

int TTableView::RowCount() const { return list_->Count(); }

int TTableView::Selected() const { return list_->ItemIndex(); }

void TTableView::SelectRow(int Row) {
  if (!Enabled() || Row < 0 || Row >= RowCount()) return;
  list_->SetItemIndex(Row);
  if (OnSelect) OnSelect(Row);
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
  int left = Rect.Left;
  for (int col = 0; col < ColumnCount(); ++col) {
    const int width = columns_[static_cast<std::size_t>(col)].Width;
    TRect cell{left, Rect.Top, left + width, Rect.Bottom};
    c->TextRect(cell, left + kPad, Rect.Top + 2, OnCellText ? OnCellText(Index, col) : rtl::String());
    c->Pen()->SetColor(clBtnFace);
    c->MoveTo(left + width - 1, Rect.Top);
    c->LineTo(left + width - 1, Rect.Bottom);
    left += width;
  }
  c->MoveTo(Rect.Left, Rect.Bottom - 1);
  c->LineTo(Rect.Right, Rect.Bottom - 1);
}

}  // namespace desktop
