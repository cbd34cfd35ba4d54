#include "grid/editors/edit_image_ex.h"

#include "grid/editor_support/tool_routines.h"
#include "platform/classes/typinfo.h"

namespace grid {

using namespace ui;

const TClassInfo& TEditImageEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TEditImageEx>("TEditImageEx", &TPersistent::StaticClassInfo())
          .Integer("ImageIndex", &TEditImageEx::ImageIndex, &TEditImageEx::SetImageIndex, -1)
          .Boolean("UseImageHeight", &TEditImageEx::UseImageHeight, &TEditImageEx::SetUseImageHeight, 1)
          .Boolean("Visible", &TEditImageEx::Visible, &TEditImageEx::SetVisible, 0)
          .Integer("Width", &TEditImageEx::Width, &TEditImageEx::SetWidth, 0)
          .Build();
  return info;
}

TEditImageEx::TEditImageEx(TWinControl* EditControl) : editControl_(EditControl) {}

void TEditImageEx::RebuildEditor() {
  // The editor answers this message by rebuilding its window, so the image
  // area and the height are laid out again.
  if (editControl_) editControl_->Perform(WM_POPUPCLOSEUP);
}

void TEditImageEx::SetImageIndex(int Value) {
  if (imageIndex_ == Value) return;
  imageIndex_ = Value;
  if (editControl_) editControl_->Invalidate();
}

void TEditImageEx::SetImages(TImageList* Value) {
  if (images_ == Value) return;
  images_ = Value;
  if (Value && editControl_) Value->FreeNotification(editControl_);
  RebuildEditor();
}

void TEditImageEx::SetUseImageHeight(bool Value) {
  if (useImageHeight_ == Value) return;
  useImageHeight_ = Value;
  RebuildEditor();
}

void TEditImageEx::SetVisible(bool Value) {
  if (visible_ == Value) return;
  visible_ = Value;
  RebuildEditor();
}

void TEditImageEx::SetWidth(int Value) {
  if (width_ == Value) return;
  width_ = Value;
  RebuildEditor();
}

void TEditImageEx::Assign(const TPersistent* Source) {
  if (auto* s = dynamic_cast<const TEditImageEx*>(Source)) {
    SetImages(s->images_);
    SetImageIndex(s->imageIndex_);
    SetVisible(s->visible_);
    SetWidth(s->width_);
    return;
  }
  TPersistent::Assign(Source);
}

}  // namespace grid
