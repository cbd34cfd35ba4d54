#include "platform/ui/combobox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

#include "platform/ui/guard.h"
#include "platform/ui/host.h"
#include "platform/ui/qt_bridge.h"

namespace ui {

class TComboBox::ComboStrings : public TStrings {
 public:
  explicit ComboStrings(TComboBox* c) : c_(c) {}
  int Count() const override { return static_cast<int>(c_->list_.size()); }
  String Get(int Index) const override {
    if (Index < 0 || Index >= Count()) IndexError(Index);
    return c_->list_[Index];
  }
  void Put(int Index, const String& S) override {
    if (Index < 0 || Index >= Count()) IndexError(Index);
    c_->list_[Index] = S;
    Changed();
  }
  void* GetObject(int Index) const override {
    if (Index < 0 || Index >= Count()) IndexError(Index);
    return c_->objects_[Index];
  }
  void PutObject(int Index, void* AObject) override {
    if (Index < 0 || Index >= Count()) IndexError(Index);
    c_->objects_[Index] = AObject;
  }
  int AddObject(const String& S, void* AObject) override {
    // Sorted, the item's place is known only once inserted.
    Insert(Count(), S);
    const int at = c_->sorted_ ? c_->lastInserted_ : Count() - 1;
    c_->objects_[at] = AObject;
    return at;
  }
  void Insert(int Index, const String& S) override {
    if (Index < 0 || Index > Count()) IndexError(Index);
    c_->list_.insert(c_->list_.begin() + Index, S);
    c_->objects_.insert(c_->objects_.begin() + Index, nullptr);
    c_->lastInserted_ = Index;
    if (c_->itemIndex_ >= Index) ++c_->itemIndex_;
    if (c_->sorted_) c_->SortItems();
    Changed();
  }
  int Add(const String& S) override {
    Insert(Count(), S);
    return c_->sorted_ ? IndexOf(S) : Count() - 1;
  }
  void Delete(int Index) override {
    if (Index < 0 || Index >= Count()) IndexError(Index);
    c_->list_.erase(c_->list_.begin() + Index);
    c_->objects_.erase(c_->objects_.begin() + Index);
    if (c_->itemIndex_ == Index)
      c_->itemIndex_ = -1;
    else if (c_->itemIndex_ > Index)
      --c_->itemIndex_;
    Changed();
  }
  void Clear() override {
    c_->list_.clear();
    c_->objects_.clear();
    c_->itemIndex_ = -1;
    if (c_->style_ == csDropDownList) c_->text_.clear();
    Changed();
  }

 protected:
  void SetUpdateState(bool Updating) override {
    updating_ = Updating;
    if (!Updating) Changed();
  }

 private:
  void Changed() {
    if (!updating_) c_->SyncWidget();
  }
  TComboBox* c_;
  bool updating_ = false;
};

const TClassInfo& TComboBox::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TComboBox>("TComboBox", &TWinControl::StaticClassInfo())
          .Enum("Style", "TComboBoxStyle",
                {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"},
                &TComboBox::Style, &TComboBox::SetStyle, csDropDown)
          .Object("Items", "TStrings", &TComboBox::Items, &TComboBox::SetItems)
          .Integer("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex, -1)
          .Str("Text", &TComboBox::Text, &TComboBox::SetText)
          .Integer("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount, 8)
          .Boolean("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted, 0)
          .Build();
  return info;
}

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner), items_(std::make_unique<ComboStrings>(this)) {
  controlStyle_ = TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks};
  SetTabStop(true);
  SetBounds(0, 0, 145, 21);
}

TComboBox::~TComboBox() { BeginDestroy(); }

int TComboBox::ColorRole() const { return QPalette::Base; }

QWidget* TComboBox::CreateWidget(QWidget* Parent) {
  auto* c = new qt::Host<QComboBox>(this, false, Parent);
  c->setEditable(style_ == csDropDown || style_ == csSimple);
  c->setInsertPolicy(QComboBox::NoInsert);
  // activated() is the user's choice only; code changes stay silent.
  QObject::connect(c, &QComboBox::activated, c, [this](int index) {
    if (syncing_) return;
    Guarded([this, index] {
      itemIndex_ = index;
      if (index >= 0 && index < static_cast<int>(list_.size())) text_ = list_[index];
      Select();
      Change();
    });
  });
  if (QLineEdit* e = c->lineEdit()) {
    RouteInnerWidget(e);
    QObject::connect(e, &QLineEdit::textEdited, c, [this](const QString& t) {
      if (syncing_) return;
      Guarded([this, t] {
        text_ = qt::S(t);
        itemIndex_ = -1;
        for (std::size_t i = 0; i < list_.size(); ++i)
          if (list_[i] == text_) itemIndex_ = static_cast<int>(i);
        Change();
      });
    });
  }
  return c;
}

void TComboBox::InitWidget() { SyncWidget(); }

void TComboBox::SyncWidget() {
  if (itemIndex_ >= static_cast<int>(list_.size())) itemIndex_ = -1;
  if (style_ == csDropDownList) text_ = itemIndex_ >= 0 ? list_[itemIndex_] : String();
  auto* c = static_cast<QComboBox*>(widget_);
  if (!c) return;
  syncing_ = true;
  QSignalBlocker block(c);
  bool editable = style_ == csDropDown || style_ == csSimple;
  if (c->isEditable() != editable) {
    c->setEditable(editable);
    if (QLineEdit* e = c->lineEdit()) RouteInnerWidget(e);
  }
  c->clear();
  for (const String& s : list_) c->addItem(qt::Q(s));
  c->setMaxVisibleItems(std::max(1, dropDownCount_));
  c->setCurrentIndex(itemIndex_);
  if (editable && c->lineEdit()) c->lineEdit()->setText(qt::Q(text_));
  syncing_ = false;
}

void TComboBox::SortItems() {
  String current = itemIndex_ >= 0 && itemIndex_ < static_cast<int>(list_.size()) ? list_[itemIndex_] : String();
  std::vector<std::size_t> order(list_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
    return rtl::AnsiCompareText(list_[a], list_[b]) < 0;
  });
  std::vector<String> texts;
  std::vector<void*> objects;
  const int inserted = lastInserted_;
  for (std::size_t i : order) {
    texts.push_back(std::move(list_[i]));
    objects.push_back(objects_[i]);
    if (static_cast<int>(i) == inserted) lastInserted_ = static_cast<int>(texts.size()) - 1;
  }
  list_ = std::move(texts);
  objects_ = std::move(objects);
  if (itemIndex_ >= 0) {
    auto it = std::find(list_.begin(), list_.end(), current);
    itemIndex_ = it == list_.end() ? -1 : static_cast<int>(it - list_.begin());
  }
}

void TComboBox::SetItemIndex(int Value) {
  if (Value < -1 || Value >= static_cast<int>(list_.size())) Value = -1;
  itemIndex_ = Value;
  text_ = Value >= 0 ? list_[Value] : (style_ == csDropDownList ? String() : text_);
  if (Value < 0 && style_ != csDropDownList) text_.clear();
  SyncWidget();
}

void TComboBox::SetStyle(TComboBoxStyle Value) {
  if (Value == style_) return;
  style_ = Value;
  SyncWidget();
}

void TComboBox::SetDropDownCount(int Value) {
  dropDownCount_ = Value;
  SyncWidget();
}

void TComboBox::SetSorted(bool Value) {
  if (Value == sorted_) return;
  sorted_ = Value;
  if (Value) SortItems();
  SyncWidget();
}

void TComboBox::Clear() {
  items_->Clear();
  text_.clear();
  SyncWidget();
}

String TComboBox::GetText() const {
  if (style_ == csDropDownList) return itemIndex_ >= 0 ? list_[itemIndex_] : String();
  return text_;
}

void TComboBox::SetTextInternal(const String& Value) {
  int found = items_->IndexOf(Value);
  if (style_ == csDropDownList) {
    if (found >= 0) SetItemIndex(found);
    return;
  }
  text_ = Value;
  itemIndex_ = -1;
  for (std::size_t i = 0; i < list_.size(); ++i)
    if (list_[i] == Value) itemIndex_ = static_cast<int>(i);
  SyncWidget();
}

void TComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TComboBox::Select() {
  if (OnSelect) OnSelect(this);
}

void TComboBox::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    return;
  }
  TWinControl::Dispatch(Message);
}

}  // namespace ui
